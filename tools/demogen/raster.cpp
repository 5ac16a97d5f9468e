// A small anti-aliased rasterizer into 32-bit ARGB buffers (see raster.h).
#include "tools/demogen/raster.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kSubRows = 4;  // vertical samples per pixel row in polygon filling

float channel(uint32_t argb, int shift) {
    return static_cast<float>((argb >> shift) & 0xFF);
}

uint32_t pack(float a, float r, float g, float b) {
    auto clamp8 = [](float v) {
        return static_cast<uint32_t>(std::clamp(v + 0.5f, 0.0f, 255.0f));
    };
    return (clamp8(a) << 24) | (clamp8(r) << 16) | (clamp8(g) << 8) | clamp8(b);
}

uint32_t hash3(int x, int y, uint32_t seed) {
    uint32_t h = seed * 0x9E3779B1u ^ static_cast<uint32_t>(x) * 0x85EBCA77u ^
                 static_cast<uint32_t>(y) * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

float smooth(float t) { return t * t * (3.0f - 2.0f * t); }

// Adds weight w of the span [xs, xe) to acc, with fractional coverage at both ends.
void add_span(std::vector<float>& acc, float xs, float xe, float w, int width) {
    xs = std::max(xs, 0.0f);
    xe = std::min(xe, static_cast<float>(width));
    if (xe <= xs) return;
    int ixs = static_cast<int>(xs);
    int ixe = static_cast<int>(xe);
    if (ixs == ixe) {
        acc[ixs] += (xe - xs) * w;
        return;
    }
    acc[ixs] += (static_cast<float>(ixs + 1) - xs) * w;
    for (int i = ixs + 1; i < ixe; ++i) acc[i] += w;
    if (ixe < width) acc[ixe] += (xe - static_cast<float>(ixe)) * w;
}

}  // namespace

Canvas make_canvas(int width, int height, uint32_t argb) {
    Canvas c;
    c.width = width;
    c.height = height;
    c.pixels.assign(static_cast<size_t>(width) * height, argb);
    return c;
}

uint32_t mix(uint32_t a, uint32_t b, float t) {
    float u = 1.0f - t;
    return pack(channel(a, 24) * u + channel(b, 24) * t, channel(a, 16) * u + channel(b, 16) * t,
                channel(a, 8) * u + channel(b, 8) * t, channel(a, 0) * u + channel(b, 0) * t);
}

uint32_t shade(uint32_t argb, float factor) {
    return pack(channel(argb, 24), channel(argb, 16) * factor, channel(argb, 8) * factor,
                channel(argb, 0) * factor);
}

void blend_pixel(Canvas& c, int x, int y, uint32_t argb, float coverage) {
    if (x < 0 || y < 0 || x >= c.width || y >= c.height || coverage <= 0.0f) return;
    uint32_t& d = c.pixels[static_cast<size_t>(y) * c.width + x];
    uint32_t a = static_cast<uint32_t>((argb >> 24) * std::min(coverage, 1.0f) * (256.0f / 255.0f) + 0.5f);
    if (a >= 256) {
        d = argb | 0xFF000000u;
        return;
    }
    uint32_t u = 256 - a;
    uint32_t r = (((argb >> 16) & 0xFF) * a + ((d >> 16) & 0xFF) * u) >> 8;
    uint32_t g = (((argb >> 8) & 0xFF) * a + ((d >> 8) & 0xFF) * u) >> 8;
    uint32_t b = ((argb & 0xFF) * a + (d & 0xFF) * u) >> 8;
    uint32_t da = ((255 * a) + (d >> 24) * u) >> 8;
    d = (da << 24) | (r << 16) | (g << 8) | b;
}

void fill_gradient_rows(Canvas& c, int y0, int y1, const uint32_t* colours, int count) {
    y0 = std::max(y0, 0);
    y1 = std::min(y1, c.height - 1);
    if (y1 < y0 || count < 1) return;
    for (int y = y0; y <= y1; ++y) {
        float t = (y1 == y0) ? 0.0f : static_cast<float>(y - y0) / static_cast<float>(y1 - y0);
        float pos = t * static_cast<float>(count - 1);
        int i = std::min(static_cast<int>(pos), count - 1);
        int j = std::min(i + 1, count - 1);
        uint32_t colour = mix(colours[i], colours[j], smooth(pos - static_cast<float>(i)));
        std::fill_n(c.pixels.begin() + static_cast<size_t>(y) * c.width, c.width, colour);
    }
}

void fill_ellipse(Canvas& c, float cx, float cy, float rx, float ry, uint32_t argb) {
    if (rx <= 0.0f || ry <= 0.0f) return;
    int x0 = std::max(0, static_cast<int>(std::floor(cx - rx - 1)));
    int x1 = std::min(c.width - 1, static_cast<int>(std::ceil(cx + rx + 1)));
    int y0 = std::max(0, static_cast<int>(std::floor(cy - ry - 1)));
    int y1 = std::min(c.height - 1, static_cast<int>(std::ceil(cy + ry + 1)));
    float irx2 = 1.0f / (rx * rx), iry2 = 1.0f / (ry * ry);
    for (int y = y0; y <= y1; ++y) {
        float dy = static_cast<float>(y) + 0.5f - cy;
        for (int x = x0; x <= x1; ++x) {
            float dx = static_cast<float>(x) + 0.5f - cx;
            float f = dx * dx * irx2 + dy * dy * iry2 - 1.0f;
            float gx = 2.0f * dx * irx2, gy = 2.0f * dy * iry2;
            float g = std::sqrt(gx * gx + gy * gy);
            float dist = g > 1e-6f ? f / g : -rx;
            float cov = 0.5f - dist;
            if (cov > 0.0f) blend_pixel(c, x, y, argb, cov);
        }
    }
}

void fill_circle(Canvas& c, float cx, float cy, float r, uint32_t argb) {
    fill_ellipse(c, cx, cy, r, r, argb);
}

void fill_glow(Canvas& c, float cx, float cy, float r, uint32_t argb) {
    int x0 = std::max(0, static_cast<int>(cx - r));
    int x1 = std::min(c.width - 1, static_cast<int>(cx + r));
    int y0 = std::max(0, static_cast<int>(cy - r));
    int y1 = std::min(c.height - 1, static_cast<int>(cy + r));
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            float dx = static_cast<float>(x) - cx, dy = static_cast<float>(y) - cy;
            float d = std::sqrt(dx * dx + dy * dy) / r;
            if (d < 1.0f) blend_pixel(c, x, y, argb, (1.0f - d) * (1.0f - d));
        }
    }
}

void fill_polygon(Canvas& c, const Point* pts, int count, uint32_t argb) {
    if (count < 3) return;
    float miny = pts[0].y, maxy = pts[0].y, minx = pts[0].x, maxx = pts[0].x;
    for (int i = 1; i < count; ++i) {
        miny = std::min(miny, pts[i].y);
        maxy = std::max(maxy, pts[i].y);
        minx = std::min(minx, pts[i].x);
        maxx = std::max(maxx, pts[i].x);
    }
    int y0 = std::max(0, static_cast<int>(std::floor(miny)));
    int y1 = std::min(c.height - 1, static_cast<int>(std::ceil(maxy)));
    int x0 = std::max(0, static_cast<int>(std::floor(minx)));
    int x1 = std::min(c.width - 1, static_cast<int>(std::ceil(maxx)));
    if (y1 < y0 || x1 < x0) return;
    std::vector<float> acc(static_cast<size_t>(c.width) + 1, 0.0f);
    struct Crossing {
        float x;
        int dir;
    };
    std::vector<Crossing> xs;
    for (int y = y0; y <= y1; ++y) {
        std::fill(acc.begin() + x0, acc.begin() + x1 + 1, 0.0f);
        for (int s = 0; s < kSubRows; ++s) {
            float sy = static_cast<float>(y) + (static_cast<float>(s) + 0.5f) / kSubRows;
            xs.clear();
            for (int i = 0; i < count; ++i) {
                const Point& a = pts[i];
                const Point& b = pts[(i + 1) % count];
                if ((a.y <= sy && sy < b.y) || (b.y <= sy && sy < a.y)) {
                    float x = a.x + (sy - a.y) * (b.x - a.x) / (b.y - a.y);
                    xs.push_back({x, a.y < b.y ? 1 : -1});
                }
            }
            std::sort(xs.begin(), xs.end(),
                      [](const Crossing& p, const Crossing& q) { return p.x < q.x; });
            int winding = 0;
            float start = 0.0f;
            for (const Crossing& k : xs) {
                int before = winding;
                winding += k.dir;
                if (before == 0 && winding != 0) start = k.x;
                if (before != 0 && winding == 0) add_span(acc, start, k.x, 1.0f / kSubRows, c.width);
            }
        }
        for (int x = x0; x <= x1; ++x) {
            if (acc[x] > 0.0f) blend_pixel(c, x, y, argb, acc[x]);
        }
    }
}

void fill_polygon(Canvas& c, const std::vector<Point>& pts, uint32_t argb) {
    fill_polygon(c, pts.data(), static_cast<int>(pts.size()), argb);
}

void stroke_line(Canvas& c, Point a, Point b, float width, uint32_t argb) {
    float dx = b.x - a.x, dy = b.y - a.y;
    float len = std::sqrt(dx * dx + dy * dy);
    float h = width * 0.5f;
    if (len > 1e-4f) {
        float nx = -dy / len * h, ny = dx / len * h;
        Point quad[4] = {{a.x + nx, a.y + ny}, {b.x + nx, b.y + ny}, {b.x - nx, b.y - ny},
                         {a.x - nx, a.y - ny}};
        fill_polygon(c, quad, 4, argb);
    }
    fill_circle(c, a.x, a.y, h, argb);
    fill_circle(c, b.x, b.y, h, argb);
}

void stroke_polyline(Canvas& c, const std::vector<Point>& pts, float width, uint32_t argb,
                     bool closed) {
    size_t n = pts.size();
    for (size_t i = 0; i + 1 < n; ++i) stroke_line(c, pts[i], pts[i + 1], width, argb);
    if (closed && n > 2) stroke_line(c, pts[n - 1], pts[0], width, argb);
}

float value_noise(float x, float y, uint32_t seed) {
    float fx = std::floor(x), fy = std::floor(y);
    int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    float tx = smooth(x - fx), ty = smooth(y - fy);
    auto v = [&](int i, int j) {
        return static_cast<float>(hash3(ix + i, iy + j, seed) & 0xFFFF) / 65535.0f;
    };
    float top = v(0, 0) + (v(1, 0) - v(0, 0)) * tx;
    float bottom = v(0, 1) + (v(1, 1) - v(0, 1)) * tx;
    return top + (bottom - top) * ty;
}

float fbm(float x, float y, int octaves, uint32_t seed) {
    float sum = 0.0f, amp = 0.5f, norm = 0.0f;
    for (int i = 0; i < octaves; ++i) {
        sum += value_noise(x, y, seed + static_cast<uint32_t>(i) * 101u) * amp;
        norm += amp;
        x *= 2.03f;
        y *= 2.03f;
        amp *= 0.5f;
    }
    return sum / norm;
}

uint32_t Rng::next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

float Rng::uniform(float lo, float hi) {
    return lo + (hi - lo) * static_cast<float>(next() & 0xFFFFFF) / 16777216.0f;
}

void apply_paper(Canvas& c, uint32_t seed, float strength) {
    // The soft blotches change slowly: computed on a grid of kStep pixels and interpolated.
    constexpr int kStep = 4;
    const int gw = c.width / kStep + 2, gh = c.height / kStep + 2;
    std::vector<float> low(static_cast<size_t>(gw) * gh);
    for (int gy = 0; gy < gh; ++gy) {
        for (int gx = 0; gx < gw; ++gx) {
            float fx = static_cast<float>(gx * kStep), fy = static_cast<float>(gy * kStep);
            low[static_cast<size_t>(gy) * gw + gx] =
                (fbm(fx / 140.0f, fy / 140.0f, 3, seed) - 0.5f) * 0.16f +
                (value_noise(fx / 9.0f, fy / 9.0f, seed ^ 0x77u) - 0.5f) * 0.03f;
        }
    }
    const float cx = c.width * 0.5f, cy = c.height * 0.5f;
    const float inv = 1.0f / (cx * cx + cy * cy);
    for (int y = 0; y < c.height; ++y) {
        int gy = y / kStep;
        float ty = static_cast<float>(y % kStep) / kStep;
        const float* row0 = &low[static_cast<size_t>(gy) * gw];
        const float* row1 = row0 + gw;
        float dy = static_cast<float>(y) - cy;
        for (int x = 0; x < c.width; ++x) {
            int gx = x / kStep;
            float tx = static_cast<float>(x % kStep) / kStep;
            float top = row0[gx] + (row0[gx + 1] - row0[gx]) * tx;
            float bottom = row1[gx] + (row1[gx + 1] - row1[gx]) * tx;
            float blotch = top + (bottom - top) * ty;
            float dx = static_cast<float>(x) - cx;
            float vignette = 1.0f - 0.22f * strength * (dx * dx + dy * dy) * inv;
            float f = (1.0f + strength * blotch) * vignette;
            uint32_t& p = c.pixels[static_cast<size_t>(y) * c.width + x];
            // A faint warm paper tint.
            float r = channel(p, 16) * f, g = channel(p, 8) * f, b = channel(p, 0) * f * 0.97f;
            p = pack(channel(p, 24), r + 3.0f * strength, g + 1.5f * strength, b);
        }
    }
}
