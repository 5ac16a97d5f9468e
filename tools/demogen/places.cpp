// The places of the demo story: how each one is laid out and painted, and where its fixed
// things (doors, windows, paths, water) stand for the hot-spots.
#include <algorithm>
#include <cmath>

#include "tools/demogen/pictures.h"

namespace {

constexpr uint32_t kInk = 0xFF3A2A2A;

struct PlaceBox {
    Place place;
    Anchor anchor;
    Box box;
};

// Fixed things of each place; the painting below puts them exactly there.
const PlaceBox kPlaceBoxes[] = {
    {Place::garden, Anchor::door, {168, 320, 222, 405}},
    {Place::garden, Anchor::window, {93, 271, 147, 321}},
    {Place::garden, Anchor::tree, {590, 130, 770, 405}},
    {Place::garden, Anchor::path, {150, 430, 330, 599}},
    {Place::garden, Anchor::sky, {90, 0, 700, 110}},
    {Place::room, Anchor::window, {450, 70, 710, 310}},
    {Place::room, Anchor::sky, {450, 70, 710, 310}},
    {Place::room, Anchor::bed, {30, 340, 400, 560}},
    {Place::village, Anchor::door, {466, 308, 504, 385}},
    {Place::village, Anchor::window, {57, 273, 97, 316}},
    {Place::village, Anchor::path, {250, 440, 560, 599}},
    {Place::village, Anchor::sky, {90, 0, 700, 150}},
    {Place::meadow, Anchor::tree, {550, 160, 740, 395}},
    {Place::meadow, Anchor::path, {250, 470, 520, 599}},
    {Place::meadow, Anchor::sky, {90, 0, 700, 200}},
    {Place::crossroads, Anchor::path, {100, 360, 330, 460}},
    {Place::crossroads, Anchor::path2, {480, 360, 700, 460}},
    {Place::crossroads, Anchor::sign, {340, 340, 500, 470}},
    {Place::crossroads, Anchor::tree, {600, 110, 799, 340}},
    {Place::crossroads, Anchor::sky, {90, 0, 590, 200}},
    {Place::forest, Anchor::path, {330, 430, 530, 599}},
    {Place::forest, Anchor::tree, {10, 100, 190, 480}},
    {Place::forest, Anchor::sky, {250, 0, 600, 120}},
    {Place::river, Anchor::water, {450, 420, 720, 599}},
    {Place::river, Anchor::sky, {90, 0, 700, 200}},
    {Place::bridge, Anchor::water, {0, 390, 240, 465}},
    {Place::bridge, Anchor::path, {250, 360, 550, 470}},
    {Place::bridge, Anchor::sky, {90, 0, 700, 200}},
    {Place::lake, Anchor::water, {0, 320, 799, 460}},
    {Place::lake, Anchor::sky, {90, 0, 700, 220}},
    {Place::hill, Anchor::path, {560, 250, 799, 380}},
    {Place::hill, Anchor::sky, {90, 0, 600, 200}},
    {Place::hilltop, Anchor::rock, {290, 380, 510, 470}},
    {Place::hilltop, Anchor::path, {0, 470, 150, 599}},
    {Place::hilltop, Anchor::sky, {90, 0, 700, 300}},
    {Place::dream, Anchor::sky, {0, 80, 639, 479}},  // below the page corners: the balloon comes first
};

void paint_garden(Canvas& c, const PictureRecipe& r, const Palette& pal) {
    draw_hills(c, 330, 25, tone(pal, pal.hill_far), r.seed, 140);
    draw_hills(c, 400, 12, pal.hill_near, r.seed + 1, 260);
    draw_grass_detail(c, pal, 405, c.height, r.seed + 2, 160, true);
    draw_path(c, pal, 250, 195, 405, 210, 52, 20, pal.path);
    draw_house(c, pal, 70, 405, 250, 165, 0xFFF4E4C4, 0xFFC8483C, pal.night || r.time == TimeOfDay::dusk);
    draw_fence(c, pal, 350, 540, 425);
    draw_tree(c, pal, 680, 410, 270, false, r.seed + 3);
}

void paint_room(Canvas& c, const PictureRecipe& r, const Palette& pal) {
    // The sky seen through the window, painted on its own canvas and copied in.
    const Palette& out = palette_for(r.time);
    Canvas sky = make_canvas(260, 240, 0xFF000000);
    draw_sky(sky, out, 240);
    if (out.night) draw_stars(sky, r.seed, 30, 240);
    draw_moon(sky, r.moon_x - 450, r.moon_y - 70, r.moon_r, r.moon, r.moon_face);
    draw_hills(sky, 215, 10, tone(out, out.hill_far), r.seed, 60);
    uint32_t wall[2] = {tone(pal, 0xFFF0DCB4), tone(pal, 0xFFE0C89C)};
    fill_gradient_rows(c, 0, 430, wall, 2);
    for (int x = 20; x < c.width; x += 40) {  // wallpaper stripes and little flowers
        stroke_line(c, {static_cast<float>(x), 0}, {static_cast<float>(x), 430}, 2.0f, 0x18A06030);
        for (int y = 30; y < 420; y += 60) fill_circle(c, x + 20.0f, y + (x / 40 % 2) * 30.0f, 3.0f, 0x30C05050);
    }
    uint32_t floor[2] = {tone(pal, 0xFFB07848), tone(pal, 0xFF8C5830)};
    fill_gradient_rows(c, 430, c.height - 1, floor, 2);
    for (int y = 450; y < c.height; y += 30) {
        stroke_line(c, {0, static_cast<float>(y)}, {static_cast<float>(c.width), static_cast<float>(y)}, 2.0f, 0x30000000);
    }
    for (int y = 0; y < 240; ++y) {
        std::copy_n(sky.pixels.begin() + y * 260, 260, c.pixels.begin() + static_cast<size_t>(y + 70) * c.width + 450);
    }
    uint32_t ink = tone(pal, kInk), wood = tone(pal, 0xFFC89060);
    std::vector<Point> frame = {{450, 70}, {710, 70}, {710, 310}, {450, 310}};
    stroke_polyline(c, frame, 16, ink, true);
    stroke_polyline(c, frame, 11, wood, true);
    stroke_line(c, {580, 70}, {580, 310}, 8, ink);
    stroke_line(c, {580, 70}, {580, 310}, 4, wood);
    stroke_line(c, {450, 190}, {710, 190}, 8, ink);
    stroke_line(c, {450, 190}, {710, 190}, 4, wood);
    uint32_t curtain = tone(pal, 0xFF7CB0D8);
    for (int side = 0; side < 2; ++side) {
        float x0 = side == 0 ? 410 : 750;
        float d = side == 0 ? 1.0f : -1.0f;
        std::vector<Point> cl = {{x0, 50}, {x0 + d * 60, 50}, {x0 + d * 40, 200}, {x0 + d * 55, 340}, {x0, 340}};
        stroke_polyline(c, cl, 4, ink, true);
        fill_polygon(c, cl, curtain);
        stroke_line(c, {x0 + d * 20, 60}, {x0 + d * 18, 330}, 2, shade(curtain, 0.85f));
    }
    stroke_line(c, {390, 48}, {770, 48}, 6, ink);
    // The bed: headboard, frame and a plain blanket unless the child lies in it.
    std::vector<Point> head = {{30, 330}, {80, 330}, {80, 520}, {30, 520}};
    stroke_polyline(c, head, 4, ink, true);
    fill_polygon(c, head, tone(pal, 0xFFB07040));
    std::vector<Point> bed = {{40, 420}, {400, 410}, {410, 520}, {40, 530}};
    stroke_polyline(c, bed, 4, ink, true);
    fill_polygon(c, bed, tone(pal, 0xFF986038));
    // A small table with a lamp that lights the room.
    fill_glow(c, 762, 300, 300, 0x50FFD890);
    std::vector<Point> table = {{728, 380}, {796, 380}, {790, 470}, {734, 470}};
    stroke_polyline(c, table, 4, ink, true);
    fill_polygon(c, table, tone(pal, 0xFFA06838));
    stroke_line(c, {762, 380}, {762, 342}, 6, ink);
    std::vector<Point> shade_pts = {{738, 346}, {786, 346}, {774, 310}, {750, 310}};
    stroke_polyline(c, shade_pts, 4, ink, true);
    fill_polygon(c, shade_pts, 0xFFFFE8B0);
    fill_ellipse(c, 600, 540, 150, 36, tone(pal, 0xFFD8786C));
    fill_ellipse(c, 600, 540, 118, 26, tone(pal, 0xFFF0B48C));
    bool in_bed = false;
    for (const Figure& f : r.figures) in_bed = in_bed || (f.who == Who::child && f.variant == 3);
    if (!in_bed) {
        fill_ellipse(c, 110, 400, 50, 20, tone(pal, 0xFFFFFFFF));
        std::vector<Point> blanket = {{60, 410}, {395, 400}, {405, 500}, {50, 505}};
        stroke_polyline(c, blanket, 4, ink, true);
        fill_polygon(c, blanket, tone(pal, 0xFF7CA8E0));
    }
}

void paint_village(Canvas& c, const PictureRecipe& r, const Palette& pal) {
    bool lit = pal.night || r.time == TimeOfDay::dusk;
    draw_hills(c, 300, 20, tone(pal, pal.hill_far), r.seed, 120);
    uint32_t street[2] = {tone(pal, shade(pal.path, 0.95f)), tone(pal, pal.path)};
    fill_gradient_rows(c, 385, c.height - 1, street, 2);
    Rng rng{r.seed | 1u};
    for (int i = 0; i < 260; ++i) {  // cobbles, larger towards the front
        float y = rng.uniform(390, static_cast<float>(c.height));
        float t = (y - 385) / 215.0f;
        fill_ellipse(c, rng.uniform(0, static_cast<float>(c.width)), y, 6 + 12 * t, 3 + 5 * t,
                     tone(pal, shade(pal.path, rng.uniform(0.82f, 0.95f))));
    }
    draw_tree(c, pal, 215, 382, 150, false, r.seed + 4);
    draw_house(c, pal, 40, 385, 160, 140, 0xFFF8ECD0, 0xFF6C7CA0, lit);
    draw_house(c, pal, 240, 380, 140, 120, 0xFFF4C8C0, 0xFF8C5C3C, lit);
    draw_house(c, pal, 400, 385, 170, 150, 0xFFC8E0F0, 0xFFC8483C, lit);
    draw_house(c, pal, 610, 380, 150, 125, 0xFFF8E89C, 0xFF5C9C5C, lit);
    draw_lamp(c, pal, 220, 440, lit);
    draw_lamp(c, pal, 590, 440, lit);
}

void paint_meadow(Canvas& c, const PictureRecipe& r, const Palette& pal) {
    draw_hills(c, 330, 30, tone(pal, pal.hill_far), r.seed, 150);
    draw_hills(c, 380, 25, mix(tone(pal, pal.hill_far), pal.hill_near, 0.6f), r.seed + 1, 110);
    draw_hills(c, 430, 14, pal.hill_near, r.seed + 2, 200);
    draw_path(c, pal, 380, 520, 350, 230, 14, -120, pal.path);
    draw_tree(c, pal, 640, 395, 230, false, r.seed + 3);
    draw_grass_detail(c, pal, 420, c.height, r.seed + 4, 260, true);
}

void paint_crossroads(Canvas& c, const PictureRecipe& r, const Palette& pal) {
    draw_hills(c, 340, 25, tone(pal, pal.hill_far), r.seed, 130);
    for (int i = 0; i < 7; ++i) draw_tree(c, pal, 20.0f + i * 34.0f, 350, 70 + (i % 3) * 14, true, r.seed + i);
    draw_hills(c, 380, 10, pal.hill_near, r.seed + 1, 240);
    draw_path(c, pal, 400, 150, 362, 240, 16, 60, pal.path);
    draw_path(c, pal, 400, 650, 362, 240, 16, -60, pal.path);
    draw_grass_detail(c, pal, 390, c.height, r.seed + 2, 180, true);
    draw_tree(c, pal, 710, 420, 320, false, r.seed + 3);
    draw_signpost(c, pal, 420, 470);
}

void paint_forest(Canvas& c, const PictureRecipe& r, const Palette& pal) {
    draw_hills(c, 330, 20, tone(pal, pal.hill_far), r.seed, 120);
    Rng rng{r.seed | 1u};
    for (int i = 0; i < 18; ++i) {  // far trees first, then nearer ones
        float x = rng.uniform(-20, static_cast<float>(c.width) + 20);
        draw_tree(c, pal, x, 360 + rng.uniform(0, 20), rng.uniform(90, 140), true, r.seed + i);
    }
    draw_hills(c, 380, 8, pal.hill_near, r.seed + 1, 240);
    draw_path(c, pal, 420, 430, 372, 250, 20, 40, pal.path);
    for (int i = 0; i < 6; ++i) {
        float x = i < 3 ? 60.0f + i * 90.0f : 560.0f + (i - 3) * 95.0f;
        draw_tree(c, pal, x, 430 + (i % 2) * 30.0f, 260 + (i % 3) * 40.0f, i % 2 == 0, r.seed + 20 + i);
    }
    draw_grass_detail(c, pal, 440, c.height, r.seed + 2, 120, !pal.night);
    if (pal.night) draw_fireflies(c, r.seed + 5, 26, 250, 560);
}

void paint_river(Canvas& c, const PictureRecipe& r, const Palette& pal) {
    draw_hills(c, 320, 25, tone(pal, pal.hill_far), r.seed, 140);
    draw_hills(c, 350, 10, pal.hill_near, r.seed + 1, 230);
    draw_river(c, pal, 580, 400, 340, 320, 18, r.seed + 2);
    draw_grass_detail(c, pal, 360, c.height, r.seed + 3, 160, true);
    for (int i = 0; i < 5; ++i) draw_rock(c, pal, 430.0f + i * 70.0f + (i % 2) * 180.0f, 590 - (i % 3) * 60.0f, 40, 22);
    draw_tree(c, pal, 130, 380, 220, false, r.seed + 4);
}

void paint_bridge(Canvas& c, const PictureRecipe& r, const Palette& pal) {
    draw_hills(c, 300, 25, tone(pal, pal.hill_far), r.seed, 140);
    draw_hills(c, 330, 8, pal.hill_near, r.seed + 1, 200);
    draw_tree(c, pal, 640, 370, 170, false, r.seed + 6);
    draw_water_band(c, pal, 380, 470, r.seed + 2);
    fill_polygon(c, {{0, 470}, {800, 466}, {800, 600}, {0, 600}}, pal.grass);
    stroke_line(c, {0, 470}, {800, 466}, 4, tone(pal, 0xFFB0A080));
    draw_grass_detail(c, pal, 475, c.height, r.seed + 3, 140, true);
    draw_bridge(c, pal, 250, 550, 440);
}

void paint_lake(Canvas& c, const PictureRecipe& r, const Palette& pal) {
    draw_hills(c, 290, 25, tone(pal, pal.hill_far), r.seed, 160);
    draw_water_band(c, pal, 305, 470, r.seed + 2);
    if (r.moon != MoonPhase::none) {  // the moon's light on the water
        Rng rng{r.seed | 1u};
        for (int i = 0; i < 30; ++i) {
            float y = rng.uniform(320, 465);
            float w = rng.uniform(10, 40);
            stroke_line(c, {r.moon_x - w, y}, {r.moon_x + w, y}, 2, 0x90FFF0B0);
        }
    }
    if (pal.night) {  // stars mirrored faintly
        Rng rng{r.seed + 7u};
        for (int i = 0; i < 40; ++i) fill_circle(c, rng.uniform(0, 800), rng.uniform(315, 460), 1.0f, 0x70E0E8FF);
    }
    fill_polygon(c, {{0, 480}, {300, 462}, {800, 478}, {800, 600}, {0, 600}}, pal.grass);
    draw_grass_detail(c, pal, 480, c.height, r.seed + 3, 130, false);
    Rng reeds{r.seed + 11u};
    for (int i = 0; i < 30; ++i) {
        float x = reeds.uniform(560, 800), h = reeds.uniform(40, 90);
        stroke_line(c, {x, 490}, {x + 6, 490 - h}, 2.5f, tone(pal, 0xFF5C7C3C));
        if (i % 3 == 0) fill_ellipse(c, x + 6, 490 - h, 3.5f, 10, tone(pal, 0xFF7C4C2C));
    }
}

void paint_hill(Canvas& c, const PictureRecipe& r, const Palette& pal) {
    draw_hills(c, 430, 10, tone(pal, pal.hill_far), r.seed, 120);
    for (int i = 0; i < 9; ++i) {  // the village far below: small roofs and windows
        float x = 40.0f + i * 38.0f, y = 432.0f - (i % 3) * 6.0f;
        fill_polygon(c, {{x, y}, {x + 14, y - 12}, {x + 28, y}}, tone(pal, 0xFF8C5C5C));
        fill_polygon(c, {{x + 3, y}, {x + 25, y}, {x + 25, y + 16}, {x + 3, y + 16}}, tone(pal, 0xFFE8D8C0));
        if (pal.night) fill_glow(c, x + 14, y + 8, 9, 0xC0FFD870);
    }
    std::vector<Point> hill;
    for (int i = 0; i <= 40; ++i) {
        float t = static_cast<float>(i) / 40.0f;
        hill.push_back({t * 1000.0f, 600.0f - 330.0f * std::sin(t * 1.45f) + 8 * std::sin(t * 17)});
    }
    hill.push_back({1000, 800});
    hill.push_back({0, 800});
    fill_polygon(c, hill, pal.hill_near);
    stroke_polyline(c, std::vector<Point>(hill.begin(), hill.end() - 2), 3, (pal.grass & 0x00FFFFFF) | 0x80000000, false);
    std::vector<Point> path = {{300, 610}, {420, 520}, {560, 470}, {520, 400}, {660, 340}, {760, 280}};
    stroke_polyline(c, path, 16, tone(pal, pal.path), false);
    draw_grass_detail(c, pal, 470, c.height, r.seed + 3, 110, false);
    draw_tree(c, pal, 200, 560, 150, true, r.seed + 4);
    draw_tree(c, pal, 860, 320, 150, true, r.seed + 5);
}

void paint_hilltop(Canvas& c, const PictureRecipe& r, const Palette& pal) {
    draw_hills(c, 480, 10, tone(pal, pal.hill_far), r.seed, 200);
    std::vector<Point> mound;
    for (int i = 0; i <= 40; ++i) {
        float t = static_cast<float>(i) / 40.0f;
        mound.push_back({t * static_cast<float>(c.width), 470.0f - 40.0f * std::sin(t * 3.14159f)});
    }
    mound.push_back({static_cast<float>(c.width), static_cast<float>(c.height)});
    mound.push_back({0, static_cast<float>(c.height)});
    fill_polygon(c, mound, pal.hill_near);
    draw_path(c, pal, 40, 120, 462, 150, 24, 10, pal.path);  // the way down, bottom left
    draw_grass_detail(c, pal, 440, c.height, r.seed + 3, 140, true);
    draw_rock(c, pal, 400, 470, 220, 90);
}

void paint_dream(Canvas& c, const PictureRecipe& r, const Palette& pal) {
    Rng rng{r.seed | 1u};
    for (int i = 0; i < 7; ++i) {  // soft lavender clouds the moon sleeps on
        float x = 40.0f + i * 95.0f, y = 400.0f + (i % 2) * 30.0f;
        fill_circle(c, x, y + 6, 80, 0xFF5C4C8C);
        fill_circle(c, x, y, 76, 0xFF8C7CC0);
        fill_circle(c, x - 20, y - 24, 30, 0x40FFFFFF);
    }
    for (int i = 0; i < 14; ++i) {
        float x = rng.uniform(20, 620), y = rng.uniform(20, 300);
        std::vector<Point> star;
        for (int k = 0; k < 10; ++k) {
            float a = 3.14159f * static_cast<float>(k) / 5.0f - 1.5708f;
            float rad = (k % 2 == 0) ? 9.0f : 4.0f;
            star.push_back({x + rad * std::cos(a), y + rad * std::sin(a)});
        }
        fill_polygon(c, star, 0xFFFFF0A0);
    }
    (void)pal;
}

}  // namespace

void paint_place(Canvas& c, const PictureRecipe& r, const Palette& pal) {
    switch (r.place) {
        case Place::garden: paint_garden(c, r, pal); break;
        case Place::room: paint_room(c, r, pal); break;
        case Place::village: paint_village(c, r, pal); break;
        case Place::meadow: paint_meadow(c, r, pal); break;
        case Place::crossroads: paint_crossroads(c, r, pal); break;
        case Place::forest: paint_forest(c, r, pal); break;
        case Place::river: paint_river(c, r, pal); break;
        case Place::bridge: paint_bridge(c, r, pal); break;
        case Place::lake: paint_lake(c, r, pal); break;
        case Place::hill: paint_hill(c, r, pal); break;
        case Place::hilltop: paint_hilltop(c, r, pal); break;
        case Place::dream: paint_dream(c, r, pal); break;
    }
}

bool place_anchor(Place place, Anchor anchor, Box* out) {
    for (const PlaceBox& p : kPlaceBoxes) {
        if (p.place == place && p.anchor == anchor) {
            *out = p.box;
            return true;
        }
    }
    return false;
}
