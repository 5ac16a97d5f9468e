// Picture decoding into textures: format detection and the shared row sink (cut, black surround,
// colour key). The readers live in image_png.cpp, image_jpeg.cpp and image_bmp.cpp.
#include "platform/image/image.h"

#include <cstring>

#include "platform/image/image_decode.h"

namespace {

constexpr uint32_t kOpaqueBlack = 0xFF000000u;

thread_local std::string last_reason;  // of the last decode on this thread

}  // namespace

bool image_size_ok(uint64_t w, uint64_t h, uint64_t bytes_per_pixel) {
    if (w == 0 || h == 0 || w > kMaxImageSide || h > kMaxImageSide) return false;
    return w * h * bytes_per_pixel <= kMaxDecodeBytes;
}

bool image_target_begin(ImageTarget* target, int img_w, int img_h) {
    target->picture_width = img_w;
    target->picture_height = img_h;
    HRESULT hr = texture_create_unfilled(target->width, target->height, target->format, &target->texture);
    if (failed(hr)) {
        target->failure = hr;
        target->reason = "no memory for its texture";
        return false;
    }
    LockedRect rect{};
    hr = texture_lock(target->texture, &rect);
    if (failed(hr)) {
        target->failure = hr;
        texture_release(target->texture);
        return false;
    }
    target->bits = static_cast<uint32_t*>(rect.bits);
    target->pitch_pixels = rect.pitch / 4;
    for (int y = 0; y < target->height; ++y) {
        uint32_t* row = target->bits + static_cast<size_t>(y) * target->pitch_pixels;
        for (int x = y < img_h ? img_w : 0; x < target->width; ++x) row[x] = kOpaqueBlack;
    }
    return true;
}

void image_target_row(ImageTarget* target, int y, const uint32_t* row, int img_w) {
    if (!target->bits || y < 0 || y >= target->height) return;
    uint32_t* out = target->bits + static_cast<size_t>(y) * target->pitch_pixels;
    const int n = img_w < target->width ? img_w : target->width;
    const uint32_t key = target->colour_key;
    const bool opaque = target->format == PixelFormat::X8R8G8B8;
    for (int x = 0; x < n; ++x) {
        uint32_t p = row[x];
        if (key != 0 && p == key) p = 0;
        if (opaque) p |= kOpaqueBlack;
        out[x] = p;
    }
}

HRESULT decode_image_to_texture(const unsigned char* data, size_t size, int width, int height,
                                PixelFormat format, uint32_t colour_key, Texture** out,
                                ImageReport* report) {
    if (report) *report = ImageReport{};
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    last_reason.clear();
    if (width <= 0 || height <= 0) return E_INVALIDARG;
    if (!data || size < 8) {
        last_reason = "too short to be a picture";
        return E_FAIL;
    }

    ImageTarget target;
    target.width = width;
    target.height = height;
    target.format = format;
    target.colour_key = colour_key;
    bool ok = false;
    const char* kind = image_kind(data, size);
    if (!kind) {
        target.reason = "not a PNG, JPEG or BMP picture";
    } else if (kind[0] == 'P') {
        ok = decode_png(data, size, &target);
    } else if (kind[0] == 'J') {
        ok = decode_jpeg(data, size, &target);
    } else {
        ok = decode_bmp(data, size, &target);
    }
    if (report) *report = ImageReport{kind, target.picture_width, target.picture_height, target.refusal};
    if (target.texture && target.texture->locked) texture_unlock(target.texture);
    if (!ok) {
        texture_release(target.texture);
        last_reason = kind ? std::string(kind) + ": " : "";
        last_reason += target.reason.empty() ? "damaged, cut short or a form that is not read" : target.reason;
        return target.failure;
    }
    *out = target.texture;
    return S_OK;
}

const char* image_kind(const unsigned char* data, size_t size) {
    static const unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (!data || size < 8) return nullptr;
    if (std::memcmp(data, kPngSignature, 8) == 0) return "PNG";
    if (data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) return "JPEG";
    if (data[0] == 'B' && data[1] == 'M') return "BMP";
    return nullptr;
}

const char* image_failure_reason() { return last_reason.c_str(); }
