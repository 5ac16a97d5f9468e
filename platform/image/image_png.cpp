// PNG reader (libpng): any colour type and bit depth, interlaced or not, to 0xAARRGGBB rows.
#include <png.h>

#include <bit>
#include <cstdlib>
#include <cstring>

#include "platform/image/image_decode.h"

static_assert(std::endian::native == std::endian::little, "BGRA rows are read as 0xAARRGGBB");

namespace {

// Everything the reader allocates, owned by the caller of the setjmp scope so that a longjmp
// from libpng skips no destructor.
struct PngBuffers {
    uint32_t* rows = nullptr;   // 0xAARRGGBB rows: one row, or every kept row when interlaced
    uint32_t* spare = nullptr;  // a row for interlaced rows below the texture
    ~PngBuffers() {
        std::free(rows);
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
    if (length > src->size - src->pos) png_error(png, "cut short");
    std::memcpy(out, src->data + src->pos, length);
    src->pos += length;
}

// Keeps libpng's word for the failure (the first one: what followed from it says less).
void png_quiet_error(png_structp png, png_const_charp message) {
    auto* target = static_cast<ImageTarget*>(png_get_error_ptr(png));
    if (target && target->reason.empty() && message) target->reason = message;
    png_longjmp(png, 1);
}
void png_quiet_warning(png_structp, png_const_charp) {}

// The libpng part; returns false on any libpng error or a refused size.
bool read_png(PngSource* src, ImageTarget* target, PngBuffers* buf) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, target, png_quiet_error,
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
#if defined(PNG_IGNORE_ADLER32)
    // Every chunk's CRC already guards the compressed bytes; zlib's Adler-32 of the inflated rows
    // would only check the inflater again, at a tenth of the whole decode.
    png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
    png_set_read_fn(png, src, png_read_memory);
    png_read_info(png, info);

    const png_uint_32 w = png_get_image_width(png, info);
    const png_uint_32 h = png_get_image_height(png, info);
    const int colour = png_get_color_type(png, info);
    if (!image_size_ok(w, h, 4)) png_error(png, "too large (over 16384 pixels a side or 64 million pixels)");

    png_set_expand(png);  // palette -> RGB, grey below 8 bits -> 8, tRNS -> alpha
    png_set_strip_16(png);
    if (colour == PNG_COLOR_TYPE_GRAY || colour == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_set_bgr(png);  // bytes B,G,R,A: 0xAARRGGBB read little-endian
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    const bool has_alpha = (colour & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<size_t>(w) * 4) png_error(png, "layout");

    // Interlaced passes revisit every row, so the rows that land in the texture are kept whole.
    const png_uint_32 kept = passes > 1 ? (h < static_cast<png_uint_32>(target->height)
                                               ? h : static_cast<png_uint_32>(target->height))
                                        : 1;
    buf->rows = static_cast<uint32_t*>(std::calloc(kept, static_cast<size_t>(w) * 4));
    buf->spare = static_cast<uint32_t*>(std::calloc(1, static_cast<size_t>(w) * 4));
    if (!buf->rows || !buf->spare) png_error(png, "memory");
    if (!image_target_begin(target, static_cast<int>(w), static_cast<int>(h))) png_error(png, target->reason.empty() ? "no texture" : target->reason.c_str());

    // Without a colour key, a row that fits and needs no alpha fix goes straight into the texture.
    const bool direct = passes == 1 && target->colour_key == 0 && w <= static_cast<png_uint_32>(target->width) &&
                        (!has_alpha || target->format == PixelFormat::A8R8G8B8);
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < h; ++y) {
            uint32_t* row = passes > 1 ? (y < kept ? buf->rows + static_cast<size_t>(y) * w : buf->spare)
                            : direct && y < static_cast<png_uint_32>(target->height)
                                ? target->bits + static_cast<size_t>(y) * target->pitch_pixels
                                : buf->rows;
            png_read_row(png, reinterpret_cast<png_bytep>(row), nullptr);
            if (passes == 1 && row == buf->rows)
                image_target_row(target, static_cast<int>(y), row, static_cast<int>(w));
        }
    }
    for (png_uint_32 y = 0; passes > 1 && y < kept; ++y)
        image_target_row(target, static_cast<int>(y), buf->rows + static_cast<size_t>(y) * w, static_cast<int>(w));
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
