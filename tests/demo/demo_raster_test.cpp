// The demo generator's rasterizer: shapes cover the area they should, edges stay soft but
// bounded, drawing off the canvas is clipped, and the pictures' hot-spot boxes stay on it.
#include <gtest/gtest.h>

#include <cmath>

#include "tools/demogen/pictures.h"
#include "tools/demogen/raster.h"

namespace {

// Sum of how far each pixel moved from black to white (1 per fully white pixel).
double white_area(const Canvas& c) {
    double sum = 0.0;
    for (uint32_t p : c.pixels) sum += static_cast<double>(p & 0xFF) / 255.0;
    return sum;
}

}  // namespace

TEST(DemoRaster, ShapesCoverTheirAreaWithSoftEdges) {
    Canvas c = make_canvas(64, 64, 0xFF000000);
    fill_polygon(c, {{10.5f, 10.25f}, {40.5f, 10.25f}, {40.5f, 30.25f}, {10.5f, 30.25f}}, 0xFFFFFFFF);
    EXPECT_NEAR(white_area(c), 30.0 * 20.0, 6.0) << "a 30x20 rectangle";
    EXPECT_EQ(c.pixels[20 * 64 + 20], 0xFFFFFFFFu) << "inside is fully covered";
    EXPECT_EQ(c.pixels[5 * 64 + 5], 0xFF000000u) << "outside is untouched";
    uint32_t edge = c.pixels[20 * 64 + 10] & 0xFF;  // x 10..11 is half covered
    EXPECT_GT(edge, 90u);
    EXPECT_LT(edge, 170u);

    Canvas d = make_canvas(64, 64, 0xFF000000);
    fill_circle(d, 32, 32, 12, 0xFFFFFFFF);
    EXPECT_NEAR(white_area(d), 3.14159 * 144, 8.0) << "a circle of radius 12";

    // Two triangles sharing an edge fill the square without a seam or double cover.
    Canvas e = make_canvas(32, 32, 0xFF000000);
    fill_polygon(e, {{4, 4}, {28, 4}, {4, 28}}, 0xFFFFFFFF);
    fill_polygon(e, {{28, 4}, {28, 28}, {4, 28}}, 0xFFFFFFFF);
    EXPECT_NEAR(white_area(e), 24.0 * 24.0, 12.0);
    EXPECT_GE(e.pixels[16 * 32 + 16] & 0xFF, 250u) << "no dark seam along the shared diagonal";
}

TEST(DemoRaster, WindingAndClippingAreSafe) {
    Canvas c = make_canvas(40, 30, 0xFF000000);
    // A star drawn as one self-crossing outline: the non-zero rule fills its centre too.
    std::vector<Point> star;
    for (int k = 0; k < 5; ++k) {
        float a = -1.5708f + k * 2 * 2.51327f;
        star.push_back({20 + 12 * std::cos(a), 15 + 12 * std::sin(a)});
    }
    fill_polygon(c, star, 0xFFFFFFFF);
    EXPECT_EQ(c.pixels[15 * 40 + 20], 0xFFFFFFFFu) << "the centre of a self-crossing star";
    // Far off the canvas, partly off, or degenerate: nothing is written outside the buffer.
    fill_polygon(c, {{-500, -500}, {900, -400}, {100, 700}}, 0x80FF0000);
    fill_circle(c, -1000, 5, 3000, 0xFF00FF00);
    stroke_line(c, {-50, -50}, {-50, -50}, 4, 0xFFFFFFFF);
    fill_ellipse(c, 10, 10, 0, 5, 0xFFFFFFFF);
    fill_polygon(c, {{1, 1}, {2, 2}}, 0xFFFFFFFF);
    EXPECT_EQ(c.pixels.size(), 40u * 30u);
    EXPECT_EQ(c.pixels[0] & 0xFF00FF00u, 0xFF00FF00u) << "the huge circle covers the canvas";
}

TEST(DemoRaster, BlendingAndGradients) {
    Canvas c = make_canvas(4, 9, 0xFF000000);
    blend_pixel(c, 0, 0, 0x80FFFFFF, 1.0f);
    EXPECT_NEAR(static_cast<int>(c.pixels[0] & 0xFF), 128, 2) << "half-transparent white over black";
    EXPECT_EQ(c.pixels[0] >> 24, 0xFFu) << "the canvas stays opaque";
    blend_pixel(c, 1, 0, 0xFF00FF00, 0.25f);
    EXPECT_NEAR(static_cast<int>((c.pixels[1] >> 8) & 0xFF), 64, 2);
    blend_pixel(c, 4, 0, 0xFFFFFFFF, 1.0f);  // beyond the right edge: ignored
    EXPECT_EQ(c.pixels[4], 0xFF000000u) << "x 4 is not row 1's first pixel";
    const uint32_t stops[2] = {0xFF000000, 0xFFFFFFFF};
    fill_gradient_rows(c, 0, 8, stops, 2);
    EXPECT_EQ(c.pixels[0], 0xFF000000u);
    EXPECT_EQ(c.pixels[8 * 4], 0xFFFFFFFFu);
    EXPECT_NEAR(static_cast<int>(c.pixels[4 * 4] & 0xFF), 128, 3);
}

TEST(DemoPictures, EveryHotSpotBoxLiesOnTheVisiblePicture) {
    const Anchor anchors[] = {Anchor::child, Anchor::cat, Anchor::bird, Anchor::moon, Anchor::door,
                              Anchor::window, Anchor::water, Anchor::tree, Anchor::path, Anchor::path2,
                              Anchor::sign, Anchor::rock, Anchor::bed, Anchor::sky, Anchor::next, Anchor::back};
    for (int id = 0; id < kPictureCount; ++id) {
        const PictureRecipe& r = picture_recipe(id);
        int w = std::min(r.width, 800), h = std::min(r.height, 600);
        for (Anchor a : anchors) {
            Box b;
            if (!picture_anchor(id, a, &b)) continue;
            EXPECT_TRUE(b.left >= 0 && b.top >= 0 && b.left < b.right && b.top < b.bottom && b.right < w &&
                        b.bottom < h)
                << r.name << " anchor " << static_cast<int>(a);
        }
        Box next, back;
        ASSERT_TRUE(picture_anchor(id, Anchor::next, &next));
        ASSERT_TRUE(picture_anchor(id, Anchor::back, &back));
        EXPECT_TRUE(next.left > back.right) << r.name << ": the page corners overlap";
    }
}
