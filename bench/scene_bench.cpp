// A scene change's load (read, descramble, decode, copy into current_image, with the outgoing
// picture kept) of an 800x600 PNG and JPEG, beside the bare library decode of the same bytes.
#include <vector>

#include "bench/bench.h"
#include "bench/image_baseline.h"
#include "scene/transition.h"

namespace {

void BM_SceneChange(benchmark::State& state, const char* name) {
    if (!bench_game_ready(state)) return;
    for (auto _ : state)
        if (show_scene_image(nullptr, name) != 0) state.SkipWithError("the picture did not load");
    bench_game_show_pictures();
}
BENCHMARK_CAPTURE(BM_SceneChange, png, "pic.png")->Unit(benchmark::kMillisecond)->Repetitions(kRepetitions);
BENCHMARK_CAPTURE(BM_SceneChange, jpeg, "pic.jpg")->Unit(benchmark::kMillisecond)->Repetitions(kRepetitions);

// The library alone on the same bytes, in memory and in the clear, into a ready buffer.
void BM_BareDecode(benchmark::State& state, bool jpeg) {
    const std::vector<unsigned char>& bytes = jpeg ? bench_jpeg() : bench_png();
    std::vector<uint32_t> out(800 * 600);
    for (auto _ : state) {
        const bool ok = jpeg ? baseline_decode_jpeg(bytes.data(), bytes.size(), 800, 600, out.data())
                             : baseline_decode_png(bytes.data(), bytes.size(), 800, 600, out.data());
        if (!ok) state.SkipWithError("the picture did not decode");
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["file_bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK_CAPTURE(BM_BareDecode, png, false)->Unit(benchmark::kMillisecond)->Repetitions(kRepetitions);
BENCHMARK_CAPTURE(BM_BareDecode, jpeg, true)->Unit(benchmark::kMillisecond)->Repetitions(kRepetitions);

}  // namespace
