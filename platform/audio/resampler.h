// Sample-rate conversion for the audio output: windowed-sinc interpolation read straight from a
// looping buffer. It looks only a few frames ahead of the frame it makes, so what reaches the
// device follows the buffer's content to within a millisecond, and it holds no audio of its own.
#pragma once
#include <cstdint>
#include <memory>

// The filter for one pair of rates.
struct Resampler {
    uint64_t step = 0;               // source frames per output frame, 32.32 fixed point
    int taps = 0;                    // weights per output frame (even)
    std::unique_ptr<float[]> table;  // (kResamplerPhases + 1) rows of `taps` weights
};

// Where the source frames come from: a looping buffer of whole frames, seen from the frame at
// which playback started (frames before that start read as silence).
struct ResampleSource {
    const unsigned char* ring;  // the buffer
    uint32_t ring_frames;       // whole frames in it
    uint32_t first_frame;       // ring frame of source frame 0
    uint16_t channels;          // 1..8
    bool eight_bit;             // unsigned 8-bit samples, else signed 16-bit little-endian
};

// Builds the filter from in_rate to out_rate (both 100..200,000 Hz). False when out of memory.
bool resampler_init(Resampler& r, uint32_t in_rate, uint32_t out_rate);
// The oldest source frame that the output frame at source position `pos` (32.32) reads.
int64_t resampler_oldest_frame(const Resampler& r, uint64_t pos);
// The source frames the output frames from `pos` on have heard: the frame at the position of
// output frame n is source frame (n * step) >> 32.
uint64_t resampler_source_frames(const Resampler& r, uint64_t output_frames);
// Makes `frames` output frames (floats in -1..1, channels interleaved) from source position `pos`
// (32.32, frames from source frame 0) and moves `pos` on by as many steps.
void resample(const Resampler& r, const ResampleSource& src, uint64_t& pos, float* out, int frames);
