// The software renderer's window on SDL's dummy video driver: after every present the window's
// surface shows the canvas (below the menu bar, or letterboxed and scaled by area in full screen),
// whether a frame changes all of it, a part, or nothing; and the scaling gives the same bytes on
// every path of the loops.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/video/compositor.h"
#include "platform/video/renderer.h"
#include "platform/video/sprite.h"
#include "platform/video/texture.h"
#include "platform/window/sdl_shared.h"
#include "platform/window/window.h"

namespace {

class WindowSurfaceTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(window_create("t"), 0);
        ASSERT_EQ(renderer_create(RendererKind::Software), S_OK);
        ASSERT_EQ(batch_create(), S_OK);
        ASSERT_EQ(texture_create(800, 600, PixelFormat::X8R8G8B8, &picture), S_OK);
        ASSERT_EQ(texture_create(40, 30, PixelFormat::A8R8G8B8, &sprite), S_OK);
        paint(picture, 0);
        for (int i = 0; i < 40 * 30; ++i) sprite->pixels[i] = (i % 7 == 0 ? 0x80u : 0xFFu) << 24 | 0x00FF2040u;
        texture_unlock_again(sprite);
    }
    void TearDown() override {
        texture_release(sprite);
        texture_release(picture);
        batch_release();
        renderer_release();
        window_release();
    }
    static void texture_unlock_again(Texture* t) {
        LockedRect r{};
        ASSERT_EQ(texture_lock(t, &r), S_OK);
        ASSERT_EQ(texture_unlock(t), S_OK);
    }
    // Every pixel of the picture different, in a pattern that moves with seed.
    void paint(Texture* t, int seed) {
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x)
                t->pixels[y * 800 + x] = static_cast<uint32_t>((x * 3 + seed) & 0xFF) << 16 |
                                         static_cast<uint32_t>((y * 5 + seed) & 0xFF) << 8 |
                                         static_cast<uint32_t>((x ^ y) & 0xFF);
        texture_unlock_again(t);
    }
    void frame(int picture_alpha, float sprite_x, float sprite_y) {
        renderer_clear(0xFF000000u);
        ASSERT_EQ(renderer_begin_scene(), S_OK);
        batch_begin();
        batch_draw(picture, nullptr, 0, 0, static_cast<uint32_t>(picture_alpha) << 24 | 0xFFFFFFu);
        batch_draw(sprite, nullptr, sprite_x, sprite_y, 0xFFFFFFFFu);
        batch_end();
        ASSERT_EQ(renderer_end_scene(), S_OK);
        ASSERT_EQ(renderer_present(), S_OK);
    }
    // The window's surface against the canvas at its place (windowed) or letterboxed (full screen).
    void expect_window_shows_canvas(const char* what) {
        SCOPED_TRACE(what);
        std::vector<uint32_t> canvas(800 * 600);
        ASSERT_TRUE(renderer_read_canvas(canvas.data()));
        SDL_Surface* s = SDL_GetWindowSurface(sdl_main_window());
        ASSERT_NE(s, nullptr);
        ASSERT_EQ(s->format->BytesPerPixel, 4);
        std::vector<uint32_t> expected;
        CanvasPlacement p = sdl_windowed_canvas();
        if (!renderer_windowed()) {
            expected.resize(static_cast<size_t>(s->w) * s->h);
            ASSERT_TRUE(renderer_letterbox_image(canvas.data(), s->w, s->h, expected.data()));
            p = {0, 0, s->w, s->h};
        } else {
            ASSERT_EQ(p.width, 800) << "a 1:1 window on this display";
            expected = canvas;
        }
        int wrong = 0;
        for (int y = 0; y < p.height && y + p.y < s->h; ++y)
            for (int x = 0; x < p.width && x + p.x < s->w; ++x) {
                const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const char*>(s->pixels) +
                                                                    static_cast<size_t>(y + p.y) * s->pitch);
                if ((row[x + p.x] & 0xFFFFFF) != (expected[static_cast<size_t>(y) * p.width + x] & 0xFFFFFF) &&
                    ++wrong <= 3)
                    ADD_FAILURE() << "window pixel " << x + p.x << ", " << y + p.y;
            }
        EXPECT_EQ(wrong, 0);
    }
    Texture* picture = nullptr;
    Texture* sprite = nullptr;
};

TEST_F(WindowSurfaceTest, TheWindowShowsTheCanvasAfterEveryPresent) {
    for (int windowed : {1, 0}) {
        SCOPED_TRACE(windowed ? "windowed" : "full screen");
        ASSERT_EQ(renderer_reset(windowed), S_OK);
        // The dummy driver leaves the window's size: it covers a 1366x768 screen as a window
        // system would make it.
        if (!windowed) {
            SDL_SetWindowFullscreen(sdl_main_window(), 0);
            SDL_SetWindowSize(sdl_main_window(), 1366, 768);
        }
        frame(255, 100, 100);
        expect_window_shows_canvas("first frame");
        frame(255, 100, 100);
        expect_window_shows_canvas("the same frame again");
        frame(255, 300.4f, 217);
        expect_window_shows_canvas("the sprite moved: where it was shows the picture again");
        paint(picture, 77);
        frame(255, 300, 217);
        expect_window_shows_canvas("the picture's pixels changed, drawn the same way");
        frame(140, 300, 217);
        expect_window_shows_canvas("the picture at partial opacity");
        frame(140, 790, 590);
        expect_window_shows_canvas("the sprite cut by the canvas edge");
        // A present with nothing drawn leaves what the window shows.
        ASSERT_EQ(renderer_present(), S_OK);
        expect_window_shows_canvas("nothing drawn");
    }
}

TEST(AreaScaleTest, EveryPathGivesTheSameBytesAndShrinkingAveragesBlocks) {
    std::vector<uint32_t> canvas(800 * 600);
    for (size_t i = 0; i < canvas.size(); ++i) canvas[i] = 0xFF000000u | static_cast<uint32_t>(i * 2654435761u >> 8);
    for (auto [w, h] : {std::pair{1366, 768}, {1920, 1080}, {1280, 1024}, {2560, 1440}, {1000, 750}, {1023, 767}}) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        std::vector<uint32_t> best(static_cast<size_t>(w) * h), scalar(best.size());
        composite_select_loops(CompositeLoops::Best);
        ASSERT_TRUE(renderer_letterbox_image(canvas.data(), w, h, best.data()));
        composite_select_loops(CompositeLoops::Scalar);
        ASSERT_TRUE(renderer_letterbox_image(canvas.data(), w, h, scalar.data()));
        composite_select_loops(CompositeLoops::Best);
        EXPECT_TRUE(best == scalar) << "the vector loops differ from the scalar ones";
    }
    // Half size: each screen pixel is the mean of a 2x2 block (rounded along each axis in turn).
    std::vector<uint32_t> half(400 * 300);
    ASSERT_TRUE(renderer_letterbox_image(canvas.data(), 400, 300, half.data()));
    int wrong = 0;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x)
            for (int c = 0; c < 24; c += 8) {
                auto at = [&](int dx, int dy) { return (canvas[(2 * y + dy) * 800 + 2 * x + dx] >> c) & 0xFF; };
                const int mean4 = static_cast<int>(at(0, 0) + at(1, 0) + at(0, 1) + at(1, 1));
                wrong += std::abs(static_cast<int>((half[y * 400 + x] >> c) & 0xFF) * 4 - mean4) > 4;
            }
    EXPECT_EQ(wrong, 0);
}

}  // namespace
