// The renderer standing in for the device: what sprite draws put on the canvas, uploads after
// pixel changes and device resets, and the letterbox mapping of full-screen presentation.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "platform/video/renderer.h"
#include "platform/video/sprite.h"
#include "platform/video/texture.h"
#include "support/screen_fixtures.h"

namespace {

class RendererTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(renderer_create(RendererKind::Offscreen), S_OK);
        ASSERT_EQ(batch_create(), S_OK);
    }
    void TearDown() override {
        texture_release(texture);
        batch_release();
        renderer_release();
    }
    Texture* make(int w, int h, PixelFormat f, uint32_t fill) {
        texture_release(texture);
        EXPECT_EQ(texture_create(w, h, f, &texture), S_OK);
        for (int i = 0; i < w * h; ++i) texture->pixels[i] = fill;
        ++texture->version;
        return texture;
    }
    // Clears to clear, draws, presents and reads back.
    std::vector<uint32_t> frame(uint32_t clear, const SpriteRect* src, float x, float y, uint32_t colour) {
        renderer_clear(clear);
        renderer_begin_scene();
        batch_begin();
        batch_draw(texture, src, x, y, colour);
        batch_end();
        renderer_end_scene();
        EXPECT_EQ(renderer_present(), S_OK);
        std::vector<uint32_t> px(kBackBufferWidth * kBackBufferHeight);
        EXPECT_TRUE(renderer_read_canvas(px.data()));
        return px;
    }
    static uint32_t at(const std::vector<uint32_t>& px, int x, int y) { return px[y * kBackBufferWidth + x]; }
    Texture* texture = nullptr;
};

TEST_F(RendererTest, OpaqueFormatIgnoresTheAlphaByte) {
    make(4, 4, PixelFormat::X8R8G8B8, 0x00123456);  // text drawn into X8 textures leaves alpha 0
    auto px = frame(0xFFFFFFFF, nullptr, 10, 20, 0xFFFFFFFF);
    EXPECT_EQ(at(px, 10, 20), 0xFF123456u);
    EXPECT_EQ(at(px, 13, 23), 0xFF123456u);
    EXPECT_EQ(at(px, 14, 23), 0xFFFFFFFFu) << "drawn texel for texel, no wider";
    EXPECT_EQ(at(px, 9, 20), 0xFFFFFFFFu);
}

TEST_F(RendererTest, AlphaTexelsAndTheColourModulate) {
    make(2, 1, PixelFormat::A8R8G8B8, 0x00FF0000);
    texture->pixels[1] = 0xFFFF0000;
    ++texture->version;
    auto px = frame(0xFF0000FF, nullptr, 0, 0, 0xFFFFFFFF);
    EXPECT_EQ(at(px, 0, 0), 0xFF0000FFu) << "a transparent texel leaves the canvas";
    EXPECT_EQ(at(px, 1, 0), 0xFFFF0000u);

    make(1, 1, PixelFormat::X8R8G8B8, 0x00FFFFFF);
    px = frame(0xFF000000, nullptr, 5, 5, 0x7FFFFFFF);
    uint32_t half = at(px, 5, 5) & 0xFF;
    EXPECT_NEAR(static_cast<int>(half), 0x7F, 2) << "the colour's top byte is the opacity";
    px = frame(0xFF000000, nullptr, 5, 5, 0xFF00FF00);
    EXPECT_EQ(at(px, 5, 5), 0xFF00FF00u) << "the colour's RGB multiplies the texels";
}

TEST_F(RendererTest, SourceRectanglesAreCutNeverStretched) {
    make(8, 8, PixelFormat::X8R8G8B8, 0x00000000);
    texture->pixels[2 * 8 + 3] = 0x00FF00FF;
    ++texture->version;
    SpriteRect src{3, 2, 5, 4};
    auto px = frame(0xFFFFFFFF, &src, 100, 100, 0xFFFFFFFF);
    EXPECT_EQ(at(px, 100, 100), 0xFFFF00FFu) << "the source's top-left texel lands on the position";
    EXPECT_EQ(at(px, 102, 100), 0xFFFFFFFFu);
    // Partly outside the texture: only the part inside is drawn, at its own place.
    SpriteRect over{-2, 0, 4, 1};
    px = frame(0xFFFFFFFF, &over, 50, 50, 0xFFFFFFFF);
    EXPECT_EQ(at(px, 50, 50), 0xFFFFFFFFu);
    EXPECT_EQ(at(px, 52, 50), 0xFF000000u);
    EXPECT_EQ(at(px, 56, 50), 0xFFFFFFFFu);
    SpriteRect empty{320, 75, 320, 75};
    px = frame(0xFFFFFFFF, &empty, 0, 0, 0xFFFFFFFF);
    EXPECT_EQ(at(px, 0, 0), 0xFFFFFFFFu) << "an empty source draws nothing";
}

TEST_F(RendererTest, ChangedPixelsAndADeviceResetUploadAgain) {
    make(1, 1, PixelFormat::X8R8G8B8, 0x00111111);
    EXPECT_EQ(at(frame(0xFF000000, nullptr, 0, 0, 0xFFFFFFFF), 0, 0), 0xFF111111u);
    LockedRect lr;
    ASSERT_EQ(texture_lock(texture, &lr), S_OK);
    static_cast<uint32_t*>(lr.bits)[0] = 0x00222222;
    texture_unlock(texture);
    EXPECT_EQ(at(frame(0xFF000000, nullptr, 0, 0, 0xFFFFFFFF), 0, 0), 0xFF222222u);

    // The SDL device was reset: the present reports the loss, the reset makes the copies anew.
    renderer_note_reset_event(true);
    renderer_clear(0xFF000000);
    EXPECT_EQ(renderer_present(), D3DERR_DEVICELOST);
    EXPECT_EQ(renderer_test_cooperative_level(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(renderer_reset(1), S_OK);
    EXPECT_EQ(texture->native, nullptr) << "the old copy is gone";
    EXPECT_EQ(renderer_test_cooperative_level(), S_OK);
    EXPECT_EQ(at(frame(0xFF000000, nullptr, 0, 0, 0xFFFFFFFF), 0, 0), 0xFF222222u)
        << "the texture comes back from its pixels";
}

TEST_F(RendererTest, ATextureChangedOrReleasedAfterItsDrawKeepsWhatWasDrawn) {
    // Draws reach the canvas when it is needed, later than they are made: a texture locked, or
    // released, between its draw and the present must leave that draw as it was.
    make(4, 4, PixelFormat::X8R8G8B8, 0x00FF0000);
    Texture* gone = nullptr;
    ASSERT_EQ(texture_create(4, 4, PixelFormat::A8R8G8B8, &gone), S_OK);
    std::fill(gone->pixels, gone->pixels + 16, 0xFF00FF00u);
    renderer_clear(0xFFFFFFFF);
    renderer_begin_scene();
    batch_begin();
    batch_draw(texture, nullptr, 0, 0, 0xFFFFFFFF);
    batch_draw(gone, nullptr, 20, 0, 0xFFFFFFFF);
    batch_end();
    LockedRect lr{};
    ASSERT_EQ(texture_lock(texture, &lr), S_OK);
    std::fill(static_cast<uint32_t*>(lr.bits), static_cast<uint32_t*>(lr.bits) + 16, 0x000000FFu);
    texture_unlock(texture);
    texture_release(gone);
    batch_begin();
    batch_draw(texture, nullptr, 10, 0, 0xFFFFFFFF);
    batch_end();
    renderer_end_scene();
    ASSERT_EQ(renderer_present(), S_OK);
    std::vector<uint32_t> px(kBackBufferWidth * kBackBufferHeight);
    ASSERT_TRUE(renderer_read_canvas(px.data()));
    EXPECT_EQ(at(px, 0, 0), 0xFFFF0000u) << "drawn before the lock";
    EXPECT_EQ(at(px, 10, 0), 0xFF0000FFu) << "drawn after it";
    EXPECT_EQ(at(px, 20, 0), 0xFF00FF00u) << "drawn before its texture was released";
}

TEST_F(RendererTest, LetterboxPlacementKeepsTheAspect) {
    CanvasPlacement p = letterbox_placement(1920, 1080);
    EXPECT_EQ(p.x, 240);
    EXPECT_EQ(p.y, 0);
    EXPECT_EQ(p.width, 1440);
    EXPECT_EQ(p.height, 1080);
    p = letterbox_placement(1366, 768);
    EXPECT_EQ(p.x, 171);
    EXPECT_EQ(p.width, 1024);
    EXPECT_EQ(p.height, 768);
    p = letterbox_placement(800, 600);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.width, 800);
    p = letterbox_placement(1280, 1024);  // taller than 4:3: bars above and below
    EXPECT_EQ(p.width, 1280);
    EXPECT_EQ(p.height, 960);
    EXPECT_EQ(p.y, 32);
}

// For a desktop size, every screen pixel maps to the canvas pixel that full-screen
// presentation shows the most of there, and back.
void check_mapping(int ow, int oh) {
    const std::vector<ShownPixel> shown = shown_canvas_pixels(ow, oh);
    CanvasPlacement p = letterbox_placement(ow, oh);
    int mismatches = 0;
    for (int py = 0; py < oh; ++py)
        for (int px = 0; px < ow; ++px) {
            int cx = -1, cy = -1;
            bool in = letterbox_to_canvas(p, px, py, &cx, &cy);
            const ShownPixel& s = shown[static_cast<size_t>(py) * ow + px];
            ASSERT_EQ(in, s.x >= 0) << ow << "x" << oh << " at " << px << "," << py;
            if (in && (s.x != cx || s.y != cy)) ++mismatches;
        }
    EXPECT_EQ(mismatches, 0) << ow << "x" << oh << ": screen pixels mapped to another canvas pixel";
    for (int c = 0; c < kBackBufferWidth; c += 7) {
        int px = 0, py = 0, cx = -1, cy = -1;
        letterbox_from_canvas(p, c, c * 3 / 4, &px, &py);
        ASSERT_TRUE(letterbox_to_canvas(p, px, py, &cx, &cy));
        EXPECT_EQ(cx, c);
        EXPECT_EQ(cy, c * 3 / 4);
        if (c > 0 && letterbox_to_canvas(p, px - 1, py, &cx, &cy)) {
            EXPECT_EQ(cx, c - 1) << "the first screen pixel showing it, at " << px;
        }
    }
}

// Isolated one-pixel white lines on black, shown full-screen: scaled by area, every line gives the
// same light within 5 % at every screen size, where nearest-neighbour alone makes some lines one
// screen pixel wide and others two, and a linear step down from a whole multiple (a tent, not a
// box) makes them differ by a third at 1366x768. At a whole factor the picture stays pixel for
// pixel.
TEST_F(RendererTest, FullScreenLinesComeOutEvenAndWholeFactorsExact) {
    constexpr int kGap = 4;  // canvas pixels from line to line
    for (bool vertical : {true, false}) {
        std::vector<uint32_t> canvas(kBackBufferWidth * kBackBufferHeight, 0xFF000000u);
        const int across = vertical ? kBackBufferWidth : kBackBufferHeight;
        for (int y = 0; y < kBackBufferHeight; ++y)
            for (int x = 0; x < kBackBufferWidth; ++x)
                if ((vertical ? x : y) % kGap == kGap / 2) canvas[y * kBackBufferWidth + x] = 0xFFFFFFFFu;
        for (auto [w, h, spread] :
             {std::tuple{1920, 1080, 1.05}, {1280, 1024, 1.05}, {1366, 768, 1.05}, {2560, 1440, 1.05}}) {
            SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + (vertical ? " vertical" : " horizontal"));
            const std::vector<uint32_t> screen = screen_of(canvas, w, h);
            const CanvasPlacement p = letterbox_placement(w, h);
            const int start = vertical ? p.x : p.y, size = vertical ? p.width : p.height;
            // Each line's brightness summed across it, through the middle of the picture.
            auto at = [&](int i) {
                const int sx = vertical ? i : p.x + p.width / 2, sy = vertical ? p.y + p.height / 2 : i;
                return static_cast<int>((screen[static_cast<size_t>(sy) * w + sx] >> 16) & 0xFF);
            };
            int least = 1 << 30, most = 0;
            for (int c = 0; c < across; c += kGap) {
                int sum = 0;
                for (int i = start + c * size / across; i < start + (c + kGap) * size / across; ++i) sum += at(i);
                least = std::min(least, sum);
                most = std::max(most, sum);
            }
            EXPECT_GT(least, 0);
            EXPECT_LE(most, least * spread) << "the brightest line against the dimmest: " << most << " / " << least;
        }
        const std::vector<uint32_t> doubled = screen_of(canvas, 1600, 1200);
        int differing = 0;
        for (int y = 0; y < 1200; ++y)
            for (int x = 0; x < 1600; ++x)
                differing += doubled[y * 1600 + x] != canvas[(y / 2) * kBackBufferWidth + x / 2];
        EXPECT_EQ(differing, 0) << "800x600 into 1600x1200 is pixel for pixel";
    }
}

TEST_F(RendererTest, ScreenPixelsMapToTheCanvasPixelShownUnderThem) {
    check_mapping(1920, 1080);
    check_mapping(1366, 768);
    check_mapping(1280, 1024);
    check_mapping(800, 600);
    check_mapping(1600, 1200);
}

}  // namespace
