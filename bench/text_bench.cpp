// Text into textures: one full balloon page through render_alpha_text, and the staff roll's
// layout (setup_credits: thirteen lines measured and packed).
#include "bench/bench.h"
#include "gfx/text.h"
#include "platform/video/texture.h"
#include "scene/balloon.h"
#include "scene/credits.h"

namespace {

void BM_RenderAlphaTextBalloonPage(benchmark::State& state) {
    const BenchPage& page = bench_balloon_page();
    Texture* alpha = nullptr;
    Texture* scratch = nullptr;
    if (failed(texture_create(kBalloonWidth, kBalloonHeight, PixelFormat::A8R8G8B8, &alpha)) ||
        failed(texture_create(kBalloonWidth, kBalloonHeight, PixelFormat::X8R8G8B8, &scratch))) {
        state.SkipWithError("no textures");
    } else {
        for (auto _ : state)
            if (render_alpha_text(alpha, scratch, kBalloonTextColour, page.face.c_str(), page.points,
                                  page.text.c_str()) < 0)
                state.SkipWithError("the page did not render");
    }
    texture_release(alpha);
    texture_release(scratch);
}
BENCHMARK(BM_RenderAlphaTextBalloonPage)->Unit(benchmark::kMicrosecond)->Repetitions(kRepetitions);

void BM_SetupCredits(benchmark::State& state) {
    for (auto _ : state)
        if (setup_credits() != 0) state.SkipWithError("the staff roll could not be laid out");
}
BENCHMARK(BM_SetupCredits)->Unit(benchmark::kMicrosecond)->Repetitions(kRepetitions);

}  // namespace
