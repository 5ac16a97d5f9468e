// The fade-out in time and in the order of a scene change: the fade stops the sound only 160 ms
// after it starts, and a hot-spot that changes the scene and names a sound fades the old sound
// out while the new picture loads, stops it, and only then plays its own.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>

#include "common/flags.h"
#include "platform/audio/audio.h"
#include "platform/system/files.h"
#include "scenario/scenario.h"
#include "scene/hotspot.h"
#include "scene/transition.h"
#include "sound/fade.h"
#include "sound/sound.h"
#include "support/scene_fixtures.h"
#include "support/sound_fixtures.h"

namespace {

constexpr uint32_t kSettleMs = 5000;

using Clock = std::chrono::steady_clock;

int16_t sample_at(const Bytes& b, size_t offset) { return static_cast<int16_t>(b[offset] | b[offset + 1] << 8); }

// What the sound player looked like when the new scene's picture was opened.
struct AtPictureLoad {
    bool seen = false;
    std::string loaded;      // the sound loaded then
    int stops_before = 0;    // stops of the output before the click
    bool fade_stopped = false;  // the old sound stopped by itself while the picture was read
};
AtPictureLoad at_picture;

void watch_picture_open(const char* path) {
    if (std::strstr(path, "new.bmp") == nullptr || at_picture.seen) return;
    at_picture.seen = true;
    at_picture.loaded = loaded_sound_name();
    // Only a fade that is already running can stop the sound while this thread waits here.
    at_picture.fade_stopped = audio_manual_wait_stops(at_picture.stops_before + 1, 2000);
}

// A started player on the manual output in a game folder with two sounds and two pictures.
struct FadeOrderTest : testing::Test {
    TempGameDir dir;
    WaveFileFormat wave;  // 16-bit mono, 8000 Hz: 16,000 bytes a second
    uint32_t second = 0;
    Bytes old_sound, new_sound;

    void SetUp() override {
        reset_shared_flags();
        wave.channels = 1;
        wave.rate = 8000;
        wave.bits = 16;
        second = bytes_per_second(wave);
        old_sound = pattern_bytes(second * 4, 81);
        new_sound = pattern_bytes(second * 3, 82);
        ASSERT_TRUE(dir.put("old.wav", make_wave(wave, scramble_payload(old_sound))));
        ASSERT_TRUE(dir.put("new.wav", make_wave(wave, scramble_payload(new_sound))));
        for (const char* name : {"old.bmp", "new.bmp"}) {
            std::string bmp = make_solid_bmp(16, 16, name[0] == 'o' ? 0x112233 : 0x445566);
            ASSERT_TRUE(dir.put(name, scramble_payload(Bytes(bmp.begin(), bmp.end()))));
        }
        audio_use_manual(true);
        ASSERT_EQ(init_sound(), 0);
        ASSERT_EQ(create_scene_textures(), 0);
    }
    void TearDown() override {
        hold_fade_thread(false);
        observe_game_file_opens(nullptr);
        shutdown_sound();
        audio_use_manual(false);
        release_scene_textures();
        reset_shared_flags();
    }
    // Plays the old sound and moves its play position half a second on.
    void play_old() {
        ASSERT_EQ(play_sound("old.wav"), 0);
        ASSERT_TRUE(audio_manual_settle(kSettleMs));
        audio_manual_advance(second / 2);
        audio_manual_take_played();
    }
};

TEST_F(FadeOrderTest, TheFadeStopsTheSoundOnly160MsAfterItStarts) {
    // The fade's own stop.
    play_old();
    int stops = audio_manual_last_stop().stops;
    Clock::time_point start = Clock::now();
    ASSERT_EQ(fade_out_sound(), 0);
    ASSERT_TRUE(audio_manual_wait_stops(stops + 1, kSettleMs));
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(160))
        << "the play position must have reached the silence before the stop";
    EXPECT_EQ(stop_sound(), 0);

    // stop_sound right after the fade waits for it: the frame that changes the scene is held
    // for the rest of the 160 ms, and the sound ends faded, not cut.
    play_old();
    stops = audio_manual_last_stop().stops;
    start = Clock::now();
    ASSERT_EQ(fade_out_sound(), 0);
    EXPECT_EQ(stop_sound(), 0);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(160));
    AudioManualSnapshot snap = audio_manual_last_stop();
    EXPECT_EQ(snap.stops, stops + 1);
    const FadeSpans f = fade_spans(WaveFormatEx{1, 1, 8000, second, 2, 16, 0});
    const uint32_t silent = snap.play_position + f.ahead + f.ramp;  // no wrap: position is 0.5 s
    ASSERT_LE(silent + 2, snap.content.size());
    EXPECT_EQ(sample_at(snap.content, silent), 0) << "the ramp was written before the stop";
    EXPECT_NE(sample_at(old_sound, silent), 0);
}

// What is heard does not wait for the fade's worker: with the worker held back for a whole
// second, the output plays the sound for 60 ms, the ramp, and then only silence, its position
// standing at the end of the faded span; let go, the worker stops the sound.
TEST_F(FadeOrderTest, AFadeWorkerThatRunsLateChangesNothingThatIsHeard) {
    const FadeSpans f = fade_spans(WaveFormatEx{1, 1, 8000, second, 2, 16, 0});
    play_old();
    const uint32_t at = second / 2;  // the play position, in the sound and in the buffer
    int stops = audio_manual_last_stop().stops;
    hold_fade_thread(true);
    ASSERT_EQ(fade_out_sound(), 0);
    audio_manual_advance(second);
    Bytes played = audio_manual_take_played();
    EXPECT_EQ(audio_manual_last_stop().stops, stops) << "held back, the worker has not stopped anything";
    hold_fade_thread(false);
    ASSERT_TRUE(audio_manual_wait_stops(stops + 1, kSettleMs)) << "let go, the worker stops the sound";
    EXPECT_EQ(audio_manual_last_stop().play_position, at + f.ahead + f.span)
        << "the play position stood at the end of the faded span";
    EXPECT_EQ(stop_sound(), 0);

    ASSERT_EQ(played.size(), second);
    for (uint32_t p = 0; p < second; p += 2) {
        int16_t s = sample_at(old_sound, at + p);
        int16_t want = 0;
        if (p < f.ahead)
            want = s;
        else if (p < f.ahead + f.ramp)
            want = static_cast<int16_t>(static_cast<double>(s) * (f.ramp - (p - f.ahead)) / f.ramp);
        ASSERT_EQ(sample_at(played, p), want) << "byte " << p << " after the fade was asked for";
    }
}

TEST_F(FadeOrderTest, SceneLinkWithASoundFadesLoadsStopsThenPlays) {
    ASSERT_EQ(load_test_script("seq=0\nimg_nm=old.bmp\nrect=0,0,799,599\nnext_seq=1\nsnd_nm=new.wav\n"
                               "seq=1\nimg_nm=new.bmp\n"),
              0);
    scene_table.current_scene = 0;
    take_shortcut_backups();
    ASSERT_EQ(show_scene_image(nullptr, "old.bmp"), 0);
    draw_scene_image();
    draw_scene_image();  // the first picture at rest: presses count
    ASSERT_EQ(transition_active, 0);
    play_old();

    at_picture = AtPictureLoad{};
    at_picture.stops_before = audio_manual_last_stop().stops;
    observe_game_file_opens(watch_picture_open);
    left_click_pending = 1;
    click_x = click_y = 10;
    dispatch_click();
    observe_game_file_opens(nullptr);

    ASSERT_TRUE(at_picture.seen) << "the new scene's picture was read";
    EXPECT_EQ(at_picture.loaded, "old.wav") << "the old sound is stopped only after the picture is read, and the "
                                               "new one played after that";
    EXPECT_TRUE(at_picture.fade_stopped) << "the fade started before the picture was read and ran beside it";
    EXPECT_EQ(scene_table.current_scene, 1);
    EXPECT_EQ(transition_active, 1);

    // The new sound plays from its first byte: nothing stopped it after it started.
    EXPECT_STREQ(loaded_sound_name(), "new.wav");
    EXPECT_EQ(audio_manual_last_stop().stops, at_picture.stops_before + 1) << "the old sound stopped once";
    ASSERT_TRUE(audio_manual_settle(kSettleMs));
    audio_manual_advance(second);
    Bytes played = audio_manual_take_played();
    ASSERT_EQ(played.size(), second);
    EXPECT_TRUE(std::equal(played.begin(), played.end(), new_sound.begin()));
}

}  // namespace
