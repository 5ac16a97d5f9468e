// The sound player on the manually clocked output: descrambled streaming across many refills,
// short and exact-length sounds, restarts, fades, failures and the silent mode.
#include <dirent.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "common/flags.h"
#include "platform/audio/audio.h"
#include "sound/fade.h"
#include "sound/sound.h"
#include "support/sound_fixtures.h"

namespace {

constexpr uint32_t kSettleMs = 5000;

WaveFileFormat format(uint16_t channels, uint32_t rate, uint16_t bits) {
    WaveFileFormat s;
    s.channels = channels;
    s.rate = rate;
    s.bits = bits;
    return s;
}

int open_fd_count() {
    int n = 0;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (readdir(d)) ++n;
        closedir(d);
    }
    return n;
}

int16_t sample_at(const Bytes& b, size_t offset) {
    return static_cast<int16_t>(b[offset] | b[offset + 1] << 8);
}

// A game folder and a started player on the manual output.
struct PlayerTest : testing::Test {
    TempGameDir dir;
    void SetUp() override {
        audio_use_manual(true);
        ASSERT_EQ(init_sound(), 0);
        ASSERT_EQ(sound_available, 1);
    }
    void TearDown() override {
        shutdown_sound();
        EXPECT_EQ(sound_available, 0);
        audio_use_manual(false);
    }
    // Stores a sound with a scrambled payload and returns the plain payload.
    Bytes put_sound(const std::string& name, const WaveFileFormat& wave, size_t bytes, uint32_t seed) {
        Bytes plain = pattern_bytes(bytes, seed);
        EXPECT_TRUE(dir.put(name, make_wave(wave, scramble_payload(plain))));
        return plain;
    }
    // Starts a sound and waits until its streaming thread is ready for the play position to move.
    void start(const char* name) {
        ASSERT_EQ(play_sound(name), 0) << name;
        ASSERT_TRUE(audio_manual_settle(kSettleMs)) << "the streaming thread did not get ready";
    }
    // Moves the play position by `bytes` and returns what played.
    Bytes play_for(uint32_t bytes) {
        audio_manual_advance(bytes);
        return audio_manual_take_played();
    }
};

TEST_F(PlayerTest, LongSoundComesOutDescrambledAcrossManyRefillsThenSilence) {
    WaveFileFormat wave = format(1, 11025, 16);  // 22,050 bytes a second: the key index moves on by 2 per half
    uint32_t second = bytes_per_second(wave);
    Bytes plain = put_sound("long.wav", wave, second * 53 / 10, 11);
    start("long.wav");
    Bytes played = play_for(second * 8);
    ASSERT_EQ(played.size(), second * 8u);
    EXPECT_TRUE(std::equal(plain.begin(), plain.end(), played.begin())) << "the payload, byte for byte";
    for (size_t i = plain.size(); i < played.size(); ++i)
        ASSERT_EQ(played[i], 0) << "silence after the payload, at byte " << i;
}

TEST_F(PlayerTest, ShortAndTwoSecondSoundsPlayOnceThenSilence) {
    struct Case {
        const char* name;
        WaveFileFormat wave;
        uint32_t tenths;  // length in tenths of a second
        unsigned char silence;
    };
    const Case cases[] = {
        {"short16.wav", format(2, 8000, 16), 3, 0x00},
        {"short8.wav", format(1, 8000, 8), 7, 0x80},
        {"two.wav", format(2, 8000, 16), 20, 0x00},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        uint32_t second = bytes_per_second(c.wave);
        Bytes plain = put_sound(c.name, c.wave, second * c.tenths / 10, 21);
        start(c.name);
        Bytes played = play_for(second * 7);
        ASSERT_EQ(played.size(), second * 7u);
        EXPECT_TRUE(std::equal(plain.begin(), plain.end(), played.begin()));
        size_t wrong = 0;
        for (size_t i = plain.size(); i < played.size(); ++i) wrong += played[i] != c.silence;
        EXPECT_EQ(wrong, 0u) << "silence (the format's own) until the sound is stopped";
        EXPECT_EQ(stop_sound(), 0);
    }
}

TEST_F(PlayerTest, NewSoundRestartsFromItsFirstByteWithTheKeyAtZero) {
    WaveFileFormat wave = format(1, 8000, 16);
    uint32_t second = bytes_per_second(wave);
    Bytes first = put_sound("a.wav", wave, second * 3, 31);
    Bytes second_sound = put_sound("b.wav", wave, second * 3 / 2 + 7, 32);
    start("a.wav");
    Bytes played = play_for(second * 3 / 2 + 6);  // stop partway, key index not at 0
    EXPECT_TRUE(std::equal(played.begin(), played.end(), first.begin()));
    start("b.wav");  // no fade first: the old sound stops at once
    played = play_for(second * 2);
    EXPECT_TRUE(std::equal(second_sound.begin(), second_sound.end(), played.begin()));
    start("a.wav");
    played = play_for(second);
    EXPECT_TRUE(std::equal(played.begin(), played.end(), first.begin())) << "a sound played again starts over";
}

TEST_F(PlayerTest, FailedLockReplaysTheHalfAndRetriesAtItsNextTurn) {
    WaveFileFormat wave = format(1, 8000, 8);
    uint32_t sec = bytes_per_second(wave);
    Bytes plain = put_sound("s.wav", wave, sec * 4, 41);
    start("s.wav");
    audio_fail_next_locks(1);  // the first half's refill at the middle
    Bytes played = play_for(sec * 5);
    auto piece = [&](const Bytes& b, uint32_t n) { return Bytes(b.begin() + n * sec, b.begin() + (n + 1) * sec); };
    EXPECT_EQ(piece(played, 0), piece(plain, 0));
    EXPECT_EQ(piece(played, 1), piece(plain, 1));
    EXPECT_EQ(piece(played, 2), piece(plain, 0)) << "the half that could not be locked plays again";
    EXPECT_EQ(piece(played, 3), piece(plain, 2));
    EXPECT_EQ(piece(played, 4), piece(plain, 3));
}

TEST(FadeArithmetic, SpansAreWholeFramesOfEachDuration) {
    WaveFormatEx stereo{1, 2, 44100, 176400, 4, 16, 0};
    FadeSpans s = fade_spans(stereo);
    EXPECT_EQ(s.ahead, 10584u);
    EXPECT_EQ(s.ramp, 17640u);
    EXPECT_EQ(s.span, 70560u);
    WaveFormatEx mono{1, 1, 11025, 22050, 2, 16, 0};
    s = fade_spans(mono);
    EXPECT_EQ(s.ahead, 1322u);
    EXPECT_EQ(s.ramp, 2204u);
    EXPECT_EQ(s.span, 8820u);
}

// Fades at a play position chosen so the ramp runs over the end of the buffer, and checks every
// sample of the faded span and its neighbours against the content the buffer held.
TEST_F(PlayerTest, FadeRampsSamplesAcrossTheBufferWrapAndStopsBySelf) {
    for (uint16_t channels : {2, 1}) {
        SCOPED_TRACE(channels);
        WaveFileFormat wave = format(channels, channels == 2 ? 44100 : 11025, 16);
        uint32_t sec = bytes_per_second(wave), size = 2 * sec, block = channels * 2;
        Bytes plain = put_sound("f.wav", wave, sec * 7 / 2, 51);
        WaveFormatEx wf{1, channels, wave.rate, sec, static_cast<uint16_t>(block), 16, 0};
        FadeSpans f = fade_spans(wf);
        uint32_t into_ramp = f.ramp / 2 - (f.ramp / 2) % block;  // ramp frames before the wrap
        uint32_t position = size - f.ahead - into_ramp;
        start("f.wav");
        play_for(position);
        int stops = audio_manual_last_stop().stops;
        ASSERT_EQ(fade_out_sound(), 0);
        EXPECT_EQ(fade_out_sound(), 0) << "a second fade while one runs does nothing";
        ASSERT_TRUE(audio_manual_wait_stops(stops + 1, kSettleMs)) << "the fade stops the buffer itself";
        AudioManualSnapshot snap = audio_manual_last_stop();
        ASSERT_EQ(snap.content.size(), size);
        EXPECT_EQ(snap.play_position, position);
        EXPECT_EQ(stop_sound(), 0);
        // What each buffer offset held: the second half has second 1, the first half second 2.
        auto original = [&](uint32_t o) { return o >= sec ? sample_at(plain, o) : sample_at(plain, 2 * sec + o); };
        uint32_t start_offset = (position + f.ahead) % size;
        int checked_ramp = 0;
        for (int64_t p = -static_cast<int64_t>(block); p < f.span + block; p += 2) {
            uint32_t o = static_cast<uint32_t>((start_offset + p + size) % size);
            int16_t s = original(o);
            int64_t frame_p = p - (p % block);
            int16_t want = s;
            if (p >= 0 && frame_p < f.ramp)
                want = static_cast<int16_t>(static_cast<double>(s) * (f.ramp - frame_p) / f.ramp);
            else if (p >= 0 && p < f.span)
                want = 0;
            ASSERT_EQ(sample_at(snap.content, o), want) << "p " << p << " offset " << o;
            checked_ramp += p >= 0 && frame_p < f.ramp;
        }
        EXPECT_EQ(checked_ramp, static_cast<int>(f.ramp / 2));
        // The three named points: untouched at p = 0, halved at mid-ramp, silent after it; the
        // ramp crosses the end of the buffer.
        EXPECT_EQ(sample_at(snap.content, start_offset), original(start_offset));
        uint32_t mid = (start_offset + f.ramp / 2) % size;
        EXPECT_LT(mid, start_offset) << "mid-ramp lies past the wrap";
        EXPECT_EQ(sample_at(snap.content, mid), static_cast<int16_t>(original(mid) * 0.5));
        EXPECT_EQ(sample_at(snap.content, (start_offset + f.ramp) % size), 0);
    }
}

TEST_F(PlayerTest, EightBitAndManyChannelSoundsAreNotRamped) {
    struct Case {
        const char* name;
        WaveFileFormat wave;
        bool fade_stops;  // the fade thread itself stops the buffer
    };
    const Case cases[] = {{"eight.wav", format(2, 8000, 8), false}, {"quad.wav", format(4, 8000, 16), true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        uint32_t sec = bytes_per_second(c.wave);
        Bytes plain = put_sound(c.name, c.wave, sec * 3, 61);
        start(c.name);
        play_for(sec / 2);
        int stops = audio_manual_last_stop().stops;
        ASSERT_EQ(fade_out_sound(), 0);
        if (c.fade_stops) {
            EXPECT_TRUE(audio_manual_wait_stops(stops + 1, kSettleMs));
        }
        EXPECT_EQ(stop_sound(), 0);
        AudioManualSnapshot snap = audio_manual_last_stop();
        EXPECT_EQ(snap.stops, stops + 1);
        EXPECT_TRUE(std::equal(plain.begin(), plain.begin() + 2 * sec, snap.content.begin()))
            << "the buffer still holds the first two seconds unchanged";
    }
}

TEST_F(PlayerTest, UnplayableSoundsFailQuietlyAndReleaseEverything) {
    ASSERT_TRUE(dir.put("text.wav", Bytes{'n', 'o', 't', ' ', 'a', ' ', 'w', 'a', 'v', 'e'}));
    WaveFileFormat deep = format(2, 8000, 24);
    ASSERT_TRUE(dir.put("deep.wav", make_wave(deep, pattern_bytes(6000, 1))));
    WaveFileFormat mono = format(1, 8000, 16);
    Bytes plain = put_sound("good.wav", mono, 4000, 71);
    int fds = open_fd_count();
    for (int round = 0; round < kMaxAudioBuffers + 2; ++round) {
        EXPECT_EQ(play_sound("missing.wav"), -1);
        EXPECT_EQ(play_sound(""), -1) << "the data folder itself";
        EXPECT_EQ(play_sound("text.wav"), -1);
        EXPECT_EQ(play_sound("deep.wav"), -1) << "a format the output refuses";
    }
    EXPECT_EQ(open_fd_count(), fds) << "no file stays open";
    EXPECT_EQ(fade_out_sound(), 0) << "nothing loaded";
    EXPECT_EQ(stop_sound(), 0);
    EXPECT_EQ(stop_sound(), 0);
    start("good.wav");  // buffers were given back: a good sound still plays
    Bytes played = play_for(8000);
    EXPECT_TRUE(std::equal(plain.begin(), plain.end(), played.begin()));
}

TEST(PlayerSilent, EveryOperationIsANoOpWithoutSound) {
    TempGameDir dir;
    WaveFileFormat mono = format(1, 8000, 16);
    ASSERT_TRUE(dir.put("s.wav", make_wave(mono, pattern_bytes(4000, 3))));
    const char* old = std::getenv("SDL_AUDIODRIVER");
    std::string saved = old ? old : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_EQ(init_sound(), -1) << "no device can be opened";
    if (old) setenv("SDL_AUDIODRIVER", saved.c_str(), 1); else unsetenv("SDL_AUDIODRIVER");
    EXPECT_EQ(sound_available, 0);
    audio_use_manual(true);
    ASSERT_EQ(audio_open(), S_OK);  // an output exists, yet the player must not use it
    EXPECT_EQ(play_sound("s.wav"), 0);
    EXPECT_EQ(play_sound("missing.wav"), 0);
    EXPECT_EQ(fade_out_sound(), 0);
    EXPECT_FALSE(audio_manual_settle(50)) << "nothing plays";
    EXPECT_EQ(stop_sound(), 0);
    shutdown_sound();
    EXPECT_EQ(sound_available, 0);
    audio_close();
    audio_use_manual(false);
}

}  // namespace
