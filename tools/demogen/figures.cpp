// The three characters of the story: the child, her cat and a small bird, drawn from simple
// shapes with one dark outline around each figure.
#include <cmath>
#include <vector>

#include "tools/demogen/scenery.h"

namespace {

constexpr float kPi = 3.14159265f;

// Draws a figure's shapes twice: pass 0 paints every shape grown by the outline width in ink,
// pass 1 paints the shapes themselves, so the outline runs around the figure as a whole.
struct Pen {
    Canvas& c;
    const Palette& pal;
    int pass;       // 0 outline, 1 fill
    uint32_t ink;   // outline colour
    float ow;       // outline width, pixels
};

void ellipse(Pen& p, float x, float y, float rx, float ry, uint32_t colour) {
    if (p.pass == 0) fill_ellipse(p.c, x, y, rx + p.ow, ry + p.ow, p.ink);
    else fill_ellipse(p.c, x, y, rx, ry, tone_figure(p.pal, colour));
}

void poly(Pen& p, const std::vector<Point>& pts, uint32_t colour) {
    if (p.pass == 0) {
        fill_polygon(p.c, pts, p.ink);
        stroke_polyline(p.c, pts, p.ow * 2.0f, p.ink, true);
    } else {
        fill_polygon(p.c, pts, tone_figure(p.pal, colour));
    }
}

void line(Pen& p, Point a, Point b, float w, uint32_t colour) {
    if (p.pass == 0) stroke_line(p.c, a, b, w + p.ow * 2.0f, p.ink);
    else stroke_line(p.c, a, b, w, tone_figure(p.pal, colour));
}

void curve(Pen& p, const std::vector<Point>& pts, float w, uint32_t colour) {
    if (p.pass == 0) stroke_polyline(p.c, pts, w + p.ow * 2.0f, p.ink, false);
    else stroke_polyline(p.c, pts, w, tone_figure(p.pal, colour), false);
}

// An arc of points around (x, y) from angle a0 to a1 (radians).
std::vector<Point> arc(float x, float y, float rx, float ry, float a0, float a1, int steps) {
    std::vector<Point> pts;
    for (int i = 0; i <= steps; ++i) {
        float a = a0 + (a1 - a0) * static_cast<float>(i) / static_cast<float>(steps);
        pts.push_back({x + rx * std::cos(a), y + ry * std::sin(a)});
    }
    return pts;
}

constexpr uint32_t kSkin = 0xFFFCDCC4;
constexpr uint32_t kHair = 0xFF5C3424;
constexpr uint32_t kDress = 0xFFE8604C;
constexpr uint32_t kCatFur = 0xFFF0A050;
constexpr uint32_t kCatCream = 0xFFFFF0D8;
constexpr uint32_t kBirdBlue = 0xFF4C8CE0;

// The child's face: eyes with a glint, cheeks and a smile.
void child_face(Canvas& c, const Palette& pal, float x, float hy, float s) {
    uint32_t ink = tone_figure(pal, 0xFF2A1C1C);
    for (int side = -1; side <= 1; side += 2) {
        float ex = x + side * 11.0f * s;
        fill_ellipse(c, ex, hy + 2 * s, 3.6f * s, 5.0f * s, ink);
        fill_circle(c, ex + 1.2f * s, hy + 0.5f * s, 1.3f * s, 0xFFFFFFFF);
        fill_circle(c, x + side * 19.0f * s, hy + 12 * s, 5.5f * s, 0x60FF7C7C);
    }
    stroke_polyline(c, arc(x, hy + 9 * s, 6 * s, 5 * s, 0.25f * kPi, 0.75f * kPi, 8), 2.0f * s, ink, false);
}

}  // namespace

void draw_child(Canvas& c, const Palette& pal, float x, float g, float s, ChildPose pose) {
    const float hy = g - 150 * s;  // head centre
    for (int pass = 0; pass < 2; ++pass) {
        Pen p{c, pal, pass, tone_figure(pal, 0xFF3A2424), 3.0f * s};
        ellipse(p, x, hy + 4 * s, 36 * s, 34 * s, kHair);  // the bob behind the head
        for (int side = -1; side <= 1; side += 2) {
            line(p, {x + side * 9 * s, g - 70 * s}, {x + side * 10 * s, g - 10 * s}, 10 * s, 0xFFFFFFFF);
            ellipse(p, x + side * 12 * s, g - 6 * s, 12 * s, 6.5f * s, 0xFFB0443C);
        }
        // Arms: the left one hangs; the right one hangs, points up or waves.
        line(p, {x - 18 * s, g - 122 * s}, {x - 34 * s, g - 80 * s}, 9 * s, kSkin);
        ellipse(p, x - 34 * s, g - 78 * s, 6 * s, 6 * s, kSkin);
        Point hand = pose == ChildPose::pointing ? Point{x + 44 * s, g - 178 * s}
                     : pose == ChildPose::waving ? Point{x + 48 * s, g - 150 * s}
                                                 : Point{x + 34 * s, g - 80 * s};
        Point elbow = pose == ChildPose::waving ? Point{x + 40 * s, g - 108 * s}
                                                : Point{(x + 18 * s + hand.x) / 2, (g - 122 * s + hand.y) / 2};
        curve(p, {{x + 18 * s, g - 122 * s}, elbow, hand}, 9 * s, kSkin);
        ellipse(p, hand.x, hand.y, 6 * s, 6 * s, kSkin);
        poly(p, {{x - 19 * s, g - 128 * s}, {x + 19 * s, g - 128 * s}, {x + 40 * s, g - 60 * s},
                 {x - 40 * s, g - 60 * s}}, kDress);
        ellipse(p, x, hy, 30 * s, 30 * s, kSkin);
    }
    // Collar, hem, bangs and a ribbon.
    uint32_t ink = tone_figure(pal, 0xFF3A2424);
    fill_polygon(c, {{x - 14 * s, g - 127 * s}, {x + 14 * s, g - 127 * s}, {x, g - 114 * s}},
                 tone_figure(pal, 0xFFFFFFFF));
    stroke_line(c, {x - 38 * s, g - 66 * s}, {x + 38 * s, g - 66 * s}, 3 * s, tone_figure(pal, 0xFFFFF0E0));
    std::vector<Point> bangs = arc(x, hy - 4 * s, 32 * s, 28 * s, kPi, 2 * kPi, 16);
    for (int i = 6; i >= 0; --i) {
        float bx = x - 30 * s + 60 * s * static_cast<float>(i) / 6.0f;
        bangs.push_back({bx, hy - 10 * s + ((i % 2) ? 6 * s : 0)});
    }
    fill_polygon(c, bangs, tone_figure(pal, kHair));
    std::vector<Point> fringe(bangs.end() - 7, bangs.end());
    stroke_polyline(c, fringe, 1.5f * s, ink, false);
    float rx = x + 26 * s, ry = hy - 26 * s;
    for (int side = -1; side <= 1; side += 2) {
        std::vector<Point> loop = {{rx, ry}, {rx + side * 14 * s, ry - 9 * s}, {rx + side * 14 * s, ry + 9 * s}};
        stroke_polyline(c, loop, 3 * s, ink, true);
        fill_polygon(c, loop, tone_figure(pal, 0xFFF04C6C));
    }
    fill_circle(c, rx, ry, 4.5f * s, tone_figure(pal, 0xFFD03C5C));
    child_face(c, pal, x, hy, s);
}

void draw_cat(Canvas& c, const Palette& pal, float x, float g, float s, bool facing_left) {
    const float d = facing_left ? -1.0f : 1.0f;
    const float hx = x + d * 8 * s, hy = g - 82 * s;
    for (int pass = 0; pass < 2; ++pass) {
        Pen p{c, pal, pass, tone_figure(pal, 0xFF4A2C1C), 3.0f * s};
        curve(p, {{x - d * 24 * s, g - 10 * s}, {x - d * 52 * s, g - 18 * s}, {x - d * 62 * s, g - 42 * s},
                  {x - d * 56 * s, g - 68 * s}, {x - d * 46 * s, g - 76 * s}}, 10 * s, kCatFur);
        ellipse(p, x, g - 34 * s, 31 * s, 34 * s, kCatFur);
        for (int side = -1; side <= 1; side += 2) {
            line(p, {x + side * 11 * s, g - 30 * s}, {x + side * 11 * s, g - 6 * s}, 11 * s, kCatFur);
            ellipse(p, x + side * 12 * s, g - 5 * s, 9 * s, 6 * s, kCatCream);
            poly(p, {{hx + side * 25 * s, hy - 6 * s}, {hx + side * 20 * s, hy - 40 * s},
                     {hx + side * 2 * s, hy - 24 * s}}, kCatFur);
        }
        ellipse(p, hx, hy, 28 * s, 25 * s, kCatFur);
    }
    fill_ellipse(c, x + d * 4 * s, g - 36 * s, 15 * s, 22 * s, tone_figure(pal, kCatCream));
    fill_ellipse(c, hx, hy + 10 * s, 13 * s, 9 * s, tone_figure(pal, kCatCream));
    uint32_t ink = tone_figure(pal, 0xFF3A2418);
    uint32_t stripe = tone_figure(pal, 0xFFC8783C);
    for (int i = -1; i <= 1; ++i) {
        stroke_line(c, {hx + i * 7 * s, hy - 24 * s}, {hx + i * 5 * s, hy - 14 * s}, 3 * s, stripe);
        stroke_line(c, {x - d * 24 * s, g - (28 + i * 10) * s}, {x - d * 12 * s, g - (30 + i * 10) * s}, 3 * s, stripe);
    }
    for (int side = -1; side <= 1; side += 2) {
        fill_polygon(c, {{hx + side * 21 * s, hy - 10 * s}, {hx + side * 19 * s, hy - 32 * s},
                         {hx + side * 7 * s, hy - 21 * s}}, tone_figure(pal, 0xFFF4A8A8));
        float ex = hx + side * 10 * s + d * 2 * s;
        fill_ellipse(c, ex, hy - 2 * s, 4 * s, 5.5f * s, ink);
        fill_circle(c, ex + 1.2f * s, hy - 4 * s, 1.4f * s, 0xFFFFFFFF);
        for (int k = -1; k <= 1; ++k) {
            stroke_line(c, {hx + side * 12 * s, hy + (8 + k * 3) * s}, {hx + side * 34 * s, hy + (6 + k * 7) * s},
                        1.2f * s, ink);
        }
    }
    fill_polygon(c, {{hx - 3.5f * s, hy + 4 * s}, {hx + 3.5f * s, hy + 4 * s}, {hx, hy + 8 * s}},
                 tone_figure(pal, 0xFFE87C8C));
    stroke_polyline(c, arc(hx - 3 * s, hy + 9 * s, 3 * s, 3 * s, 0, kPi, 6), 1.5f * s, ink, false);
    stroke_polyline(c, arc(hx + 3 * s, hy + 9 * s, 3 * s, 3 * s, 0, kPi, 6), 1.5f * s, ink, false);
}

void draw_bird(Canvas& c, const Palette& pal, float x, float y, float s, bool flying,
               bool facing_left) {
    const float d = facing_left ? -1.0f : 1.0f;
    const float hx = x + d * 15 * s, hy = y - 11 * s;
    for (int pass = 0; pass < 2; ++pass) {
        Pen p{c, pal, pass, tone_figure(pal, 0xFF1C2C4C), 2.0f * s};
        poly(p, {{x - d * 12 * s, y - 2 * s}, {x - d * 34 * s, y - 10 * s}, {x - d * 32 * s, y + 4 * s}},
             shade(kBirdBlue, 0.8f));
        if (!flying) {
            for (int k = -1; k <= 1; k += 2) {
                line(p, {x + k * 5 * s, y + 10 * s}, {x + k * 5 * s, y + 18 * s}, 2 * s, 0xFFE8A040);
            }
        }
        ellipse(p, x, y, 19 * s, 14 * s, kBirdBlue);
        ellipse(p, hx, hy, 11.5f * s, 11 * s, kBirdBlue);
        poly(p, {{hx + d * 9 * s, hy - 3 * s}, {hx + d * 20 * s, hy + 1 * s}, {hx + d * 9 * s, hy + 4 * s}},
             0xFFF0B040);
        if (flying) {
            poly(p, {{x - d * 6 * s, y - 6 * s}, {x - d * 20 * s, y - 34 * s}, {x + d * 10 * s, y - 8 * s}},
                 shade(kBirdBlue, 0.85f));
        }
    }
    fill_ellipse(c, x + d * 4 * s, y + 4 * s, 12 * s, 8 * s, tone_figure(pal, 0xFFF4F0E0));
    if (!flying) {
        fill_ellipse(c, x - d * 4 * s, y - 2 * s, 11 * s, 7 * s, tone_figure(pal, shade(kBirdBlue, 0.75f)));
    }
    fill_circle(c, hx + d * 3 * s, hy - 2 * s, 2.6f * s, tone_figure(pal, 0xFF101010));
    fill_circle(c, hx + d * 3.6f * s, hy - 2.8f * s, 0.9f * s, 0xFFFFFFFF);
    fill_circle(c, hx + d * 1 * s, hy + 5 * s, 3 * s, 0x50FF8C8C);
}

void draw_child_in_bed(Canvas& c, const Palette& pal, float x, float y, float s) {
    for (int pass = 0; pass < 2; ++pass) {
        Pen p{c, pal, pass, tone_figure(pal, 0xFF3A2424), 3.0f * s};
        ellipse(p, x - 10 * s, y, 52 * s, 22 * s, 0xFFFFFFFF);  // pillow
        ellipse(p, x - 6 * s, y - 6 * s, 34 * s, 30 * s, kHair);
        ellipse(p, x, y - 4 * s, 28 * s, 27 * s, kSkin);
    }
    uint32_t ink = tone_figure(pal, 0xFF2A1C1C);
    for (int side = -1; side <= 1; side += 2) {  // closed eyes
        stroke_polyline(c, arc(x + side * 10 * s, y - 4 * s, 5 * s, 3 * s, 0, kPi, 6), 2 * s, ink, false);
        fill_circle(c, x + side * 17 * s, y + 6 * s, 5 * s, 0x60FF7C7C);
    }
    std::vector<Point> bangs = arc(x, y - 10 * s, 29 * s, 22 * s, kPi, 2 * kPi, 12);
    fill_polygon(c, bangs, tone_figure(pal, kHair));
    // The blanket with a pattern of dots.
    std::vector<Point> blanket = {{x - 70 * s, y + 18 * s}, {x + 260 * s, y + 12 * s},
                                  {x + 275 * s, y + 110 * s}, {x - 80 * s, y + 110 * s}};
    stroke_polyline(c, blanket, 4 * s, ink, true);
    fill_polygon(c, blanket, tone_figure(pal, 0xFF7CA8E0));
    for (int i = 0; i < 24; ++i) {
        fill_circle(c, x - 50 * s + (i % 8) * 40 * s, y + 34 * s + static_cast<float>(i / 8) * 26 * s, 5 * s,
                    tone_figure(pal, 0xFFFFF4C0));
    }
}

void draw_cat_curled(Canvas& c, const Palette& pal, float x, float g, float s) {
    for (int pass = 0; pass < 2; ++pass) {
        Pen p{c, pal, pass, tone_figure(pal, 0xFF4A2C1C), 3.0f * s};
        ellipse(p, x, g - 22 * s, 44 * s, 24 * s, kCatFur);
        ellipse(p, x + 34 * s, g - 22 * s, 21 * s, 18 * s, kCatFur);
        for (int side = 0; side < 2; ++side) {
            float ex = x + (26 + side * 18) * s;
            poly(p, {{ex - 8 * s, g - 34 * s}, {ex, g - 54 * s}, {ex + 8 * s, g - 34 * s}}, kCatFur);
        }
        curve(p, arc(x, g - 10 * s, 46 * s, 14 * s, 0.1f * kPi, 0.95f * kPi, 10), 9 * s, kCatFur);
    }
    uint32_t ink = tone_figure(pal, 0xFF3A2418);
    for (int side = 0; side < 2; ++side) {
        float ex = x + (28 + side * 12) * s;
        stroke_polyline(c, arc(ex, g - 24 * s, 4 * s, 2.5f * s, 0, kPi, 6), 1.8f * s, ink, false);
    }
    for (int i = 0; i < 3; ++i) {
        stroke_line(c, {x - (20 - i * 14) * s, g - 44 * s}, {x - (24 - i * 14) * s, g - 32 * s}, 3 * s,
                    tone_figure(pal, 0xFFC8783C));
    }
}
