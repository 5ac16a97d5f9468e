// An audio device that goes away while a sound plays (a headset unplugged, the sound server
// gone): the player never waits for a play position that stands still, the game goes on
// silently, and the next sound is played on the device that is there now, or, when none can be
// opened, on the first device that opens at a later sound. SDL's disk driver stands in for the
// device and writes what it plays to a file.
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
    ASSERT_TRUE(disk.wait_for_size(kDiskBytesPerSecond / 4)) << "the sound plays";
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
    EXPECT_TRUE(disk.wait_for_samples(next, 3000)) << "the next sound is heard, plain";

    // Gone again while it plays: the shutdown's fade and stop do not wait for it either.
    audio_simulate_device_removed();
    must_return("shutdown_sound", [] { shutdown_sound(); });
    EXPECT_EQ(sound_available, 0);
}

TEST(SoundDeviceRemoval, WhileNoDeviceOpensSoundsFailQuietlyAndNothingWaits) {
    TempGameDir dir;
    WaveFileFormat wave;
    ASSERT_TRUE(dir.put("a.wav", make_wave(wave, scramble_payload(pattern_bytes(bytes_per_second(wave), 5)))));
    ASSERT_EQ(init_sound(), 0);  // the dummy driver of the test environment
    ASSERT_EQ(play_sound("a.wav"), 0);
    audio_simulate_device_removed();
    audio_fail_next_opens(1000);  // no device can take its place
    // Every step of a few scene changes returns at once; the sound cannot be played, quietly.
    for (int i = 0; i < 3; ++i) {
        int started = 0;
        must_return("a scene change's sound calls", [&started] {
            EXPECT_EQ(fade_out_sound(), 0);
            EXPECT_EQ(stop_sound(), 0);
            started = play_sound("a.wav");
        });
        EXPECT_EQ(started, -1) << "nothing to play it on";
        EXPECT_STREQ(loaded_sound_name(), "") << "nothing stays loaded";
        EXPECT_TRUE(audio_device_removed());
        EXPECT_EQ(sound_available, 1) << "the player is up and tries again at the next sound";
    }
    must_return("shutdown_sound", [] { shutdown_sound(); });
    EXPECT_EQ(sound_available, 0);
}

TEST(SoundDeviceRemoval, AFailedReopenIsTriedAgainOncePerSoundUntilADeviceOpens) {
    TempGameDir dir;
    DiskDevice disk(dir.path + "/device.raw");
    WaveFileFormat wave;
    ASSERT_TRUE(dir.put("long.wav", make_wave(wave, scramble_payload(pattern_bytes(bytes_per_second(wave) * 6, 6)))));
    Bytes later = pattern_bytes(bytes_per_second(wave) / 2, 7);
    ASSERT_TRUE(dir.put("later.wav", make_wave(wave, scramble_payload(later))));

    ASSERT_EQ(init_sound(), 0);
    ASSERT_EQ(play_sound("long.wav"), 0);
    ASSERT_TRUE(disk.wait_for_size(kDiskBytesPerSecond / 4)) << "the sound plays";
    audio_simulate_device_removed();
    audio_fail_next_opens(2);  // the next two opens fail, the one after works
    EXPECT_EQ(play_sound("later.wav"), -1) << "the reopen failed";
    EXPECT_TRUE(audio_device_removed());
    EXPECT_EQ(sound_available, 1);
    EXPECT_EQ(play_sound("later.wav"), -1) << "one more try, which fails too: one open per sound";
    EXPECT_EQ(play_sound("later.wav"), 0) << "the third sound finds a device";
    EXPECT_FALSE(audio_device_removed());
    EXPECT_TRUE(disk.wait_for_samples(later, 3000)) << "and is heard, plain";
    must_return("shutdown_sound", [] { shutdown_sound(); });
    EXPECT_EQ(sound_available, 0);
}

}  // namespace
