// The authoring tool's sound check: what opens, what fades, and a reason for what does not.
#include <gtest/gtest.h>

#include "sound/wave_check.h"
#include "support/sound_fixtures.h"

namespace {

TEST(WaveCheck, TellsWhatPlaysAndWhatFades) {
    TempGameDir dir;
    WaveFileFormat stereo16, mono8, quad16, deep;
    mono8.channels = 1;
    mono8.bits = 8;
    quad16.channels = 4;
    deep.bits = 24;
    ASSERT_TRUE(dir.put("stereo16.wav", make_wave(stereo16, pattern_bytes(176400, 1))));
    ASSERT_TRUE(dir.put("mono8.wav", make_wave(mono8, pattern_bytes(100, 1))));
    ASSERT_TRUE(dir.put("quad16.wav", make_wave(quad16, pattern_bytes(160, 1))));
    ASSERT_TRUE(dir.put("deep.wav", make_wave(deep, pattern_bytes(60, 1))));
    ASSERT_TRUE(dir.put("text.wav", Bytes{'h', 'i'}));

    WaveCheck c = check_wave_file("data\\stereo16.wav");
    EXPECT_TRUE(c.opens);
    EXPECT_TRUE(c.fadable);
    EXPECT_EQ(c.reason, "PCM 44100 Hz, 16-bit, 2 channels, 1.00 s");
    c = check_wave_file((dir.path + "/data/stereo16.wav").c_str());
    EXPECT_TRUE(c.opens) << "an absolute path of the authoring machine";

    for (const char* name : {"data/mono8.wav", "data/quad16.wav"}) {
        c = check_wave_file(name);
        EXPECT_TRUE(c.opens) << name;
        EXPECT_FALSE(c.fadable) << name;
        EXPECT_NE(c.reason.find("no fade-out"), std::string::npos) << c.reason;
    }
    c = check_wave_file("data/deep.wav");
    EXPECT_FALSE(c.opens);
    EXPECT_NE(c.reason.find("bits"), std::string::npos) << c.reason;
    for (const char* name : {"data/text.wav", "data/missing.wav", ""}) {
        c = check_wave_file(name);
        EXPECT_FALSE(c.opens) << name;
        EXPECT_FALSE(c.reason.empty());
    }
}

// The 22 extra bytes of an extensible header: valid bits, channel mask, sub-format GUID of tag.
Bytes extensible_extra(uint16_t valid_bits, uint16_t tag) {
    Bytes e = {static_cast<unsigned char>(valid_bits), 0, 0x3F, 0, 0, 0, static_cast<unsigned char>(tag), 0,
               0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    return e;
}

TEST(WaveCheck, ExtensibleHeaderPlaysAsPcmAndOtherFormatsAreNamed) {
    TempGameDir dir;
    WaveFileFormat six, deep, floating;
    six.format_tag = floating.format_tag = deep.format_tag = 0xFFFE;
    six.channels = 6;
    six.extra = extensible_extra(16, 1);
    deep.bits = 24;
    deep.extra = extensible_extra(24, 1);
    floating.bits = 32;
    floating.extra = extensible_extra(32, 3);
    ASSERT_TRUE(dir.put("six.wav", make_wave(six, pattern_bytes(1200, 1))));
    ASSERT_TRUE(dir.put("deep.wav", make_wave(deep, pattern_bytes(600, 1))));
    ASSERT_TRUE(dir.put("float.wav", make_wave(floating, pattern_bytes(800, 1))));
    ASSERT_TRUE(dir.put("song.wav", Bytes{'I', 'D', '3', 4, 0, 0, 0, 0, 0, 0}));
    ASSERT_TRUE(dir.put("song2.wav", Bytes{'O', 'g', 'g', 'S', 0, 2, 0, 0, 0, 0}));

    WaveCheck c = check_wave_file("data\\six.wav");
    EXPECT_TRUE(c.opens) << c.reason;
    EXPECT_FALSE(c.fadable);
    EXPECT_EQ(c.format, "PCM 44100 Hz, 16-bit, 6 channels, 0.00 s (extensible header)");
    const struct {
        const char* name;
        const char* words;
    } refused[] = {{"data\\deep.wav", "24-bit PCM"},
                   {"data\\float.wav", "32-bit floating point"},
                   {"data\\song.wav", "an MP3 file, not a RIFF WAVE"},
                   {"data\\song2.wav", "an Ogg file"}};
    for (const auto& r : refused) {
        c = check_wave_file(r.name);
        EXPECT_FALSE(c.opens) << r.name;
        EXPECT_NE(c.reason.find(r.words), std::string::npos) << r.name << ": " << c.reason;
    }
}

}  // namespace
