// Picture encoders for tools and tests: PNG, JPEG and 24-bit BMP from 32-bit ARGB pixels,
// to a file or to bytes in memory. The game itself only decodes (platform/image/image.h).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Each encoder takes w x h pixels, 0xAARRGGBB, rows top to bottom, no padding between rows.
// An empty vector (or false) means the picture could not be encoded (bad size, library error).

// PNG, 8 bits per channel; RGBA when with_alpha, else RGB (alpha dropped).
std::vector<unsigned char> encode_png(const uint32_t* argb, int w, int h, bool with_alpha);
// Baseline JPEG, 3 components, quality 1..100 (clamped); alpha dropped.
std::vector<unsigned char> encode_jpeg(const uint32_t* argb, int w, int h, int quality);
// Uncompressed 24-bit bottom-up BMP; alpha dropped.
std::vector<unsigned char> encode_bmp(const uint32_t* argb, int w, int h);

// The same, written to path (replaced when present).
bool write_png(const std::string& path, const uint32_t* argb, int w, int h, bool with_alpha);
bool write_jpeg(const std::string& path, const uint32_t* argb, int w, int h, int quality);
bool write_bmp(const std::string& path, const uint32_t* argb, int w, int h);
