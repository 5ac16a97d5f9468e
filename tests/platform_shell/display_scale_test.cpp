// The window on a scaled screen: the canvas and the menu bar grow by the screen's scale in steps
// of a half, only as far as the work area allows, and every window pixel maps back to the canvas
// pixel drawn there, so hot-spots are hit where they are seen.
#include <gtest/gtest.h>

#include "platform/window/display_scale.h"

namespace {

constexpr int kBar = 20;

void expect_layout(int dpi, int work_w, int work_h, int canvas_w, int canvas_h) {
    const WindowedLayout l = windowed_layout(dpi, work_w, work_h, kBar);
    EXPECT_EQ(l.canvas.width, canvas_w) << dpi << " dpi on " << work_w << "x" << work_h;
    EXPECT_EQ(l.canvas.height, canvas_h) << dpi << " dpi on " << work_w << "x" << work_h;
    EXPECT_EQ(l.scale_halves, canvas_w / 400);
    const int bar = kBar * canvas_w / kBackBufferWidth;  // the bar grows with the canvas
    EXPECT_EQ(l.canvas.x, 0);
    EXPECT_EQ(l.canvas.y, bar) << "the canvas lies under the menu bar";
    EXPECT_EQ(l.width, canvas_w);
    EXPECT_EQ(l.height, bar + canvas_h);
}

}  // namespace

TEST(DisplayScale, TheCanvasGrowsByTheScreensScaleInHalvesAsFarAsTheScreenAllows) {
    expect_layout(96, 0, 0, 800, 600);
    expect_layout(0, 0, 0, 800, 600);      // unknown
    expect_layout(72, 0, 0, 800, 600);     // never smaller
    expect_layout(120, 0, 0, 800, 600);    // 125 % rounds down to 100 %
    expect_layout(144, 0, 0, 1200, 900);   // 150 %
    expect_layout(168, 0, 0, 1200, 900);   // 175 %
    expect_layout(192, 0, 0, 1600, 1200);  // 200 %
    expect_layout(192, 2560, 1400, 1600, 1200);
    expect_layout(192, 1920, 1016, 1200, 900);  // 1600x1240 does not fit: the next step down
    expect_layout(192, 1366, 704, 800, 600);  // nothing larger fits: 100 %
    expect_layout(144, 1199, 2000, 800, 600);  // one pixel too narrow
    expect_layout(144, 1200, 930, 1200, 900);  // exactly fits, with the bar at 30 pixels
    expect_layout(144, 1200, 929, 800, 600);
}

TEST(DisplayScale, EveryWindowPixelMapsToTheCanvasPixelDrawnThere) {
    for (int dpi : {96, 144, 192, 288}) {
        const WindowedLayout l = windowed_layout(dpi, 0, 0, kBar);
        for (int c = 0; c < kBackBufferWidth; ++c) {
            int wx = 0, wy = 0, cx = -1, cy = -1;
            letterbox_from_canvas(l.canvas, c, c * kBackBufferHeight / kBackBufferWidth, &wx, &wy);
            ASSERT_TRUE(letterbox_to_canvas(l.canvas, wx, wy, &cx, &cy)) << dpi;
            EXPECT_EQ(cx, c) << dpi << " dpi";
            EXPECT_EQ(cy, c * kBackBufferHeight / kBackBufferWidth) << dpi << " dpi";
        }
        int cx = 0, cy = 0;
        EXPECT_FALSE(letterbox_to_canvas(l.canvas, 0, l.canvas.y - 1, &cx, &cy)) << "the menu bar is no canvas";
        EXPECT_FALSE(letterbox_to_canvas(l.canvas, l.width, l.canvas.y, &cx, &cy)) << "right of the canvas";
    }
    // 200 %: each canvas pixel is two by two window pixels.
    const WindowedLayout l = windowed_layout(192, 0, 0, kBar);
    int cx = 0, cy = 0;
    ASSERT_TRUE(letterbox_to_canvas(l.canvas, 2 * 544 + 1, l.canvas.y + 2 * 444 + 1, &cx, &cy));
    EXPECT_EQ(cx, 544);
    EXPECT_EQ(cy, 444);
    ASSERT_TRUE(letterbox_to_canvas(l.canvas, 2 * 544 - 1, l.canvas.y + 2 * 444, &cx, &cy));
    EXPECT_EQ(cx, 543) << "the pixel left of the edge is the canvas pixel left of it";
}
