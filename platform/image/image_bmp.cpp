// BMP pictures through SDL's own reader (SDL_LoadBMP_RW): Windows 3 / V2-V5 and OS/2 core headers;
// 1, 4 and 8-bit palettes, plain or run-length (RLE4, RLE8); 16, 24 and 32-bit, plain or bit
// fields; bottom-up or top-down. The header is checked here first, so that a hostile size never
// reaches SDL's allocation and a plain picture whose rows are cut short is refused.
#include <SDL.h>

#include <climits>
#include <cstring>
#include <vector>

#include "platform/image/image_decode.h"

namespace {

constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3;

uint16_t le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t le32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// What the header says, once it is known to be one SDL reads and of a sane size.
struct BmpHeader {
    int64_t width = 0, height = 0;  // height > 0 whatever the row order
    uint32_t bpp = 0, compression = 0;
};

bool read_header(const unsigned char* data, size_t size, BmpHeader* out) {
    if (size < 26) return false;
    const uint64_t pixel_offset = le32(data + 10);
    const uint32_t header_size = le32(data + 14);
    if (header_size != 12 && header_size != 40 && header_size != 52 && header_size != 56 &&
        header_size != 108 && header_size != 124)
        return false;  // core, Windows 3, V2, V3, V4, V5
    if (14ull + header_size > size) return false;
    const unsigned char* h = data + 14;
    BmpHeader b;
    bool top_down = false;
    if (header_size == 12) {
        b.width = le16(h + 4);
        b.height = le16(h + 6);
        b.bpp = le16(h + 10);
    } else {
        b.width = static_cast<int32_t>(le32(h + 4));
        b.height = static_cast<int32_t>(le32(h + 8));
        b.bpp = le16(h + 14);
        b.compression = le32(h + 16);
    }
    if (b.height < 0) {
        top_down = true;
        b.height = -b.height;
    }
    if (b.width <= 0 || !image_size_ok(static_cast<uint64_t>(b.width), static_cast<uint64_t>(b.height), 4))
        return false;
    switch (b.compression) {
    case kBiRgb:
        if (b.bpp != 1 && b.bpp != 4 && b.bpp != 8 && b.bpp != 16 && b.bpp != 24 && b.bpp != 32) return false;
        break;
    case kBiRle8:
        if (b.bpp != 8 || top_down) return false;
        break;
    case kBiRle4:
        if (b.bpp != 4 || top_down) return false;
        break;
    case kBiBitfields:
        if (b.bpp != 16 && b.bpp != 32) return false;
        if (header_size == 40 && 14ull + 40 + 12 > size) return false;  // the masks follow the header
        break;
    default:
        return false;  // embedded JPEG or PNG, and the rarer forms
    }
    if (pixel_offset < 14ull + header_size || pixel_offset > size) return false;
    if (b.compression != kBiRle8 && b.compression != kBiRle4) {
        // Every row, padding included, must be there: SDL does not insist on the last padding.
        const uint64_t row_bytes = ((static_cast<uint64_t>(b.width) * b.bpp + 31) / 32) * 4;
        if (row_bytes * static_cast<uint64_t>(b.height) > size - pixel_offset) return false;
    }
    *out = b;
    return true;
}

struct SurfaceHolder {
    SDL_Surface* s = nullptr;
    ~SurfaceHolder() { SDL_FreeSurface(s); }
};

}  // namespace

bool decode_bmp(const unsigned char* data, size_t size, ImageTarget* target) {
    BmpHeader header;
    if (size > static_cast<size_t>(INT_MAX) || !read_header(data, size, &header)) return false;
    SDL_RWops* rw = SDL_RWFromConstMem(data, static_cast<int>(size));
    if (!rw) return false;
    SurfaceHolder loaded, argb;
    loaded.s = SDL_LoadBMP_RW(rw, 1);
    if (!loaded.s) return false;
    if (loaded.s->w != header.width || loaded.s->h != header.height) return false;
    argb.s = SDL_ConvertSurfaceFormat(loaded.s, SDL_PIXELFORMAT_ARGB8888, 0);
    if (!argb.s) return false;
    // A plain 32-bit picture's fourth byte is padding, not alpha.
    const bool force_opaque = header.compression == kBiRgb && header.bpp == 32;

    const int w = argb.s->w, h = argb.s->h;
    if (!image_target_begin(target, w, h)) return false;
    if (SDL_MUSTLOCK(argb.s) && SDL_LockSurface(argb.s) != 0) return false;
    std::vector<uint32_t> row(static_cast<size_t>(w));
    for (int y = 0; y < h && y < target->height; ++y) {
        std::memcpy(row.data(), static_cast<const unsigned char*>(argb.s->pixels) + static_cast<size_t>(y) * argb.s->pitch,
                    row.size() * 4);
        if (force_opaque)
            for (uint32_t& p : row) p |= 0xFF000000u;
        image_target_row(target, y, row.data(), w);
    }
    if (SDL_MUSTLOCK(argb.s)) SDL_UnlockSurface(argb.s);
    return true;
}
