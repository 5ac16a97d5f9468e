// Compositing of opaque (X8R8G8B8) pictures straight into a 32-bit canvas, with the results SDL's
// software renderer gives for the same copies: full opacity copies, partial opacity mixes each
// channel as under + (over - under) * a / 256 rounded down (a = 128 gives the exact half), and a
// pending clear colour can stand in for the canvas under the first draw so that a frame which
// clears and then fades a picture in writes the canvas once. Vector paths (AVX2, SSE2) are chosen
// at run time; every path gives the same bytes.
#pragma once
#include <cstddef>
#include <cstdint>

// A block of rows of 32-bit pixels.
struct PixelRows {
    uint32_t* first;  // top-left pixel
    int pitch;        // bytes from one row to the next
};
struct ConstPixelRows {
    const uint32_t* first;
    int pitch;
};

// Copies a width x height block (the alpha bytes as they are).
void composite_copy(PixelRows dst, ConstPixelRows src, int width, int height);
// Mixes src over dst at opacity alpha (1..254; 255 copies).
void composite_blend(PixelRows dst, ConstPixelRows src, int width, int height, int alpha);
// Writes src at opacity alpha over a canvas of the one colour under (0x00RRGGBB as the canvas
// holds it) into dst, without reading dst.
void composite_blend_over_colour(PixelRows dst, ConstPixelRows src, int width, int height, int alpha,
                                 uint32_t under);
// Fills a block with one pixel value.
void composite_fill(PixelRows dst, int width, int height, uint32_t value);

// Enlarging one row: output pixel i mixes src[first[i]] and src[first[i] + 1], the second weighted
// w / 256 where weight[i] holds w (0..255) in each of its four bytes (w 0: the first alone, and
// src[first[i] + 1] is then not read); every channel rounded to nearest. src holds src_len pixels.
void composite_scale_row(uint32_t* out, const uint32_t* src, int src_len, const int32_t* first,
                         const uint32_t* weight, int count);
// Mixes two rows of count pixels: each channel a * (256 - w) + b * w over 256, rounded to nearest
// (w 0..255; 0 copies a).
void composite_mix_rows(uint32_t* out, const uint32_t* a, const uint32_t* b, int count, int w);

// Test seam: which loops the functions above use (Best: the widest the CPU has). A path the
// CPU lacks falls back to the best one it has.
enum class CompositeLoops { Best, Sse2, Scalar };
void composite_select_loops(CompositeLoops loops);

// The one-channel result of every path above (what SDL's surface-alpha blit gives).
inline uint8_t composite_channel(int over, int under, int alpha) {
    if (alpha >= 255) return static_cast<uint8_t>(over);
    return static_cast<uint8_t>((under * (256 - alpha) + over * alpha) >> 8);
}

// Pixel buffers for pictures and the canvas: 64-byte aligned, and placed inside their pages so
// that a picture's rows and the canvas rows it is drawn to lie half a page apart. A load from one
// then never shares its low 12 address bits with a store to the other still in flight (the
// "4 KiB aliasing" stall of many x86 cores); row pitches of 3200 bytes keep the distance on every
// row. Blocks under 16 KiB are only aligned. Null when the memory cannot be had. Free with
// pixel_buffer_free, giving the same byte count and kind.
enum class PixelBufferKind { Canvas = 0, Picture = 1 };
uint32_t* pixel_buffer_alloc(size_t bytes, PixelBufferKind kind, bool zero);
void pixel_buffer_free(uint32_t* pixels, size_t bytes, PixelBufferKind kind);
