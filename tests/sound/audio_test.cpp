// The audio output stand-in: wrapping locks, the three notifications, formats, device opening.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/audio/audio.h"
#include "support/sound_fixtures.h"

namespace {

WaveFormatEx pcm(uint16_t channels, uint32_t rate, uint16_t bits) {
    uint16_t align = static_cast<uint16_t>(channels * bits / 8);
    return WaveFormatEx{1, channels, rate, rate * align, align, bits, 0};
}

// The indices of the events now signalled (consuming them), found by waiting with a probe
// event set last: the wait returns the real events first.
std::vector<int> drain(Event* const* events, int count) {
    EventHandle probe = event_create();
    std::vector<Event*> all(events, events + count);
    all.push_back(probe.get());
    std::vector<int> out;
    for (;;) {
        event_set(probe.get());
        int i = event_wait_any(all.data(), count + 1);
        if (i == count) return out;
        out.push_back(i);
    }
}

struct ManualOutput {
    ManualOutput() {
        audio_use_manual(true);
        EXPECT_EQ(audio_open(), S_OK);
    }
    ~ManualOutput() {
        audio_close();
        audio_use_manual(false);
    }
};

TEST(AudioOutput, NotificationsFireAsThePlayPositionPassesTheirOffsets) {
    ManualOutput out;
    WaveFormatEx f = pcm(1, 8000, 16);
    AudioBuffer* b = nullptr;
    ASSERT_EQ(audio_buffer_create(&f, 1000, &b), S_OK);
    EventHandle e[3] = {event_create(), event_create(), event_create()};
    Event* ev[3] = {e[0].get(), e[1].get(), e[2].get()};
    const AudioNotify n[3] = {{0, ev[0]}, {500, ev[1]}, {kAudioOffsetStop, ev[2]}};
    ASSERT_EQ(audio_buffer_set_notifications(b, n, 3), S_OK);

    ASSERT_EQ(audio_buffer_play(b), S_OK);
    EXPECT_EQ(drain(ev, 3), std::vector<int>{0}) << "a start at offset 0 fires the offset-0 event";
    EXPECT_EQ(audio_buffer_set_notifications(b, n, 3), E_FAIL) << "not while playing";
    audio_manual_advance(499, false);
    EXPECT_TRUE(drain(ev, 3).empty());
    audio_manual_advance(1, false);
    EXPECT_EQ(drain(ev, 3), std::vector<int>{1}) << "reaching the middle";
    audio_manual_advance(499, false);
    EXPECT_TRUE(drain(ev, 3).empty());
    audio_manual_advance(2, false);
    EXPECT_EQ(drain(ev, 3), std::vector<int>{0}) << "wrapping to offset 0";
    uint32_t pos = 0;
    ASSERT_EQ(audio_buffer_position(b, &pos), S_OK);
    EXPECT_EQ(pos, 1u);
    audio_manual_advance(1200, false);  // one call passing both offsets fires both
    EXPECT_EQ(drain(ev, 3), (std::vector<int>{0, 1}));
    int stops = audio_manual_last_stop().stops;
    ASSERT_EQ(audio_buffer_stop(b), S_OK);
    ASSERT_EQ(audio_buffer_stop(b), S_OK);
    EXPECT_EQ(drain(ev, 3), std::vector<int>{2}) << "one stop event, only for a playing buffer";
    EXPECT_EQ(audio_manual_last_stop().stops, stops + 1);
    audio_manual_advance(100, false);
    EXPECT_EQ(audio_manual_take_played().size(), 499u + 1 + 499 + 2 + 1200) << "a stopped buffer plays nothing";
    audio_buffer_release(b);
    EXPECT_EQ(b, nullptr);
}

TEST(AudioOutput, LocksWrapIntoTwoRegionsAndWriteBackAtUnlock) {
    ManualOutput out;
    WaveFormatEx f8 = pcm(1, 8000, 8);
    AudioBuffer* b = nullptr;
    ASSERT_EQ(audio_buffer_create(&f8, 1000, &b), S_OK);
    AudioLock l;
    ASSERT_EQ(audio_buffer_lock(b, 900, 200, &l), S_OK);
    ASSERT_EQ(l.bytes1, 100u);
    ASSERT_EQ(l.bytes2, 100u);
    ASSERT_NE(l.region2, nullptr);
    EXPECT_EQ(l.region1[0], 0x80) << "an 8-bit buffer starts silent";
    for (uint32_t i = 0; i < 100; ++i) {
        l.region1[i] = static_cast<unsigned char>(i);
        l.region2[i] = static_cast<unsigned char>(100 + i);
    }
    AudioLock whole;
    ASSERT_EQ(audio_buffer_lock(b, 0, 1000, &whole), S_OK);
    EXPECT_EQ(whole.region2, nullptr);
    EXPECT_EQ(whole.region1[0], 0x80) << "writes reach the buffer only at unlock";
    ASSERT_EQ(audio_buffer_unlock(b, whole), S_OK);
    ASSERT_EQ(audio_buffer_unlock(b, l), S_OK);
    EXPECT_EQ(audio_buffer_unlock(b, l), E_INVALIDARG) << "a lock ends once";
    ASSERT_EQ(audio_buffer_play(b), S_OK);
    audio_manual_advance(1100, false);
    Bytes played = audio_manual_take_played();
    ASSERT_EQ(played.size(), 1100u);
    EXPECT_EQ(played[0], 100);
    EXPECT_EQ(played[99], 199);
    EXPECT_EQ(played[100], 0x80);
    EXPECT_EQ(played[900], 0);
    EXPECT_EQ(played[1000], 100) << "the loop comes round";

    EXPECT_EQ(audio_buffer_lock(b, 1000, 1, &l), E_INVALIDARG);
    EXPECT_EQ(audio_buffer_lock(b, 0, 1001, &l), E_INVALIDARG);
    audio_fail_next_locks(1);
    EXPECT_EQ(audio_buffer_lock(b, 0, 10, &l), E_FAIL);
    EXPECT_EQ(audio_buffer_lock(b, 0, 10, &l), S_OK);
    EXPECT_EQ(audio_buffer_unlock(b, l), S_OK);
    audio_buffer_release(b);
}

TEST(AudioOutput, RefusesFormatsItCannotPlay) {
    WaveFormatEx ok = pcm(2, 44100, 16);
    AudioBuffer* b = nullptr;
    EXPECT_EQ(audio_buffer_create(&ok, 1000, &b), E_FAIL) << "no device open";
    ManualOutput out;
    WaveFormatEx bad[] = {pcm(2, 44100, 24), pcm(0, 44100, 16), pcm(9, 44100, 16), pcm(1, 50, 16), ok, ok};
    bad[4].wFormatTag = 3;
    bad[5].nAvgBytesPerSec = 1000;
    for (const WaveFormatEx& f : bad) {
        EXPECT_EQ(audio_buffer_create(&f, 1000, &b), E_INVALIDARG) << f.wFormatTag << " " << f.nChannels;
        EXPECT_EQ(b, nullptr);
    }
    EXPECT_EQ(audio_buffer_create(&ok, 2, &b), E_INVALIDARG);
    AudioBuffer* many[kMaxAudioBuffers + 1] = {};
    for (AudioBuffer*& m : many) audio_buffer_create(&ok, 64, &m);
    EXPECT_EQ(many[kMaxAudioBuffers], nullptr) << "a full table refuses";
    for (AudioBuffer*& m : many) audio_buffer_release(m);
}

TEST(AudioOutput, DeviceOpensOnlyWithAUsableDriver) {
    const char* old = std::getenv("SDL_AUDIODRIVER");
    std::string saved = old ? old : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_EQ(audio_open(), E_FAIL);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    EXPECT_EQ(audio_open(), S_OK);
    WaveFormatEx mono8 = pcm(1, 11025, 8);
    AudioBuffer* b = nullptr;
    EXPECT_EQ(audio_buffer_create(&mono8, 22050, &b), S_OK) << "converted to the device format";
    audio_buffer_release(b);
    audio_close();
    if (old) setenv("SDL_AUDIODRIVER", saved.c_str(), 1); else unsetenv("SDL_AUDIODRIVER");
}

}  // namespace
