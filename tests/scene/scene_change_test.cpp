// A scene change's picture hand-over: the picture shown becomes the outgoing one and the decoded
// picture the current one, whether the load succeeds or fails, and the two never share pixels.
#include "common/flags.h"
#include "scene/transition.h"
#include "scene_test.h"

namespace {

class SceneChangeTest : public SceneTest {
protected:
    void SetUp() override {
        SceneTest::SetUp();
        dir.write("a.bmp", make_solid_bmp(800, 600, 0x0000AA));
        dir.write("b.bmp", make_solid_bmp(800, 600, 0x00BB00));
        dir.write("c.bmp", make_solid_bmp(800, 600, 0xCC0000));
        ASSERT_EQ(show_scene_image(nullptr, "a.bmp"), 0);
    }
    static uint32_t rgb(Texture* t, int x, int y) { return t->pixels[y * t->width + x] & 0x00FFFFFF; }
    static uint32_t previous() { return rgb(scene_transition.previous_image, 400, 300); }
    static uint32_t current() { return rgb(scene_transition.current_image, 400, 300); }

    SceneDataDir dir;
};

TEST_F(SceneChangeTest, EachLoadHandsThePictureShownOver) {
    ASSERT_EQ(show_scene_image(nullptr, "b.bmp"), 0);
    EXPECT_EQ(previous(), 0x0000AAu);
    EXPECT_EQ(current(), 0x00BB00u);
    ASSERT_EQ(show_scene_image(nullptr, "c.bmp"), 0);
    EXPECT_EQ(previous(), 0x00BB00u) << "the second change sends out the picture of the first";
    EXPECT_EQ(current(), 0xCC0000u);

    // The two textures keep pixels of their own: drawing into one leaves the other.
    scene_transition.previous_image->pixels[0] = 0x123456;
    EXPECT_EQ(rgb(scene_transition.current_image, 0, 0), 0xCC0000u);
    scene_transition.current_image->pixels[1] = 0x654321;
    EXPECT_EQ(rgb(scene_transition.previous_image, 1, 0), 0x00BB00u);
    EXPECT_NE(scene_transition.previous_image->pixels, scene_transition.current_image->pixels);
}

TEST_F(SceneChangeTest, AFailedLoadStillSendsThePictureOutAndKeepsIt) {
    ASSERT_EQ(show_scene_image(nullptr, "b.bmp"), 0);
    EXPECT_EQ(show_scene_image(nullptr, "missing.bmp"), -1);
    EXPECT_EQ(previous(), 0x00BB00u) << "the outgoing picture is the one shown";
    EXPECT_EQ(current(), 0x00BB00u) << "and it stays shown";
    EXPECT_EQ(transition_active, 1);

    // A file that is no picture: the same, and the two textures still hold pixels of their own.
    dir.write("junk.bmp", "BM but no picture after it");
    EXPECT_EQ(show_scene_image(nullptr, "junk.bmp"), -1);
    EXPECT_EQ(current(), 0x00BB00u);
    EXPECT_EQ(previous(), 0x00BB00u);
    EXPECT_NE(scene_transition.current_image->pixels, scene_transition.previous_image->pixels);

    // Loading works again afterwards.
    EXPECT_EQ(show_scene_image(nullptr, "c.bmp"), 0);
    EXPECT_EQ(previous(), 0x00BB00u);
    EXPECT_EQ(current(), 0xCC0000u);
}

}  // namespace
