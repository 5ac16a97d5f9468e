// Fonts and glyphs (the GDI font engine's stand-in): FreeType with monochrome rendering, faces
// found through fontconfig. Faces are named in Shift-JIS; characters are 1 or 2 Shift-JIS bytes.
// User-interface thread only: the FreeType library and the face cache behind these functions are
// not locked.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

struct TextFont;  // one face at one size
struct TextFontDeleter {
    void operator()(TextFont* font) const;
};
using TextFontHandle = std::unique_ptr<TextFont, TextFontDeleter>;

struct TextMetrics {
    int ascent = 0;          // pixels above the baseline (tmAscent)
    int descent = 0;         // pixels below it (tmDescent)
    int height = 0;          // ascent + descent: the cell height (tmHeight)
    int ave_char_width = 0;  // pixels (tmAveCharWidth); tabs stop every 8 of them
};

constexpr int kMaxFontHeight = 2048;  // pixels; a larger request creates no font

// Creates a font of the named face. height > 0 is a cell height (ascent + descent), as GDI takes
// a positive height; height < 0 an em height; 0 a default of 16 pixels. The MS faces map to their
// IPA equivalents and an unknown name to a Japanese face. Null when no face with Japanese glyphs
// can be found or the height is beyond kMaxFontHeight.
TextFontHandle text_font_create(const char* face_sjis, int height);

TextMetrics text_font_metrics(const TextFont& font);

// Family name of the face behind the font (UTF-8), e.g. "IPAGothic".
std::string text_font_family(const TextFont& font);

// The font file a face name resolves to, "" when none would do.
std::string text_face_file(const char* face_sjis);

// Size of one character (count 1 or 2 bytes) measured alone: its advance and the cell height,
// as the single-line measurement with tab expansion gives them. A tab is 8 average widths;
// other control characters are empty.
void text_measure_char(TextFont& font, const unsigned char* bytes, int count, int* width,
                       int* height);

// Draws one character whose cell's top left is at (x, y) into a 32-bit pixel buffer of
// width x height pixels with pitch bytes per row: every glyph pixel becomes value, the rest is
// left alone; whatever falls outside the buffer is cut. A character the face lacks draws the
// face's missing-glyph box.
void text_draw_char(TextFont& font, const unsigned char* bytes, int count, int x, int y,
                    uint32_t* pixels, int width, int height, int pitch, uint32_t value);

// Test seam: the next count font creations fail.
void text_fail_next_fonts(int count);
