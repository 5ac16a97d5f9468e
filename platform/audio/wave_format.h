// The PCM format record (WAVEFORMATEX) that the WAVE reader reads and the audio output plays.
#pragma once
#include <cstdint>

constexpr uint16_t kWaveFormatPcm = 1;  // wFormatTag of plain PCM

#pragma pack(push, 2)
struct WaveFormatEx {
    uint16_t wFormatTag;       // 1 = PCM
    uint16_t nChannels;        // 1 mono, 2 stereo
    uint32_t nSamplesPerSec;   // sample frames per second, Hz
    uint32_t nAvgBytesPerSec;  // bytes per second (nSamplesPerSec * nBlockAlign for PCM)
    uint16_t nBlockAlign;      // bytes per sample frame
    uint16_t wBitsPerSample;   // 8 (unsigned) or 16 (signed) for PCM
    uint16_t cbSize;           // extra format bytes stored right behind this record
};
#pragma pack(pop)
static_assert(sizeof(WaveFormatEx) == 18, "the format record header is 18 bytes");
