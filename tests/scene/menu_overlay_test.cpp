// The overlay menu: creation failures, the 13-frame animations, the row per display mode and
// the click test with its label edges.
#include "common/flags.h"
#include "common/messages.h"
#include "gfx/device.h"
#include "scene/menu_overlay.h"
#include "scene_test.h"

namespace {

class MenuTest : public SceneTest {
protected:
    void SetUp() override {
        SceneTest::SetUp();
        ASSERT_EQ(create_menu_overlay(), 0);
    }
    void open_now() {
        open_menu();
        while (menu_animating) frame(draw_menu);
    }
    int click(int x, int y) {
        click_x = x;
        click_y = y;
        return menu_click();
    }
};

TEST_F(MenuTest, CreationFailuresShowTheirMessage) {
    messages.clear();
    texture_fail_next_creations(1, D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(create_menu_overlay(), -1);
    texture_fail_next_creations(1, E_FAIL);
    EXPECT_EQ(create_menu_overlay(), -1);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text, kMsgOutOfVideoMemory);
    EXPECT_EQ(messages[1].text, kMsgStartupFailed);
    release_menu_overlay();
    release_menu_overlay();  // twice, and on partly built state
    EXPECT_EQ(menu_overlay.menu_panel_texture, nullptr);
    EXPECT_EQ(create_menu_overlay(), 0);
    EXPECT_GT(menu_overlay.menu_label_sizes[0][1].width, menu_overlay.menu_label_sizes[0][0].width)
        << "measured labels";
}

TEST_F(MenuTest, OpeningAndClosingShowThirteenFrames) {
    const MenuOverlay& m = menu_overlay;
    open_menu();
    for (int i = 0; i < 13; ++i) {
        const int c = 640 - 50 * i;
        auto d = frame(draw_menu);
        ASSERT_EQ(d.size(), 1u) << "frame " << i;
        const int a = (640 - c) / 2;
        const int b = (150 - 150 * c / 640) / 2;
        EXPECT_EQ(describe(d[0]), describe({nullptr, false, {320 - a, 75 - b, 320 + a, 75 + b}, float(400 - a),
                                            float(300 - b), 0x7FFFFFFF}))
            << "frame " << i;
        EXPECT_EQ(menu_animating, 1);
    }
    auto d = frame(draw_menu);
    ASSERT_EQ(d.size(), 4u) << "the 14th frame is at rest: panel and three labels";
    EXPECT_EQ(describe(d[0]), describe({nullptr, true, {0, 0, 640, 150}, 80, 225, 0x7FFFFFFF}));
    const MenuLayout layout = menu_layout();
    EXPECT_EQ(layout.row, 0);
    for (int col = 0; col < 3; ++col) {
        EXPECT_EQ(d[1 + col].texture, m.menu_label_textures[0][col]);
        EXPECT_EQ(d[1 + col].x, layout.x[col]);
        EXPECT_EQ(d[1 + col].y, layout.y);
        EXPECT_EQ(d[1 + col].colour, 0xFFFFFFFFu);
    }
    EXPECT_EQ(menu_animating, 0);
    EXPECT_EQ(frame(draw_menu).size(), 4u) << "at rest every frame draws the same";

    close_menu();
    d = frame(draw_menu);
    EXPECT_EQ(describe(d[0]), describe({nullptr, false, {0, 0, 640, 150}, 80, 225, 0x7FFFFFFF}))
        << "closing starts from the full panel";
    int frames = 1;
    while (frame(draw_menu), menu_animating) ++frames;
    EXPECT_EQ(frames, 13);
    EXPECT_TRUE(draws.empty());
    EXPECT_EQ(menu_visible(), 0);
}

TEST_F(MenuTest, FullScreenUsesTheOtherRow) {
    present_params.windowed = 0;
    open_now();
    auto d = frame(draw_menu);
    ASSERT_EQ(d.size(), 4u);
    EXPECT_EQ(d[2].texture, menu_overlay.menu_label_textures[1][1]);
    EXPECT_EQ(menu_layout().row, 1);
}

TEST_F(MenuTest, ClickTestsLabelsPanelAndOutside) {
    const MenuLayout l = menu_layout();
    const MenuLabelSize* s = menu_overlay.menu_label_sizes[0];
    const int gap = (640 - s[0].width - s[1].width - s[2].width) / 4;
    EXPECT_EQ(l.x[0], 80 + gap);
    EXPECT_EQ(l.x[1], l.x[0] + s[0].width + gap);
    EXPECT_EQ(l.y, (600 - s[0].height) / 2);

    // Right and bottom edges of a label are outside it; inside the panel that does nothing.
    open_now();
    EXPECT_EQ(click(l.x[1] + s[1].width, l.y), 0);
    EXPECT_EQ(click(l.x[1], l.y + s[1].height), 0);
    EXPECT_EQ(click(l.x[0] - 1, l.y), 0);
    EXPECT_EQ(menu_open, 1);
    EXPECT_EQ(menu_animating, 0) << "clicks on the panel between labels keep it open";

    EXPECT_EQ(click(l.x[1] + s[1].width - 1, l.y + s[1].height - 1), 1);
    EXPECT_EQ(menu_open, 0);
    EXPECT_EQ(menu_animating, 0) << "the mode switch closes the overlay at once";
    EXPECT_EQ(menu_anim_counter, -1);

    open_now();
    EXPECT_EQ(click(l.x[2], l.y), -9);
    EXPECT_EQ(menu_visible(), 0);

    open_now();
    EXPECT_EQ(click(l.x[0], l.y), 0);
    EXPECT_EQ(menu_open, 0);
    EXPECT_EQ(menu_animating, 1) << "cancel closes with the animation";

    open_now();
    EXPECT_EQ(click(719, 374), 0);
    EXPECT_EQ(menu_open, 1) << "the panel's last pixel is inside it";
    EXPECT_EQ(click(720, 300), 0);
    EXPECT_EQ(menu_open, 0) << "outside the panel closes";
    EXPECT_EQ(menu_animating, 1);

    open_now();
    EXPECT_EQ(click(800, 10), 0);
    EXPECT_EQ(menu_open, 1) << "off the canvas nothing happens";
}

}  // namespace
