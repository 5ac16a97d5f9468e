// Fade-out arithmetic and the sample ramp.
#include "sound/fade.h"

FadeSpans fade_spans(const WaveFormatEx& format) {
    double rate = static_cast<float>(format.nSamplesPerSec);
    uint32_t b = format.nBlockAlign;
    return FadeSpans{static_cast<uint32_t>(rate * kFadeAheadSeconds) * b,
                     static_cast<uint32_t>(rate * kFadeRampSeconds) * b,
                     static_cast<uint32_t>(rate * kFadeSpanSeconds) * b};
}

uint32_t fade_heard_bytes(const WaveFormatEx& format) {
    FadeSpans s = fade_spans(format);
    double rate = static_cast<float>(format.nSamplesPerSec);
    return s.ahead + s.ramp + static_cast<uint32_t>(rate * kFadeSilenceHeardSeconds) * format.nBlockAlign;
}

void fade_ramp(const AudioLock& range, const WaveFormatEx& format, uint32_t ramp) {
    const uint32_t channels = format.nChannels;
    const uint32_t b = format.nBlockAlign;
    if ((channels != 1 && channels != 2) || format.wBitsPerSample != 16 || b == 0) return;
    const uint32_t total = range.bytes1 + range.bytes2;
    // Byte p of the range, whichever region holds it.
    auto at = [&](uint32_t p) -> unsigned char& {
        return p < range.bytes1 ? range.region1[p] : range.region2[p - range.bytes1];
    };
    for (uint32_t p = 0; p + b <= total; p += b) {
        for (uint32_t c = 0; c < channels; ++c) {
            uint32_t q = p + 2 * c;
            int16_t s = static_cast<int16_t>(at(q) | at(q + 1) << 8);
            int16_t faded = 0;
            if (p < ramp) faded = static_cast<int16_t>(static_cast<double>(s) * (ramp - p) / ramp);
            at(q) = static_cast<unsigned char>(static_cast<uint16_t>(faded) & 0xFF);
            at(q + 1) = static_cast<unsigned char>(static_cast<uint16_t>(faded) >> 8);
        }
    }
}
