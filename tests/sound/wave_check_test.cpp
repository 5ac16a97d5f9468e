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

}  // namespace
