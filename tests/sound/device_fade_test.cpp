// The fade-out as a player hears it: a sine streamed through the real SDL path (SDL's disk driver
// writes what the device plays to a file) at every common rate, mono and stereo, faded and
// stopped as a scene change does it. The ramp must come out whole, down to silence, before the
// stop, with no step a click would make; also on an output that plays slower than the clock (a
// busy machine) and with a fade worker that runs late.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <chrono>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio/audio.h"
#include "sound/sound.h"
#include "support/sound_fixtures.h"

namespace {

constexpr int kDeviceRate = 44100;     // the disk device plays 16-bit stereo at this rate
constexpr double kSineHz = 440.0;
constexpr int kSinePeak = 20000;
constexpr int kPeriodFrames = 101;     // one period of the sine at the device rate, and a frame

struct FadeCase {
    uint32_t rate;
    uint16_t channels;
};

void PrintTo(const FadeCase& c, std::ostream* os) { *os << c.rate << " Hz, " << c.channels << " channel(s)"; }

std::string case_name(const testing::TestParamInfo<FadeCase>& info) {
    return std::to_string(info.param.rate) + (info.param.channels == 1 ? "Mono" : "Stereo");
}

// What the capture shows of one fade, per device channel, levels as fractions of the sound's.
struct FadeFigures {
    double level = 0;        // the sound's level: peak of the sine before the fade, 16-bit units
    double before = 0;       // lowest level from 60 ms to 12 ms before the 90 % moment
    double ramp_ms = 0;      // from the last moment at 90 % or more to the first at 3 % or less
    double whole_ms = 0;     // from the last moment at 99 % or more to the first under 0.1 %
    double after_ramp = 0;   // highest level from that 3 % moment to the stop
    double last_10ms = 0;    // highest level in the 10 ms before the stop
    int max_step = 0;        // largest step between neighbouring samples in and around the ramp
    int sine_step = 0;       // the sine's own largest step, before the fade
    bool silent_after_stop = false;
    bool found = false;
    size_t t90 = 0;          // frame of that 90 % moment, where the ramp has begun
};

int16_t sample(const Bytes& out, size_t frame, int channel) {
    size_t i = frame * 4 + static_cast<size_t>(channel) * 2;
    return static_cast<int16_t>(out[i] | out[i + 1] << 8);
}

FadeFigures measure(const Bytes& out, size_t stop, int channel) {
    FadeFigures f;
    size_t frames = out.size() / 4;
    const size_t ms = kDeviceRate / 1000;
    if (stop > frames || stop < 300 * ms) return f;
    // Envelope: the peak within half a sine period either side of each frame.
    std::vector<int> env(frames, 0);
    for (size_t i = 0; i < frames; ++i) {
        size_t a = i >= kPeriodFrames / 2 ? i - kPeriodFrames / 2 : 0, b = std::min(frames, i + kPeriodFrames / 2 + 1);
        int peak = 0;
        for (size_t j = a; j < b; ++j) peak = std::max(peak, std::abs(static_cast<int>(sample(out, j, channel))));
        env[i] = peak;
    }
    f.level = *std::max_element(env.begin(), env.begin() + static_cast<long>(stop));
    if (f.level <= 0) return f;
    size_t t90 = stop;
    while (t90 > 0 && env[t90 - 1] < 0.9 * f.level) --t90;
    if (t90 == 0) return f;
    --t90;
    size_t t03 = t90;
    while (t03 < stop && env[t03] > 0.03 * f.level) ++t03;
    if (t90 < 250 * ms || t03 >= stop) return f;
    f.found = true;
    f.t90 = t90;
    f.ramp_ms = static_cast<double>(t03 - t90) / ms;
    f.before = *std::min_element(env.begin() + static_cast<long>(t90 - 60 * ms), env.begin() + static_cast<long>(t90 - 12 * ms)) / f.level;
    size_t t99 = t90, t0 = t03;
    while (t99 > 0 && env[t99] < 0.99 * f.level) --t99;
    while (t0 < stop && env[t0] >= 0.001 * f.level) ++t0;
    f.whole_ms = static_cast<double>(t0 - t99) / ms;
    auto peak_in = [&](size_t a, size_t b) {
        int p = 0;
        for (size_t i = a; i < b; ++i) p = std::max(p, std::abs(static_cast<int>(sample(out, i, channel))));
        return p;
    };
    auto step_in = [&](size_t a, size_t b) {
        int s = 0;
        for (size_t i = a + 1; i < b; ++i) s = std::max(s, std::abs(sample(out, i, channel) - sample(out, i - 1, channel)));
        return s;
    };
    f.after_ramp = peak_in(t03, stop) / f.level;
    f.last_10ms = peak_in(stop - 10 * ms, stop) / f.level;
    f.sine_step = step_in(t90 - 200 * ms, t90 - 10 * ms);
    f.max_step = step_in(t90 - 10 * ms, std::min(frames, stop + 10 * ms));
    f.silent_after_stop = peak_in(stop, frames) == 0;
    return f;
}

// The first byte of the capture that is not silence, or its size when there is none.
size_t first_sound_byte(const Bytes& out) {
    size_t first = 0;
    while (first + 4 <= out.size() && out[first] == 0 && out[first + 1] == 0 && out[first + 2] == 0 && out[first + 3] == 0)
        first += 4;
    return first + 4 <= out.size() ? first : out.size();
}

// Until the capture holds `bytes` of the sound itself, counted from its first sound (the device
// plays silence until the streaming thread starts, which a busy machine delays).
bool wait_for_sound(const DiskDevice& disk, size_t bytes) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (;;) {
        Bytes out = read_bytes(disk.output);
        size_t first = first_sound_byte(out);
        if (first < out.size() && out.size() >= first + bytes) return true;
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// Plays a 2.5 s sine, fades and stops it after 0.4 s as a scene change does, and checks the
// capture. `late_worker`: the fade worker is held back until 0.8 s more has been played.
void fade_and_check(const FadeCase& c, bool late_worker) {
    TempGameDir dir;
    DiskDevice disk(dir.path + "/device.raw");
    WaveFileFormat wave;
    wave.rate = c.rate;
    wave.channels = c.channels;
    ASSERT_TRUE(dir.put("sine.wav", make_wave(wave, scramble_payload(sine_payload(wave, 2.5, kSineHz, kSinePeak)))));

    ASSERT_EQ(init_sound(), 0);
    // A check that fails half-way leaves the player shut down, not playing into the next case.
    struct ShutDown {
        ~ShutDown() {
            hold_fade_thread(false);
            shutdown_sound();
        }
    } shut_down;
    ASSERT_EQ(play_sound("sine.wav"), 0);
    ASSERT_TRUE(wait_for_sound(disk, kDiskBytesPerSecond * 4 / 10)) << "the sound plays for 0.4 s";
    // A scene change: the fade, the next picture (here nothing), the stop.
    hold_fade_thread(late_worker);
    const size_t asked_at = read_bytes(disk.output).size() / 4;  // frame of the capture at the fade
    ASSERT_EQ(fade_out_sound(), 0);
    if (late_worker) {
        bool played_on = disk.wait_for_size(asked_at * 4 + kDiskBytesPerSecond * 8 / 10);
        hold_fade_thread(false);
        ASSERT_TRUE(played_on);
    }
    ASSERT_EQ(stop_sound(), 0);
    int64_t given = audio_device_frames_of_last_stop();
    ASSERT_GT(given, 0);
    uint64_t size_at_stop = read_bytes(disk.output).size();
    ASSERT_TRUE(disk.wait_for_size(size_at_stop + kDiskBytesPerSecond / 20)) << "50 ms after the stop";
    shutdown_sound();
    Bytes out = read_bytes(disk.output);
    // The sound starts at the first frame that is not silent (the sine starts at 0, so one
    // frame later, at most); the stop comes as many frames later as the sound gave the device.
    size_t first = first_sound_byte(out);
    ASSERT_LT(first, out.size()) << "the sound was heard";
    size_t stop = first / 4 - 1 + static_cast<size_t>(given);

    for (int channel = 0; channel < 2; ++channel) {
        SCOPED_TRACE(channel == 0 ? "left" : "right");
        FadeFigures f = measure(out, stop, channel);
        ASSERT_TRUE(f.found) << "a fade from full level in the capture, before the stop";
        std::printf("fade %u Hz %s ch%d: level %.0f, before ramp %.3f, ramp 90%%->3%% %.1f ms (99%%->0.1%% %.1f ms), "
                    "after ramp %.4f, last 10 ms before stop %.4f, max step %d (sine %d)\n",
                    c.rate, c.channels == 1 ? "mono" : "stereo", channel, f.level, f.before, f.ramp_ms, f.whole_ms,
                    f.after_ramp, f.last_10ms, f.max_step, f.sine_step);
        EXPECT_NEAR(f.level, kSinePeak, kSinePeak * 0.03) << "the sound at its own level";
        // 60 ms ahead of the play position, which is at most one device period (23 ms) ahead of
        // the capture; the rest is room for a busy machine between the two.
        EXPECT_LT(f.t90, asked_at + kDeviceRate * 3 / 10) << "the ramp begins about 60 ms after the fade is asked for";
        EXPECT_GE(f.before, 0.97) << "full level until the ramp";
        EXPECT_GE(f.ramp_ms, 60.0);
        EXPECT_LE(f.ramp_ms, 140.0);
        EXPECT_LE(f.after_ramp, 0.03) << "the ramp goes down to silence and stays there";
        EXPECT_LT(f.last_10ms, 0.03) << "the stop comes after the ramp, not during it";
        EXPECT_LE(f.max_step, f.sine_step * 1.02 + 20) << "no step larger than the sine's own: no click";
        EXPECT_TRUE(f.silent_after_stop);
    }
}

class SoundDeviceFade : public testing::TestWithParam<FadeCase> {};

TEST_P(SoundDeviceFade, RampIsHeardWholeAndEndsInSilenceBeforeTheStop) { fade_and_check(GetParam(), false); }

INSTANTIATE_TEST_SUITE_P(Rates, SoundDeviceFade,
                         testing::Values(FadeCase{8000, 1}, FadeCase{8000, 2}, FadeCase{11025, 1}, FadeCase{11025, 2},
                                         FadeCase{22050, 1}, FadeCase{22050, 2}, FadeCase{32000, 1},
                                         FadeCase{32000, 2}, FadeCase{44100, 1}, FadeCase{44100, 2},
                                         FadeCase{48000, 1}, FadeCase{48000, 2}),
                         case_name);

// An output that falls behind the clock, as SDL's audio thread does on a loaded machine: the disk
// device here plays each 23 ms period only every 40 ms. The stop waits for the output, however
// far behind the clock, and the ramp is still heard whole before it.
TEST(SoundDeviceFadeLate, OutputSlowerThanTheClockStillHearsTheWholeRamp) {
    setenv("SDL_DISKAUDIODELAY", "40", 1);
    fade_and_check(FadeCase{22050, 2}, false);
    unsetenv("SDL_DISKAUDIODELAY");
}

// A fade worker that runs late changes nothing that is heard: the ramp starts 60 ms after the
// request, and after it comes only silence, here for 0.8 s until the worker stops the sound.
TEST(SoundDeviceFadeLate, WorkerHeldBackStillHearsTheRampThenOnlySilence) {
    for (FadeCase c : {FadeCase{22050, 2}, FadeCase{44100, 1}}) {  // resampled; at the device's rate
        SCOPED_TRACE(testing::PrintToString(c));
        fade_and_check(c, true);
        hold_fade_thread(false);
    }
}

}  // namespace
