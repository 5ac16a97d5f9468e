// CPU cost of streaming sound: one second of 44.1 kHz 16-bit stereo through the player on the
// manually clocked output (half refill from the file, descrambling, the lock copies, the output's
// own copy), counted over every thread of the process; and the rate conversion that the audio
// callback adds for a sound at another rate than the device's.
#include <benchmark/benchmark.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench.h"
#include "platform/audio/audio.h"
#include "platform/audio/resampler.h"
#include "sound/sound.h"

namespace {

constexpr uint32_t kRate = 44100;
constexpr uint32_t kBytesPerSecond = kRate * 4;
constexpr uint32_t kSoundSeconds = 20;

void put_u32(std::vector<unsigned char>& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

void put_id(std::vector<unsigned char>& b, const char* id) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(id[i]));
}

// A 44.1 kHz 16-bit stereo WAVE file of `seconds` of noise (its scrambling does not matter here).
std::vector<unsigned char> make_sound(uint32_t seconds) {
    uint32_t payload = seconds * kBytesPerSecond;
    std::vector<unsigned char> b;
    put_id(b, "RIFF");
    put_u32(b, 4 + 24 + 8 + payload);
    put_id(b, "WAVE");
    put_id(b, "fmt ");
    put_u32(b, 16);
    put_u32(b, 1 | 2 << 16);  // PCM, 2 channels
    put_u32(b, kRate);
    put_u32(b, kBytesPerSecond);
    put_u32(b, 4 | 16 << 16);  // block align 4, 16 bits
    put_id(b, "data");
    put_u32(b, payload);
    uint32_t x = 2463534242u;
    for (uint32_t i = 0; i < payload; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b.push_back(static_cast<unsigned char>(x));
    }
    return b;
}

double process_cpu_us() {
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e6 + ts.tv_nsec / 1e3;
}

void BM_StreamOneSecondStereo44k(benchmark::State& state) {
    std::error_code cwd_error;
    const std::filesystem::path old = std::filesystem::current_path(cwd_error);
    std::string templ = (std::filesystem::temp_directory_path() / "poromina-bench-XXXXXX").string();
    if (!mkdtemp(templ.data())) {
        state.SkipWithError("no temporary folder");
        return;
    }
    std::filesystem::create_directory(templ + "/data");
    std::error_code enter_error;
    std::filesystem::current_path(templ, enter_error);
    std::vector<unsigned char> file = make_sound(kSoundSeconds);
    FILE* f = std::fopen("data/bench.wav", "wb");
    if (f) {
        std::fwrite(file.data(), 1, file.size(), f);
        std::fclose(f);
    }
    audio_use_manual(true);
    init_sound();

    uint32_t seconds_left = 0;
    double cpu = 0;
    int64_t seconds = 0;
    for (auto _ : state) {
        if (seconds_left == 0) {  // restart the sound before it runs out
            state.PauseTiming();
            play_sound("bench.wav");
            audio_manual_settle(5000);
            audio_manual_take_played();
            seconds_left = kSoundSeconds - 2;
            state.ResumeTiming();
        }
        double start = process_cpu_us();
        audio_manual_advance(kBytesPerSecond);  // one refill of a half, waited for
        benchmark::DoNotOptimize(audio_manual_take_played());
        cpu += process_cpu_us() - start;
        ++seconds;
        --seconds_left;
    }
    shutdown_sound();
    audio_use_manual(false);
    std::error_code ec;
    std::filesystem::current_path(old, ec);
    std::filesystem::remove_all(templ, ec);

    double us = seconds ? cpu / seconds : 0;
    state.counters["cpu_us_per_audio_s"] = us;
    state.counters["core_share_pct"] = us / 1e6 * 100;
    state.SetBytesProcessed(seconds * kBytesPerSecond);
}
BENCHMARK(BM_StreamOneSecondStereo44k)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime()->UseRealTime()->Repetitions(kRepetitions);

}  // namespace

namespace {

// One second of device audio (44,100 frames) resampled from a two-second buffer of noise at
// `rate` with `channels`, in the pieces the audio callback uses.
void BM_StreamResampleOneSecondTo44k(benchmark::State& state) {
    const uint32_t rate = static_cast<uint32_t>(state.range(0));
    const uint16_t channels = static_cast<uint16_t>(state.range(1));
    std::vector<unsigned char> ring(static_cast<size_t>(rate) * channels * 2 * 2);
    uint32_t x = 2463534242u;
    for (unsigned char& b : ring) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = static_cast<unsigned char>(x);
    }
    Resampler r;
    if (!resampler_init(r, rate, kRate)) {
        state.SkipWithError("no memory");
        return;
    }
    const ResampleSource src{ring.data(), rate * 2, 0, channels, false};
    std::vector<float> out(256 * channels);
    uint64_t pos = 0;
    for (auto _ : state) {
        for (uint32_t done = 0; done < kRate; done += 256) {
            resample(r, src, pos, out.data(), static_cast<int>(std::min<uint32_t>(256, kRate - done)));
            benchmark::DoNotOptimize(out.data());
        }
    }
}
// The CPU column is the cost of one second of audio.
BENCHMARK(BM_StreamResampleOneSecondTo44k)->Args({11025, 1})->Args({22050, 2})->Args({48000, 2})->Unit(benchmark::kMicrosecond)->Repetitions(kRepetitions);

}  // namespace
