// The PCM format record (WAVEFORMATEX) that the WAVE reader reads and the audio output plays.
#pragma once
#include <cstdint>

#include <cstring>

constexpr uint16_t kWaveFormatPcm = 1;             // wFormatTag of plain PCM
constexpr uint16_t kWaveFormatAdpcm = 2;           // Microsoft ADPCM
constexpr uint16_t kWaveFormatIeeeFloat = 3;       // 32- or 64-bit floating point samples
constexpr uint16_t kWaveFormatMpegLayer3 = 0x55;   // MP3 inside a WAVE
constexpr uint16_t kWaveFormatExtensible = 0xFFFE; // the sub-format stands in the extra bytes
constexpr uint16_t kWaveExtensibleExtraBytes = 22; // valid bits, channel mask, sub-format GUID

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

// The format a record really holds: wFormatTag, or for the extensible header (what sox and most
// editors write for more than two channels or more than 16 bits) the tag of its sub-format, when
// the sub-format is one of the standard tag GUIDs. The record must carry its cbSize extra bytes.
inline uint16_t wave_format_kind(const WaveFormatEx& f) {
    if (f.wFormatTag != kWaveFormatExtensible || f.cbSize < kWaveExtensibleExtraBytes) return f.wFormatTag;
    // The GUID {tag-0000-0010-8000-00AA00389B71}, behind the valid bits (2) and channel mask (4).
    static const unsigned char kGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    const unsigned char* guid = reinterpret_cast<const unsigned char*>(&f) + sizeof(WaveFormatEx) + 6;
    if (std::memcmp(guid + 2, kGuidTail, sizeof kGuidTail) != 0) return f.wFormatTag;
    return static_cast<uint16_t>(guid[0] | guid[1] << 8);
}
