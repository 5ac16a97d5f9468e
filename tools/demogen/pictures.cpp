// The picture recipes of the demo story, their painting and writing, the figures' hot-spot
// boxes and the pointer image.
#include "tools/demogen/pictures.h"

#include <algorithm>
#include <filesystem>

#include "platform/image/image_write.h"

namespace {

constexpr int kCanvasW = 800;  // the part of a picture the game shows
constexpr int kCanvasH = 600;
constexpr int kCornerBox = 80;  // a page corner's hot-spot, pixels square
constexpr int kJpegQuality = 88;

constexpr Figure kNone = {Who::none, 0, 0, 0, 0};
constexpr Figure child(float x, float y, float s, int pose) { return {Who::child, x, y, s, pose}; }
constexpr Figure cat(float x, float y, float s, int facing) { return {Who::cat, x, y, s, facing}; }
constexpr Figure bird(float x, float y, float s, int flying) { return {Who::bird, x, y, s, flying}; }

using T = TimeOfDay;
using M = MoonPhase;
using P = Place;
using K = ImageKind;

const PictureRecipe kRecipes[kPictureCount] = {
    {"bg\\home_dusk.png", K::png, 800, 600, P::garden, T::dusk, M::none, 0, 0, 0, false,
     {child(450, 540, 1, 2), cat(580, 545, 0.9f, 1), kNone}, 11},
    {"bg\\room_night.jpg", K::jpeg, 800, 600, P::room, T::night, M::none, 0, 0, 0, false,
     {child(560, 590, 1.3f, 1), cat(300, 560, 1.1f, 0), kNone}, 12},
    {"bg\\room_bed.png", K::png, 800, 600, P::room, T::night, M::none, 0, 0, 0, false,
     {child(120, 395, 1, 3), cat(320, 415, 0.9f, 3), kNone}, 12},
    {"bg\\home_morning.jpg", K::jpeg, 800, 600, P::garden, T::morning, M::none, 0, 0, 0, false,
     {child(440, 545, 1, 2), cat(560, 550, 0.9f, 1), bird(200, 104, 1, 0)}, 14},
    {"bg\\garden_day.png", K::png, 800, 600, P::garden, T::day, M::none, 0, 0, 0, false,
     {child(520, 545, 1, 1), cat(390, 550, 0.9f, 0), bird(660, 140, 1, 0)}, 15},
    {"bg\\village_day.jpg", K::jpeg, 800, 600, P::village, T::day, M::none, 0, 0, 0, false,
     {child(330, 545, 1, 0), cat(450, 550, 0.9f, 1), kNone}, 16},
    {"bg\\village_square.png", K::png, 800, 600, P::village, T::day, M::none, 0, 0, 0, false,
     {child(560, 545, 1, 2), cat(660, 550, 0.9f, 1), bird(300, 200, 1, 1)}, 17},
    {"bg\\meadow_day.jpg", K::jpeg, 800, 600, P::meadow, T::day, M::none, 0, 0, 0, false,
     {child(300, 545, 1, 1), cat(180, 550, 0.9f, 0), bird(560, 170, 1.1f, 1)}, 18},
    {"bg\\meadow_rest.bmp", K::bmp, 800, 600, P::meadow, T::day, M::none, 0, 0, 0, false,
     {child(470, 545, 1, 2), cat(350, 550, 0.9f, 0), kNone}, 19},
    {"bg\\crossroads.png", K::png, 800, 600, P::crossroads, T::day, M::none, 0, 0, 0, false,
     {child(600, 590, 0.95f, 0), cat(705, 595, 0.85f, 1), bird(420, 338, 0.9f, 0)}, 20},
    {"bg\\forest_day.jpg", K::jpeg, 800, 600, P::forest, T::day, M::none, 0, 0, 0, false,
     {child(250, 560, 1, 0), cat(140, 565, 0.9f, 0), kNone}, 21},
    {"bg\\forest_deep.png", K::png, 800, 600, P::forest, T::afternoon, M::none, 0, 0, 0, false,
     {child(600, 560, 1, 1), cat(700, 565, 0.9f, 1), bird(470, 200, 1, 1)}, 22},
    {"bg\\river.jpg", K::jpeg, 800, 600, P::river, T::afternoon, M::none, 0, 0, 0, false,
     {child(200, 550, 1, 0), cat(310, 555, 0.9f, 1), kNone}, 23},
    {"bg\\bridge.png", K::png, 800, 600, P::bridge, T::afternoon, M::none, 0, 0, 0, false,
     {child(380, 402, 0.7f, 2), cat(455, 406, 0.6f, 1), kNone}, 24},
    {"bg\\bridge_bird.jpg", K::jpeg, 800, 600, P::bridge, T::afternoon, M::none, 0, 0, 0, false,
     {child(150, 575, 1, 1), cat(270, 580, 0.9f, 1), bird(420, 250, 1.2f, 1)}, 25},
    {"bg\\meadow_evening.png", K::png, 800, 600, P::meadow, T::dusk, M::none, 0, 0, 0, false,
     {child(560, 545, 1, 0), cat(450, 550, 0.9f, 0), kNone}, 26},
    {"bg\\lake_dusk.jpg", K::jpeg, 800, 600, P::lake, T::dusk, M::none, 0, 0, 0, false,
     {child(260, 565, 1, 0), cat(370, 570, 0.9f, 1), kNone}, 27},
    {"bg\\lake_heron.png", K::png, 800, 600, P::lake, T::dusk, M::none, 0, 0, 0, false,
     {child(200, 565, 1, 1), cat(90, 570, 0.9f, 0), bird(540, 505, 1.1f, 0)}, 28},
    {"bg\\forest_dusk.jpg", K::jpeg, 800, 600, P::forest, T::dusk, M::none, 0, 0, 0, false,
     {child(620, 560, 1, 0), cat(720, 565, 0.9f, 1), kNone}, 29},
    {"bg\\forest_night.png", K::png, 800, 600, P::forest, T::night, M::none, 0, 0, 0, false,
     {child(250, 560, 1, 1), cat(150, 565, 0.9f, 0), bird(600, 230, 1, 1)}, 30},
    {"bg\\lake_night.jpg", K::jpeg, 800, 600, P::lake, T::night, M::none, 0, 0, 0, false,
     {child(300, 565, 1, 0), cat(410, 570, 0.9f, 1), bird(650, 505, 1, 0)}, 31},
    {"bg\\dream.jpg", K::jpeg, 640, 480, P::dream, T::night, M::crescent, 330, 200, 110, true,
     {kNone, kNone, kNone}, 32},
    {"bg\\hill_night.png", K::png, 800, 600, P::hill, T::night, M::none, 0, 0, 0, false,
     {child(330, 500, 0.9f, 0), cat(430, 470, 0.8f, 1), bird(520, 200, 1, 1)}, 33},
    {"bg\\hill_panorama.jpg", K::jpeg, 1024, 768, P::hill, T::night, M::crescent, 640, 150, 30, false,
     {child(560, 380, 0.7f, 1), cat(630, 370, 0.6f, 1), kNone}, 34},
    {"bg\\hilltop.png", K::png, 800, 600, P::hilltop, T::night, M::none, 0, 0, 0, false,
     {child(230, 560, 1, 0), cat(580, 565, 0.9f, 1), bird(400, 372, 1, 0)}, 35},
    {"絵\\ほそい月.png", K::png, 800, 600, P::hilltop, T::night, M::crescent, 620, 300, 40, false,
     {child(230, 560, 1, 1), cat(560, 565, 0.9f, 1), kNone}, 36},
    {"絵\\おつきさま.jpg", K::jpeg, 800, 600, P::hilltop, T::night, M::crescent, 560, 170, 70, true,
     {child(230, 560, 1, 2), cat(330, 565, 0.9f, 0), bird(400, 372, 1, 0)}, 37},
    {"bg\\village_night.png", K::png, 800, 600, P::village, T::night, M::crescent, 660, 110, 36, false,
     {child(330, 545, 1, 0), cat(450, 550, 0.9f, 1), kNone}, 38},
    {"bg\\home_night.jpg", K::jpeg, 800, 600, P::garden, T::night, M::crescent, 500, 120, 45, true,
     {child(440, 545, 1, 2), cat(560, 550, 0.9f, 1), bird(200, 104, 1, 0)}, 39},
    {"bg\\room_moon.png", K::png, 800, 600, P::room, T::night, M::crescent, 610, 140, 40, true,
     {child(120, 395, 1, 3), cat(320, 415, 0.9f, 3), kNone}, 40},
    {"bg\\home_half.jpg", K::jpeg, 800, 600, P::garden, T::night, M::half, 480, 120, 45, false,
     {child(440, 545, 1, 1), cat(560, 550, 0.9f, 1), kNone}, 41},
    {"bg\\home_full.png", K::png, 800, 600, P::garden, T::night, M::full, 480, 130, 55, true,
     {child(440, 545, 1, 2), cat(560, 550, 0.9f, 1), bird(200, 104, 1, 0)}, 42},
};

Box clamp_box(float l, float t, float r, float b) {
    auto cl = [](float v, int hi) { return std::clamp(static_cast<int>(v), 0, hi); };
    return {cl(l, kCanvasW - 1), cl(t, kCanvasH - 1), cl(r, kCanvasW - 1), cl(b, kCanvasH - 1)};
}

Box figure_box(const Figure& f) {
    float s = f.scale;
    switch (f.who) {
        case Who::child:
            if (f.variant == 3) return clamp_box(f.x - 60 * s, f.y - 45 * s, f.x + 90 * s, f.y + 40 * s);
            return clamp_box(f.x - 45 * s, f.y - 190 * s, f.x + 45 * s, f.y);
        case Who::cat:
            if (f.variant == 3) return clamp_box(f.x - 50 * s, f.y - 58 * s, f.x + 60 * s, f.y);
            return clamp_box(f.x - 40 * s, f.y - 112 * s, f.x + 40 * s, f.y);
        case Who::bird:
            return clamp_box(f.x - 30 * s, f.y - 28 * s, f.x + 30 * s, f.y + 20 * s);
        case Who::none:
            break;
    }
    return {0, 0, 0, 0};
}

// Sun of a daytime picture: position, radius and colour by the time of day.
void paint_sun(Canvas& c, TimeOfDay time, int horizon) {
    switch (time) {
        case TimeOfDay::morning: draw_sun(c, 540, 130, 34, 0xFFFFF0B0); break;
        case TimeOfDay::day: draw_sun(c, 620, 95, 36, 0xFFFFF4C0); break;
        case TimeOfDay::afternoon: draw_sun(c, 590, 150, 38, 0xFFFFE090); break;
        case TimeOfDay::dusk: draw_sun(c, 640, static_cast<float>(horizon) - 40, 50, 0xFFFFA860); break;
        case TimeOfDay::night: break;
    }
}

int horizon_of(Place place) {
    switch (place) {
        case Place::village: return 380;
        case Place::hill: return 440;
        case Place::hilltop: return 480;
        case Place::bridge:
        case Place::lake: return 310;
        default: return 340;
    }
}

}  // namespace

const PictureRecipe& picture_recipe(int id) {
    return kRecipes[id];
}

bool picture_anchor(int id, Anchor anchor, Box* out) {
    const PictureRecipe& r = kRecipes[id];
    int page_w = std::min(r.width, kCanvasW);
    switch (anchor) {
        case Anchor::next: *out = {page_w - kCornerBox, 0, page_w - 1, kCornerBox - 1}; return true;
        case Anchor::back: *out = {0, 0, kCornerBox - 1, kCornerBox - 1}; return true;
        case Anchor::moon:
            if (r.moon == MoonPhase::none) return false;
            *out = clamp_box(r.moon_x - r.moon_r * 1.5f, r.moon_y - r.moon_r * 1.5f,
                             r.moon_x + r.moon_r * 1.5f, r.moon_y + r.moon_r * 1.5f);
            return true;
        case Anchor::child:
        case Anchor::cat:
        case Anchor::bird: {
            Who who = anchor == Anchor::child ? Who::child : anchor == Anchor::cat ? Who::cat : Who::bird;
            for (const Figure& f : r.figures) {
                if (f.who == who) {
                    *out = figure_box(f);
                    return true;
                }
            }
            return false;
        }
        default:
            return place_anchor(r.place, anchor, out);
    }
}

Canvas paint_picture(const PictureRecipe& r) {
    const Palette& pal = r.place == Place::room ? indoor_palette() : palette_for(r.time);
    Canvas c = make_canvas(r.width, r.height, 0xFF000000);
    int horizon = horizon_of(r.place);
    if (r.place == Place::dream) {
        uint32_t sky[3] = {0xFF141848, 0xFF3C3C84, 0xFF8C6CB0};
        fill_gradient_rows(c, 0, c.height - 1, sky, 3);
        draw_stars(c, r.seed, 90, c.height);
        draw_moon(c, r.moon_x, r.moon_y, r.moon_r, r.moon, r.moon_face);
    } else if (r.place != Place::room) {
        draw_sky(c, pal, horizon);
        if (pal.night) draw_stars(c, r.seed, r.width * r.height / 3000, horizon);
        paint_sun(c, r.time, horizon);
        draw_moon(c, r.moon_x, r.moon_y, r.moon_r, r.moon, r.moon_face);
        Rng rng{r.seed * 7919u + 1u};
        int clouds = pal.night ? 0 : 3;
        for (int i = 0; i < clouds; ++i) {
            float x = 140.0f + static_cast<float>(i) * 230.0f + rng.uniform(-40, 40);
            draw_cloud(c, pal, x, rng.uniform(70, 190), rng.uniform(130, 210), r.seed + i);
        }
    }
    paint_place(c, r, pal);
    for (const Figure& f : r.figures) {
        switch (f.who) {
            case Who::child:
                if (f.variant == 3) draw_child_in_bed(c, pal, f.x, f.y, f.scale);
                else draw_child(c, pal, f.x, f.y, f.scale, static_cast<ChildPose>(f.variant));
                break;
            case Who::cat:
                if (f.variant == 3) draw_cat_curled(c, pal, f.x, f.y, f.scale);
                else draw_cat(c, pal, f.x, f.y, f.scale, f.variant == 1);
                break;
            case Who::bird: draw_bird(c, pal, f.x, f.y, f.scale, f.variant == 1, f.x > 400); break;
            case Who::none: break;
        }
    }
    apply_paper(c, r.seed, 1.0f);
    float page_w = static_cast<float>(std::min(r.width, kCanvasW));
    draw_page_corner(c, false, page_w);
    draw_page_corner(c, true, page_w);
    return c;
}

long write_picture(int id, const std::string& outdir, std::string* error) {
    const PictureRecipe& r = kRecipes[id];
    std::string rel = r.name;
    std::replace(rel.begin(), rel.end(), '\\', '/');
    std::filesystem::path path = std::filesystem::path(outdir) / rel;
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    Canvas c = paint_picture(r);
    bool ok = false;
    switch (r.kind) {
        case ImageKind::png: ok = write_png(path.string(), c.pixels.data(), c.width, c.height, false); break;
        case ImageKind::jpeg: ok = write_jpeg(path.string(), c.pixels.data(), c.width, c.height, kJpegQuality); break;
        case ImageKind::bmp: ok = write_bmp(path.string(), c.pixels.data(), c.width, c.height); break;
    }
    if (!ok) {
        *error = "cannot write " + path.string();
        return -1;
    }
    return static_cast<long>(std::filesystem::file_size(path, ec));
}

Canvas paint_pointer() {
    // An arrow with a dark outline ('X') and a white body ('.'); its tip is the image centre.
    static const char* const kArrow[12] = {
        "X",        "XX",       "X.X",      "X..X",     "X...X",    "X....X",
        "X.....X",  "X...XXXX", "X.X..X",   "XX X..X",  "    X..X", "     XX",
    };
    Canvas c = make_canvas(24, 24, 0xFF0000FF);
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; kArrow[y][x] != '\0'; ++x) {
            uint32_t colour = kArrow[y][x] == 'X' ? 0xFF302028 : kArrow[y][x] == '.' ? 0xFFFFFCF0 : 0;
            if (colour != 0) c.pixels[static_cast<size_t>(12 + y) * 24 + 12 + x] = colour;
        }
    }
    return c;
}
