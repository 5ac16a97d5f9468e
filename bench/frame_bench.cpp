// Cost of one frame at rest on the offscreen renderer, beside one 800x600x4 memcpy and the bare
// software renderer copying one opaque full frame and presenting it.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "app/app.h"
#include "app/flags.h"
#include "gfx/device.h"
#include "platform/clock.h"
#include "platform/renderer.h"
#include "platform/sprite.h"
#include "platform/texture.h"

namespace {

// The frame step with nothing moving: clear, begin, end, present (no pacing: full-screen set).
void BM_FrameStepAtRest(benchmark::State& state) {
    reset_shared_flags();
    renderer_set_offscreen_only(true);
    if (create_device() != 0) {
        state.SkipWithError("no offscreen device");
        return;
    }
    present_params.windowed = 0;
    for (auto _ : state) benchmark::DoNotOptimize(frame_step());
    release_device();
    renderer_set_offscreen_only(false);
}
BENCHMARK(BM_FrameStepAtRest)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// One full scene picture drawn through the sprite batch and presented.
void BM_FrameWithFullPicture(benchmark::State& state) {
    renderer_set_offscreen_only(true);
    if (create_device() != 0) {
        state.SkipWithError("no offscreen device");
        return;
    }
    Texture* picture = nullptr;
    texture_create(kBackBufferWidth, kBackBufferHeight, PixelFormat::X8R8G8B8, &picture);
    for (int i = 0; i < kBackBufferWidth * kBackBufferHeight; ++i) picture->pixels[i] = i * 2654435761u;
    for (auto _ : state) {
        renderer_clear(0xFFFFFFFF);
        renderer_begin_scene();
        batch_begin();
        batch_draw(picture, nullptr, 0, 0, 0xFFFFFFFF);
        batch_end();
        renderer_end_scene();
        benchmark::DoNotOptimize(renderer_present());
    }
    texture_release(picture);
    release_device();
    renderer_set_offscreen_only(false);
}
BENCHMARK(BM_FrameWithFullPicture)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The floor: copying one frame's bytes once.
void BM_MemcpyFrame(benchmark::State& state) {
    std::vector<uint32_t> a(kBackBufferWidth * kBackBufferHeight, 1), b(a.size());
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), a.size() * 4);
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_MemcpyFrame)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The letterboxed full-screen scaling of one frame to 1920x1080 (software).
void BM_LetterboxTo1080p(benchmark::State& state) {
    std::vector<uint32_t> canvas(kBackBufferWidth * kBackBufferHeight, 0xFF336699), out(1920 * 1080);
    for (auto _ : state) benchmark::DoNotOptimize(renderer_letterbox_image(canvas.data(), 1920, 1080, out.data()));
}
BENCHMARK(BM_LetterboxTo1080p)->Unit(benchmark::kMicrosecond)->Repetitions(3)->ReportAggregatesOnly(true);

}  // namespace
