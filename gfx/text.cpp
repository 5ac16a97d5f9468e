// Text drawn into textures character by character, and the fill and copy pixel operations.
// Fonts come from platform/text/text.h; every operation creates its font and drops it before returning.
#include "gfx/text.h"

#include <cstdint>
#include <cstring>

#include "platform/text/text.h"

namespace {

constexpr int kScreenDpi = 96;  // fixed, whatever the display says
constexpr int kPointsPerInch = 72;

// Win32 MulDiv: a * b / c rounded half away from zero; -1 when c is 0 or the result overflows.
int mul_div(int a, int b, int c) {
    if (c == 0) return -1;
    int64_t num = static_cast<int64_t>(a) * b;
    const bool negative = (num < 0) != (c < 0);
    if (num < 0) num = -num;
    const int64_t den = c < 0 ? -static_cast<int64_t>(c) : c;
    int64_t q = (num + den / 2) / den;
    if (negative) q = -q;
    if (q > INT32_MAX || q < INT32_MIN) return -1;
    return static_cast<int>(q);
}

// The one font recipe: a cell height of MulDiv(points, 96, 72) pixels.
TextFontHandle create_text_font(const char* face, int points) {
    return text_font_create(face, mul_div(points, kScreenDpi, kPointsPerInch));
}

// Distance from one line's top to the next.
int line_step(const TextFont& font) {
    const TextMetrics m = text_font_metrics(font);
    return m.ascent + 2 * m.descent;
}

// Glyph pixels as the font engine writes them into a 32-bit surface: 0x00BBGGRR to 0x00RRGGBB.
uint32_t gdi_colour_to_pixel(uint32_t colour) {
    return ((colour & 0xFFu) << 16) | (colour & 0xFF00u) | ((colour >> 16) & 0xFFu);
}

// Where laid-out characters are drawn; pixels null when only measuring.
struct Canvas {
    uint32_t* pixels = nullptr;  // locked top-left pixel
    int width = 0;               // pixels
    int height = 0;
    int pitch = 0;               // bytes per row
    uint32_t value = 0;          // glyph pixel value
};

// False when a character cell at (x, y) lies so far outside the canvas that no part of its glyph
// can land on it (a glyph may overhang its cell by up to a cell height).
bool may_touch(const Canvas& canvas, int64_t x, int64_t y, int cell) {
    return x < canvas.width + cell && y < canvas.height + cell && x > -3 * int64_t{cell} &&
           y > -2 * int64_t{cell};
}

struct LayoutSize {
    int widest = 0;  // pixels: the widest line's sum of advances
    int height = 0;  // pixels: line_step per line break, the terminating NUL included
};

// Walks text (length bytes plus its NUL) placing one character after another from origin
// (ox, oy): 0x0A and the NUL (and, when backslash_breaks, a one-byte 0x5C) start a new line.
// A lead byte right before the NUL is taken alone, so the NUL still ends the last line.
LayoutSize lay_out(TextFont& font, const unsigned char* text, size_t length, bool backslash_breaks,
                   const Canvas& canvas, int ox, int oy) {
    LayoutSize size;
    const int step = line_step(font);
    int pen_x = 0, pen_y = 0;
    for (size_t i = 0; i <= length; ++i) {
        const unsigned char b = text[i];
        if (b == 0x0A || b == 0 || (backslash_breaks && b == 0x5C)) {
            pen_y += step;
            pen_x = 0;
            size.height += step;
            continue;
        }
        int n = sjis_char_bytes(b);
        if (n == 2 && text[i + 1] == 0) n = 1;
        int w = 0, h = 0;
        text_measure_char(font, text + i, n, &w, &h);
        if (canvas.pixels && may_touch(canvas, ox + pen_x, oy + pen_y, h))
            text_draw_char(font, text + i, n, ox + pen_x, oy + pen_y, canvas.pixels, canvas.width,
                           canvas.height, canvas.pitch, canvas.value);
        pen_x += w;
        if (pen_x > size.widest) size.widest = pen_x;
        i += static_cast<size_t>(n - 1);
    }
    return size;
}

// A texture locked for the life of the object; unlock() reports the unlock's result.
struct TextureLock {
    Texture* texture = nullptr;  // null when not locked
    LockedRect rect{};
    bool lock(Texture* t) {
        if (failed(texture_lock(t, &rect))) return false;
        texture = t;
        return true;
    }
    bool unlock() {
        Texture* t = texture;
        texture = nullptr;
        return t && succeeded(texture_unlock(t));
    }
    ~TextureLock() {
        if (texture) texture_unlock(texture);
    }
    uint32_t* row(int y) const {
        return reinterpret_cast<uint32_t*>(static_cast<unsigned char*>(rect.bits) +
                                           static_cast<size_t>(y) * rect.pitch);
    }
};

// Draws text through a lock of texture at (x, y) with glyph pixels value.
bool draw_locked(Texture* texture, TextFont& font, const char* text, bool backslash_breaks,
                 int x, int y, uint32_t value) {
    TextureLock lock;
    if (!lock.lock(texture)) return false;
    Canvas canvas{static_cast<uint32_t*>(lock.rect.bits), texture->width, texture->height,
                  lock.rect.pitch, value};
    lay_out(font, reinterpret_cast<const unsigned char*>(text), std::strlen(text), backslash_breaks,
            canvas, x, y);
    return lock.unlock();
}

}  // namespace

int sjis_char_bytes(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEF) ? 2 : 1;
}

int measure_text(const char* face, int points, const char* text, int* width, int* height) {
    if (width) *width = 0;
    if (height) *height = 0;
    if (!text || !width || !height) return -1;
    TextFontHandle font = create_text_font(face, points);
    if (!font) return -1;
    const size_t length = std::strlen(text);
    LayoutSize size = lay_out(*font, reinterpret_cast<const unsigned char*>(text), length, false,
                              Canvas{}, 0, 0);
    *width = size.widest;
    *height = size.height;
    return static_cast<int>(length);
}

int draw_text_to_texture(Texture* texture, const char* face, int points, int x, int y,
                         uint32_t colour, const char* text) {
    if (!texture || !text) return -1;
    TextFontHandle font = create_text_font(face, points);
    if (!font) return -1;
    if (!draw_locked(texture, *font, text, false, x, y, gdi_colour_to_pixel(colour))) return -1;
    return static_cast<int>(std::strlen(text));
}

int render_alpha_text(Texture* alpha, Texture* scratch, uint32_t colour, const char* face,
                      int points, const char* text) {
    if (!alpha || !scratch || !text) return -1;
    if (alpha->width != scratch->width || alpha->height != scratch->height) return -1;
    TextFontHandle font = create_text_font(face, points);
    if (!font) return -1;

    // Glyph pixels carry the colour with a top byte of 0; the background its complement with a
    // top byte of 0xFF, so no background pixel can pass for a glyph pixel.
    const uint32_t glyph = gdi_colour_to_pixel(colour);
    if (fill_texture(scratch, ~glyph | 0xFF000000u) != 0) return -1;
    if (!draw_locked(scratch, *font, text, true, 0, 0, glyph)) return -1;

    TextureLock src, dst;
    if (!src.lock(scratch) || !dst.lock(alpha)) return -1;
    if (src.rect.pitch != dst.rect.pitch) return -1;
    const uint32_t opaque = glyph | 0xFF000000u;
    for (int y = 0; y < scratch->height; ++y) {
        const uint32_t* in = src.row(y);
        uint32_t* out = dst.row(y);
        for (int x = 0; x < scratch->width; ++x) out[x] = in[x] == glyph ? opaque : 0u;
    }
    const bool src_ok = src.unlock();
    const bool dst_ok = dst.unlock();
    if (!src_ok || !dst_ok) return -1;
    return static_cast<int>(std::strlen(text));
}

int fill_texture(Texture* texture, uint32_t value) {
    if (!texture) return -1;
    TextureLock lock;
    if (!lock.lock(texture)) return -1;
    for (int y = 0; y < texture->height; ++y) {
        uint32_t* row = lock.row(y);
        for (int x = 0; x < texture->width; ++x) row[x] = value;
    }
    return lock.unlock() ? 0 : -1;
}

int copy_texture_pixels(Texture* src, Texture* dst) {
    if (!src || !dst) return -1;
    if (src->width != dst->width || src->height != dst->height) return -1;
    TextureLock in, out;
    if (!in.lock(src) || !out.lock(dst)) return -1;
    if (in.rect.pitch != out.rect.pitch) return -1;
    for (int y = 0; y < src->height; ++y)
        std::memcpy(out.row(y), in.row(y), static_cast<size_t>(src->width) * 4);
    const bool in_ok = in.unlock();
    const bool out_ok = out.unlock();
    return in_ok && out_ok ? 0 : -1;
}
