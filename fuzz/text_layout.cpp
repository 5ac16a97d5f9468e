// Fuzz target: text measurement and alpha rendering of arbitrary Shift-JIS bytes. The first
// byte picks the size in points, the second the origin of a plain draw; the rest is the text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "gfx/text.h"

namespace {
const char kFace[] = "\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E";  // ＭＳ ゴシック
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Texture* alpha = nullptr;
    static Texture* scratch = nullptr;
    if (!alpha && (failed(texture_create(96, 64, PixelFormat::A8R8G8B8, &alpha)) ||
                   failed(texture_create(96, 64, PixelFormat::X8R8G8B8, &scratch))))
        __builtin_trap();
    if (size < 2) return 0;
    const int points = 1 + data[0] % 48;
    const int origin = static_cast<int8_t>(data[1]);
    const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);  // may hold NULs
    const int length = static_cast<int>(std::char_traits<char>::length(text.c_str()));

    int w = -1, h = -1;
    if (measure_text(kFace, points, text.c_str(), &w, &h) != length || w < 0 || h <= 0) __builtin_trap();
    if (render_alpha_text(alpha, scratch, 0x00FFFFFF, kFace, points, text.c_str()) != length)
        __builtin_trap();
    for (int i = 0; i < 96 * 64; ++i)
        if (alpha->pixels[i] != 0 && alpha->pixels[i] != 0xFFFFFFFFu) __builtin_trap();
    if (draw_text_to_texture(scratch, kFace, points, origin, origin * 3, 0x00336699, text.c_str()) != length)
        __builtin_trap();
    if (alpha->locked || scratch->locked) __builtin_trap();
    return 0;
}
