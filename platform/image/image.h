// Picture decoding (the texture-from-memory decoder's stand-in): PNG, JPEG and BMP from memory
// into a new texture of the requested size, with no scaling.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/system/hresult.h"
#include "platform/video/texture.h"

// Decodes data into a new width x height texture of the given format. A smaller picture lands
// at the top left on opaque black, a larger one is cut to its top-left part. With colour_key
// not 0, every pixel equal to it (0xAARRGGBB, opaque) becomes 0x00000000. Returns S_OK, E_FAIL
// for data that is not a whole, valid picture, or the texture's creation failure
// (D3DERR_OUTOFVIDEOMEMORY). Never reads outside data[0..size).
// When report is given it says what the data held, whether or not it decoded.
struct ImageReport {
    const char* kind = nullptr;     // "PNG", "JPEG" or "BMP" by the signature; null for none
    int width = 0;                  // the picture's own size, 0 when its header was not read
    int height = 0;
    const char* refusal = nullptr;  // why a readable header was refused (a CMYK JPEG...), or null
};
HRESULT decode_image_to_texture(const unsigned char* data, size_t size, int width, int height,
                                PixelFormat format, uint32_t colour_key, Texture** out,
                                ImageReport* report = nullptr);

// Why the last decode_image_to_texture on this thread failed, for the author ("not a PNG, JPEG or
// BMP picture", "PNG: CRC error", "JPEG: CMYK colour is not read" ...); "" after a success.
const char* image_failure_reason();
// "PNG", "JPEG" or "BMP" by the first bytes (as the decoder tells them), or null.
const char* image_kind(const unsigned char* data, size_t size);
