// Inside the picture decoder: the texture that decoded rows land in, and the three format
// readers that feed it. Only platform/image*.cpp and platform/video/texture.cpp include this.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/system/hresult.h"
#include "platform/video/texture.h"

constexpr int kMaxImageSide = 16384;                     // pixels; larger pictures are refused
constexpr uint64_t kMaxDecodeBytes = 256ull << 20;       // bytes any one decode may hold at once

// The requested texture and where the decoded rows go. Filled by image_target_begin once the
// picture's header is known to be sane; every row outside the texture is dropped.
struct ImageTarget {
    int width = 0;                  // requested texture size, pixels
    int height = 0;
    PixelFormat format = PixelFormat::X8R8G8B8;
    uint32_t colour_key = 0;        // 0xAARRGGBB; 0 = none
    Texture* texture = nullptr;     // created by image_target_begin; locked while rows arrive
    uint32_t* bits = nullptr;       // first pixel of the locked top row
    int pitch_pixels = 0;           // locked pitch / 4
    HRESULT failure = E_FAIL;       // what decode_image_to_texture returns when a reader fails
    std::string reason;             // why a reader failed, when it can tell ("" otherwise)
    int picture_width = 0;          // the picture's own size, once a reader has read its header
    int picture_height = 0;
    const char* refusal = nullptr;  // why a reader refused a picture it could read the header of
};

// texture_create without the zero fill (platform/video/texture.cpp), for the decoder, which writes
// every pixel of its texture: the picture's rows and the black around them.
HRESULT texture_create_unfilled(int width, int height, PixelFormat format, Texture** out);

// True when a picture of w x h pixels may be decoded (sides 1..kMaxImageSide and
// w * h * bytes_per_pixel within kMaxDecodeBytes).
bool image_size_ok(uint64_t w, uint64_t h, uint64_t bytes_per_pixel);

// Creates and locks the texture and fills with opaque black what a picture of img_w x img_h
// pixels will not cover. False (target->failure set to the creation result) when it cannot.
bool image_target_begin(ImageTarget* target, int img_w, int img_h);

// Stores picture row y (img_w pixels, 0xAARRGGBB) into the texture: cut to the texture's width,
// colour key applied, top byte 0xFF for X8R8G8B8. Rows at or below the texture's height are dropped.
void image_target_row(ImageTarget* target, int y, const uint32_t* row, int img_w);

// Each reader checks its header, calls image_target_begin, then image_target_row for every row.
// False for data that is not a whole valid picture of that format (or when begin failed).
bool decode_png(const unsigned char* data, size_t size, ImageTarget* target);
bool decode_jpeg(const unsigned char* data, size_t size, ImageTarget* target);
bool decode_bmp(const unsigned char* data, size_t size, ImageTarget* target);
