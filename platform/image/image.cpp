// Picture decoding into textures: format detection, the shared row sink (cut, black surround,
// colour key) and the BMP reader. PNG and JPEG live in image_png.cpp and image_jpeg.cpp.
#include "platform/image/image.h"

#include <cstring>
#include <vector>

#include "platform/image/image_decode.h"

namespace {

constexpr uint32_t kOpaqueBlack = 0xFF000000u;

uint16_t le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t le32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// One channel of a BITFIELDS (or implied 5-5-5 / 8-8-8) pixel: where it sits and how wide it is.
struct Channel {
    uint32_t mask = 0;  // bits of the pixel value
    int shift = 0;      // lowest set bit
    int bits = 0;       // contiguous width, 0 = channel absent
};

// Describes mask; false for a mask whose bits are not contiguous.
bool make_channel(uint32_t mask, Channel* c) {
    *c = Channel{};
    c->mask = mask;
    if (mask == 0) return true;
    while (!((mask >> c->shift) & 1u)) ++c->shift;
    uint32_t v = mask >> c->shift;
    while (v & 1u) {
        ++c->bits;
        v >>= 1;
    }
    return v == 0;
}

// The channel's value in pixel p, scaled to 0..255.
uint32_t channel_value(const Channel& c, uint32_t p) {
    if (c.bits == 0) return 0;
    uint32_t v = (p & c.mask) >> c.shift;
    if (c.bits >= 8) return v >> (c.bits - 8);
    return v * 255u / ((1u << c.bits) - 1u);
}

}  // namespace

bool image_size_ok(uint64_t w, uint64_t h, uint64_t bytes_per_pixel) {
    if (w == 0 || h == 0 || w > kMaxImageSide || h > kMaxImageSide) return false;
    return w * h * bytes_per_pixel <= kMaxDecodeBytes;
}

bool image_target_begin(ImageTarget* target, int img_w, int img_h) {
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

// BMP: Windows 3 / V4 / V5 and OS/2 core headers; 1, 4 and 8-bit palettes, 16 and 32-bit
// (plain or bit fields) and 24-bit, uncompressed, bottom-up or top-down.
bool decode_bmp(const unsigned char* data, size_t size, ImageTarget* target) {
    if (size < 26) return false;
    const uint64_t pixel_offset = le32(data + 10);
    const uint32_t header_size = le32(data + 14);
    if (header_size != 12 && header_size != 40 && header_size != 52 && header_size != 56 &&
        header_size != 108 && header_size != 124)
        return false;  // core, Windows 3, V2, V3, V4, V5
    if (14ull + header_size > size) return false;
    const unsigned char* h = data + 14;
    int64_t w = 0, ht = 0;
    uint32_t bpp = 0, compression = 0, colours_used = 0;
    if (header_size == 12) {
        w = le16(h + 4);
        ht = le16(h + 6);
        bpp = le16(h + 10);
    } else {
        w = static_cast<int32_t>(le32(h + 4));
        ht = static_cast<int32_t>(le32(h + 8));
        bpp = le16(h + 14);
        compression = le32(h + 16);
        colours_used = le32(h + 32);
    }
    const bool top_down = ht < 0;
    if (top_down) ht = -ht;
    if (w <= 0 || !image_size_ok(static_cast<uint64_t>(w), static_cast<uint64_t>(ht), 4))
        return false;

    // Masks: BI_BITFIELDS (3) and BI_ALPHABITFIELDS (6) carry them after a 40-byte header or
    // inside a longer one; BI_RGB implies them.
    uint64_t table_offset = 14ull + header_size;
    Channel r, g, b, a;
    const bool paletted = bpp == 1 || bpp == 4 || bpp == 8;
    if (compression == 3 || compression == 6) {
        if (bpp != 16 && bpp != 32) return false;
        const int mask_count = (compression == 6 || header_size >= 56) ? 4 : 3;
        const unsigned char* m = h + 40;
        if (header_size == 40) {
            if (table_offset + 4ull * mask_count > size) return false;
            m = data + table_offset;
            table_offset += 4ull * mask_count;
        }
        if (!make_channel(le32(m), &r) || !make_channel(le32(m + 4), &g) ||
            !make_channel(le32(m + 8), &b) ||
            !make_channel(mask_count == 4 ? le32(m + 12) : 0, &a))
            return false;
    } else if (compression == 0) {
        if (bpp == 16) {
            make_channel(0x7C00, &r), make_channel(0x03E0, &g), make_channel(0x001F, &b);
        } else if (bpp == 24 || bpp == 32) {
            make_channel(0xFF0000, &r), make_channel(0xFF00, &g), make_channel(0xFF, &b);
        } else if (!paletted) {
            return false;
        }
    } else {
        return false;  // run-length and embedded JPEG/PNG are not read
    }

    uint32_t palette[256];
    if (paletted) {
        const uint32_t max_colours = 1u << bpp;
        uint32_t count = colours_used == 0 || colours_used > max_colours ? max_colours : colours_used;
        const uint32_t entry = header_size == 12 ? 3 : 4;
        if (table_offset + static_cast<uint64_t>(count) * entry > size) return false;
        for (uint32_t i = 0; i < 256; ++i) palette[i] = kOpaqueBlack;
        for (uint32_t i = 0; i < count; ++i) {
            const unsigned char* e = data + table_offset + i * entry;
            palette[i] = kOpaqueBlack | (static_cast<uint32_t>(e[2]) << 16) |
                         (static_cast<uint32_t>(e[1]) << 8) | e[0];
        }
    }

    const uint64_t row_bytes = ((static_cast<uint64_t>(w) * bpp + 31) / 32) * 4;
    if (pixel_offset < 14ull + header_size || pixel_offset > size ||
        row_bytes * static_cast<uint64_t>(ht) > size - pixel_offset)
        return false;
    std::vector<uint32_t> row(static_cast<size_t>(w));
    if (!image_target_begin(target, static_cast<int>(w), static_cast<int>(ht))) return false;

    for (int64_t file_row = 0; file_row < ht; ++file_row) {
        const int64_t y = top_down ? file_row : ht - 1 - file_row;
        if (y >= target->height) continue;
        const unsigned char* src = data + pixel_offset + file_row * row_bytes;
        for (int64_t x = 0; x < w; ++x) {
            uint32_t p;
            if (paletted) {
                const uint64_t bit = static_cast<uint64_t>(x) * bpp;
                const uint32_t index = (src[bit / 8] >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1u);
                p = palette[index];
            } else {
                uint32_t v;
                if (bpp == 24) {
                    v = src[x * 3] | (src[x * 3 + 1] << 8) | (static_cast<uint32_t>(src[x * 3 + 2]) << 16);
                } else if (bpp == 16) {
                    v = le16(src + x * 2);
                } else {
                    v = le32(src + x * 4);
                }
                const uint32_t alpha = a.bits ? channel_value(a, v) : 0xFFu;
                p = (alpha << 24) | (channel_value(r, v) << 16) | (channel_value(g, v) << 8) |
                    channel_value(b, v);
            }
            row[static_cast<size_t>(x)] = p;
        }
        image_target_row(target, static_cast<int>(y), row.data(), static_cast<int>(w));
    }
    return true;
}

HRESULT decode_image_to_texture(const unsigned char* data, size_t size, int width, int height,
                                PixelFormat format, uint32_t colour_key, Texture** out) {
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
    if (std::memcmp(data, kPngSignature, 8) == 0) {
        ok = decode_png(data, size, &target);
    } else if (data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) {
        ok = decode_jpeg(data, size, &target);
    } else if (data[0] == 'B' && data[1] == 'M') {
        ok = decode_bmp(data, size, &target);
    }
    if (target.texture && target.texture->locked) texture_unlock(target.texture);
    if (!ok) {
        texture_release(target.texture);
        return target.failure;
    }
    *out = target.texture;
    return S_OK;
}
