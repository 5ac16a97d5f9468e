// A small anti-aliased rasterizer into 32-bit ARGB buffers: gradients, circles and ellipses,
// polygons, thick lines, soft noise. Enough to paint picture-book pages.
#pragma once
#include <cstdint>
#include <vector>

struct Canvas {
    int width = 0;                  // pixels
    int height = 0;                 // pixels
    std::vector<uint32_t> pixels;   // width x height, 0xAARRGGBB, row-major from the top
};

struct Point {
    float x, y;  // canvas pixels, y downwards
};

// Makes a canvas filled with one colour.
Canvas make_canvas(int width, int height, uint32_t argb);

// Colour helpers: mixes a and b (t = 0 gives a, 1 gives b); scales the colour's brightness.
uint32_t mix(uint32_t a, uint32_t b, float t);
uint32_t shade(uint32_t argb, float factor);

// Blends colour over pixel (x, y) with the given coverage (0..1) times the colour's alpha.
void blend_pixel(Canvas& c, int x, int y, uint32_t argb, float coverage);

// Fills rows y0..y1 with a vertical gradient through `count` colours spaced evenly.
void fill_gradient_rows(Canvas& c, int y0, int y1, const uint32_t* colours, int count);

// Filled ellipse / circle with soft (anti-aliased) edges.
void fill_ellipse(Canvas& c, float cx, float cy, float rx, float ry, uint32_t argb);
void fill_circle(Canvas& c, float cx, float cy, float r, uint32_t argb);
// A round glow: colour at the centre fading to nothing at radius r.
void fill_glow(Canvas& c, float cx, float cy, float r, uint32_t argb);

// Filled polygon (non-zero winding) with anti-aliased edges.
void fill_polygon(Canvas& c, const Point* pts, int count, uint32_t argb);
void fill_polygon(Canvas& c, const std::vector<Point>& pts, uint32_t argb);
// Line of the given width with round ends; a polyline joins its segments with round joints.
void stroke_line(Canvas& c, Point a, Point b, float width, uint32_t argb);
void stroke_polyline(Canvas& c, const std::vector<Point>& pts, float width, uint32_t argb,
                     bool closed);

// Deterministic value noise in 0..1 with smooth interpolation; fbm sums `octaves` of it.
float value_noise(float x, float y, uint32_t seed);
float fbm(float x, float y, int octaves, uint32_t seed);

// Small deterministic random source for scattering things.
struct Rng {
    uint32_t state;                           // never 0
    uint32_t next();                          // next 32-bit value
    float uniform(float lo, float hi);        // in [lo, hi)
};

// Picture-book finish over the whole canvas: soft watercolour blotches, a warm paper tint and
// a vignette. (No per-pixel grain: it would make the PNG files large and slow to write.)
void apply_paper(Canvas& c, uint32_t seed, float strength);
