// What players of such games report broken, end to end on a real (dummy-driver) window: in
// full-screen on desktops that are no multiple of 800x600 a press lands on the canvas pixel shown
// under it (the one the screen pixel shows the most of), exactly at a hot-spot's edges; and a
// window shown again gets its picture back.
#include "shell_fixture.h"

#include <string>
#include <vector>

#include "platform/window/window.h"
#include "scenario/scenario.h"
#include "support/scene_fixtures.h"
#include "support/screen_fixtures.h"

namespace {

// The hot-spot of scene 0 (canvas pixels, edges included); it leads to scene 1.
constexpr int kLeft = 101, kTop = 203, kRight = 333, kBottom = 417;

// Every canvas pixel of the picture tells where it is: bit 23 set, y in bits 10-19, x in 0-9.
uint32_t coded(int x, int y) { return 0x800000u | static_cast<uint32_t>(y) << 10 | static_cast<uint32_t>(x); }

struct ScreenPixel {
    int x, y;
};

class FullScreenHitsTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        renderer_set_offscreen_only(false);
        cd = std::make_unique<CurrentDirectory>(folder.path);
        const std::string rect = "rect=" + std::to_string(kLeft) + "," + std::to_string(kTop) + "," +
                                 std::to_string(kRight) + "," + std::to_string(kBottom);
        write_file("data/GAME42297263", scrambled(script({"seq=0", "img_nm=p.bmp", rect, "next_seq=1", "seq=1",
                                                          "img_nm=p.bmp", "rect=0,0,799,599", "next_seq=0"})));
        write_file("data/p.bmp", scrambled(make_bmp(800, 600, [](int x, int y) { return coded(x, y); })));
        PngRecipe png;
        png.width = png.height = 24;
        png.samples.assign(24 * 24 * 3, 200);
        std::vector<unsigned char> pointer = build_png(png);
        write_file("data/GAME39651497", scrambled(std::string(pointer.begin(), pointer.end())));
        ASSERT_EQ(start_up(), 1);
        ASSERT_EQ(renderer_kind(), RendererKind::Software);
        dispatch_events();  // the window's own showing
    }
    void TearDown() override {
        window_simulate_desktop(0, 0);
        shut_down();
        cd.reset();
        ShellTest::TearDown();
    }
    // Feeds every queued window event to the window procedure.
    void dispatch_events() {
        WindowEvent e;
        while (window_poll_event(&e)) main_window_proc(e);
    }
    // A left press at a window pixel, handled by the next frame. True when it hit the hot-spot;
    // scene 0 is put back afterwards.
    bool press_hits(const ScreenPixel& p) {
        scene_table.current_scene = 0;
        window_inject(RawInput::LeftDown, p.x, p.y);
        window_inject(RawInput::LeftUp, p.x, p.y);
        dispatch_events();
        EXPECT_EQ(frame_step(), 0);
        bool hit = scene_table.current_scene == 1;
        scene_table.current_scene = 0;
        EXPECT_EQ(frame_step(), 0);  // the frame after a scene change drops clicks: let it pass
        return hit;
    }
    // The screen pixels showing canvas pixel (cx, cy) the most.
    static std::vector<ScreenPixel> showing(const std::vector<ShownPixel>& screen, int w, int cx, int cy) {
        std::vector<ScreenPixel> out;
        for (size_t i = 0; i < screen.size(); ++i)
            if (screen[i].x == cx && screen[i].y == cy) out.push_back({static_cast<int>(i % w), static_cast<int>(i / w)});
        return out;
    }
    void check_edges(int w, int h) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        window_simulate_desktop(w, h);
        ASSERT_EQ(frame_step(), 0);
        const std::vector<ShownPixel> screen = shown_canvas_pixels(w, h);
        auto shown_at = [&](int sx, int sy, int* cx, int* cy) {
            const ShownPixel& s = screen[static_cast<size_t>(sy) * w + sx];
            *cx = s.x;
            *cy = s.y;
            return s.x >= 0;
        };
        // Bottom-right corner: every screen pixel showing it hits; the next one to the right,
        // below and diagonally shows the canvas pixel beyond and misses.
        const std::vector<ScreenPixel> corner = showing(screen, w, kRight, kBottom);
        ASSERT_FALSE(corner.empty()) << "the corner pixel is on screen";
        ScreenPixel last = corner.front();
        for (const ScreenPixel& p : corner) {
            EXPECT_TRUE(press_hits(p)) << "screen (" << p.x << ", " << p.y << ") shows the corner";
            if (p.x >= last.x && p.y >= last.y) last = p;
        }
        const ScreenPixel beyond[] = {{last.x + 1, last.y}, {last.x, last.y + 1}, {last.x + 1, last.y + 1}};
        for (const ScreenPixel& p : beyond) {
            int cx = 0, cy = 0;
            ASSERT_TRUE(shown_at(p.x, p.y, &cx, &cy));
            EXPECT_TRUE(cx == kRight + 1 || cy == kBottom + 1) << "the next screen pixel shows the one beyond";
            EXPECT_FALSE(press_hits(p)) << "screen (" << p.x << ", " << p.y << ") shows canvas (" << cx << ", "
                                        << cy << ")";
        }
        // Top-left corner: the same from the other side.
        const std::vector<ScreenPixel> first = showing(screen, w, kLeft, kTop);
        ASSERT_FALSE(first.empty());
        ScreenPixel top_left = first.front();
        for (const ScreenPixel& p : first) EXPECT_TRUE(press_hits(p)) << p.x << ", " << p.y;
        EXPECT_FALSE(press_hits({top_left.x - 1, top_left.y}));
        EXPECT_FALSE(press_hits({top_left.x, top_left.y - 1}));
    }
    TempFolder folder;
    std::unique_ptr<CurrentDirectory> cd;
};

TEST_F(FullScreenHitsTest, PressesHitTheHotSpotEdgesShownUnderThemAt1080pAnd1366x768) {
    toggle_display_mode();
    ASSERT_EQ(present_params.windowed, 0);
    check_edges(1920, 1080);
    check_edges(1366, 768);
}

TEST_F(FullScreenHitsTest, AWindowShownAgainOrExposedGetsItsPictureBack) {
    for (RawInput again : {RawInput::Shown, RawInput::Exposed}) {
        SCOPED_TRACE(again == RawInput::Shown ? "shown" : "exposed");
        ASSERT_EQ(frame_step(), 0);
        ASSERT_EQ(pixel(400, 300) | 0xFF000000u, coded(400, 300) | 0xFF000000u);
        // What the window showed is gone (as a window system drops a hidden window's pixels).
        renderer_clear(0xFF000000u);
        ASSERT_EQ(renderer_present(), S_OK);
        ASSERT_EQ(pixel(400, 300), 0xFF000000u);
        window_inject(RawInput::Hidden, 0, 0);
        const int presents = renderer_present_count();
        window_inject(again, 0, 0);
        dispatch_events();
        EXPECT_EQ(renderer_present_count(), presents + 1) << "one frame for the window's return";
        EXPECT_EQ(pixel(400, 300), coded(400, 300) | 0xFF000000u) << "the picture is back";
        EXPECT_EQ(pixel(kRight, kBottom), coded(kRight, kBottom) | 0xFF000000u);
    }
}

}  // namespace
