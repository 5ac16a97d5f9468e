// What full-screen presentation puts on a screen, read back in canvas terms: which canvas pixel
// each screen pixel shows, and how bright a picture comes out.
#pragma once
#include <cstdint>
#include <vector>

// A canvas pixel; x and y are -1 for a screen pixel in the letterbox bars.
struct ShownPixel {
    int x, y;
};

// For every pixel of a w x h screen (row by row), the canvas pixel that full-screen presentation
// shows the most of there. Read from eleven pictures: one that marks the canvas, and one per bit
// of the canvas coordinates (the bit of x in red, of y in green): a screen pixel that mixes two
// neighbouring canvas pixels is brighter than half in a colour exactly when the one it shows
// more of has that bit.
std::vector<ShownPixel> shown_canvas_pixels(int w, int h);

// The w x h screen showing an 800x600 canvas of 0xAARRGGBB pixels full-screen.
std::vector<uint32_t> screen_of(const std::vector<uint32_t>& canvas, int w, int h);
