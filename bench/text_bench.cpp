// Costs of the text and picture paths: one balloon page of Japanese text through
// render_alpha_text, and an 800x600 picture through the bare libpng / libjpeg-turbo decode
// versus decode_image_to_texture of the same bytes (the ratio is the decoder's overhead).
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <png.h>

#include "gfx/text.h"
#include "platform/image.h"
#include "platform/image_write.h"
#include "platform/sjis.h"

namespace {

constexpr int kPictureWidth = 800;
constexpr int kPictureHeight = 600;

// An 800x600 picture with smooth areas, edges and some fine detail, like a painted scene.
std::vector<uint32_t> scene_picture() {
    std::vector<uint32_t> px(static_cast<size_t>(kPictureWidth) * kPictureHeight);
    uint32_t noise = 12345;
    for (int y = 0; y < kPictureHeight; ++y)
        for (int x = 0; x < kPictureWidth; ++x) {
            noise = noise * 1103515245u + 12345u;
            const uint32_t grain = (noise >> 28) & 7u;
            const bool stripe = ((x / 40) + (y / 30)) % 2 == 0;
            const uint32_t r = (x * 255 / kPictureWidth + grain) & 0xFF;
            const uint32_t g = (y * 255 / kPictureHeight + (stripe ? 40u : 0u)) & 0xFF;
            const uint32_t b = ((x + y) / 6 + grain) & 0xFF;
            px[static_cast<size_t>(y) * kPictureWidth + x] = 0xFF000000u | r << 16 | g << 8 | b;
        }
    return px;
}

const std::vector<unsigned char>& png_bytes() {
    static const std::vector<unsigned char> bytes = [] {
        auto px = scene_picture();
        return encode_png(px.data(), kPictureWidth, kPictureHeight, false);
    }();
    return bytes;
}

const std::vector<unsigned char>& jpeg_bytes() {
    static const std::vector<unsigned char> bytes = [] {
        auto px = scene_picture();
        return encode_jpeg(px.data(), kPictureWidth, kPictureHeight, 90);
    }();
    return bytes;
}

void BM_RenderAlphaText_BalloonPage(benchmark::State& state) {
    std::string face, page;
    utf8_to_sjis("ＭＳ ゴシック", &face);
    utf8_to_sjis("むかしむかし、ある森のおくに、ちいさなくまの子が\n"
                 "すんでいました。くまの子は、まいにち森をあるいて\n"
                 "いろいろなどうぶつたちとおはなしをするのがすきで\n"
                 "した。ある日、くまの子は大きな木の下で本をみつけ",
                 &page);
    Texture* alpha = nullptr;
    Texture* scratch = nullptr;
    texture_create(792, 196, PixelFormat::A8R8G8B8, &alpha);
    texture_create(792, 196, PixelFormat::X8R8G8B8, &scratch);
    for (auto _ : state)
        benchmark::DoNotOptimize(render_alpha_text(alpha, scratch, 0x00FFFFFF, face.c_str(), 33, page.c_str()));
    state.counters["chars"] = 4 * 23;
    texture_release(alpha);
    texture_release(scratch);
}
BENCHMARK(BM_RenderAlphaText_BalloonPage)->Unit(benchmark::kMicrosecond);

// libpng's simplified reader straight to BGRA: the least any PNG decode of this picture costs.
void BM_PngBare(benchmark::State& state) {
    const auto& bytes = png_bytes();
    std::vector<unsigned char> out(static_cast<size_t>(kPictureWidth) * kPictureHeight * 4);
    for (auto _ : state) {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        png_image_begin_read_from_memory(&image, bytes.data(), bytes.size());
        image.format = PNG_FORMAT_BGRA;
        png_image_finish_read(&image, nullptr, out.data(), 0, nullptr);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_PngBare)->Unit(benchmark::kMillisecond);

void BM_PngDecodeToTexture(benchmark::State& state) {
    const auto& bytes = png_bytes();
    for (auto _ : state) {
        Texture* t = nullptr;
        decode_image_to_texture(bytes.data(), bytes.size(), kPictureWidth, kPictureHeight,
                                PixelFormat::X8R8G8B8, 0, &t);
        texture_release(t);
    }
}
BENCHMARK(BM_PngDecodeToTexture)->Unit(benchmark::kMillisecond);

// libjpeg-turbo from memory straight to BGRA rows.
void BM_JpegBare(benchmark::State& state) {
    const auto& bytes = jpeg_bytes();
    std::vector<unsigned char> out(static_cast<size_t>(kPictureWidth) * kPictureHeight * 4);
    for (auto _ : state) {
        jpeg_decompress_struct cinfo;
        jpeg_error_mgr err;
        cinfo.err = jpeg_std_error(&err);
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, bytes.data(), bytes.size());
        jpeg_read_header(&cinfo, TRUE);
        cinfo.out_color_space = JCS_EXT_BGRA;
        cinfo.dct_method = JDCT_ISLOW;
        jpeg_start_decompress(&cinfo);
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row = out.data() + static_cast<size_t>(cinfo.output_scanline) * kPictureWidth * 4;
            jpeg_read_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_JpegBare)->Unit(benchmark::kMillisecond);

void BM_JpegDecodeToTexture(benchmark::State& state) {
    const auto& bytes = jpeg_bytes();
    for (auto _ : state) {
        Texture* t = nullptr;
        decode_image_to_texture(bytes.data(), bytes.size(), kPictureWidth, kPictureHeight,
                                PixelFormat::X8R8G8B8, 0, &t);
        texture_release(t);
    }
}
BENCHMARK(BM_JpegDecodeToTexture)->Unit(benchmark::kMillisecond);

}  // namespace
