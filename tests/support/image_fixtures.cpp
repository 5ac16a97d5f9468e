// Hand-built picture files for the decoder tests.
#include "support/image_fixtures.h"

namespace {

int channels_of(int colour_type) {
    switch (colour_type) {
        case 0: return 1;
        case 2: return 3;
        case 3: return 1;
        case 4: return 2;
        default: return 4;
    }
}

uint32_t adler32(const std::vector<unsigned char>& d) {
    uint32_t a = 1, b = 0;
    for (unsigned char c : d) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

// Appends one scanline (filter byte 0, then the packed samples of the listed pixels).
void append_row(const PngRecipe& s, int y, int x0, int dx, std::vector<unsigned char>& raw) {
    const int ch = channels_of(s.colour_type);
    raw.push_back(0);
    uint32_t acc = 0;
    int bits = 0;
    for (int x = x0; x < s.width; x += dx) {
        for (int c = 0; c < ch; ++c) {
            const uint32_t v = s.samples[(static_cast<size_t>(y) * s.width + x) * ch + c];
            if (s.bit_depth == 16) {
                raw.push_back(static_cast<unsigned char>(v >> 8));
                raw.push_back(static_cast<unsigned char>(v));
                continue;
            }
            acc = (acc << s.bit_depth) | (v & ((1u << s.bit_depth) - 1));
            bits += s.bit_depth;
            if (bits == 8) {
                raw.push_back(static_cast<unsigned char>(acc));
                acc = 0;
                bits = 0;
            }
        }
    }
    if (bits > 0) raw.push_back(static_cast<unsigned char>(acc << (8 - bits)));
}

}  // namespace

void put_be32(std::vector<unsigned char>& v, uint32_t x) {
    for (int i = 3; i >= 0; --i) v.push_back(static_cast<unsigned char>(x >> (8 * i)));
}
void put_le32(std::vector<unsigned char>& v, uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<unsigned char>(x >> (8 * i)));
}
void put_le16(std::vector<unsigned char>& v, uint16_t x) {
    v.push_back(static_cast<unsigned char>(x));
    v.push_back(static_cast<unsigned char>(x >> 8));
}

uint32_t png_crc(const unsigned char* data, size_t size) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        c ^= data[i];
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return c ^ 0xFFFFFFFFu;
}

std::vector<unsigned char> png_chunk(const std::string& type, const std::vector<unsigned char>& data) {
    std::vector<unsigned char> out;
    put_be32(out, static_cast<uint32_t>(data.size()));
    std::vector<unsigned char> body(type.begin(), type.end());
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    put_be32(out, png_crc(body.data(), body.size()));
    return out;
}

std::vector<unsigned char> png_head(uint32_t w, uint32_t h, int bit_depth, int colour_type) {
    std::vector<unsigned char> out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<unsigned char> ihdr;
    put_be32(ihdr, w);
    put_be32(ihdr, h);
    ihdr.push_back(static_cast<unsigned char>(bit_depth));
    ihdr.push_back(static_cast<unsigned char>(colour_type));
    ihdr.push_back(0);
    ihdr.push_back(0);
    ihdr.push_back(0);
    auto c = png_chunk("IHDR", ihdr);
    out.insert(out.end(), c.begin(), c.end());
    return out;
}

std::vector<unsigned char> build_png(const PngRecipe& s) {
    std::vector<unsigned char> out = png_head(static_cast<uint32_t>(s.width),
                                              static_cast<uint32_t>(s.height), s.bit_depth,
                                              s.colour_type);
    out[28] = s.interlaced ? 1 : 0;  // IHDR interlace byte; redo the CRC
    const uint32_t crc = png_crc(out.data() + 12, 17);
    for (int i = 0; i < 4; ++i) out[29 + i] = static_cast<unsigned char>(crc >> (24 - 8 * i));
    if (!s.plte.empty()) {
        auto c = png_chunk("PLTE", s.plte);
        out.insert(out.end(), c.begin(), c.end());
    }
    if (!s.trns.empty()) {
        auto c = png_chunk("tRNS", s.trns);
        out.insert(out.end(), c.begin(), c.end());
    }
    std::vector<unsigned char> raw;
    if (!s.interlaced) {
        for (int y = 0; y < s.height; ++y) append_row(s, y, 0, 1, raw);
    } else {
        static const int x0[7] = {0, 4, 0, 2, 0, 1, 0}, y0[7] = {0, 0, 4, 0, 2, 0, 1};
        static const int dx[7] = {8, 8, 4, 4, 2, 2, 1}, dy[7] = {8, 8, 8, 4, 4, 2, 2};
        for (int p = 0; p < 7; ++p) {
            if (x0[p] >= s.width || y0[p] >= s.height) continue;
            for (int y = y0[p]; y < s.height; y += dy[p]) append_row(s, y, x0[p], dx[p], raw);
        }
    }
    // zlib stream of stored deflate blocks.
    std::vector<unsigned char> z = {0x78, 0x01};
    size_t pos = 0;
    do {
        const size_t n = raw.size() - pos < 65535 ? raw.size() - pos : 65535;
        z.push_back(pos + n == raw.size() ? 1 : 0);
        z.push_back(static_cast<unsigned char>(n));
        z.push_back(static_cast<unsigned char>(n >> 8));
        z.push_back(static_cast<unsigned char>(~n));
        z.push_back(static_cast<unsigned char>(~n >> 8));
        z.insert(z.end(), raw.begin() + static_cast<long>(pos), raw.begin() + static_cast<long>(pos + n));
        pos += n;
    } while (pos < raw.size());
    put_be32(z, adler32(raw));
    auto idat = png_chunk("IDAT", z);
    out.insert(out.end(), idat.begin(), idat.end());
    auto iend = png_chunk("IEND", {});
    out.insert(out.end(), iend.begin(), iend.end());
    return out;
}

uint32_t texture_pixel(const Texture* t, int x, int y) {
    return t->pixels[static_cast<size_t>(y) * (t->pitch / 4) + x];
}
