// Picture decoding into textures: format detection and the shared row sink (cut, black surround,
// colour key). The readers live in image_png.cpp, image_jpeg.cpp and image_bmp.cpp.
#include "platform/image/image.h"

#include <cstring>

#include "platform/image/image_decode.h"

namespace {

constexpr uint32_t kOpaqueBlack = 0xFF000000u;

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
    if (width <= 0 || height <= 0) return E_INVALIDARG;
    if (!data || size < 8) return E_FAIL;

    ImageTarget target;
    target.width = width;
    target.height = height;
    target.format = format;
    target.colour_key = colour_key;
    bool ok = false;
    static const unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    const char* kind = nullptr;
    if (std::memcmp(data, kPngSignature, 8) == 0) {
        kind = "PNG";
        ok = decode_png(data, size, &target);
    } else if (data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) {
        kind = "JPEG";
        ok = decode_jpeg(data, size, &target);
    } else if (data[0] == 'B' && data[1] == 'M') {
        kind = "BMP";
        ok = decode_bmp(data, size, &target);
    }
    if (report) *report = ImageReport{kind, target.picture_width, target.picture_height, target.refusal};
    if (target.texture && target.texture->locked) texture_unlock(target.texture);
    if (!ok) {
        texture_release(target.texture);
        return target.failure;
    }
    *out = target.texture;
    return S_OK;
}
