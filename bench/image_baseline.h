// The yardstick for a scene change: libpng and libjpeg-turbo decoding a picture from memory
// straight into a caller's 32-bit buffer, with no game code around them (benchmarks only).
#pragma once
#include <cstddef>
#include <cstdint>

// Decode width x height pixels of a PNG / JPEG file held in memory into out (0xAARRGGBB, rows
// of width pixels). false when the data is not such a picture of exactly that size.
bool baseline_decode_png(const unsigned char* data, size_t size, int width, int height, uint32_t* out);
bool baseline_decode_jpeg(const unsigned char* data, size_t size, int width, int height, uint32_t* out);
