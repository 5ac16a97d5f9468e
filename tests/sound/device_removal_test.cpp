// An audio device that goes away while a sound plays (a headset unplugged, the sound server
// gone): the player never waits for a play position that stands still, the game goes on
// silently, and the next sound is played on the device that is there now. SDL's disk driver
// stands in for the device and writes what it plays to a file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <string>
#include <thread>

#include "common/flags.h"
#include "platform/audio/audio.h"
#include "sound/sound.h"
#include "support/sound_fixtures.h"

namespace {

constexpr uint32_t kDeviceBytesPerSecond = 44100 * 4;  // what the player asks of the device
constexpr int kHangMs = 5000;  // far beyond any wait of the player (the fade's is 160 ms)

// Runs what on its own thread; a call that has not returned after kHangMs counts as hung, and
// the test program ends there rather than hanging the run.
void must_return(const char* what, std::function<void()> call) {
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> returned = done->get_future();
    std::thread([call, done] {
        call();
        done->set_value();
    }).detach();
    if (returned.wait_for(std::chrono::milliseconds(kHangMs)) == std::future_status::ready) return;
    ADD_FAILURE() << what << " hung after the device went away";
    std::fprintf(stderr, "%s hung after the device went away\n", what);
    std::_Exit(1);
}


TEST(SoundDeviceRemoval, NoWaitHangsAndTheNextSoundPlaysOnTheDeviceOfNow) {
    TempGameDir dir;
    DiskDevice disk(dir.path + "/device.raw");
    WaveFileFormat wave;  // 44,100 Hz 16-bit stereo, the device's format
    ASSERT_TRUE(dir.put("long.wav", make_wave(wave, scramble_payload(pattern_bytes(bytes_per_second(wave) * 6, 3)))));
    Bytes next = pattern_bytes(bytes_per_second(wave) / 2, 4);
    ASSERT_TRUE(dir.put("next.wav", make_wave(wave, scramble_payload(next))));

    ASSERT_EQ(init_sound(), 0);
    ASSERT_EQ(play_sound("long.wav"), 0);
    ASSERT_TRUE(disk.wait_for_size(kDeviceBytesPerSecond / 4)) << "the sound plays";
    audio_simulate_device_removed();
    EXPECT_TRUE(audio_device_removed());

    // A scene change: fade, then stop, on a device whose play position no longer moves.
    must_return("fade_out_sound and stop_sound", [] {
        EXPECT_EQ(fade_out_sound(), 0);
        EXPECT_EQ(stop_sound(), 0);
    });
    EXPECT_EQ(sound_available, 1) << "the game goes on";
    // The next sound opens the device that is there now (the disk driver again) and plays.
    int started = -2;
    must_return("play_sound", [&started] { started = play_sound("next.wav"); });
    EXPECT_EQ(started, 0);
    EXPECT_FALSE(audio_device_removed()) << "a device of now took the old one's place";
    EXPECT_TRUE(disk.wait_for_samples(next)) << "the next sound is heard, plain";

    // Gone again while it plays: the shutdown's fade and stop do not wait for it either.
    audio_simulate_device_removed();
    must_return("shutdown_sound", [] { shutdown_sound(); });
    EXPECT_EQ(sound_available, 0);
}

TEST(SoundDeviceRemoval, PlayingStopsQuietlyWhenNothingReplacesTheDevice) {
    TempGameDir dir;
    WaveFileFormat wave;
    ASSERT_TRUE(dir.put("a.wav", make_wave(wave, scramble_payload(pattern_bytes(bytes_per_second(wave), 5)))));
    ASSERT_EQ(init_sound(), 0);  // the dummy driver of the test environment
    ASSERT_EQ(play_sound("a.wav"), 0);
    audio_simulate_device_removed();
    // Every step of a few scene changes returns at once, whatever the device does.
    for (int i = 0; i < 3; ++i) {
        must_return("a scene change's sound calls", [] {
            fade_out_sound();
            stop_sound();
            play_sound("a.wav");
            audio_simulate_device_removed();
        });
    }
    must_return("shutdown_sound", [] { shutdown_sound(); });
}

}  // namespace
