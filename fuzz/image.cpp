// Fuzz target: the picture decoder on arbitrary bytes, into a small keyed texture.
#include <cstddef>
#include <cstdint>

#include "platform/image/image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Texture* texture = nullptr;
    HRESULT hr = decode_image_to_texture(data, size, 40, 30, PixelFormat::A8R8G8B8, 0xFF0000FFu,
                                         &texture);
    if (succeeded(hr) && (!texture || texture->width != 40 || texture->locked)) __builtin_trap();
    if (failed(hr) && texture) __builtin_trap();
    texture_release(texture);
    return 0;
}
