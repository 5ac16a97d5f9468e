// The pieces a picture-book page is painted from: sky, sun and moon, clouds, hills, trees,
// houses, paths, water, and the three characters (drawn with outlines).
#pragma once
#include <cstdint>

#include "tools/demogen/raster.h"

enum class TimeOfDay { morning, day, afternoon, dusk, night };
enum class MoonPhase { none, crescent, half, full };

// Colours of one time of day; tone() darkens and tints an object colour to match the light.
struct Palette {
    uint32_t sky[4];         // top to horizon
    uint32_t hill_far;       // distant hills
    uint32_t hill_near;      // near ground
    uint32_t grass;          // foreground grass
    uint32_t path;           // footpath / street
    uint32_t water;          // river and lake
    uint32_t tint;           // colour objects lean towards
    float light;             // 0..1 brightness of lit objects
    float tint_amount;       // 0..1 how much objects lean towards tint
    bool night;              // stars and lit windows
};

const Palette& palette_for(TimeOfDay time);
// Indoors at night, by lamplight.
const Palette& indoor_palette();
uint32_t tone(const Palette& pal, uint32_t argb);
// Characters are kept lighter than the scenery at dusk and night.
uint32_t tone_figure(const Palette& pal, uint32_t argb);

void draw_sky(Canvas& c, const Palette& pal, int horizon);
void draw_stars(Canvas& c, uint32_t seed, int count, int max_y);
void draw_sun(Canvas& c, float x, float y, float r, uint32_t colour);
void draw_moon(Canvas& c, float x, float y, float r, MoonPhase phase, bool face);
void draw_cloud(Canvas& c, const Palette& pal, float x, float y, float w, uint32_t seed);
// A band of hills whose top follows a sum of sines around base_y; filled to the bottom.
void draw_hills(Canvas& c, float base_y, float amplitude, uint32_t colour, uint32_t seed,
                float wavelength);
void draw_grass_detail(Canvas& c, const Palette& pal, int y0, int y1, uint32_t seed, int count,
                       bool flowers);
void draw_tree(Canvas& c, const Palette& pal, float x, float ground, float h, bool pine,
               uint32_t seed);
void draw_house(Canvas& c, const Palette& pal, float x, float ground, float w, float h,
                uint32_t wall, uint32_t roof, bool lit);
// A path from a wide start at the bottom to a narrow end at the horizon, bending by `bend`.
void draw_path(Canvas& c, const Palette& pal, float x_bottom, float x_top, float y_top,
               float w_bottom, float w_top, float bend, uint32_t colour);
void draw_water_band(Canvas& c, const Palette& pal, float y_top, float y_bottom, uint32_t seed);
void draw_river(Canvas& c, const Palette& pal, float x_bottom, float x_top, float y_top,
                float w_bottom, float w_top, uint32_t seed);
void draw_bridge(Canvas& c, const Palette& pal, float x0, float x1, float y);
void draw_fence(Canvas& c, const Palette& pal, float x0, float x1, float ground);
void draw_signpost(Canvas& c, const Palette& pal, float x, float ground);
void draw_rock(Canvas& c, const Palette& pal, float x, float ground, float w, float h);
void draw_lamp(Canvas& c, const Palette& pal, float x, float ground, bool lit);
void draw_fireflies(Canvas& c, uint32_t seed, int count, float y0, float y1);
// A curled page corner at the top left, or at the top right of a page `page_width` wide: where
// a page turns.
void draw_page_corner(Canvas& c, bool left, float page_width);

// Characters: feet at (x, ground); scale 1 is a child about 190 pixels tall.
enum class ChildPose { standing, pointing, waving };
void draw_child(Canvas& c, const Palette& pal, float x, float ground, float scale, ChildPose pose);
void draw_cat(Canvas& c, const Palette& pal, float x, float ground, float scale, bool facing_left);
void draw_bird(Canvas& c, const Palette& pal, float x, float y, float scale, bool flying,
               bool facing_left);
// The child asleep in bed and a cat curled up beside her (indoors).
void draw_child_in_bed(Canvas& c, const Palette& pal, float x, float y, float scale);
void draw_cat_curled(Canvas& c, const Palette& pal, float x, float ground, float scale);
