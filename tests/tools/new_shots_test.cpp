// Tests of new and shots: the story new makes is playable, and shots writes one picture per entry.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/image/image_write.h"
#include "support/scenario_fixtures.h"
#include "tests/tools/tool_fixtures.h"
#include "tools/tool/tool.h"

namespace {

TEST(NewStory, IsPlayableAndRefusesAFolderInUse) {
    TempFolder dir;
    const std::string story = dir.path + "/story";
    Capture out, err;
    ASSERT_EQ(run(out, err, {"new", story.c_str()}), kToolOk) << err.text();
    Capture check_out, check_err;
    EXPECT_EQ(check_folder(story, check_out.file, check_err.file), kToolOk) << check_out.text();
    const std::string report = check_out.text();
    EXPECT_NE(report.find("0 errors, 1 warning\nplayable\n"), std::string::npos) << report;
    EXPECT_NE(report.find("staff roll: from entry 103 area 0"), std::string::npos) << report;
    EXPECT_NE(report.find("entries 3 to 102 are reached by no link"), std::string::npos) << report;

    Capture again_out, again_err;
    EXPECT_EQ(run(again_out, again_err, {"new", story.c_str()}), kToolBadUsage) << "nothing is overwritten";
    EXPECT_NE(again_err.text().find("exists and is not an empty folder"), std::string::npos) << again_err.text();
}

TEST(Shots, WritesOnePicturePerEntryAndAContactSheet) {
    TempFolder dir;
    const std::string plain = dir.path + "/plain", game = dir.path + "/game", shots = dir.path + "/shots";
    write_file(plain + "/GAME42297263", script({"seq=0", "img_nm=a.png", "seq=1", "img_nm=b.png", "seq=2",
                                                "img_nm=a.png"}));
    std::vector<uint32_t> red(800 * 600, 0xFFFF0000), blue(800 * 600, 0xFF0000FF), key(24 * 24, 0xFF0000FF);
    std::vector<unsigned char> a = encode_png(red.data(), 800, 600, false), b = encode_png(blue.data(), 800, 600, false),
                               p = encode_png(key.data(), 24, 24, false);
    write_file(plain + "/a.png", std::string(a.begin(), a.end()));
    write_file(plain + "/b.png", std::string(b.begin(), b.end()));
    write_file(plain + "/GAME39651497", std::string(p.begin(), p.end()));
    Capture pack_out, pack_err;
    ASSERT_EQ(pack_folder(plain, game + "/data", true, pack_out.file, pack_err.file), kToolOk) << pack_err.text();
    Capture out, err;
    ASSERT_EQ(run(out, err, {"shots", game.c_str(), shots.c_str()}), kToolOk) << err.text();
    EXPECT_NE(out.text().find("shots: 3 entries written"), std::string::npos) << out.text();
    for (const char* name : {"entry-000.png", "entry-001.png", "entry-002.png", "contact-sheet.png"})
        EXPECT_TRUE(std::filesystem::exists(shots + "/" + name)) << name;
    EXPECT_EQ(read_file(shots + "/entry-001.png").size() > 0, true);
    EXPECT_NE(read_file(shots + "/entry-000.png"), read_file(shots + "/entry-001.png")) << "each entry its picture";
    EXPECT_EQ(read_file(shots + "/entry-000.png"), read_file(shots + "/entry-002.png"));
}

}  // namespace
