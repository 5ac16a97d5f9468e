// Text drawn into textures, and the two plain pixel operations. Texts are Shift-JIS; colours
// are GDI values 0x00BBGGRR; sizes are points (a 96-dpi cell height of MulDiv(points, 96, 72)).
#pragma once
#include <cstdint>

#include "platform/video/texture.h"

// 2 when b leads a two-byte Shift-JIS character (0x81-0x9F, 0xE0-0xEF), else 1.
int sjis_char_bytes(unsigned char b);

// Size of text: widest line and (lines x line_step). Returns strlen(text) or -1; outputs 0 first.
int measure_text(const char* face, int points, const char* text, int* width, int* height);

// Draws text onto texture at (x, y); glyph pixels get the colour, the rest stays.
// Returns strlen(text) or -1.
int draw_text_to_texture(Texture* texture, const char* face, int points, int x, int y,
                         uint32_t colour, const char* text);

// Renders text through scratch (X8R8G8B8) into alpha (A8R8G8B8, same size): glyph pixels
// become the colour as 0xFFRRGGBB, every other pixel 0. A one-byte backslash breaks the line too.
// Returns strlen(text) or -1.
int render_alpha_text(Texture* alpha, Texture* scratch, uint32_t colour, const char* face,
                      int points, const char* text);

// Sets every pixel of the texture to value. 0 or -1.
int fill_texture(Texture* texture, uint32_t value);

// Copies every pixel of src into dst of the same size. 0 or -1 (dst unchanged).
int copy_texture_pixels(Texture* src, Texture* dst);
