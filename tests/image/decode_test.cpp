// Picture decoder: PNG, JPEG and BMP (plain and run-length) into textures, placement, colour key and damaged files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/image/image.h"
#include "platform/image/image_write.h"
#include "support/image_fixtures.h"

namespace {

using Bytes = std::vector<unsigned char>;

// A decoded texture released at scope end.
struct Decoded {
    Texture* texture = nullptr;
    HRESULT hr = E_FAIL;
    ~Decoded() { texture_release(texture); }
    uint32_t at(int x, int y) const { return texture_pixel(texture, x, y); }
};

void decode(const Bytes& b, int w, int h, PixelFormat f, uint32_t key, Decoded* d) {
    d->hr = decode_image_to_texture(b.data(), b.size(), w, h, f, key, &d->texture);
}

// A w x h picture whose every pixel differs: 0xAARRGGBB with the given alpha.
std::vector<uint32_t> pattern(int w, int h, uint32_t alpha = 0xFF) {
    std::vector<uint32_t> px(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            px[static_cast<size_t>(y) * w + x] =
                (alpha << 24) | (static_cast<uint32_t>(x * 9) << 16) | (static_cast<uint32_t>(y * 11) << 8) |
                static_cast<uint32_t>((x + y) * 5);
    return px;
}

// Every truncation of a valid file must fail without touching memory outside it: each prefix is
// copied into a buffer of exactly its size so the address sanitizer sees any over-read.
void expect_all_truncations_fail(const Bytes& file, size_t step, const char* what) {
    for (size_t n = 0; n < file.size(); n += (n < 64 ? 1 : step)) {
        unsigned char* copy = static_cast<unsigned char*>(std::malloc(n ? n : 1));
        std::copy(file.begin(), file.begin() + static_cast<long>(n), copy);
        Texture* t = nullptr;
        HRESULT hr = decode_image_to_texture(copy, n, 16, 16, PixelFormat::A8R8G8B8, 0, &t);
        std::free(copy);
        EXPECT_EQ(hr, E_FAIL) << what << " cut to " << n << " of " << file.size() << " bytes";
        EXPECT_EQ(t, nullptr);
        texture_release(t);
    }
}

}  // namespace

TEST(ImageDecode, RoundTripsThroughTheThreeEncoders) {
    const int w = 13, h = 7;
    auto px = pattern(w, h, 0x80);

    Decoded png_a, png_x, png_rgb, bmp, jpeg;
    decode(encode_png(px.data(), w, h, true), w, h, PixelFormat::A8R8G8B8, 0, &png_a);
    decode(encode_png(px.data(), w, h, true), w, h, PixelFormat::X8R8G8B8, 0, &png_x);
    decode(encode_png(px.data(), w, h, false), w, h, PixelFormat::A8R8G8B8, 0, &png_rgb);
    decode(encode_bmp(px.data(), w, h), w, h, PixelFormat::A8R8G8B8, 0, &bmp);
    ASSERT_EQ(png_a.hr, S_OK);
    ASSERT_EQ(png_x.hr, S_OK);
    ASSERT_EQ(png_rgb.hr, S_OK);
    ASSERT_EQ(bmp.hr, S_OK);
    EXPECT_EQ(png_a.texture->format, PixelFormat::A8R8G8B8);
    EXPECT_EQ(png_x.texture->format, PixelFormat::X8R8G8B8);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t p = px[static_cast<size_t>(y) * w + x];
            EXPECT_EQ(png_a.at(x, y), p) << "PNG with alpha keeps alpha at " << x << "," << y;
            EXPECT_EQ(png_x.at(x, y), p | 0xFF000000u) << "X8R8G8B8 is opaque at " << x << "," << y;
            EXPECT_EQ(png_rgb.at(x, y), p | 0xFF000000u) << "RGB PNG is opaque";
            EXPECT_EQ(bmp.at(x, y), p | 0xFF000000u) << "24-bit BMP at " << x << "," << y;
        }

    // JPEG is lossy: a flat picture comes back within a few levels per channel.
    std::vector<uint32_t> flat(64 * 32, 0xFF3C8CDCu);
    decode(encode_jpeg(flat.data(), 64, 32, 95), 64, 32, PixelFormat::X8R8G8B8, 0, &jpeg);
    ASSERT_EQ(jpeg.hr, S_OK);
    for (int y = 0; y < 32; y += 5)
        for (int x = 0; x < 64; x += 7) {
            const uint32_t p = jpeg.at(x, y);
            EXPECT_EQ(p >> 24, 0xFFu);
            EXPECT_NEAR(static_cast<int>((p >> 16) & 0xFF), 0x3C, 3);
            EXPECT_NEAR(static_cast<int>((p >> 8) & 0xFF), 0x8C, 3);
            EXPECT_NEAR(static_cast<int>(p & 0xFF), 0xDC, 3);
        }
}

TEST(ImageDecode, SmallerPictureSitsTopLeftOnBlackAndLargerIsCut) {
    auto small = pattern(3, 2);
    auto large = pattern(40, 30);
    for (int format = 0; format < 3; ++format) {
        auto enc = [&](const std::vector<uint32_t>& p, int w, int h) {
            return format == 0 ? encode_png(p.data(), w, h, false)
                               : format == 1 ? encode_bmp(p.data(), w, h)
                                             : encode_jpeg(p.data(), w, h, 100);
        };
        Decoded s, l;
        decode(enc(small, 3, 2), 8, 5, PixelFormat::A8R8G8B8, 0, &s);
        decode(enc(large, 40, 30), 6, 4, PixelFormat::X8R8G8B8, 0, &l);
        ASSERT_EQ(s.hr, S_OK) << "format " << format;
        ASSERT_EQ(l.hr, S_OK) << "format " << format;
        ASSERT_EQ(l.texture->width, 6);
        ASSERT_EQ(l.texture->height, 4);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 8; ++x) {
                if (x >= 3 || y >= 2) {
                    EXPECT_EQ(s.at(x, y), 0xFF000000u) << "outside the picture is opaque black, format "
                                                       << format << " at " << x << "," << y;
                }
            }
        if (format == 2) continue;  // lossy: the exact-pixel checks below are for PNG and BMP
        EXPECT_EQ(s.at(2, 1), small[5]);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x)
                EXPECT_EQ(l.at(x, y), large[static_cast<size_t>(y) * 40 + x]) << "top-left part";
    }
}

TEST(ImageDecode, ColourKeyClearsOnlyExactOpaquePureBlue) {
    const std::vector<uint32_t> px = {0xFF0000FFu, 0xFF0000FEu, 0x800000FFu, 0xFF0001FFu,
                                      0xFF0000FFu, 0xFFFFFFFFu};
    Decoded keyed, bmp, unkeyed, opaque;
    decode(encode_png(px.data(), 3, 2, true), 3, 2, PixelFormat::A8R8G8B8, 0xFF0000FFu, &keyed);
    decode(encode_bmp(px.data(), 3, 2), 3, 2, PixelFormat::A8R8G8B8, 0xFF0000FFu, &bmp);
    decode(encode_png(px.data(), 3, 2, true), 3, 2, PixelFormat::A8R8G8B8, 0, &unkeyed);
    decode(encode_png(px.data(), 3, 2, true), 3, 2, PixelFormat::X8R8G8B8, 0xFF0000FFu, &opaque);
    ASSERT_EQ(keyed.hr, S_OK);
    ASSERT_EQ(bmp.hr, S_OK);
    ASSERT_EQ(unkeyed.hr, S_OK);
    ASSERT_EQ(opaque.hr, S_OK);
    const uint32_t want[6] = {0, 0xFF0000FEu, 0x800000FFu, 0xFF0001FFu, 0, 0xFFFFFFFFu};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(keyed.at(i % 3, i / 3), want[i]) << "PNG pixel " << i;
        EXPECT_EQ(unkeyed.at(i % 3, i / 3), px[i]) << "key 0 keys nothing, pixel " << i;
        EXPECT_EQ(opaque.at(i % 3, i / 3), want[i] | 0xFF000000u) << "X8R8G8B8 pixel " << i;
    }
    EXPECT_EQ(bmp.at(0, 0), 0u);
    EXPECT_EQ(bmp.at(2, 0), 0u) << "BMP has no alpha: 0x800000FF is stored opaque blue";
    EXPECT_EQ(bmp.at(1, 0), 0xFF0000FEu);
}

TEST(ImageDecode, PngColourTypesDepthsAndInterlace) {
    // Palette, 4 bits, with tRNS making entry 1 half transparent.
    PngRecipe pal;
    pal.width = 5;
    pal.height = 3;
    pal.bit_depth = 4;
    pal.colour_type = 3;
    pal.plte = {0, 0, 0, 255, 0, 0, 0, 0, 255};
    pal.trns = {255, 128};
    for (int i = 0; i < 15; ++i) pal.samples.push_back(static_cast<uint16_t>(i % 3));
    // Grey, 16 bits: the top byte of each sample counts.
    PngRecipe grey;
    grey.width = 4;
    grey.height = 2;
    grey.bit_depth = 16;
    grey.colour_type = 0;
    for (int i = 0; i < 8; ++i) grey.samples.push_back(static_cast<uint16_t>(i * 0x2000 + 0xFF));
    // RGBA, interlaced, 11 x 9 so that every Adam7 pass has pixels and some rows fall below the
    // texture.
    PngRecipe inter;
    inter.width = 11;
    inter.height = 9;
    inter.colour_type = 6;
    inter.interlaced = true;
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 11; ++x)
            for (int c = 0; c < 4; ++c) inter.samples.push_back(static_cast<uint16_t>((x * 20 + y * 3 + c * 50) & 0xFF));

    Decoded p, g, i;
    decode(build_png(pal), 5, 3, PixelFormat::A8R8G8B8, 0, &p);
    decode(build_png(grey), 4, 2, PixelFormat::A8R8G8B8, 0, &g);
    decode(build_png(inter), 11, 6, PixelFormat::A8R8G8B8, 0, &i);
    ASSERT_EQ(p.hr, S_OK);
    ASSERT_EQ(g.hr, S_OK);
    ASSERT_EQ(i.hr, S_OK);
    const uint32_t pal_want[3] = {0xFF000000u, 0x80FF0000u, 0xFF0000FFu};
    for (int k = 0; k < 15; ++k) EXPECT_EQ(p.at(k % 5, k / 5), pal_want[k % 3]) << "palette pixel " << k;
    for (int k = 0; k < 8; ++k) {
        const uint32_t v = static_cast<uint32_t>(k * 0x20);
        EXPECT_EQ(g.at(k % 4, k / 4), 0xFF000000u | v << 16 | v << 8 | v) << "grey pixel " << k;
    }
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 11; ++x) {
            auto s = [&](int c) { return static_cast<uint32_t>((x * 20 + y * 3 + c * 50) & 0xFF); };
            EXPECT_EQ(i.at(x, y), s(3) << 24 | s(0) << 16 | s(1) << 8 | s(2)) << "interlaced " << x << "," << y;
        }
}

TEST(ImageDecode, BmpLayouts) {
    // 8-bit palette, top-down (negative height), 3 x 2, rows padded to 4 bytes.
    Bytes b = {'B', 'M'};
    put_le32(b, 0);        // file size: not trusted
    put_le32(b, 0);
    put_le32(b, 14 + 40 + 3 * 4);
    put_le32(b, 40);
    put_le32(b, 3);
    put_le32(b, static_cast<uint32_t>(-2));
    put_le16(b, 1);
    put_le16(b, 8);
    put_le32(b, 0);
    for (int k = 0; k < 5; ++k) put_le32(b, k == 3 ? 3 : 0);  // size, dpi, dpi, colours used 3, important
    for (uint32_t c : {0x00112233u, 0x00445566u, 0x00778899u}) put_le32(b, c);
    Bytes rows = {0, 1, 2, 0, 2, 1, 0, 0};
    b.insert(b.end(), rows.begin(), rows.end());
    Decoded pal;
    decode(b, 3, 2, PixelFormat::X8R8G8B8, 0, &pal);
    ASSERT_EQ(pal.hr, S_OK);
    EXPECT_EQ(pal.at(0, 0), 0xFF112233u);
    EXPECT_EQ(pal.at(2, 0), 0xFF778899u);
    EXPECT_EQ(pal.at(1, 1), 0xFF445566u);
    EXPECT_EQ(pal.at(2, 1), 0xFF112233u);
    // A pixel whose index lies outside the palette makes the picture a damaged one.
    Bytes outside = b;
    outside[outside.size() - 2] = 7;
    Decoded o;
    decode(outside, 3, 2, PixelFormat::X8R8G8B8, 0, &o);
    EXPECT_EQ(o.hr, E_FAIL);

    // 32-bit plain, bottom-up: the fourth byte is not alpha.
    Bytes c = {'B', 'M'};
    put_le32(c, 0);
    put_le32(c, 0);
    put_le32(c, 54);
    put_le32(c, 40);
    put_le32(c, 2);
    put_le32(c, 2);
    put_le16(c, 1);
    put_le16(c, 32);
    for (int k = 0; k < 6; ++k) put_le32(c, 0);
    for (uint32_t v : {0x00010203u, 0x00040506u, 0x000A0B0Cu, 0x000D0E0Fu}) put_le32(c, v);
    Decoded x32;
    decode(c, 2, 2, PixelFormat::A8R8G8B8, 0, &x32);
    ASSERT_EQ(x32.hr, S_OK);
    EXPECT_EQ(x32.at(0, 1), 0xFF010203u) << "first stored row is the bottom one";
    EXPECT_EQ(x32.at(1, 0), 0xFF0D0E0Fu);

    // A compression the 32-bit form does not have is refused, as is a pixel offset past the end.
    Bytes rle = c;
    rle[30] = 1;
    Bytes far = c;
    far[10] = 0xF0;
    Decoded r, f;
    decode(rle, 2, 2, PixelFormat::A8R8G8B8, 0, &r);
    decode(far, 2, 2, PixelFormat::A8R8G8B8, 0, &f);
    EXPECT_EQ(r.hr, E_FAIL);
    EXPECT_EQ(f.hr, E_FAIL);
}

namespace {

// A bottom-up run-length BMP (compression 1 = RLE8 at 8 bits, 2 = RLE4 at 4 bits) of w x h
// pixels with the given palette (0x00RRGGBB) and encoded pixel bytes, as paint programs write it.
Bytes rle_bmp(int w, int h, int bpp, uint32_t compression, const std::vector<uint32_t>& palette,
              const Bytes& encoded) {
    Bytes b = {'B', 'M'};
    const uint32_t offset = 14 + 40 + 4 * static_cast<uint32_t>(palette.size());
    put_le32(b, offset + static_cast<uint32_t>(encoded.size()));
    put_le32(b, 0);
    put_le32(b, offset);
    put_le32(b, 40);
    put_le32(b, static_cast<uint32_t>(w));
    put_le32(b, static_cast<uint32_t>(h));
    put_le16(b, 1);
    put_le16(b, static_cast<uint16_t>(bpp));
    put_le32(b, compression);
    put_le32(b, static_cast<uint32_t>(encoded.size()));
    put_le32(b, 2835);
    put_le32(b, 2835);
    put_le32(b, static_cast<uint32_t>(palette.size()));
    put_le32(b, 0);
    for (uint32_t c : palette) put_le32(b, c);
    b.insert(b.end(), encoded.begin(), encoded.end());
    return b;
}

}  // namespace

TEST(ImageDecode, RunLengthBmp) {
    const std::vector<uint32_t> pal = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0x808080,
                                       0xFFFFFF, 0x123456, 0xABCDEF};
    // RLE8, 4 x 3, rows bottom-up: a run of four; an absolute run of three (padded to an even
    // count of bytes) then a run of one; a run of two, a delta two to the right, end of picture.
    const Bytes rle8 = {4, 1, 0, 0,                 // bottom row: 1 1 1 1
                        0, 3, 2, 3, 4, 0, 1, 5, 0, 0,  // middle row: 2 3 4 5
                        2, 6, 0, 2, 2, 0, 0, 1};       // top row: 6 6, then the rest untouched
    Decoded d8;
    decode(rle_bmp(4, 3, 8, 1, pal, rle8), 4, 3, PixelFormat::X8R8G8B8, 0, &d8);
    ASSERT_EQ(d8.hr, S_OK);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(d8.at(x, 2), 0xFFFF0000u) << "bottom row, x " << x;
    EXPECT_EQ(d8.at(0, 1), 0xFF00FF00u);
    EXPECT_EQ(d8.at(1, 1), 0xFF0000FFu);
    EXPECT_EQ(d8.at(2, 1), 0xFF808080u);
    EXPECT_EQ(d8.at(3, 1), 0xFFFFFFFFu);
    EXPECT_EQ(d8.at(0, 0), 0xFF123456u);
    EXPECT_EQ(d8.at(1, 0), 0xFF123456u);

    // RLE4, 5 x 2: a run of five alternating the two nibbles; an absolute run of four nibbles
    // then a run of one.
    const Bytes rle4 = {5, 0x12, 0, 0,              // bottom row: 1 2 1 2 1
                        0, 4, 0x34, 0x56, 1, 0x70, 0, 1};  // top row: 3 4 5 6 7
    Decoded d4;
    decode(rle_bmp(5, 2, 4, 2, pal, rle4), 5, 2, PixelFormat::A8R8G8B8, 0, &d4);
    ASSERT_EQ(d4.hr, S_OK);
    const uint32_t bottom[] = {1, 2, 1, 2, 1}, top[] = {3, 4, 5, 6, 7};
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(d4.at(x, 1), 0xFF000000u | pal[bottom[x]]) << "bottom row, x " << x;
        EXPECT_EQ(d4.at(x, 0), 0xFF000000u | pal[top[x]]) << "top row, x " << x;
    }

    // The colour key applies to a run-length picture as to any other; a larger one is cut.
    Decoded keyed, cut;
    decode(rle_bmp(4, 3, 8, 1, pal, rle8), 4, 3, PixelFormat::A8R8G8B8, 0xFFFF0000u, &keyed);
    ASSERT_EQ(keyed.hr, S_OK);
    EXPECT_EQ(keyed.at(0, 2), 0u);
    EXPECT_EQ(keyed.at(0, 1), 0xFF00FF00u);
    decode(rle_bmp(4, 3, 8, 1, pal, rle8), 2, 2, PixelFormat::X8R8G8B8, 0, &cut);
    ASSERT_EQ(cut.hr, S_OK);
    EXPECT_EQ(cut.at(1, 1), 0xFF0000FFu) << "the top-left 2 x 2 of the picture";

    // Damaged runs: data that ends before the end-of-picture mark, and every truncation.
    Bytes no_end = rle_bmp(4, 3, 8, 1, pal, rle8);
    no_end.resize(no_end.size() - 2);
    Decoded ne;
    decode(no_end, 4, 3, PixelFormat::X8R8G8B8, 0, &ne);
    EXPECT_EQ(ne.hr, E_FAIL);
    expect_all_truncations_fail(rle_bmp(5, 2, 4, 2, pal, rle4), 1, "RLE4 BMP");
}

TEST(ImageDecode, DamagedAndHostileFilesFailCleanly) {
    auto px = pattern(24, 24);
    expect_all_truncations_fail(encode_png(px.data(), 24, 24, true), 7, "PNG");
    expect_all_truncations_fail(encode_jpeg(px.data(), 24, 24, 80), 5, "JPEG");
    expect_all_truncations_fail(encode_bmp(px.data(), 24, 24), 11, "BMP");

    // Headers claiming 100000 x 100000 with almost no data behind them.
    Bytes png_huge = png_head(100000, 100000, 8, 2);
    auto idat = png_chunk("IDAT", {0x78, 0x01, 0x01, 0x00, 0x00, 0xFF, 0xFF});
    png_huge.insert(png_huge.end(), idat.begin(), idat.end());
    Bytes bmp_huge = encode_bmp(px.data(), 24, 24);
    for (int k = 18; k < 26; k += 4) bmp_huge[k] = 0xA0, bmp_huge[k + 1] = 0x86, bmp_huge[k + 2] = 0x01, bmp_huge[k + 3] = 0;
    Bytes jpeg_huge = encode_jpeg(px.data(), 24, 24, 80);
    for (size_t k = 2; k + 8 < jpeg_huge.size(); ++k)
        if (jpeg_huge[k] == 0xFF && jpeg_huge[k + 1] == 0xC0) {  // SOF0: height and width
            jpeg_huge[k + 5] = jpeg_huge[k + 6] = jpeg_huge[k + 7] = jpeg_huge[k + 8] = 0xFF;
            break;
        }
    // A flipped byte inside the image data (its CRC no longer matches), and a broken IHDR CRC.
    Bytes png_crc_bad = encode_png(px.data(), 24, 24, false);
    png_crc_bad[png_crc_bad.size() - 20] ^= 0x40;
    Bytes png_ihdr_bad = encode_png(px.data(), 24, 24, false);
    png_ihdr_bad[30] ^= 1;
    // A chunk whose length runs far past the end of the file.
    Bytes png_long = png_head(4, 4, 8, 2);
    put_be32(png_long, 0x7FFFFFF0u);
    for (char ch : std::string("IDAT\x78\x01")) png_long.push_back(static_cast<unsigned char>(ch));
    // An info header of an unknown size (49) whose bit-field masks would lie past the file's end.
    Bytes bmp_odd = {'B', 'M'};
    for (uint32_t v : {0u, 0u, 63u, 49u, 2u, 2u}) put_le32(bmp_odd, v);
    put_le16(bmp_odd, 1);
    put_le16(bmp_odd, 16);
    put_le32(bmp_odd, 3);
    bmp_odd.resize(63, 0xFF);
    Bytes garbage(300);
    for (size_t k = 0; k < garbage.size(); ++k) garbage[k] = static_cast<unsigned char>(k * 37 + 11);

    struct Case { const char* name; const Bytes* bytes; } cases[] = {
        {"PNG 100000x100000", &png_huge}, {"BMP 100000x100000", &bmp_huge},
        {"JPEG 65535x65535", &jpeg_huge}, {"PNG flipped IDAT byte", &png_crc_bad},
        {"PNG bad IHDR CRC", &png_ihdr_bad}, {"PNG lying chunk length", &png_long},
        {"BMP header of 49 bytes", &bmp_odd}, {"no known signature", &garbage}};
    for (const Case& c : cases) {
        // An exact-size copy, so that the address sanitizer sees any read past the end.
        unsigned char* copy = static_cast<unsigned char*>(std::malloc(c.bytes->size()));
        std::copy(c.bytes->begin(), c.bytes->end(), copy);
        Texture* t = nullptr;
        EXPECT_EQ(decode_image_to_texture(copy, c.bytes->size(), 800, 600, PixelFormat::X8R8G8B8, 0, &t),
                  E_FAIL) << c.name;
        EXPECT_EQ(t, nullptr) << c.name;
        texture_release(t);
        std::free(copy);
    }
}

TEST(ImageDecode, TextureFailuresAreReturnedAndLeakNothing) {
    auto px = pattern(4, 4);
    Bytes png = encode_png(px.data(), 4, 4, false);
    Decoded oom, lock, ok;
    texture_fail_next_creations(1, D3DERR_OUTOFVIDEOMEMORY);
    decode(png, 4, 4, PixelFormat::A8R8G8B8, 0, &oom);
    EXPECT_EQ(oom.hr, D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(oom.texture, nullptr);
    texture_fail_next_locks(1);
    decode(png, 4, 4, PixelFormat::A8R8G8B8, 0, &lock);
    EXPECT_TRUE(failed(lock.hr));
    EXPECT_EQ(lock.texture, nullptr);
    decode(png, 4, 4, PixelFormat::A8R8G8B8, 0, &ok);
    ASSERT_EQ(ok.hr, S_OK) << "the seams are spent";
    EXPECT_FALSE(ok.texture->locked) << "the decoder leaves its texture unlocked";
}
