// JPEG reader (libjpeg-turbo): greyscale and colour (YCbCr, RGB) to 0xAARRGGBB rows; CMYK and
// other colour spaces are refused.
#include <bit>
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>
#include <jerror.h>

#include "platform/image/image_decode.h"

static_assert(std::endian::native == std::endian::little, "BGRA rows are read as 0xAARRGGBB");

namespace {

// The error manager: every error and every warning about damaged data ends the decode.
struct JpegErrors {
    jpeg_error_mgr mgr;  // must stay first: libjpeg hands &mgr back to the callbacks
    std::jmp_buf jump;
    ImageTarget* target;  // gets libjpeg's word for the failure
};

void jpeg_fail(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<JpegErrors*>(cinfo->err);
    if (err->target && err->target->reason.empty()) {
        char text[JMSG_LENGTH_MAX] = "";
        cinfo->err->format_message(cinfo, text);
        err->target->reason = text;
    }
    std::longjmp(err->jump, 1);
}

// Fails with our own words for the failure.
void jpeg_refuse(j_decompress_ptr cinfo, const char* reason) {
    auto* err = reinterpret_cast<JpegErrors*>(cinfo->err);
    if (err->target && err->target->reason.empty()) err->target->reason = reason;
    jpeg_fail(reinterpret_cast<j_common_ptr>(cinfo));
}

void jpeg_message(j_common_ptr cinfo, int level) {
    if (level != -1) return;  // trace messages
    switch (cinfo->err->msg_code) {
        case JWRN_ADOBE_XFORM:
        case JWRN_JFIF_MAJOR:
        case JWRN_EXTRANEOUS_DATA:
        case JWRN_BOGUS_ICC:
            return;  // harmless: the picture data itself is whole
        default:
            jpeg_fail(cinfo);  // missing or damaged picture data
    }
}

// A source over the whole file that fails instead of padding when the data runs out (the
// library's own memory source would invent an end marker and hand back a grey picture).
void source_init(j_decompress_ptr) {}
boolean source_fill(j_decompress_ptr cinfo) {
    cinfo->err->msg_code = JWRN_JPEG_EOF;
    jpeg_fail(reinterpret_cast<j_common_ptr>(cinfo));
    return FALSE;
}
void source_skip(j_decompress_ptr cinfo, long count) {
    jpeg_source_mgr* src = cinfo->src;
    if (count <= 0) return;
    if (static_cast<unsigned long>(count) > src->bytes_in_buffer) source_fill(cinfo);
    src->next_input_byte += count;
    src->bytes_in_buffer -= static_cast<size_t>(count);
}
void source_term(j_decompress_ptr) {}

// Buffers owned outside the setjmp scope.
struct JpegBuffers {
    uint32_t* pixels = nullptr;  // one row of 0xAARRGGBB
    ~JpegBuffers() { std::free(pixels); }
};

// The libjpeg part; the two records live in the caller so nothing of ours is skipped by longjmp.
bool read_jpeg(const unsigned char* data, size_t size, ImageTarget* target,
               jpeg_decompress_struct* cinfo, JpegErrors* err, jpeg_source_mgr* src,
               JpegBuffers* buf) {
    cinfo->err = jpeg_std_error(&err->mgr);
    err->mgr.error_exit = jpeg_fail;
    err->mgr.emit_message = jpeg_message;
    if (setjmp(err->jump)) {
        jpeg_destroy_decompress(cinfo);
        return false;
    }
    jpeg_create_decompress(cinfo);
    cinfo->mem->max_memory_to_use = static_cast<long>(kMaxDecodeBytes);
    src->next_input_byte = data;
    src->bytes_in_buffer = size;
    src->init_source = source_init;
    src->fill_input_buffer = source_fill;
    src->skip_input_data = source_skip;
    src->resync_to_restart = jpeg_resync_to_restart;
    src->term_source = source_term;
    cinfo->src = src;

    if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK) jpeg_fail(reinterpret_cast<j_common_ptr>(cinfo));
    const JDIMENSION w = cinfo->image_width;
    const JDIMENSION h = cinfo->image_height;
    target->picture_width = static_cast<int>(w);
    target->picture_height = static_cast<int>(h);
    if (!image_size_ok(w, h, 4)) {
        target->refusal = "too large to decode";
        jpeg_refuse(cinfo, "too large (over 16384 pixels a side or 64 million pixels)");
    }
    switch (cinfo->jpeg_color_space) {
        case JCS_GRAYSCALE:
        case JCS_YCbCr:
        case JCS_RGB:
            break;
        case JCS_CMYK:
        case JCS_YCCK:
            target->refusal = "a CMYK JPEG (as print programs save them); only grey and RGB JPEG decode";
            jpeg_refuse(cinfo, "CMYK colour is not read (save it as RGB)");
            break;
        default:
            jpeg_refuse(cinfo, "its colour space is not read (save it as RGB)");
    }
    cinfo->out_color_space = JCS_EXT_BGRA;  // bytes B,G,R,A = 0xAARRGGBB read little-endian
    cinfo->dct_method = JDCT_ISLOW;
    jpeg_start_decompress(cinfo);
    if (cinfo->output_width != w || cinfo->output_components != 4)
        jpeg_fail(reinterpret_cast<j_common_ptr>(cinfo));
    buf->pixels = static_cast<uint32_t*>(std::malloc(static_cast<size_t>(w) * 4));
    if (!buf->pixels) jpeg_fail(reinterpret_cast<j_common_ptr>(cinfo));
    if (!image_target_begin(target, static_cast<int>(w), static_cast<int>(h))) jpeg_fail(reinterpret_cast<j_common_ptr>(cinfo));

    // Rows come out opaque, so without a colour key a row that fits goes straight into the texture.
    const bool direct = target->colour_key == 0 && w <= static_cast<JDIMENSION>(target->width);
    while (cinfo->output_scanline < cinfo->output_height) {
        const int y = static_cast<int>(cinfo->output_scanline);
        uint32_t* out = direct && y < target->height
                            ? target->bits + static_cast<size_t>(y) * target->pitch_pixels
                            : buf->pixels;
        JSAMPROW rows[1] = {reinterpret_cast<JSAMPROW>(out)};
        if (jpeg_read_scanlines(cinfo, rows, 1) != 1) jpeg_fail(reinterpret_cast<j_common_ptr>(cinfo));
        if (out == buf->pixels) image_target_row(target, y, buf->pixels, static_cast<int>(w));
    }
    jpeg_finish_decompress(cinfo);  // reads on to the end marker: a cut file fails here
    jpeg_destroy_decompress(cinfo);
    return true;
}

}  // namespace

bool decode_jpeg(const unsigned char* data, size_t size, ImageTarget* target) {
    jpeg_decompress_struct cinfo{};
    JpegErrors err{};
    err.target = target;
    jpeg_source_mgr src{};
    JpegBuffers buf;
    return read_jpeg(data, size, target, &cinfo, &err, &src, &buf);
}
