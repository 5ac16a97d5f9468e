// Fonts, character measurement and monochrome glyph drawing on FreeType (the GDI stand-in).
#include "platform/text/text.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SIZES_H
#include FT_TRUETYPE_TABLES_H

#include "platform/text/sjis.h"
#include "platform/text/text_faces.h"

struct TextFont {
    FT_Face face = nullptr;  // shared, owned by the face cache
    FT_Size size = nullptr;  // this font's own size on the face
    int ppem = 0;            // pixels per em the glyphs are rendered at
    TextMetrics metrics;
};

namespace {

constexpr int kDefaultCellHeight = 16;  // pixels, for a height of 0
int fonts_to_fail = 0;                  // test seam; user-interface thread only

// a * b / c rounded to nearest, for non-negative a, b and positive c.
int64_t scale_round(int64_t a, int64_t b, int64_t c) { return (a * b + c / 2) / c; }

// The vertical extent GDI scales to a cell: the Windows ascent and descent of the OS/2 table,
// else the horizontal header's, in font units.
void design_extent(FT_Face face, int64_t* ascent, int64_t* descent) {
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
        *ascent = os2->usWinAscent;
        *descent = os2->usWinDescent;
    } else if (face->ascender - face->descender > 0) {
        *ascent = face->ascender;
        *descent = -face->descender;
    } else {
        *ascent = face->units_per_EM * 4 / 5;
        *descent = face->units_per_EM - *ascent;
    }
}

bool is_control(const unsigned char* bytes, int count) { return count == 1 && bytes[0] < 0x20; }

// Loads the glyph of one character at the font's size; rendered to a 1-bit bitmap when render.
// The face's missing-glyph box stands in for a character it lacks. Null on a FreeType error.
FT_GlyphSlot load_glyph(TextFont& font, const unsigned char* bytes, int count, bool render) {
    if (FT_Activate_Size(font.size) != 0) return nullptr;
    const char32_t cp = sjis_char_to_unicode(bytes, count);
    const FT_UInt index = FT_Get_Char_Index(font.face, cp);
    FT_Int32 flags = FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME;
    if (render) flags |= FT_LOAD_RENDER;
    if (FT_Load_Glyph(font.face, index, flags) != 0) return nullptr;
    return font.face->glyph;
}

}  // namespace

void TextFontDeleter::operator()(TextFont* font) const {
    if (!font) return;
    if (font->size) FT_Done_Size(font->size);
    delete font;
}

void text_fail_next_fonts(int count) { fonts_to_fail = count; }

TextFontHandle text_font_create(const char* face_sjis, int height) {
    if (fonts_to_fail > 0) {
        --fonts_to_fail;
        return nullptr;
    }
    if (height > kMaxFontHeight || height < -kMaxFontHeight) return nullptr;
    if (height == 0) height = kDefaultCellHeight;
    FT_Face face = text_face_for_name(face_sjis);
    if (!face) return nullptr;

    TextFontHandle font(new TextFont);
    font->face = face;
    int64_t design_ascent = 0, design_descent = 0;
    design_extent(face, &design_ascent, &design_descent);
    const int64_t upem = face->units_per_EM > 0 ? face->units_per_EM : 2048;
    TextMetrics& m = font->metrics;
    if (height > 0) {  // cell height: ascent + descent come out exactly as asked
        const int64_t extent = design_ascent + design_descent;
        font->ppem = static_cast<int>(scale_round(height, upem, extent));
        m.ascent = static_cast<int>(scale_round(height, design_ascent, extent));
        m.descent = height - m.ascent;
    } else {  // em height
        font->ppem = -height;
        m.ascent = static_cast<int>(scale_round(font->ppem, design_ascent, upem));
        m.descent = static_cast<int>(scale_round(font->ppem, design_descent, upem));
    }
    if (font->ppem < 1) font->ppem = 1;
    m.height = m.ascent + m.descent;
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    const int64_t avg = os2 && os2->version != 0xFFFF && os2->xAvgCharWidth > 0 ? os2->xAvgCharWidth
                                                                               : upem / 2;
    m.ave_char_width = static_cast<int>(scale_round(font->ppem, avg, upem));
    if (m.ave_char_width < 1) m.ave_char_width = 1;

    if (FT_New_Size(face, &font->size) != 0) {
        font->size = nullptr;
        return nullptr;
    }
    if (FT_Activate_Size(font->size) != 0 ||
        FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(font->ppem)) != 0)
        return nullptr;
    return font;
}

TextMetrics text_font_metrics(const TextFont& font) { return font.metrics; }

std::string text_font_family(const TextFont& font) {
    return font.face->family_name ? font.face->family_name : "";
}

std::string text_face_file(const char* face_sjis) { return text_face_path_for_name(face_sjis); }

void text_measure_char(TextFont& font, const unsigned char* bytes, int count, int* width,
                       int* height) {
    *width = 0;
    *height = font.metrics.height;
    if (count == 1 && bytes[0] == '\t') {
        *width = 8 * font.metrics.ave_char_width;
        return;
    }
    if (is_control(bytes, count)) return;
    FT_GlyphSlot glyph = load_glyph(font, bytes, count, false);
    if (glyph) *width = static_cast<int>((glyph->advance.x + 32) >> 6);
}

void text_draw_char(TextFont& font, const unsigned char* bytes, int count, int x, int y,
                    uint32_t* pixels, int width, int height, int pitch, uint32_t value) {
    if (!pixels || is_control(bytes, count)) return;
    FT_GlyphSlot glyph = load_glyph(font, bytes, count, true);
    if (!glyph || glyph->format != FT_GLYPH_FORMAT_BITMAP) return;
    const FT_Bitmap& bm = glyph->bitmap;
    if (bm.pitch <= 0 || !bm.buffer) return;
    const bool mono = bm.pixel_mode == FT_PIXEL_MODE_MONO;
    if (!mono && bm.pixel_mode != FT_PIXEL_MODE_GRAY) return;
    const int64_t left = static_cast<int64_t>(x) + glyph->bitmap_left;
    const int64_t top = static_cast<int64_t>(y) + font.metrics.ascent - glyph->bitmap_top;
    const int pitch_pixels = pitch / 4;
    for (unsigned row = 0; row < bm.rows; ++row) {
        const int64_t py = top + row;
        if (py < 0 || py >= height) continue;
        const unsigned char* src = bm.buffer + static_cast<size_t>(row) * bm.pitch;
        uint32_t* dst = pixels + static_cast<size_t>(py) * pitch_pixels;
        for (unsigned col = 0; col < bm.width; ++col) {
            const int64_t px = left + col;
            if (px < 0 || px >= width) continue;
            const bool on = mono ? (src[col >> 3] >> (7 - (col & 7))) & 1 : src[col] >= 128;
            if (on) dst[px] = value;
        }
    }
}
