// The hot-spot overlay: every rectangle of the scene on screen drawn cut to the canvas, one label
// per area at its first rectangle, nothing while hidden or for other scenes.
#include "scenario/scenario.h"
#include "scene/author.h"
#include "scene/transition.h"
#include "scene_test.h"

namespace {

class AuthorOverlayTest : public SceneTest {
protected:
    void TearDown() override {
        if (hotspot_overlay_shown()) toggle_hotspot_overlay();
        release_author_overlay();
        SceneTest::TearDown();
    }
    SceneDataDir dir;
};

TEST_F(AuthorOverlayTest, RectanglesAndLabelsOfTheSceneOnScreenOnly) {
    ASSERT_EQ(load_test_script("seq=0\n"
                               "rect=10,20,109,69\nrect=-50,500,900,700\nnext_seq=1\n"
                               "rect=300,300,200,400\nnext_seq=0\n"  // left > right: nothing to draw
                               "rect=700,580,799,599\nfukidasi=hi\nnext_seq=0\n"
                               "seq=1\nrect=0,0,9,9\nnext_seq=0\n"),
              0);
    scene_table.current_scene = 0;
    EXPECT_TRUE(frame(draw_author_overlay).empty()) << "hidden until the key";
    toggle_hotspot_overlay();
    const auto d = frame(draw_author_overlay);
    // Fills: full size at the rectangle, cut to the canvas, see-through.
    auto has = [&](int x, int y, int w, int h, bool see_through) {
        for (const DrawCall& c : d)
            if (c.x == x && c.y == y && c.src.right - c.src.left == w && c.src.bottom - c.src.top == h &&
                ((c.colour >> 24) < 0xFF) == see_through)
                return true;
        return false;
    };
    EXPECT_TRUE(has(10, 20, 100, 50, true)) << "fill of the first rectangle";
    EXPECT_TRUE(has(10, 20, 100, 2, false)) << "its top edge";
    EXPECT_TRUE(has(108, 20, 2, 50, false)) << "its right edge, inside the rectangle";
    EXPECT_TRUE(has(0, 500, 800, 100, true)) << "a rectangle past the canvas is cut to it";
    EXPECT_FALSE(has(300, 300, 0, 101, true));
    for (const DrawCall& c : d) {
        EXPECT_GE(c.x, 0) << describe(c);
        EXPECT_LE(c.x + (c.src.right - c.src.left), 800) << describe(c);
        EXPECT_LE(c.y + (c.src.bottom - c.src.top), 600) << describe(c);
    }
    // One label per area with rectangles (three), drawn whole and opaque, last.
    int labels = 0;
    for (const DrawCall& c : d) labels += c.whole ? 1 : 0;
    EXPECT_EQ(labels, 3);
    EXPECT_TRUE(d.back().whole);
    EXPECT_EQ(d[d.size() - 3].x, 10);
    EXPECT_EQ(d[d.size() - 3].y, 20) << "at the first rectangle's top left";

    scene_table.current_scene = 1;
    const auto other = frame(draw_author_overlay);
    labels = 0;
    for (const DrawCall& c : other) labels += c.whole ? 1 : 0;
    EXPECT_EQ(labels, 1) << "the labels follow the scene";
    toggle_hotspot_overlay();
    EXPECT_TRUE(frame(draw_author_overlay).empty());
}

}  // namespace
