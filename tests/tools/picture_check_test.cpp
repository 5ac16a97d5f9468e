// Tests of the picture decoding check: pictures and a pointer image the game could not decode.
#include <gtest/gtest.h>

#include "scenario/scenario.h"
#include "support/scene_fixtures.h"
#include "tools/tool/picture_check.h"

namespace {

TEST(PictureCheck, ReportsEachEntryWhosePictureDoesNotDecode) {
    SceneDataDir dir;
    dir.write("good.bmp", make_solid_bmp(800, 600, 0x123456));
    dir.write("bad.png", "\x89PNG\r\n\x1a\n cut short");
    dir.write("GAME39651497", "not a picture");
    ASSERT_EQ(load_test_script("seq=0\nimg_nm=good.bmp\nseq=1\nimg_nm=bad.png\nseq=2\nimg_nm=missing.png\n"
                               "seq=3\nimg_nm=bad.png\n"),
              0);
    std::vector<PictureProblem> problems = check_picture_decoding(scene_table);
    ASSERT_EQ(problems.size(), 3u) << "the missing picture is reported by the file check, not here";
    EXPECT_EQ(problems[0].entry, 1);
    EXPECT_EQ(problems[0].name, "bad.png");
    EXPECT_EQ(problems[0].reason, "does not decode as a PNG, JPEG or BMP picture");
    EXPECT_EQ(problems[1].entry, 3);
    EXPECT_EQ(problems[2].entry, -1) << "the pointer image";

    dir.write("GAME39651497", make_solid_bmp(24, 24, 0x0000FF));
    dir.write("bad.png", make_solid_bmp(10, 10, 0));
    EXPECT_TRUE(check_picture_decoding(scene_table).empty());
}

}  // namespace
