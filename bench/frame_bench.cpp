// The frame step in six states (at rest, cross-fade, fade through white, balloon open, overlay
// open, staff roll scrolling) on the offscreen software renderer, each beside the bare software
// renderer making the same copies; one 800x600x4 memcpy; the full-screen letterbox scaling.
#include <cstring>
#include <vector>

#include "app/app.h"
#include "common/flags.h"
#include "bench/bench.h"
#include "platform/video/renderer.h"
#include "bench/renderer_baseline.h"
#include "platform/video/sprite.h"
#include "scene/balloon.h"
#include "scene/credits.h"
#include "scene/transition.h"

namespace {

// A state of the game and how to hold it there frame after frame.
struct FrameCase {
    void (*enter)();   // after bench_game_ready: puts the game into the state
    void (*rewind)();  // before every frame: undoes what the last frame moved on
};

void nothing() {}

void enter_cross_fade() { scene_transition.transition_kind = 9; }
void rewind_cross_fade() {
    scene_transition.transition_counter = 100;  // new picture at 155/255 under the old at 100/255
    transition_active = 1;
}

void enter_fade_through_white() { scene_transition.transition_kind = 10; }
void rewind_fade_through_white() {
    scene_transition.transition_counter = 355;  // old picture at 100/255 over white
    transition_active = 1;
}

void enter_balloon() {
    const BenchPage& p = bench_balloon_page();
    open_balloon(1, &p.face, &p.points, &p.text);
    speech_balloon.balloon_anim_counter = -1;  // fully open
    balloon_animating = 0;
}

void enter_overlay() {
    menu_open = 1;
    menu_animating = 0;
    menu_anim_counter = -1;
}

void enter_staff_roll() {
    credits_mode = 1;
    credits_roll.state = 3;  // packs the lines into the roll texture
    draw_credits();
    clear_to_black = 1;
}
void rewind_staff_roll() {
    credits_roll.state = 6;
    credits_roll.scroll = 700.0f;  // lines spread over the whole canvas
}

const FrameCase kRest{nothing, nothing};
const FrameCase kCrossFade{enter_cross_fade, rewind_cross_fade};
const FrameCase kFadeThroughWhite{enter_fade_through_white, rewind_fade_through_white};
const FrameCase kBalloon{enter_balloon, nothing};
const FrameCase kOverlay{enter_overlay, nothing};
const FrameCase kStaffRoll{enter_staff_roll, rewind_staff_roll};

bool enter(benchmark::State& state, const FrameCase& c) {
    if (!bench_game_ready(state)) return false;
    c.enter();
    c.rewind();
    frame_step();  // uploads whatever the state changed
    return true;
}

void leave() {
    if (credits_mode) {
        credits_mode = clear_to_black = 0;
        bench_game_show_pictures();
    }
    balloon_open = 0;
    menu_open = 0;
}

// The real frame step: clicks, drawing, present.
void BM_Frame(benchmark::State& state, const FrameCase* c) {
    if (!enter(state, *c)) return;
    for (auto _ : state) {
        c->rewind();
        benchmark::DoNotOptimize(frame_step());
    }
    leave();
}

// SDL's software renderer making the copies that one frame step of the same state made.
void BM_BareRenderer(benchmark::State& state, const FrameCase* c) {
    if (!enter(state, *c)) return;
    std::vector<DrawCall> copies;
    c->rewind();
    batch_record_to(&copies);
    frame_step();
    batch_record_to(nullptr);
    const uint32_t clear = clear_to_black ? 0xFF000000 : 0xFFFFFFFF;
    leave();
    if (!baseline_renderer_begin(copies, clear)) {
        baseline_renderer_end();
        state.SkipWithError("the bare software renderer could not be made");
        return;
    }
    for (auto _ : state) baseline_renderer_draw(1);
    baseline_renderer_end();
    state.counters["copies"] = static_cast<double>(copies.size());
}

#define FRAME_CASE(name, c)                                                                        \
    BENCHMARK_CAPTURE(BM_Frame, name, &c)->Unit(benchmark::kMicrosecond)->Repetitions(kRepetitions); \
    BENCHMARK_CAPTURE(BM_BareRenderer, name, &c)->Unit(benchmark::kMicrosecond)->Repetitions(kRepetitions)

FRAME_CASE(rest, kRest);
FRAME_CASE(cross_fade, kCrossFade);
FRAME_CASE(fade_through_white, kFadeThroughWhite);
FRAME_CASE(balloon, kBalloon);
FRAME_CASE(overlay, kOverlay);
FRAME_CASE(staff_roll, kStaffRoll);

// One frame's bytes copied once: the least any frame costs.
void BM_MemcpyFrame(benchmark::State& state) {
    std::vector<uint32_t> a(kBackBufferWidth * kBackBufferHeight, 1), b(a.size());
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), a.size() * 4);
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_MemcpyFrame)->Unit(benchmark::kMicrosecond)->Repetitions(kRepetitions);

// Full-screen presentation without a GPU: one frame scaled by area and letterboxed to 1080p by
// renderer_letterbox_image, which makes the scaling tables and fills the bars for each call (the
// game keeps its tables and fills the bars once).
void BM_LetterboxTo1080p(benchmark::State& state) {
    std::vector<uint32_t> canvas(kBackBufferWidth * kBackBufferHeight, 0xFF336699), out(1920 * 1080);
    for (auto _ : state) benchmark::DoNotOptimize(renderer_letterbox_image(canvas.data(), 1920, 1080, out.data()));
}
BENCHMARK(BM_LetterboxTo1080p)->Unit(benchmark::kMicrosecond)->Repetitions(kRepetitions);

}  // namespace
