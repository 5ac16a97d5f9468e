// Landscape pieces of a picture-book page: sky, lights, clouds, hills, trees, houses, paths,
// water and small props.
#include "tools/demogen/scenery.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr float kPi = 3.14159265f;
constexpr uint32_t kInk = 0xFF3A2A2A;  // outline colour of drawn objects

const Palette kPalettes[] = {
    // morning
    {{0xFF8CC8F0, 0xFFB4DCF5, 0xFFE2F0F0, 0xFFFCE8C8}, 0xFF9CC4A8, 0xFF8CC46C, 0xFF78B858,
     0xFFE8D2A0, 0xFF78B4E0, 0xFFFFF0D8, 1.0f, 0.05f, false},
    // day
    {{0xFF5AA8E6, 0xFF86C2F0, 0xFFB6DCF6, 0xFFE0F0FA}, 0xFF8CB8A0, 0xFF7CBC5C, 0xFF68AC48,
     0xFFE4CC96, 0xFF5CA4DC, 0xFFFFFFFF, 1.0f, 0.0f, false},
    // afternoon
    {{0xFF6AA4DC, 0xFF9CC0E6, 0xFFD4DCDC, 0xFFF6E0B4}, 0xFF9CB090, 0xFF8CB454, 0xFF7CA444,
     0xFFE0C08C, 0xFF6CA0CC, 0xFFFFE0A0, 0.97f, 0.08f, false},
    // dusk
    {{0xFF3C4C8C, 0xFF8C6C9C, 0xFFE88C6C, 0xFFFFC888}, 0xFF6C5C7C, 0xFF5C6C4C, 0xFF4C6440,
     0xFFB49478, 0xFF8C7CA4, 0xFFFF9C6C, 0.78f, 0.2f, false},
    // night
    {{0xFF080C28, 0xFF141E4C, 0xFF23346C, 0xFF3A4C84}, 0xFF1E2A4C, 0xFF1C3030, 0xFF182A28,
     0xFF4C4C5C, 0xFF1C2C5C, 0xFF28386C, 0.42f, 0.35f, true},
};

float ridge(float x, float base, float amp, uint32_t seed, float wavelength) {
    float s = static_cast<float>(seed % 97);
    return base - amp * (0.55f * std::sin(x / wavelength + s) +
                         0.3f * std::sin(x / (wavelength * 0.47f) + s * 1.7f) +
                         0.15f * std::sin(x / (wavelength * 0.21f) + s * 2.3f));
}

const Palette kIndoor = {{0xFF080C28, 0xFF141E4C, 0xFF23346C, 0xFF3A4C84}, 0xFF1E2A4C, 0xFF1C3030,
                         0xFF182A28, 0xFF4C4C5C, 0xFF1C2C5C, 0xFFFFB070, 0.86f, 0.12f, false};

}  // namespace

const Palette& indoor_palette() {
    return kIndoor;
}

const Palette& palette_for(TimeOfDay time) {
    return kPalettes[static_cast<int>(time)];
}

uint32_t tone(const Palette& pal, uint32_t argb) {
    return mix(shade(argb, pal.light), pal.tint, pal.tint_amount);
}

uint32_t tone_figure(const Palette& pal, uint32_t argb) {
    float light = 0.5f + 0.5f * pal.light;
    return mix(shade(argb, light), pal.tint, pal.tint_amount * 0.5f);
}

void draw_sky(Canvas& c, const Palette& pal, int horizon) {
    fill_gradient_rows(c, 0, horizon, pal.sky, 4);
    fill_gradient_rows(c, horizon, c.height - 1, &pal.sky[3], 1);
}

void draw_stars(Canvas& c, uint32_t seed, int count, int max_y) {
    Rng rng{seed | 1u};
    for (int i = 0; i < count; ++i) {
        float x = rng.uniform(0, static_cast<float>(c.width));
        float y = rng.uniform(0, static_cast<float>(max_y));
        float size = rng.uniform(0.6f, 1.0f);
        size = size * size * 2.2f;
        uint32_t colour = (i % 5 == 0) ? 0xFFFFF2C0 : 0xFFF4F6FF;
        fill_glow(c, x, y, size * 4.0f, (colour & 0x00FFFFFF) | 0x50000000);
        fill_circle(c, x, y, size * 0.7f + 0.3f, colour);
        if (size > 1.9f) {  // a few bright ones twinkle with a small cross
            stroke_line(c, {x - size * 4, y}, {x + size * 4, y}, 0.8f, 0xA0FFFFFF);
            stroke_line(c, {x, y - size * 4}, {x, y + size * 4}, 0.8f, 0xA0FFFFFF);
        }
    }
}

void draw_sun(Canvas& c, float x, float y, float r, uint32_t colour) {
    fill_glow(c, x, y, r * 4.0f, (colour & 0x00FFFFFF) | 0x60000000);
    fill_glow(c, x, y, r * 2.0f, (colour & 0x00FFFFFF) | 0x90000000);
    fill_circle(c, x, y, r, colour);
    fill_circle(c, x - r * 0.25f, y - r * 0.25f, r * 0.55f, mix(colour, 0xFFFFFFFF, 0.5f));
}

void draw_moon(Canvas& c, float x, float y, float r, MoonPhase phase, bool face) {
    if (phase == MoonPhase::none) return;
    float glow = phase == MoonPhase::crescent ? 0.5f : 1.0f;
    fill_glow(c, x, y, r * 4.5f, static_cast<uint32_t>(0x40 * glow) << 24 | 0x00FFF4C8);
    fill_glow(c, x, y, r * 2.0f, static_cast<uint32_t>(0x70 * glow) << 24 | 0x00FFF4C8);
    // The lit part: the disc minus a second disc shifted to the left (none for the full moon).
    float shift = phase == MoonPhase::crescent ? r * 0.62f : phase == MoonPhase::half ? r * 1.0f : 1e6f;
    const uint32_t lit = 0xFFFFF2B8;
    for (int py = static_cast<int>(y - r - 2); py <= static_cast<int>(y + r + 2); ++py) {
        for (int px = static_cast<int>(x - r - 2); px <= static_cast<int>(x + r + 2); ++px) {
            float dx = static_cast<float>(px) + 0.5f - x, dy = static_cast<float>(py) + 0.5f - y;
            float d1 = std::sqrt(dx * dx + dy * dy) - r;
            float ex = dx + shift;
            float d2 = std::sqrt(ex * ex + dy * dy) - r * 1.02f;
            float cov = std::clamp(0.5f - d1, 0.0f, 1.0f) * std::clamp(0.5f + d2, 0.0f, 1.0f);
            blend_pixel(c, px, py, lit, cov);
        }
    }
    if (phase == MoonPhase::full) {
        fill_circle(c, x - r * 0.3f, y + r * 0.25f, r * 0.18f, 0x30C8B080);
        fill_circle(c, x + r * 0.35f, y - r * 0.3f, r * 0.13f, 0x30C8B080);
        fill_circle(c, x + r * 0.1f, y + r * 0.5f, r * 0.1f, 0x30C8B080);
    }
    if (face) {  // a sleepy smiling face on the lit part
        float fx = phase == MoonPhase::full ? x : x + r * 0.55f;
        float w = phase == MoonPhase::full ? r * 0.28f : r * 0.12f;
        for (int side = -1; side <= 1; side += 2) {
            float ex = fx + side * w;
            if (phase != MoonPhase::full && side < 0) continue;
            std::vector<Point> lid;
            for (int i = 0; i <= 8; ++i) {
                float a = kPi * static_cast<float>(i) / 8.0f;
                lid.push_back({ex - r * 0.1f * std::cos(a), y - r * 0.12f + r * 0.05f * std::sin(a)});
            }
            stroke_polyline(c, lid, r * 0.035f + 1.0f, 0xFF8C6C3C, false);
        }
        std::vector<Point> smile;
        for (int i = 0; i <= 8; ++i) {
            float a = kPi * static_cast<float>(i) / 8.0f;
            smile.push_back({fx + (phase == MoonPhase::full ? 0 : r * 0.05f) - r * 0.1f * std::cos(a),
                             y + r * 0.22f + r * 0.07f * std::sin(a)});
        }
        stroke_polyline(c, smile, r * 0.035f + 1.0f, 0xFF8C6C3C, false);
        fill_circle(c, fx + w * 0.6f + r * 0.12f, y + r * 0.1f, r * 0.08f, 0x50FF9C8C);
    }
}

void draw_cloud(Canvas& c, const Palette& pal, float x, float y, float w, uint32_t seed) {
    Rng rng{seed | 1u};
    uint32_t body = pal.night ? 0xFF34406C : mix(0xFFFFFFFF, pal.tint, pal.tint_amount * 1.5f);
    uint32_t under = shade(body, 0.88f);
    int puffs = 5 + static_cast<int>(rng.next() % 3);
    for (int pass = 0; pass < 2; ++pass) {
        Rng r2{seed | 1u};
        for (int i = 0; i < puffs; ++i) {
            float t = static_cast<float>(i) / static_cast<float>(puffs - 1);
            float px = x - w * 0.5f + w * t;
            float pr = w * (0.16f + 0.1f * std::sin(t * kPi)) * r2.uniform(0.85f, 1.15f);
            float py = y - pr * 0.5f * std::sin(t * kPi) + r2.uniform(-4, 4);
            if (pass == 0) fill_circle(c, px, py + 5, pr, under);
            else fill_circle(c, px, py, pr * 0.94f, body);
        }
    }
}

void draw_hills(Canvas& c, float base_y, float amplitude, uint32_t colour, uint32_t seed,
                float wavelength) {
    std::vector<Point> pts;
    for (int x = -10; x <= c.width + 10; x += 8) {
        pts.push_back({static_cast<float>(x), ridge(static_cast<float>(x), base_y, amplitude, seed, wavelength)});
    }
    pts.push_back({static_cast<float>(c.width + 10), static_cast<float>(c.height + 5)});
    pts.push_back({-10.0f, static_cast<float>(c.height + 5)});
    fill_polygon(c, pts, colour);
    // A lighter rim along the crest, like a brush stroke catching the light.
    std::vector<Point> rim(pts.begin(), pts.end() - 2);
    for (Point& p : rim) p.y += 3.0f;
    stroke_polyline(c, rim, 3.0f, (mix(colour, 0xFFFFFFFF, 0.15f) & 0x00FFFFFF) | 0x80000000, false);
}

void draw_grass_detail(Canvas& c, const Palette& pal, int y0, int y1, uint32_t seed, int count,
                       bool flowers) {
    Rng rng{seed | 1u};
    static const uint32_t kPetals[] = {0xFFF07C8C, 0xFFFFE070, 0xFFFFFFFF, 0xFFB08CF0, 0xFFFFA860};
    for (int i = 0; i < count; ++i) {
        float x = rng.uniform(0, static_cast<float>(c.width));
        float y = rng.uniform(static_cast<float>(y0), static_cast<float>(y1));
        float depth = (y - y0) / static_cast<float>(std::max(1, y1 - y0));
        float h = 6.0f + 12.0f * depth;
        uint32_t blade = tone(pal, mix(0xFF4C8C34, 0xFF8CC45C, rng.uniform(0, 1)));
        stroke_line(c, {x, y}, {x - h * 0.3f, y - h}, 1.2f + depth, blade);
        stroke_line(c, {x + 2, y}, {x + 3 + h * 0.2f, y - h * 0.8f}, 1.2f + depth, blade);
        if (flowers && i % 4 == 0) {
            uint32_t petal = tone(pal, kPetals[rng.next() % 5]);
            float r = 2.0f + 3.0f * depth;
            for (int k = 0; k < 5; ++k) {
                float a = 2 * kPi * static_cast<float>(k) / 5.0f;
                fill_circle(c, x + std::cos(a) * r, y - h + std::sin(a) * r, r * 0.75f, petal);
            }
            fill_circle(c, x, y - h, r * 0.55f, tone(pal, 0xFFFFC830));
        }
    }
}

void draw_tree(Canvas& c, const Palette& pal, float x, float ground, float h, bool pine,
               uint32_t seed) {
    Rng rng{seed | 1u};
    uint32_t ink = tone(pal, kInk);
    uint32_t bark = tone(pal, 0xFF8C5C38);
    float tw = h * 0.07f;
    std::vector<Point> trunk = {{x - tw, ground}, {x - tw * 0.6f, ground - h * 0.55f},
                                {x + tw * 0.6f, ground - h * 0.55f}, {x + tw, ground}};
    stroke_polyline(c, trunk, 4.0f, ink, true);
    fill_polygon(c, trunk, bark);
    if (pine) {
        uint32_t leaf = tone(pal, 0xFF2C6C4C);
        for (int layer = 0; layer < 3; ++layer) {
            float top = ground - h + h * 0.22f * static_cast<float>(layer);
            float half = h * (0.2f + 0.08f * static_cast<float>(layer));
            std::vector<Point> tri = {{x, top}, {x + half, top + h * 0.42f}, {x - half, top + h * 0.42f}};
            stroke_polyline(c, tri, 4.0f, ink, true);
            fill_polygon(c, tri, mix(leaf, 0xFF000000, 0.1f * static_cast<float>(2 - layer)));
            stroke_line(c, {x - half * 0.5f, top + h * 0.3f}, {x - half * 0.1f, top + h * 0.12f},
                        2.0f, mix(leaf, 0xFFFFFFFF, 0.25f));
        }
        return;
    }
    uint32_t leaf = tone(pal, mix(0xFF3C8C3C, 0xFF6CAC3C, rng.uniform(0, 1)));
    struct Blob { float x, y, r; };
    Blob blobs[7];
    for (int i = 0; i < 7; ++i) {
        float a = 2 * kPi * static_cast<float>(i) / 7.0f + rng.uniform(-0.3f, 0.3f);
        float rad = (i == 0) ? 0.0f : h * 0.17f;
        blobs[i] = {x + std::cos(a) * rad * 1.2f, ground - h * 0.7f + std::sin(a) * rad,
                    h * rng.uniform(0.16f, 0.22f)};
    }
    for (const Blob& b : blobs) fill_circle(c, b.x, b.y, b.r + 2.5f, ink);
    for (const Blob& b : blobs) fill_circle(c, b.x, b.y, b.r, leaf);
    for (const Blob& b : blobs) {
        fill_circle(c, b.x - b.r * 0.3f, b.y - b.r * 0.3f, b.r * 0.45f, mix(leaf, 0xFFFFFFC0, 0.18f));
    }
}

void draw_house(Canvas& c, const Palette& pal, float x, float ground, float w, float h,
                uint32_t wall, uint32_t roof, bool lit) {
    uint32_t ink = tone(pal, kInk);
    float top = ground - h;
    std::vector<Point> body = {{x, top}, {x + w, top}, {x + w, ground}, {x, ground}};
    stroke_polyline(c, body, 4.0f, ink, true);
    fill_polygon(c, body, tone(pal, wall));
    fill_polygon(c, {{x + w * 0.7f, top}, {x + w, top}, {x + w, ground}, {x + w * 0.7f, ground}},
                 0x18000000);
    // Chimney, then the roof over it.
    std::vector<Point> chimney = {{x + w * 0.68f, top - h * 0.55f}, {x + w * 0.8f, top - h * 0.55f},
                                  {x + w * 0.8f, top - h * 0.1f}, {x + w * 0.68f, top - h * 0.1f}};
    stroke_polyline(c, chimney, 4.0f, ink, true);
    fill_polygon(c, chimney, tone(pal, 0xFFA0605C));
    std::vector<Point> roof_pts = {{x - w * 0.1f, top + 2}, {x + w * 0.5f, top - h * 0.75f},
                                   {x + w * 1.1f, top + 2}};
    stroke_polyline(c, roof_pts, 5.0f, ink, true);
    fill_polygon(c, roof_pts, tone(pal, roof));
    for (int i = 1; i < 4; ++i) {  // roof tiles as soft lines
        float t = static_cast<float>(i) / 4.0f;
        stroke_line(c, {x - w * 0.1f + w * 0.6f * t, top + 2 - h * 0.75f * t},
                    {x + w * 1.1f - w * 0.6f * t, top + 2 - h * 0.75f * t}, 1.5f, shade(tone(pal, roof), 0.85f));
    }
    // Door and two windows.
    float dw = w * 0.2f, dh = h * 0.5f, dx = x + w * 0.4f;
    std::vector<Point> door = {{dx, ground - dh}, {dx + dw, ground - dh}, {dx + dw, ground}, {dx, ground}};
    stroke_polyline(c, door, 3.0f, ink, true);
    fill_polygon(c, door, tone(pal, 0xFF8C5430));
    fill_circle(c, dx + dw * 0.8f, ground - dh * 0.45f, 2.5f, tone(pal, 0xFFE8C860));
    uint32_t glass = lit ? 0xFFFFE08C : tone(pal, 0xFFA8D8F0);
    for (int i = 0; i < 2; ++i) {
        float wx = x + w * (i == 0 ? 0.1f : 0.68f), wy = top + h * 0.2f, ww = w * 0.2f, wh = h * 0.28f;
        if (lit) fill_glow(c, wx + ww / 2, wy + wh / 2, ww * 1.6f, 0x60FFD070);
        std::vector<Point> win = {{wx, wy}, {wx + ww, wy}, {wx + ww, wy + wh}, {wx, wy + wh}};
        stroke_polyline(c, win, 3.0f, ink, true);
        fill_polygon(c, win, glass);
        stroke_line(c, {wx + ww / 2, wy}, {wx + ww / 2, wy + wh}, 2.0f, ink);
        stroke_line(c, {wx, wy + wh / 2}, {wx + ww, wy + wh / 2}, 2.0f, ink);
    }
}

void draw_path(Canvas& c, const Palette& pal, float x_bottom, float x_top, float y_top,
               float w_bottom, float w_top, float bend, uint32_t colour) {
    std::vector<Point> left, right;
    float y_bottom = static_cast<float>(c.height) + 4.0f;
    for (int i = 0; i <= 24; ++i) {
        float t = static_cast<float>(i) / 24.0f;  // 0 at the bottom, 1 at the horizon
        float y = y_bottom + (y_top - y_bottom) * t;
        float cx = x_bottom + (x_top - x_bottom) * t + bend * std::sin(t * kPi);
        float hw = (w_bottom + (w_top - w_bottom) * std::sqrt(t)) * 0.5f;
        left.push_back({cx - hw, y});
        right.push_back({cx + hw, y});
    }
    std::vector<Point> poly(left.begin(), left.end());
    poly.insert(poly.end(), right.rbegin(), right.rend());
    fill_polygon(c, poly, tone(pal, colour));
    stroke_polyline(c, left, 2.0f, tone(pal, shade(colour, 0.8f)), false);
    stroke_polyline(c, right, 2.0f, tone(pal, shade(colour, 0.8f)), false);
    Rng rng{0x5EEDu};  // a few pebbles
    for (int i = 0; i < 30; ++i) {
        float t = rng.uniform(0.0f, 0.8f);
        float y = y_bottom + (y_top - y_bottom) * t;
        float cx = x_bottom + (x_top - x_bottom) * t + bend * std::sin(t * kPi);
        float hw = (w_bottom + (w_top - w_bottom) * std::sqrt(t)) * 0.4f;
        float r = 1.5f + 4.0f * (1.0f - t);
        fill_ellipse(c, cx + rng.uniform(-hw, hw), y, r, r * 0.6f, tone(pal, shade(colour, 0.86f)));
    }
}

void draw_water_band(Canvas& c, const Palette& pal, float y_top, float y_bottom, uint32_t seed) {
    uint32_t top = tone(pal, mix(pal.water, pal.sky[2], 0.3f));
    uint32_t colours[2] = {top, shade(pal.water, 0.85f)};
    int y0 = static_cast<int>(y_top), y1 = static_cast<int>(y_bottom);
    for (int y = std::max(0, y0); y <= std::min(c.height - 1, y1); ++y) {
        float t = static_cast<float>(y - y0) / static_cast<float>(std::max(1, y1 - y0));
        uint32_t row = mix(colours[0], colours[1], t);
        for (int x = 0; x < c.width; ++x) c.pixels[static_cast<size_t>(y) * c.width + x] = row;
    }
    Rng rng{seed | 1u};
    for (int i = 0; i < 70; ++i) {  // glints on the surface
        float y = rng.uniform(y_top + 4, y_bottom - 2);
        float x = rng.uniform(0, static_cast<float>(c.width));
        float len = 10.0f + 40.0f * (y - y_top) / (y_bottom - y_top);
        stroke_line(c, {x, y}, {x + len, y}, 1.5f, pal.night ? 0x50C8D8FF : 0x80FFFFFF);
    }
}

void draw_river(Canvas& c, const Palette& pal, float x_bottom, float x_top, float y_top,
                float w_bottom, float w_top, uint32_t seed) {
    draw_path(c, pal, x_bottom, x_top, y_top, w_bottom + 16, w_top + 4, 30.0f, 0xFFB0A080);
    draw_path(c, pal, x_bottom, x_top, y_top, w_bottom, w_top, 30.0f, pal.water);
    Rng rng{seed | 1u};
    for (int i = 0; i < 40; ++i) {
        float t = rng.uniform(0.0f, 0.9f);
        float y = static_cast<float>(c.height) + (y_top - static_cast<float>(c.height)) * t;
        float cx = x_bottom + (x_top - x_bottom) * t + 30.0f * std::sin(t * kPi);
        float hw = (w_bottom + (w_top - w_bottom) * std::sqrt(t)) * 0.35f;
        float x = cx + rng.uniform(-hw, hw);
        stroke_line(c, {x, y}, {x + 6 + 20 * (1 - t), y}, 1.5f, pal.night ? 0x60C8D8FF : 0x90FFFFFF);
    }
}

void draw_bridge(Canvas& c, const Palette& pal, float x0, float x1, float y) {
    uint32_t ink = tone(pal, kInk);
    uint32_t wood = tone(pal, 0xFFB07848);
    std::vector<Point> top, bottom;
    for (int i = 0; i <= 20; ++i) {
        float t = static_cast<float>(i) / 20.0f;
        float x = x0 + (x1 - x0) * t;
        float arch = std::sin(t * kPi) * 40.0f;
        top.push_back({x, y - arch});
        bottom.push_back({x, y - arch + 22});
    }
    std::vector<Point> deck(top.begin(), top.end());
    deck.insert(deck.end(), bottom.rbegin(), bottom.rend());
    stroke_polyline(c, deck, 4.0f, ink, true);
    fill_polygon(c, deck, wood);
    for (int i = 0; i <= 20; i += 2) {  // posts and the rail
        Point p = top[i];
        stroke_line(c, {p.x, p.y}, {p.x, p.y - 34}, 5.0f, ink);
        stroke_line(c, {p.x, p.y}, {p.x, p.y - 34}, 2.5f, wood);
    }
    std::vector<Point> rail = top;
    for (Point& p : rail) p.y -= 34;
    stroke_polyline(c, rail, 6.0f, ink, false);
    stroke_polyline(c, rail, 3.0f, mix(wood, 0xFFFFFFFF, 0.2f), false);
}

void draw_fence(Canvas& c, const Palette& pal, float x0, float x1, float ground) {
    uint32_t ink = tone(pal, kInk), wood = tone(pal, 0xFFF0E0C0);
    for (float x = x0; x <= x1; x += 26.0f) {
        std::vector<Point> post = {{x - 5, ground}, {x - 5, ground - 34}, {x, ground - 42},
                                   {x + 5, ground - 34}, {x + 5, ground}};
        stroke_polyline(c, post, 3.0f, ink, true);
        fill_polygon(c, post, wood);
    }
    stroke_line(c, {x0, ground - 26}, {x1, ground - 26}, 6.0f, ink);
    stroke_line(c, {x0, ground - 26}, {x1, ground - 26}, 3.0f, wood);
}

void draw_signpost(Canvas& c, const Palette& pal, float x, float ground) {
    uint32_t ink = tone(pal, kInk), wood = tone(pal, 0xFFC89058);
    stroke_line(c, {x, ground}, {x, ground - 120}, 10.0f, ink);
    stroke_line(c, {x, ground}, {x, ground - 120}, 6.0f, wood);
    std::vector<Point> a = {{x - 6, ground - 112}, {x + 60, ground - 112}, {x + 76, ground - 100},
                            {x + 60, ground - 88}, {x - 6, ground - 88}};
    std::vector<Point> b = {{x + 6, ground - 80}, {x - 60, ground - 80}, {x - 76, ground - 68},
                            {x - 60, ground - 56}, {x + 6, ground - 56}};
    for (auto* board : {&a, &b}) {
        stroke_polyline(c, *board, 3.0f, ink, true);
        fill_polygon(c, *board, wood);
    }
    stroke_line(c, {x + 6, ground - 100}, {x + 50, ground - 100}, 2.0f, shade(wood, 0.6f));
    stroke_line(c, {x - 6, ground - 68}, {x - 50, ground - 68}, 2.0f, shade(wood, 0.6f));
}

void draw_rock(Canvas& c, const Palette& pal, float x, float ground, float w, float h) {
    uint32_t ink = tone(pal, kInk), stone = tone(pal, 0xFFA8A098);
    std::vector<Point> r = {{x - w * 0.5f, ground}, {x - w * 0.45f, ground - h * 0.6f},
                            {x - w * 0.2f, ground - h}, {x + w * 0.25f, ground - h * 0.95f},
                            {x + w * 0.5f, ground - h * 0.4f}, {x + w * 0.52f, ground}};
    stroke_polyline(c, r, 4.0f, ink, true);
    fill_polygon(c, r, stone);
    fill_polygon(c, {{x - w * 0.2f, ground - h * 0.92f}, {x + w * 0.2f, ground - h * 0.88f},
                     {x, ground - h * 0.6f}, {x - w * 0.35f, ground - h * 0.55f}},
                 mix(stone, 0xFFFFFFFF, 0.25f));
}

void draw_lamp(Canvas& c, const Palette& pal, float x, float ground, bool lit) {
    uint32_t ink = tone(pal, kInk);
    stroke_line(c, {x, ground}, {x, ground - 130}, 6.0f, ink);
    if (lit) fill_glow(c, x, ground - 140, 70.0f, 0x70FFD880);
    fill_circle(c, x, ground - 140, 13.0f, ink);
    fill_circle(c, x, ground - 140, 10.0f, lit ? 0xFFFFE8A0 : tone(pal, 0xFFE0E0D0));
}

void draw_fireflies(Canvas& c, uint32_t seed, int count, float y0, float y1) {
    Rng rng{seed | 1u};
    for (int i = 0; i < count; ++i) {
        float x = rng.uniform(0, static_cast<float>(c.width)), y = rng.uniform(y0, y1);
        fill_glow(c, x, y, 14.0f, 0x90D8FF80);
        fill_circle(c, x, y, 1.8f, 0xFFF8FFD0);
    }
}

void draw_page_corner(Canvas& c, bool left, float page_width) {
    const float s = 64.0f;
    float x0 = left ? 0.0f : page_width;
    float dir = left ? 1.0f : -1.0f;
    fill_polygon(c, {{x0 + dir * s, 0}, {x0, s}, {x0, 0}}, 0xFFFFFFFF);  // the page beneath
    std::vector<Point> fold = {{x0 + dir * s, 0}, {x0 + dir * s * 0.86f, s * 0.86f}, {x0, s}};
    fill_polygon(c, {{x0 + dir * (s + 5), 0}, {x0 + dir * s * 0.92f, s * 0.92f}, {x0, s + 5}}, 0x30000000);
    fill_polygon(c, fold, 0xFFF6EEDC);
    stroke_polyline(c, fold, 2.0f, 0xFFB4A88C, true);
    stroke_line(c, {x0 + dir * s * 0.8f, s * 0.3f}, {x0 + dir * s * 0.35f, s * 0.75f}, 1.5f, 0x60B4A88C);
}
