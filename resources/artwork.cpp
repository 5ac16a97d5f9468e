// Bitmaps 130 and 131 and the icon, drawn by code: simple shapes (and, where text drawing is
// available, their captions) so that the program carries no picture files.
#include <cmath>

#include "resources/resources.h"

namespace {

struct Canvas {
    uint32_t* px;  // width x height, 0xAARRGGBB
    int w, h;      // pixels
};

uint32_t mix(uint32_t a, uint32_t b, double t) {
    auto ch = [&](int s) {
        double v = ((a >> s) & 0xFF) * (1 - t) + ((b >> s) & 0xFF) * t;
        return static_cast<uint32_t>(v + 0.5) << s;
    };
    return ch(24) | ch(16) | ch(8) | ch(0);
}

// Blends colour over a pixel with coverage 0..1.
void plot(Canvas& c, int x, int y, uint32_t colour, double cover) {
    if (x < 0 || y < 0 || x >= c.w || y >= c.h || cover <= 0) return;
    uint32_t& p = c.px[y * c.w + x];
    p = cover >= 1 ? colour : mix(p, colour, cover);
}

void rect(Canvas& c, int x, int y, int w, int h, uint32_t colour) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) plot(c, i, j, colour, 1);
}

void frame(Canvas& c, int x, int y, int w, int h, uint32_t colour) {
    rect(c, x, y, w, 2, colour);
    rect(c, x, y + h - 2, w, 2, colour);
    rect(c, x, y, 2, h, colour);
    rect(c, x + w - 2, y, 2, h, colour);
}

// An ellipse with smooth edges (4x4 samples per pixel).
void ellipse(Canvas& c, double cx, double cy, double rx, double ry, uint32_t colour) {
    for (int y = static_cast<int>(cy - ry) - 1; y <= static_cast<int>(cy + ry) + 1; ++y)
        for (int x = static_cast<int>(cx - rx) - 1; x <= static_cast<int>(cx + rx) + 1; ++x) {
            int hits = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) {
                    double dx = (x + (sx + 0.5) / 4 - cx) / rx, dy = (y + (sy + 0.5) / 4 - cy) / ry;
                    hits += dx * dx + dy * dy <= 1;
                }
            plot(c, x, y, colour, hits / 16.0);
        }
}

void vertical_gradient(Canvas& c, uint32_t top, uint32_t bottom) {
    for (int y = 0; y < c.h; ++y) rect(c, 0, y, c.w, 1, mix(top, bottom, y / double(c.h - 1)));
}

// A hill: everything below y = base - height * sin(...) over the width.
void hill(Canvas& c, double base, double height, double phase, double period, uint32_t colour) {
    for (int x = 0; x < c.w; ++x) {
        double top = base - height * (0.5 + 0.5 * std::sin(phase + x * 2 * M_PI / period));
        int t = static_cast<int>(top);
        plot(c, x, t, colour, 1 - (top - t));
        rect(c, x, t + 1, 1, c.h - t - 1, colour);
    }
}

// The round little hero: white body, eyes, pink cheeks, a leaf on top. s = radius in pixels.
void hero(Canvas& c, double cx, double cy, double s) {
    ellipse(c, cx + s * 0.25, cy - s * 1.05, s * 0.28, s * 0.12, 0xFF4CAF50);
    ellipse(c, cx, cy, s * 1.04, s * 0.98, 0xFF6D4C41);
    ellipse(c, cx, cy, s, s * 0.94, 0xFFFFFBF0);
    ellipse(c, cx - s * 0.35, cy - s * 0.1, s * 0.11, s * 0.15, 0xFF3E2723);
    ellipse(c, cx + s * 0.35, cy - s * 0.1, s * 0.11, s * 0.15, 0xFF3E2723);
    ellipse(c, cx - s * 0.58, cy + s * 0.22, s * 0.16, s * 0.1, 0xFFF8BBD0);
    ellipse(c, cx + s * 0.58, cy + s * 0.22, s * 0.16, s * 0.1, 0xFFF8BBD0);
    ellipse(c, cx, cy + s * 0.25, s * 0.14, s * 0.08, 0xFFE57373);
}

void draw_about(Canvas& c) {
    vertical_gradient(c, 0xFF8FD3FF, 0xFFFFF6E0);
    ellipse(c, 330, 62, 30, 30, 0xFFFFE082);
    ellipse(c, 330, 62, 24, 24, 0xFFFFD54F);
    ellipse(c, 80, 60, 34, 14, 0xFFFFFFFF);
    ellipse(c, 105, 52, 24, 14, 0xFFFFFFFF);
    ellipse(c, 210, 90, 28, 10, 0xFFFFFFFF);
    hill(c, 240, 60, 0.5, 420, 0xFF9CCC65);
    hill(c, 268, 40, 2.5, 300, 0xFF7CB342);
    hero(c, 200, 196, 48);
    rect(c, 0, 284, c.w, 16, 0xFF689F38);
}

// A mouse seen from above with one button marked (0 left, 1 right).
void mouse(Canvas& c, int x, int y, int button) {
    ellipse(c, x + 22, y + 30, 22, 30, 0xFF616161);
    ellipse(c, x + 22, y + 30, 20, 28, 0xFFFAFAFA);
    rect(c, x + 21, y + 2, 2, 26, 0xFF616161);
    rect(c, x + 4, y + 26, 36, 2, 0xFF616161);
    for (int j = 0; j < 22; ++j)
        for (int i = 0; i < 17; ++i) {
            int px = button == 0 ? x + 4 + i : x + 23 + i, py = y + 4 + j;
            double dx = (px + 0.5 - (x + 22)) / 20.0, dy = (py + 0.5 - (y + 30)) / 28.0;
            if (dx * dx + dy * dy <= 1) plot(c, px, py, 0xFFEF5350, 1);
        }
}

void key(Canvas& c, int x, int y, int w) {
    rect(c, x, y, w, 26, 0xFF9E9E9E);
    rect(c, x + 2, y + 2, w - 4, 20, 0xFFFAFAFA);
}

void draw_how_to_play(Canvas& c) {
    rect(c, 0, 0, c.w, c.h, 0xFFFFF8E1);
    frame(c, 6, 6, c.w - 12, c.h - 12, 0xFFFFB74D);
    for (int row = 0; row < 3; ++row) rect(c, 24, 28 + row * 88 + 78, c.w - 48, 1, 0xFFFFCC80);
    mouse(c, 36, 36, 0);
    hero(c, 340, 64, 22);
    mouse(c, 36, 124, 1);
    key(c, 96, 140, 44);
    rect(c, 180, 134, 160, 44, 0xFF3F51B5);
    rect(c, 196, 150, 36, 12, 0xFF9FA8DA);
    rect(c, 246, 150, 36, 12, 0xFF9FA8DA);
    rect(c, 296, 150, 28, 12, 0xFF9FA8DA);
    key(c, 36, 224, 50);
    key(c, 100, 224, 64);
    rect(c, 210, 214, 90, 50, 0xFF424242);
    rect(c, 214, 218, 82, 42, 0xFF90CAF9);
    rect(c, 320, 222, 44, 34, 0xFF424242);
    rect(c, 323, 228, 38, 26, 0xFF90CAF9);
    rect(c, 320, 222, 44, 6, 0xFF1E88E5);
}

}  // namespace

HRESULT make_bitmap(int id, Texture** out) {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    if (id != kBitmapAbout && id != kBitmapHowToPlay) return E_INVALIDARG;
    Texture* t = nullptr;
    HRESULT hr = texture_create(kBitmapWidth, kBitmapHeight, PixelFormat::X8R8G8B8, &t);
    if (failed(hr)) return hr;
    Canvas c{t->pixels, t->width, t->height};
    if (id == kBitmapAbout) draw_about(c);
    else draw_how_to_play(c);
    ++t->version;
    *out = t;
    return S_OK;
}

void make_icon(int size, uint32_t* out) {
    Canvas c{out, size, size};
    for (int i = 0; i < size * size; ++i) out[i] = 0;
    double s = size / 2.0;
    ellipse(c, s, s, s * 0.96, s * 0.96, 0xFF7CB342);
    hero(c, s, s * 1.08, s * 0.62);
}
