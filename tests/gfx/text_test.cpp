// Text into textures on the real IPA faces: the font recipe, the byte-based layout rules, the
// alpha conversion, the pixel operations and their failure paths.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

#include "gfx/text.h"
#include "platform/text/sjis.h"
#include "platform/text/text.h"
#include "support/image_fixtures.h"

namespace {

std::string sjis(const char* utf8) {
    std::string out;
    EXPECT_TRUE(utf8_to_sjis(utf8, &out)) << utf8;
    return out;
}

const std::string kGothic = sjis("ＭＳ ゴシック");

// A texture made by texture_create, released at scope end.
struct Tex {
    Texture* t = nullptr;
    Tex(int w, int h, PixelFormat f) { EXPECT_EQ(texture_create(w, h, f, &t), S_OK); }
    ~Tex() { texture_release(t); }
};

// A texture whose rows are padded: pitch is (width + pad) pixels; the padding holds a marker.
struct PaddedTex {
    Texture t;
    static constexpr uint32_t kMarker = 0xDEADBEEFu;
    PaddedTex(int w, int h, int pad) {
        t.width = w;
        t.height = h;
        t.pitch = (w + pad) * 4;
        t.pixels = static_cast<uint32_t*>(std::malloc(static_cast<size_t>(t.pitch) * h));
        for (int i = 0; i < (w + pad) * h; ++i) t.pixels[i] = kMarker;
    }
    ~PaddedTex() { std::free(t.pixels); }
    uint32_t raw(int x, int y) const { return t.pixels[static_cast<size_t>(y) * (t.pitch / 4) + x]; }
};

std::vector<uint32_t> snapshot(const Texture* t) {
    return std::vector<uint32_t>(t->pixels, t->pixels + static_cast<size_t>(t->pitch / 4) * t->height);
}

int line_step_of(int points) {
    int w = 0, h = 0;
    EXPECT_EQ(measure_text(kGothic.c_str(), points, "", &w, &h), 0);
    return h;
}

// Number of pixels equal to value in rows [y0, y1).
int count_in_rows(const Texture* t, int y0, int y1, uint32_t value) {
    int n = 0;
    for (int y = y0; y < y1 && y < t->height; ++y)
        for (int x = 0; x < t->width; ++x) n += texture_pixel(t, x, y) == value;
    return n;
}

}  // namespace

TEST(TextFonts, MsFacesMapToIpaAndUnknownNamesToAJapaneseFace) {
    const struct { const char* name; const char* family; } faces[] = {
        {"ＭＳ ゴシック", "IPAGothic"}, {"ＭＳ Ｐゴシック", "IPAPGothic"}, {"MS UI Gothic", "IPAPGothic"},
        {"ＭＳ 明朝", "IPAMincho"},     {"ＭＳ Ｐ明朝", "IPAPMincho"}};
    for (const auto& f : faces) {
        const std::string name = sjis(f.name);
        TextFontHandle font = text_font_create(name.c_str(), 44);
        ASSERT_TRUE(font) << f.name;
        EXPECT_EQ(text_font_family(*font), f.family) << f.name;
        EXPECT_NE(text_face_file(name.c_str()), "") << f.name;
    }
    EXPECT_EQ(text_face_file(kGothic.c_str()), text_face_file("MS Gothic"));
    for (const char* other : {"No Such Face 42", "DejaVu Sans", ""}) {
        TextFontHandle font = text_font_create(other, 20);
        ASSERT_TRUE(font) << "'" << other << "' still gets a face";
        const std::string family = text_font_family(*font);
        EXPECT_EQ(family.find("DejaVu"), std::string::npos) << "a face without Japanese glyphs";
        int w = 0, h = 0;
        text_measure_char(*font, reinterpret_cast<const unsigned char*>("\x82\xA0"), 2, &w, &h);
        EXPECT_GT(w, 10) << "hiragana has a real advance in " << family;
    }
    EXPECT_FALSE(text_font_create(kGothic.c_str(), kMaxFontHeight + 1)) << "absurd size";
}

TEST(TextLayout, FontRecipeAndLineStep) {
    TextFontHandle cell44 = text_font_create(kGothic.c_str(), 44);
    ASSERT_TRUE(cell44);
    const TextMetrics m = text_font_metrics(*cell44);
    EXPECT_EQ(m.height, 44) << "a positive height is the cell height";
    EXPECT_EQ(m.ascent + m.descent, 44);
    EXPECT_GT(m.descent, 0);

    int w = -5, h = -5;
    EXPECT_EQ(measure_text(kGothic.c_str(), 33, "", &w, &h), 0);
    EXPECT_EQ(w, 0) << "empty text is 0 wide";
    EXPECT_EQ(h, m.ascent + 2 * m.descent) << "33 pt is MulDiv(33, 96, 72) = 44 pixels of cell; one line step";
    const int step = h;

    const std::string a = sjis("あ");
    int aw = 0, ah = 0;
    ASSERT_EQ(measure_text(kGothic.c_str(), 33, a.c_str(), &aw, &ah), 2);
    EXPECT_EQ(ah, step);
    EXPECT_GT(aw, 30);
    const std::string text = a + a + "\n" + a;
    ASSERT_EQ(measure_text(kGothic.c_str(), 33, text.c_str(), &w, &h), 7);
    EXPECT_EQ(w, 2 * aw) << "widest line's sum of advances";
    EXPECT_EQ(h, 2 * step);
    ASSERT_EQ(measure_text(kGothic.c_str(), 33, (a + "\n").c_str(), &w, &h), 3);
    EXPECT_EQ(h, 2 * step) << "a closing 0x0A adds a line of its own";
    ASSERT_EQ(measure_text(kGothic.c_str(), 33, "\t", &w, &h), 1);
    EXPECT_EQ(w, 8 * m.ave_char_width) << "a tab goes to the first tab stop";

    // Outputs are zeroed before a failure.
    text_fail_next_fonts(1);
    EXPECT_EQ(measure_text(kGothic.c_str(), 33, "x", &w, &h), -1);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
}

TEST(TextLayout, ByteRulesForLeadBytesBackslashesAndHighBytes) {
    const int step = line_step_of(20);
    int w = 0, h = 0;
    // 0xF0-0xFC are one-byte characters: a following 0x0A still breaks the line.
    for (int b = 0xF0; b <= 0xFC; ++b) {
        const char text[] = {static_cast<char>(b), '\n', 0};
        ASSERT_EQ(measure_text(kGothic.c_str(), 20, text, &w, &h), 2);
        EXPECT_EQ(h, 2 * step) << "byte 0x" << std::hex << b;
    }
    // A real lead byte takes the next byte as its trail, even a 0x0A.
    ASSERT_EQ(measure_text(kGothic.c_str(), 20, "\x81\n", &w, &h), 2);
    EXPECT_EQ(h, step);
    // A lead byte right before the end does not swallow the terminator's line.
    ASSERT_EQ(measure_text(kGothic.c_str(), 20, "A\x81", &w, &h), 2);
    EXPECT_EQ(h, step);
    // measure_text does not break at a backslash.
    ASSERT_EQ(measure_text(kGothic.c_str(), 20, "A\\B", &w, &h), 3);
    EXPECT_EQ(h, step);

    // render_alpha_text: 0x95 0x5C is one character on one line; a one-byte 0x5C breaks it.
    const std::string kanji = "\x95\x5C";  // 表
    Tex alpha(300, 3 * step, PixelFormat::A8R8G8B8), scratch(300, 3 * step, PixelFormat::X8R8G8B8);
    ASSERT_EQ(render_alpha_text(alpha.t, scratch.t, 0x00FFFFFF, kGothic.c_str(), 20, (kanji + "B").c_str()), 3);
    EXPECT_GT(count_in_rows(alpha.t, 0, step, 0xFFFFFFFFu), 20);
    EXPECT_EQ(count_in_rows(alpha.t, step, 3 * step, 0xFFFFFFFFu), 0) << "0x95 0x5C breaks no line";
    ASSERT_EQ(render_alpha_text(alpha.t, scratch.t, 0x00FFFFFF, kGothic.c_str(), 20, "A\\B"), 3);
    EXPECT_GT(count_in_rows(alpha.t, 0, step, 0xFFFFFFFFu), 5);
    EXPECT_GT(count_in_rows(alpha.t, step, 2 * step, 0xFFFFFFFFu), 5) << "B went to the second line";
    // draw_text_to_texture draws the backslash as a character.
    Tex plain(300, 3 * step, PixelFormat::X8R8G8B8);
    ASSERT_EQ(draw_text_to_texture(plain.t, kGothic.c_str(), 20, 0, 0, 0x00FFFFFF, "A\\B"), 3);
    EXPECT_EQ(count_in_rows(plain.t, step, 3 * step, 0x00FFFFFFu), 0);
}

TEST(TextRender, AlphaTextIsPureGlyphOrTransparentAndReplacesTheOldText) {
    Tex alpha(792, 196, PixelFormat::A8R8G8B8), scratch(792, 196, PixelFormat::X8R8G8B8);
    const std::string page = sjis("ぽろみなの\n絵本です。ＡＢＣ\\abc 123");
    ASSERT_EQ(render_alpha_text(alpha.t, scratch.t, 0x00FFFFFF, kGothic.c_str(), 33, page.c_str()),
              static_cast<int>(page.size()));
    std::set<uint32_t> values;
    int glyph = 0;
    for (int y = 0; y < 196; ++y)
        for (int x = 0; x < 792; ++x) {
            values.insert(texture_pixel(alpha.t, x, y));
            glyph += texture_pixel(alpha.t, x, y) == 0xFFFFFFFFu;
        }
    EXPECT_EQ(values, (std::set<uint32_t>{0u, 0xFFFFFFFFu})) << "no anti-aliased pixel";
    EXPECT_GT(glyph, 1000);
    EXPECT_EQ(texture_pixel(scratch.t, 791, 195), 0xFF000000u) << "scratch background for white text";

    ASSERT_EQ(render_alpha_text(alpha.t, scratch.t, 0x00FFFFFF, kGothic.c_str(), 33, ""), 0);
    EXPECT_EQ(count_in_rows(alpha.t, 0, 196, 0u), 792 * 196) << "every pixel is rewritten";

    // A coloured text keeps its colour: GDI 0x00BBGGRR red is pixel 0x00FF0000.
    ASSERT_EQ(render_alpha_text(alpha.t, scratch.t, 0x000000FF, kGothic.c_str(), 33, "Red"), 3);
    EXPECT_GT(count_in_rows(alpha.t, 0, 196, 0xFFFF0000u), 50);
    EXPECT_EQ(count_in_rows(alpha.t, 0, 196, 0xFFFF0000u) + count_in_rows(alpha.t, 0, 196, 0u), 792 * 196);
}

TEST(TextRender, DrawTextColoursGlyphsOnlyAndCutsAtTheEdge) {
    Tex t(120, 60, PixelFormat::X8R8G8B8);
    ASSERT_EQ(fill_texture(t.t, 0xFF474747u), 0);
    const std::string long_text = sjis("とても長い一行のテキストです");
    ASSERT_EQ(draw_text_to_texture(t.t, kGothic.c_str(), 20, 5, 3, 0x00336699u, long_text.c_str()),
              static_cast<int>(long_text.size()));
    int glyph = 0, other = 0, right_edge = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 120; ++x) {
            const uint32_t p = texture_pixel(t.t, x, y);
            if (p == 0x00996633u) {
                ++glyph;
                right_edge += x >= 100;
            } else if (p != 0xFF474747u) {
                ++other;
            }
        }
    EXPECT_GT(glyph, 100);
    EXPECT_EQ(other, 0) << "glyph pixels are 0x00RRGGBB, the rest untouched";
    EXPECT_GT(right_edge, 0) << "the line runs on to the right edge";
    EXPECT_EQ(count_in_rows(t.t, 3 + line_step_of(20), 60, 0x00996633u), 0) << "nothing wraps";
    // Origins far outside draw nothing and do not fault.
    EXPECT_GE(draw_text_to_texture(t.t, kGothic.c_str(), 20, -100000, 2000000, 0xFFFFFF, "abc"), 0);
}

TEST(TextPixels, FillAndCopyKeepToSizesAndPitch) {
    Tex big(800, 600, PixelFormat::X8R8G8B8), small(792, 196, PixelFormat::X8R8G8B8);
    ASSERT_EQ(fill_texture(big.t, 0x12345678u), 0);
    ASSERT_EQ(fill_texture(small.t, 0xCAFEBABEu), 0);
    EXPECT_EQ(copy_texture_pixels(big.t, small.t), -1);
    EXPECT_EQ(count_in_rows(small.t, 0, 196, 0xCAFEBABEu), 792 * 196) << "destination unchanged";

    PaddedTex a(5, 3, 2), b(5, 3, 2), c(5, 3, 1);
    ASSERT_EQ(fill_texture(&a.t, 0xFF0000FFu), 0);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) EXPECT_EQ(a.raw(x, y), 0xFF0000FFu);
        EXPECT_EQ(a.raw(5, y), PaddedTex::kMarker) << "padding left alone, row " << y;
        EXPECT_EQ(a.raw(6, y), PaddedTex::kMarker);
    }
    a.t.pixels[7 * 2 + 4] = 0x00ABCDEFu;  // top byte travels too
    ASSERT_EQ(copy_texture_pixels(&a.t, &b.t), 0);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) EXPECT_EQ(b.raw(x, y), a.raw(x, y));
        EXPECT_EQ(b.raw(5, y), PaddedTex::kMarker);
    }
    EXPECT_EQ(copy_texture_pixels(&a.t, &c.t), -1) << "unequal pitches";
    EXPECT_EQ(c.raw(0, 0), PaddedTex::kMarker);
    EXPECT_FALSE(a.t.locked || c.t.locked) << "both unlocked after the pitch failure";
    EXPECT_EQ(copy_texture_pixels(&a.t, &a.t), -1) << "a texture cannot be both ends";
    EXPECT_FALSE(a.t.locked);
}

TEST(TextRender, FailuresLeaveTheAlphaTextureAndReleaseLocks) {
    Tex alpha(200, 60, PixelFormat::A8R8G8B8), scratch(200, 60, PixelFormat::X8R8G8B8);
    Tex other(199, 60, PixelFormat::X8R8G8B8);
    ASSERT_EQ(render_alpha_text(alpha.t, scratch.t, 0x00FFFFFF, kGothic.c_str(), 20, "old"), 3);
    const auto before = snapshot(alpha.t);

    EXPECT_EQ(render_alpha_text(alpha.t, other.t, 0x00FFFFFF, kGothic.c_str(), 20, "new"), -1);
    text_fail_next_fonts(1);
    EXPECT_EQ(render_alpha_text(alpha.t, scratch.t, 0x00FFFFFF, kGothic.c_str(), 20, "new"), -1);
    texture_fail_next_locks(1);  // the scratch fill
    EXPECT_EQ(render_alpha_text(alpha.t, scratch.t, 0x00FFFFFF, kGothic.c_str(), 20, "new"), -1);
    texture_fail_next_locks(0);

    // The alpha lock fails (it is held elsewhere): the scratch lock taken before is given back.
    LockedRect held{};
    ASSERT_EQ(texture_lock(alpha.t, &held), S_OK);
    EXPECT_EQ(render_alpha_text(alpha.t, scratch.t, 0x00FFFFFF, kGothic.c_str(), 20, "new"), -1);
    EXPECT_FALSE(scratch.t->locked);
    ASSERT_EQ(texture_unlock(alpha.t), S_OK);

    // Unequal pitches with equal sizes.
    PaddedTex padded(200, 60, 3);
    EXPECT_EQ(render_alpha_text(&padded.t, scratch.t, 0x00FFFFFF, kGothic.c_str(), 20, "new"), -1);
    EXPECT_EQ(padded.raw(0, 0), PaddedTex::kMarker);
    EXPECT_FALSE(padded.t.locked || scratch.t->locked);

    EXPECT_EQ(snapshot(alpha.t), before) << "the previous text stays";
    EXPECT_FALSE(alpha.t->locked);

    texture_fail_next_locks(1);
    EXPECT_EQ(draw_text_to_texture(scratch.t, kGothic.c_str(), 20, 0, 0, 0xFFFFFF, "x"), -1);
    texture_fail_next_locks(1);
    EXPECT_EQ(fill_texture(scratch.t, 0), -1);
    texture_fail_next_locks(0);
}
