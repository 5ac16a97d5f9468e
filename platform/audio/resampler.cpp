// Windowed-sinc sample-rate conversion over a looping buffer (Blackman window, eight zero
// crossings each side, 1,024 phases).
#include "platform/audio/resampler.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace {

constexpr int kResamplerPhases = 1024;   // fractional positions the table holds
constexpr double kZeroCrossings = 8.0;   // of the filter, each side
constexpr double kDownCutoff = 0.97;     // of the output's Nyquist rate, when the rate goes down
constexpr int kMaxHalf = 64;             // taps each side at most (steeper ratios filter less)
constexpr double kPi = 3.14159265358979323846;

// sin(pi x) / (pi x).
double sinc(double x) { return x == 0.0 ? 1.0 : std::sin(kPi * x) / (kPi * x); }

// Blackman window over -1..1.
double blackman(double u) {
    if (u <= -1.0 || u >= 1.0) return 0.0;
    return 0.42 + 0.5 * std::cos(kPi * u) + 0.08 * std::cos(2.0 * kPi * u);
}

// Reads the source frames first..first+count-1 as floats in -1..1 (channels interleaved) into
// out; frames before source frame 0 are silence.
void gather(const ResampleSource& s, int64_t first, int count, float* out) {
    int skip = first < 0 ? static_cast<int>(std::min<int64_t>(-first, count)) : 0;
    std::fill(out, out + skip * s.channels, 0.0f);
    out += skip * s.channels;
    uint64_t f = (static_cast<uint64_t>(s.first_frame) + static_cast<uint64_t>(first + skip)) % s.ring_frames;
    for (int n = skip; n < count; ++n) {
        if (s.eight_bit) {
            const unsigned char* p = s.ring + f * s.channels;
            for (int c = 0; c < s.channels; ++c) *out++ = (static_cast<float>(p[c]) - 128.0f) / 128.0f;
        } else {
            const unsigned char* p = s.ring + f * s.channels * 2;
            for (int c = 0; c < s.channels; ++c)
                *out++ = static_cast<float>(static_cast<int16_t>(p[2 * c] | p[2 * c + 1] << 8)) / 32768.0f;
        }
        if (++f == s.ring_frames) f = 0;
    }
}

}  // namespace

bool resampler_init(Resampler& r, uint32_t in_rate, uint32_t out_rate) {
    r.step = (static_cast<uint64_t>(in_rate) << 32) / out_rate;
    // Going down, the cut-off follows the output's Nyquist rate and the filter widens with it.
    double cutoff = out_rate >= in_rate ? 1.0 : kDownCutoff * out_rate / in_rate;
    int half = std::min(kMaxHalf, static_cast<int>(std::ceil(kZeroCrossings / cutoff)));
    r.taps = 2 * half;
    r.table.reset(new (std::nothrow) float[static_cast<size_t>(kResamplerPhases + 1) * r.taps]);
    if (!r.table) return false;
    for (int ph = 0; ph <= kResamplerPhases; ++ph) {
        double frac = static_cast<double>(ph) / kResamplerPhases;
        float* row = r.table.get() + static_cast<size_t>(ph) * r.taps;
        double sum = 0.0;
        for (int k = 0; k < r.taps; ++k) {
            double d = (k - half + 1) - frac;  // distance of the tap's frame from the position
            double w = cutoff * sinc(cutoff * d) * blackman(d / half);
            row[k] = static_cast<float>(w);
            sum += w;
        }
        for (int k = 0; k < r.taps; ++k) row[k] = static_cast<float>(row[k] / sum);  // unity gain
    }
    return true;
}

int64_t resampler_oldest_frame(const Resampler& r, uint64_t pos) {
    return static_cast<int64_t>(pos >> 32) - (r.taps / 2 - 1);
}

uint64_t resampler_source_frames(const Resampler& r, uint64_t output_frames) {
    return static_cast<uint64_t>((static_cast<unsigned __int128>(output_frames) * r.step) >> 32);
}

void resample(const Resampler& r, const ResampleSource& src, uint64_t& pos, float* out, int frames) {
    const int half = r.taps / 2;
    float window[2 * kMaxHalf * 8];  // the frames one output frame reads, 8 channels at most
    for (int n = 0; n < frames; ++n) {
        int64_t whole = static_cast<int64_t>(pos >> 32);
        uint32_t frac = static_cast<uint32_t>(pos);
        // Nearest phase; row kResamplerPhases is a fraction of 1, so no carry is needed.
        int ph = static_cast<int>((static_cast<uint64_t>(frac) * kResamplerPhases + (1ull << 31)) >> 32);
        const float* row = r.table.get() + static_cast<size_t>(ph) * r.taps;
        gather(src, whole - half + 1, r.taps, window);
        for (int c = 0; c < src.channels; ++c) {
            float acc = 0.0f;
            for (int k = 0; k < r.taps; ++k) acc += row[k] * window[k * src.channels + c];
            *out++ = acc;
        }
        pos += r.step;
    }
}
