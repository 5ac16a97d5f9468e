// The fade-out arithmetic: how far ahead of the play position the fade starts, how long the ramp
// runs and how much is silenced, and the ramp itself on 16-bit samples.
#pragma once
#include <cstdint>

#include "platform/audio/audio.h"
#include "platform/audio/wave_format.h"

constexpr double kFadeAheadSeconds = 0.06;  // from the play position to the ramp
constexpr double kFadeRampSeconds = 0.1;    // the ramp down to silence
constexpr double kFadeSpanSeconds = 0.4;    // ramp and silence rewritten
constexpr uint32_t kFadeStopDelayMs = 160;  // ahead + ramp: the position has reached silence
constexpr double kFadeSilenceHeardSeconds = 0.01;  // of the silence, heard before the stop
constexpr uint32_t kFadeStallMs = 200;      // a play position that stands this long: the output
                                            // has stopped moving (a device gone, the test output)
constexpr uint32_t kFadeHeardWaitMs = 2000; // longest further wait for a position that lags

struct FadeSpans {
    uint32_t ahead;  // bytes from the play position to the first faded frame
    uint32_t ramp;   // bytes of the ramp
    uint32_t span;   // bytes rewritten (ramp, then silence)
};

// Whole sample frames of each duration at the format's rate, in bytes.
FadeSpans fade_spans(const WaveFormatEx& format);
// Bytes from the play position at the fade's start to the point the play position must reach
// before the stop: past the ramp and 10 ms into the silence, so the stop cuts nothing that sounds.
uint32_t fade_heard_bytes(const WaveFormatEx& format);
// Scales the 16-bit frames of a locked range (region 1, then region 2): frame at byte distance
// p < ramp by (ramp - p) / ramp, every later frame to 0. Mono and stereo only; other channel
// counts are left alone.
void fade_ramp(const AudioLock& range, const WaveFormatEx& format, uint32_t ramp);
