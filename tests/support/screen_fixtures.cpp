// What full-screen presentation puts on a screen, read back in canvas terms.
#include "support/screen_fixtures.h"

#include <gtest/gtest.h>

#include "platform/video/renderer.h"

std::vector<uint32_t> screen_of(const std::vector<uint32_t>& canvas, int w, int h) {
    std::vector<uint32_t> screen(static_cast<size_t>(w) * h);
    EXPECT_TRUE(renderer_letterbox_image(canvas.data(), w, h, screen.data()));
    return screen;
}

std::vector<ShownPixel> shown_canvas_pixels(int w, int h) {
    constexpr int kBits = 10;  // canvas coordinates are below 1024
    std::vector<uint32_t> canvas(static_cast<size_t>(kBackBufferWidth) * kBackBufferHeight);
    std::vector<ShownPixel> shown(static_cast<size_t>(w) * h, ShownPixel{0, 0});
    // Blue marks the canvas: the bars stay black.
    for (uint32_t& p : canvas) p = 0xFF0000FFu;
    std::vector<uint32_t> screen = screen_of(canvas, w, h);
    for (size_t i = 0; i < shown.size(); ++i)
        if ((screen[i] & 0xFF) < 0x80) shown[i] = ShownPixel{-1, -1};
    for (int bit = 0; bit < kBits; ++bit) {
        for (int y = 0; y < kBackBufferHeight; ++y)
            for (int x = 0; x < kBackBufferWidth; ++x)
                canvas[static_cast<size_t>(y) * kBackBufferWidth + x] =
                    0xFF000000u | ((x >> bit) & 1 ? 0xFF0000u : 0u) | ((y >> bit) & 1 ? 0x00FF00u : 0u);
        screen = screen_of(canvas, w, h);
        for (size_t i = 0; i < shown.size(); ++i) {
            if (shown[i].x < 0) continue;
            if (((screen[i] >> 16) & 0xFF) >= 0x80) shown[i].x |= 1 << bit;
            if (((screen[i] >> 8) & 0xFF) >= 0x80) shown[i].y |= 1 << bit;
        }
    }
    return shown;
}
