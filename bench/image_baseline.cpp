// Bare library decodes: the least work libpng and libjpeg-turbo do for a picture, each told to
// hand out B,G,R,A bytes (0xAARRGGBB read little-endian) straight into the caller's rows.
#include "bench/image_baseline.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
#include <png.h>

namespace {

struct MemoryRead {
    const unsigned char* data;
    size_t size;
    size_t pos;
};

void png_from_memory(png_structp png, png_bytep out, png_size_t length) {
    auto* src = static_cast<MemoryRead*>(png_get_io_ptr(png));
    if (length > src->size - src->pos) png_error(png, "truncated");
    std::memcpy(out, src->data + src->pos, length);
    src->pos += length;
}

void png_silent_error(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void png_silent_warning(png_structp, png_const_charp) {}

struct JpegJump {
    jpeg_error_mgr mgr;  // first: libjpeg hands &mgr back
    std::jmp_buf jump;
};

void jpeg_jump_out(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<JpegJump*>(cinfo->err)->jump, 1); }

}  // namespace

bool baseline_decode_png(const unsigned char* data, size_t size, int width, int height, uint32_t* out) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, png_silent_error, png_silent_warning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    MemoryRead src{data, size, 0};
    png_set_read_fn(png, &src, png_from_memory);
    png_read_info(png, info);
    if (png_get_image_width(png, info) != static_cast<png_uint_32>(width) ||
        png_get_image_height(png, info) != static_cast<png_uint_32>(height) ||
        png_get_bit_depth(png, info) != 8 || png_get_interlace_type(png, info) != PNG_INTERLACE_NONE)
        png_error(png, "not the picture expected");
    const int colour = png_get_color_type(png, info);
    if (colour == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colour == PNG_COLOR_TYPE_GRAY || colour == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_read_update_info(png, info);
    for (int y = 0; y < height; ++y) png_read_row(png, reinterpret_cast<png_bytep>(out + static_cast<size_t>(y) * width), nullptr);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

bool baseline_decode_jpeg(const unsigned char* data, size_t size, int width, int height, uint32_t* out) {
    jpeg_decompress_struct cinfo{};
    JpegJump err{};
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = jpeg_jump_out;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.image_width != static_cast<JDIMENSION>(width) || cinfo.image_height != static_cast<JDIMENSION>(height))
        jpeg_jump_out(reinterpret_cast<j_common_ptr>(&cinfo));
    cinfo.out_color_space = JCS_EXT_BGRA;
    cinfo.dct_method = JDCT_ISLOW;
    jpeg_start_decompress(&cinfo);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(out + static_cast<size_t>(cinfo.output_scanline) * width);
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}
