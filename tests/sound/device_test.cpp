// The player through the real SDL audio path, with SDL's disk driver writing what the device
// plays to a file: the plain samples must come out, and other formats are converted.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "common/flags.h"
#include "sound/sound.h"
#include "support/sound_fixtures.h"

namespace {

// Plays data/<name> on the disk device until `seconds` of output exist, and returns the output.
Bytes play_on_disk(const TempGameDir& dir, const char* name, double seconds) {
    DiskDevice disk(dir.path + "/device.raw");
    EXPECT_EQ(init_sound(), 0);
    EXPECT_EQ(play_sound(name), 0);
    EXPECT_TRUE(disk.wait_for_size(static_cast<uint64_t>(seconds * kDiskBytesPerSecond)));
    stop_sound();
    shutdown_sound();
    return read_bytes(disk.output);
}

TEST(SoundDevice, ScrambledSoundComesOutPlain) {
    TempGameDir dir;
    WaveFileFormat wave;  // 44,100 Hz 16-bit stereo: the device's own format, so no conversion
    Bytes plain = pattern_bytes(bytes_per_second(wave) * 3 / 4, 81);
    ASSERT_TRUE(dir.put("e2e.wav", make_wave(wave, scramble_payload(plain))));
    Bytes out = play_on_disk(dir, "e2e.wav", 2.0);
    auto at = std::search(out.begin(), out.end(), plain.begin(), plain.end());
    ASSERT_NE(at, out.end()) << "the plain samples, in order, somewhere after the leading silence";
    EXPECT_TRUE(std::all_of(out.begin(), at, [](unsigned char b) { return b == 0; })) << "silence before";
    EXPECT_EQ((at - out.begin()) % 4, 0) << "frames stay aligned";
}

TEST(SoundDevice, OtherFormatsAreConvertedToTheDevicesFormat) {
    TempGameDir dir;
    WaveFileFormat wave;
    wave.channels = 1;
    wave.rate = 11025;
    wave.bits = 8;
    Bytes square(11025 / 2);  // half a second of a 8-bit square wave, +-64 around 0x80
    for (size_t i = 0; i < square.size(); ++i) square[i] = (i / 25) % 2 ? 0xC0 : 0x40;
    ASSERT_TRUE(dir.put("square.wav", make_wave(wave, scramble_payload(square))));
    Bytes out = play_on_disk(dir, "square.wav", 1.5);
    // 16-bit stereo frames: find the sounding stretch and its loudest sample.
    size_t first = SIZE_MAX, last = 0;
    int peak = 0;
    for (size_t i = 0; i + 1 < out.size(); i += 2) {
        int s = static_cast<int16_t>(out[i] | out[i + 1] << 8);
        if (std::abs(s) > 1000) {
            first = std::min(first, i);
            last = i;
        }
        peak = std::max(peak, std::abs(s));
    }
    ASSERT_NE(first, SIZE_MAX) << "the sound was heard";
    double seconds = static_cast<double>(last - first) / kDiskBytesPerSecond;
    EXPECT_NEAR(seconds, 0.5, 0.03) << "resampled to the device rate";
    EXPECT_GT(peak, 14000) << "8-bit +-64 is 16-bit +-16384";
    EXPECT_LT(peak, 22000);
}

}  // namespace
