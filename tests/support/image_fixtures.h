// Hand-built picture files for the decoder tests: PNGs of any colour type, bit depth and
// interlace (stored, uncompressed deflate), chunk helpers for damaged files, and texture reads.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/video/texture.h"

struct PngRecipe {
    int width = 1;                 // pixels
    int height = 1;
    int bit_depth = 8;             // 1, 2, 4, 8 or 16
    int colour_type = 2;           // 0 grey, 2 RGB, 3 palette, 4 grey+alpha, 6 RGBA
    bool interlaced = false;       // Adam7
    std::vector<uint16_t> samples; // width * height * channels values, row by row
    std::vector<unsigned char> plte;  // PLTE payload (RGB triples) when not empty
    std::vector<unsigned char> trns;  // tRNS payload when not empty
};

// A complete PNG file made to the recipe.
std::vector<unsigned char> build_png(const PngRecipe& recipe);
// One chunk: length, type, data, CRC.
std::vector<unsigned char> png_chunk(const std::string& type, const std::vector<unsigned char>& data);
// CRC-32 as PNG and zlib's crc32 compute it.
uint32_t png_crc(const unsigned char* data, size_t size);
// The 8-byte signature followed by an IHDR with the given fields.
std::vector<unsigned char> png_head(uint32_t w, uint32_t h, int bit_depth, int colour_type);

// Big-endian and little-endian stores.
void put_be32(std::vector<unsigned char>& v, uint32_t x);
void put_le32(std::vector<unsigned char>& v, uint32_t x);
void put_le16(std::vector<unsigned char>& v, uint16_t x);

// Pixel (x, y) of an unlocked texture.
uint32_t texture_pixel(const Texture* t, int x, int y);
