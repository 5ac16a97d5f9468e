// PNG reader (libpng): any colour type and bit depth, interlaced or not, to 0xAARRGGBB rows.
#include <png.h>

#include <cstdlib>
#include <cstring>

#include "platform/image_decode.h"

namespace {

// Everything the reader allocates, owned by the caller of the setjmp scope so that a longjmp
// from libpng skips no destructor.
struct PngBuffers {
    unsigned char* bytes = nullptr;  // rows of RGBA bytes: one row, or every kept row when interlaced
    uint32_t* pixels = nullptr;      // one row of 0xAARRGGBB
    unsigned char* spare = nullptr;  // a row for interlaced rows below the texture
    ~PngBuffers() {
        std::free(bytes);
        std::free(pixels);
        std::free(spare);
    }
};

struct PngSource {
    const unsigned char* data;  // the whole file
    size_t size;                // bytes
    size_t pos;                 // next byte to hand to libpng
};

void png_read_memory(png_structp png, png_bytep out, png_size_t length) {
    auto* src = static_cast<PngSource*>(png_get_io_ptr(png));
    if (length > src->size - src->pos) png_error(png, "truncated");
    std::memcpy(out, src->data + src->pos, length);
    src->pos += length;
}

void png_quiet_error(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void png_quiet_warning(png_structp, png_const_charp) {}

// Converts w RGBA pixels to 0xAARRGGBB.
void rgba_to_argb(const unsigned char* in, int w, uint32_t* out) {
    for (int x = 0; x < w; ++x, in += 4)
        out[x] = (static_cast<uint32_t>(in[3]) << 24) | (static_cast<uint32_t>(in[0]) << 16) |
                 (static_cast<uint32_t>(in[1]) << 8) | in[2];
}

// The libpng part; returns false on any libpng error or a refused size.
bool read_png(PngSource* src, ImageTarget* target, PngBuffers* buf) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, png_quiet_error,
                                             png_quiet_warning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
    png_set_chunk_malloc_max(png, 8u << 20);
    png_set_read_fn(png, src, png_read_memory);
    png_read_info(png, info);

    const png_uint_32 w = png_get_image_width(png, info);
    const png_uint_32 h = png_get_image_height(png, info);
    const int colour = png_get_color_type(png, info);
    if (!image_size_ok(w, h, 4)) png_error(png, "size");

    png_set_expand(png);  // palette -> RGB, grey below 8 bits -> 8, tRNS -> alpha
    png_set_strip_16(png);
    if (colour == PNG_COLOR_TYPE_GRAY || colour == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<size_t>(w) * 4) png_error(png, "layout");

    // Interlaced passes revisit every row, so the rows that land in the texture are kept whole.
    const png_uint_32 kept = passes > 1 ? (h < static_cast<png_uint_32>(target->height)
                                               ? h : static_cast<png_uint_32>(target->height))
                                        : 1;
    const size_t row_bytes = static_cast<size_t>(w) * 4;
    buf->bytes = static_cast<unsigned char*>(std::calloc(kept, row_bytes));
    buf->pixels = static_cast<uint32_t*>(std::malloc(row_bytes));
    buf->spare = static_cast<unsigned char*>(std::calloc(1, row_bytes));
    if (!buf->bytes || !buf->pixels || !buf->spare) png_error(png, "memory");
    if (!image_target_begin(target, static_cast<int>(w), static_cast<int>(h))) png_error(png, "texture");

    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < h; ++y) {
            unsigned char* row = passes > 1 ? (y < kept ? buf->bytes + y * row_bytes : buf->spare)
                                            : buf->bytes;
            png_read_row(png, row, nullptr);
            if (passes == 1) {
                rgba_to_argb(row, static_cast<int>(w), buf->pixels);
                image_target_row(target, static_cast<int>(y), buf->pixels, static_cast<int>(w));
            }
        }
    }
    for (png_uint_32 y = 0; passes > 1 && y < kept; ++y) {
        rgba_to_argb(buf->bytes + y * row_bytes, static_cast<int>(w), buf->pixels);
        image_target_row(target, static_cast<int>(y), buf->pixels, static_cast<int>(w));
    }
    png_read_end(png, nullptr);  // the rest of the file must be there and sound too
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

}  // namespace

bool decode_png(const unsigned char* data, size_t size, ImageTarget* target) {
    PngSource src{data, size, 0};
    PngBuffers buf;
    return read_png(&src, target, &buf);
}
