// PNG (libpng), JPEG (libjpeg-turbo) and BMP encoders for tools and tests.
#include "platform/image/image_write.h"

#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>
#include <png.h>

namespace {

constexpr int kMaxEncodeSide = 16384;  // pixels; larger pictures are refused

bool size_ok(const uint32_t* argb, int w, int h) {
    return argb && w > 0 && h > 0 && w <= kMaxEncodeSide && h <= kMaxEncodeSide;
}

// Fills row with w pixels as R,G,B[,A] bytes.
void pack_row(const uint32_t* src, int w, bool with_alpha, unsigned char* row) {
    for (int x = 0; x < w; ++x) {
        uint32_t p = src[x];
        *row++ = static_cast<unsigned char>(p >> 16);
        *row++ = static_cast<unsigned char>(p >> 8);
        *row++ = static_cast<unsigned char>(p);
        if (with_alpha) *row++ = static_cast<unsigned char>(p >> 24);
    }
}

void png_append(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void png_no_flush(png_structp) {}

// The libpng part of encode_png; out and row live in the caller so no C++ object is skipped by
// the library's longjmp. Returns false on a library error.
bool png_encode_into(const uint32_t* argb, int w, int h, bool with_alpha,
                     std::vector<unsigned char>* out, unsigned char* row) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, png_append, png_no_flush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8,
                 with_alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < h; ++y) {
        pack_row(argb + static_cast<size_t>(y) * w, w, with_alpha, row);
        png_write_row(png, row);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

struct JpegError {
    jpeg_error_mgr mgr;  // must stay first: the library passes &mgr back to us
    std::jmp_buf jump;
};

void jpeg_error_exit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1);
}

void jpeg_silent(j_common_ptr) {}

// The libjpeg part of encode_jpeg; returns a malloc'd buffer (*size bytes) or null.
unsigned char* jpeg_encode_raw(const uint32_t* argb, int w, int h, int quality,
                               unsigned char* row, unsigned long* size) {
    jpeg_compress_struct cinfo;
    JpegError err;
    unsigned char* mem = nullptr;
    *size = 0;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = jpeg_error_exit;
    err.mgr.output_message = jpeg_silent;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        std::free(mem);
        return nullptr;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &mem, size);
    cinfo.image_width = static_cast<JDIMENSION>(w);
    cinfo.image_height = static_cast<JDIMENSION>(h);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        pack_row(argb + static_cast<size_t>(cinfo.next_scanline) * w, w, false, row);
        JSAMPROW rows[1] = {row};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return mem;
}

void put_le(std::vector<unsigned char>& v, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) v.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

bool write_file(const std::string& path, const std::vector<unsigned char>& bytes) {
    if (bytes.empty()) return false;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (std::fclose(f) == 0) && ok;
    return ok;
}

}  // namespace

std::vector<unsigned char> encode_png(const uint32_t* argb, int w, int h, bool with_alpha) {
    std::vector<unsigned char> out;
    if (!size_ok(argb, w, h)) return out;
    std::vector<unsigned char> row(static_cast<size_t>(w) * 4);
    if (!png_encode_into(argb, w, h, with_alpha, &out, row.data())) out.clear();
    return out;
}

std::vector<unsigned char> encode_jpeg(const uint32_t* argb, int w, int h, int quality) {
    std::vector<unsigned char> out;
    if (!size_ok(argb, w, h)) return out;
    if (quality < 1) quality = 1;
    if (quality > 100) quality = 100;
    std::vector<unsigned char> row(static_cast<size_t>(w) * 3);
    unsigned long size = 0;
    unsigned char* mem = jpeg_encode_raw(argb, w, h, quality, row.data(), &size);
    if (mem) out.assign(mem, mem + size);
    std::free(mem);
    return out;
}

std::vector<unsigned char> encode_bmp(const uint32_t* argb, int w, int h) {
    std::vector<unsigned char> out;
    if (!size_ok(argb, w, h)) return out;
    const uint32_t row_bytes = (static_cast<uint32_t>(w) * 3 + 3) & ~3u;
    const uint32_t image_bytes = row_bytes * static_cast<uint32_t>(h);
    out.reserve(54 + image_bytes);
    out.push_back('B');
    out.push_back('M');
    put_le(out, 54 + image_bytes, 4);  // file size
    put_le(out, 0, 4);                 // reserved
    put_le(out, 54, 4);                // offset of the pixels
    put_le(out, 40, 4);                // BITMAPINFOHEADER
    put_le(out, static_cast<uint32_t>(w), 4);
    put_le(out, static_cast<uint32_t>(h), 4);  // positive: bottom-up
    put_le(out, 1, 2);                         // planes
    put_le(out, 24, 2);                        // bits per pixel
    put_le(out, 0, 4);                         // BI_RGB
    put_le(out, image_bytes, 4);
    put_le(out, 2835, 4);  // 72 dpi
    put_le(out, 2835, 4);
    put_le(out, 0, 4);
    put_le(out, 0, 4);
    for (int y = h - 1; y >= 0; --y) {
        const uint32_t* src = argb + static_cast<size_t>(y) * w;
        for (int x = 0; x < w; ++x) {
            out.push_back(static_cast<unsigned char>(src[x]));
            out.push_back(static_cast<unsigned char>(src[x] >> 8));
            out.push_back(static_cast<unsigned char>(src[x] >> 16));
        }
        for (uint32_t pad = static_cast<uint32_t>(w) * 3; pad < row_bytes; ++pad) out.push_back(0);
    }
    return out;
}

bool write_png(const std::string& path, const uint32_t* argb, int w, int h, bool with_alpha) {
    return write_file(path, encode_png(argb, w, h, with_alpha));
}

bool write_jpeg(const std::string& path, const uint32_t* argb, int w, int h, int quality) {
    return write_file(path, encode_jpeg(argb, w, h, quality));
}

bool write_bmp(const std::string& path, const uint32_t* argb, int w, int h) {
    return write_file(path, encode_bmp(argb, w, h));
}
