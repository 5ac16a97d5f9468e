// The demo story's files: every picture and sound the script names exists, pictures decode and
// fit the data buffer, sounds are the WAVE formats claimed, the pointer keys out its blue, the
// packed folder passes the checker, and making the story twice gives the same bytes.
#include <algorithm>
#include <filesystem>
#include <set>

#include "demo/demo_fixtures.h"
#include "platform/system/files.h"
#include "platform/image/image.h"
#include "platform/text/sjis.h"
#include "sound/wave_reader.h"
#include "support/image_fixtures.h"
#include "tools/demogen/demo_folder.h"
#include "tools/tool_fixtures.h"
#include "tools/tool/tool.h"

namespace {

constexpr size_t kMaxPictureBytes = 2097152;

struct Size {
    int w = 0, h = 0;
};

// Width and height from a PNG, JPEG or BMP header; 0x0 when the kind is not recognised.
Size picture_size(const std::string& b) {
    auto u8at = [&](size_t i) { return static_cast<unsigned>(static_cast<unsigned char>(b[i])); };
    if (b.size() > 24 && b.compare(1, 3, "PNG") == 0)
        return {static_cast<int>(u8at(18) << 8 | u8at(19)), static_cast<int>(u8at(22) << 8 | u8at(23))};
    if (b.size() > 26 && b.compare(0, 2, "BM") == 0)
        return {static_cast<int>(u8at(19) << 8 | u8at(18)), static_cast<int>(u8at(23) << 8 | u8at(22))};
    for (size_t i = 2; b.size() > 4 && u8at(0) == 0xFF && u8at(1) == 0xD8 && i + 9 < b.size();) {
        unsigned marker = u8at(i + 1);
        if (marker >= 0xC0 && marker <= 0xC2)
            return {static_cast<int>(u8at(i + 7) << 8 | u8at(i + 8)), static_cast<int>(u8at(i + 5) << 8 | u8at(i + 6))};
        i += 2 + (u8at(i + 2) << 8 | u8at(i + 3));
    }
    return {};
}

// Every sound name of the script: the two table sounds and each link's sound.
std::set<std::string> sound_names(const SceneTable& t) {
    std::set<std::string> names{t.opening_snd_nm, t.ending_snd_nm};
    for (int i = 0; i < t.scene_count; ++i) {
        for (int a = 0; a < t.scenes[i].area_count; ++a) {
            if (!t.scenes[i].areas[a].snd_nm.empty()) names.insert(t.scenes[i].areas[a].snd_nm);
        }
    }
    return names;
}

}  // namespace

TEST(DemoMedia, PicturesExistDecodeAndFitTheDataBuffer) {
    auto t = load_demo_table();
    CurrentDirectory in(demo_plain());
    std::set<std::string> names;
    for (int i = 0; i < t->scene_count; ++i) names.insert(t->scenes[i].img_nm);
    EXPECT_GE(names.size(), 20u) << "the story should not show the same few pictures";
    bool png = false, jpeg = false, smaller = false, larger = false, japanese = false, in_folder = false;
    for (const std::string& name : names) {
        std::string path = resolve_game_path(name.c_str());
        ASSERT_FALSE(path.empty()) << sjis_to_utf8(name) << " is missing";
        std::string bytes = read_file(path);
        EXPECT_LE(bytes.size(), kMaxPictureBytes) << sjis_to_utf8(name);
        Size size = picture_size(bytes);
        png = png || bytes.compare(1, 3, "PNG") == 0;
        jpeg = jpeg || (bytes.size() > 2 && static_cast<unsigned char>(bytes[0]) == 0xFF);
        smaller = smaller || (size.w < 800 && size.h < 600);
        larger = larger || (size.w > 800 && size.h > 600);
        japanese = japanese || std::any_of(name.begin(), name.end(), [](char c) { return c & 0x80; });
        in_folder = in_folder || name.find('\\') != std::string::npos;
        Texture* texture = nullptr;
        ASSERT_EQ(decode_image_to_texture(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                                          800, 600, PixelFormat::X8R8G8B8, 0, &texture), S_OK)
            << sjis_to_utf8(name);
        texture_release(texture);
    }
    EXPECT_TRUE(png);
    EXPECT_TRUE(jpeg);
    EXPECT_TRUE(smaller) << "no picture smaller than 800x600";
    EXPECT_TRUE(larger) << "no picture larger than 800x600";
    EXPECT_TRUE(japanese) << "no Shift-JIS file name";
    EXPECT_TRUE(in_folder) << "no picture in a subfolder";
}

TEST(DemoMedia, SoundsAreTheWaveFormatsClaimedAndTheEndingOutlastsTheRoll) {
    auto t = load_demo_table();
    CurrentDirectory in(demo_plain());
    std::set<uint32_t> rates;
    std::set<int> channels, bits;
    for (const std::string& name : sound_names(*t)) {
        std::string bytes = read_file(resolve_game_path(name.c_str()));
        ASSERT_GT(bytes.size(), 44u) << sjis_to_utf8(name);
        uint32_t riff_size = static_cast<unsigned char>(bytes[4]) | static_cast<unsigned char>(bytes[5]) << 8 |
                             static_cast<unsigned char>(bytes[6]) << 16 | static_cast<uint32_t>(static_cast<unsigned char>(bytes[7])) << 24;
        EXPECT_EQ(riff_size + 8, bytes.size()) << sjis_to_utf8(name) << ": the RIFF size must match the file";
        WaveReader reader;
        ASSERT_EQ(reader.open(name.c_str()), S_OK) << sjis_to_utf8(name);
        const WaveFormatEx* f = reader.format();
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->wFormatTag, kWaveFormatPcm) << sjis_to_utf8(name);
        EXPECT_EQ(f->nBlockAlign, f->nChannels * f->wBitsPerSample / 8) << sjis_to_utf8(name);
        EXPECT_EQ(f->nAvgBytesPerSec, f->nSamplesPerSec * f->nBlockAlign) << sjis_to_utf8(name);
        rates.insert(f->nSamplesPerSec);
        channels.insert(f->nChannels);
        bits.insert(f->wBitsPerSample);
        // Read it all: audible (neither silent nor clipped) and of the expected length.
        std::vector<unsigned char> chunk(65536);
        uint64_t total = 0;
        int peak = 0;
        uint32_t got = 0;
        while (reader.read(static_cast<uint32_t>(chunk.size()), chunk.data(), &got) == S_OK && got > 0) {
            for (uint32_t k = 0; k + 1 < got && f->wBitsPerSample == 16; k += 2) {
                int v = static_cast<int16_t>(chunk[k] | chunk[k + 1] << 8);
                peak = std::max(peak, std::abs(v));
            }
            total += got;
        }
        double seconds = static_cast<double>(total) / f->nAvgBytesPerSec;
        EXPECT_GT(seconds, 0.3) << sjis_to_utf8(name);
        if (f->wBitsPerSample == 16) {
            EXPECT_GT(peak, 8000) << sjis_to_utf8(name) << " is nearly silent";
            EXPECT_LT(peak, 32767) << sjis_to_utf8(name) << " clips";
        }
        if (name == t->ending_snd_nm) {
            EXPECT_GE(seconds, 137.5) << "the staff roll waits 137.5 s";
        }
        if (name == t->opening_snd_nm) {
            EXPECT_GE(seconds, 10.0);
        }
    }
    EXPECT_EQ(rates, (std::set<uint32_t>{11025, 22050, 44100}));
    EXPECT_EQ(channels, (std::set<int>{1, 2}));
    EXPECT_EQ(bits, (std::set<int>{8, 16}));
}

TEST(DemoMedia, PointerIs24By24WithItsBlueKeyedOut) {
    std::string bytes = read_file(demo_plain() + "/GAME39651497");
    ASSERT_FALSE(bytes.empty());
    Texture* texture = nullptr;
    ASSERT_EQ(decode_image_to_texture(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), 24,
                                      24, PixelFormat::A8R8G8B8, 0xFF0000FF, &texture), S_OK);
    int opaque = 0;
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 24; ++x) opaque += (texture_pixel(texture, x, y) >> 24) == 0xFF ? 1 : 0;
    }
    EXPECT_EQ(texture_pixel(texture, 0, 0), 0u) << "the blue around the arrow is transparent";
    EXPECT_EQ(texture_pixel(texture, 12, 12) >> 24, 0xFFu) << "the arrow's tip is the hot spot";
    EXPECT_GT(opaque, 30);
    EXPECT_LT(opaque, 24 * 24 / 2);
    texture_release(texture);
}

TEST(DemoMedia, PackedFolderIsPlayable) {
    // The build packed the story into demo/data; the checker loads it as the game would.
    Capture out, err;
    EXPECT_EQ(check_folder(demo_game(), out.file, err.file), kToolOk) << out.text() << err.text();
    EXPECT_NE(out.text().find("playable"), std::string::npos) << out.text();
    // Unpacking gives back the plain files exactly.
    TempFolder tmp;
    Capture out2, err2;
    ASSERT_EQ(pack_folder(demo_game() + "/data", tmp.path, false, out2.file, err2.file), kToolOk) << err2.text();
    for (const auto& e : std::filesystem::recursive_directory_iterator(demo_plain())) {
        if (!e.is_regular_file()) continue;
        std::string rel = std::filesystem::relative(e.path(), demo_plain()).string();
        EXPECT_TRUE(read_file(e.path().string()) == read_file(tmp.path + "/" + rel)) << rel;
    }
}

TEST(DemoMedia, MakingTheStoryAgainGivesTheSameFiles) {
    TempFolder tmp;
    DemoSummary summary;
    std::string error;
    ASSERT_TRUE(make_demo_folder(tmp.path, &summary, &error)) << error;
    EXPECT_GE(summary.scenes, 104);
    int compared = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(demo_plain())) {
        if (!e.is_regular_file()) continue;
        std::string rel = std::filesystem::relative(e.path(), demo_plain()).string();
        EXPECT_TRUE(read_file(e.path().string()) == read_file(tmp.path + "/" + rel)) << rel << " differs";
        ++compared;
    }
    EXPECT_EQ(compared, summary.files);
}
