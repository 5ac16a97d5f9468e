// Scene presentation costs: one frame step's drawing (scene picture or staff roll, balloon,
// overlay menu) through the offscreen renderer, and the latency of a scene change (read,
// descramble, decode, copy into the texture) beside the bare decode of the same picture.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/flags.h"
#include "gfx/textures.h"
#include "platform/clock.h"
#include "platform/image.h"
#include "platform/image_write.h"
#include "platform/renderer.h"
#include "platform/sprite.h"
#include "scenario/data_file.h"
#include "scene/balloon.h"
#include "scene/credits.h"
#include "scene/menu_overlay.h"
#include "scene/transition.h"

namespace {

// A game folder in /tmp with an 800x600 PNG and JPEG picture, made once for the whole run.
struct BenchFolder {
    std::string dir;
    std::vector<unsigned char> png, jpeg;
    bool ready = false;

    BenchFolder() {
        char tmpl[] = "/tmp/poromina-bench-XXXXXX";
        if (!mkdtemp(tmpl)) return;
        dir = tmpl;
        std::filesystem::create_directory(dir + "/data");
        std::filesystem::current_path(dir);
        // A picture with gradients and fine detail, so that neither format finds it trivial.
        std::vector<uint32_t> argb(800 * 600);
        uint32_t noise = 12345;
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x) {
                noise = noise * 1103515245u + 12345u;
                const uint32_t r = (x * 255 / 799) ^ ((noise >> 16) & 0x0F);
                const uint32_t g = (y * 255 / 599) ^ ((noise >> 20) & 0x0F);
                const uint32_t b = ((x + y) & 0xFF) ^ ((noise >> 24) & 0x0F);
                argb[y * 800 + x] = 0xFF000000 | r << 16 | g << 8 | b;
            }
        png = encode_png(argb.data(), 800, 600, false);
        jpeg = encode_jpeg(argb.data(), 800, 600, 90);
        write("pic.png", png);
        write("pic.jpg", jpeg);
        std::printf("bench pictures: PNG %zu bytes, JPEG %zu bytes\n", png.size(), jpeg.size());
        renderer_set_offscreen_only(true);
        ready = !png.empty() && !jpeg.empty() && succeeded(renderer_create(RendererKind::Offscreen)) &&
                succeeded(batch_create()) && create_scene_textures() == 0 && create_balloon_textures() == 0 &&
                create_menu_overlay() == 0 && setup_credits() == 0 &&
                show_scene_image(nullptr, "pic.png") == 0;
    }
    void write(const char* name, std::vector<unsigned char> bytes) {
        descramble(bytes.data(), bytes.size());
        FILE* f = std::fopen((dir + "/data/" + name).c_str(), "wb");
        if (!f) return;
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
};

BenchFolder& folder() {
    static BenchFolder f;
    return f;
}

// The drawing part of one frame step, as the game runs it.
void frame_step_drawing() {
    renderer_clear(clear_to_black ? 0xFF000000 : 0xFFFFFFFF);
    renderer_begin_scene();
    batch_begin();
    if (credits_mode)
        draw_credits();
    else
        draw_scene_image();
    draw_balloon();
    draw_menu();
    batch_end();
    renderer_end_scene();
    renderer_present();
}

bool prepare(benchmark::State& state) {
    if (!folder().ready) {
        state.SkipWithError("the bench folder or the offscreen renderer could not be made");
        return false;
    }
    credits_mode = 0;
    clear_to_black = 0;
    balloon_open = balloon_animating = 0;
    menu_open = menu_animating = 0;
    menu_anim_counter = -1;
    speech_balloon.balloon_anim_counter = -1;
    return true;
}

void BM_FrameRestingScene(benchmark::State& state) {
    if (!prepare(state)) return;
    scene_transition.transition_counter = -1;
    for (auto _ : state) frame_step_drawing();
}
BENCHMARK(BM_FrameRestingScene)->Unit(benchmark::kMicrosecond);

// The heaviest resting frame: the picture, the open balloon and the open overlay.
void BM_FrameRestingSceneBalloonMenu(benchmark::State& state) {
    if (!prepare(state)) return;
    scene_transition.transition_counter = -1;
    balloon_open = 1;
    menu_open = 1;
    for (auto _ : state) frame_step_drawing();
    balloon_open = menu_open = 0;
}
BENCHMARK(BM_FrameRestingSceneBalloonMenu)->Unit(benchmark::kMicrosecond);

void BM_FrameCrossFade(benchmark::State& state) {
    if (!prepare(state)) return;
    scene_transition.transition_kind = 9;
    for (auto _ : state) {
        scene_transition.transition_counter = 128;  // both pictures half transparent
        frame_step_drawing();
    }
    scene_transition.transition_kind = 0;
}
BENCHMARK(BM_FrameCrossFade)->Unit(benchmark::kMicrosecond);

// The staff roll waiting for the music: thirteen lines from the roll texture every frame.
void BM_FrameCreditsRoll(benchmark::State& state) {
    if (!prepare(state)) return;
    clock_use_virtual(true, 0);
    credits_mode = 1;
    credits_roll.state = 3;  // renders the roll texture once
    draw_credits();
    credits_roll.state = 7;
    for (auto _ : state) frame_step_drawing();
    clock_use_virtual(false);
    credits_mode = 0;
    clear_to_black = 0;
    show_scene_image(nullptr, "pic.png");
}
BENCHMARK(BM_FrameCreditsRoll)->Unit(benchmark::kMicrosecond);

// A scene change's load: read and descramble the file, decode it, copy it into current_image.
void BM_SceneChangeLoad(benchmark::State& state, const char* name) {
    if (!prepare(state)) return;
    for (auto _ : state)
        if (show_scene_image(nullptr, name) != 0) state.SkipWithError("the picture did not load");
}
BENCHMARK_CAPTURE(BM_SceneChangeLoad, png, "pic.png")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SceneChangeLoad, jpeg, "pic.jpg")->Unit(benchmark::kMillisecond);

// The decoder alone on the same bytes, already in memory and in the clear.
void BM_DecodeOnly(benchmark::State& state, bool jpeg) {
    if (!prepare(state)) return;
    const std::vector<unsigned char>& bytes = jpeg ? folder().jpeg : folder().png;
    for (auto _ : state) {
        Texture* t = nullptr;
        if (failed(decode_image_to_texture(bytes.data(), bytes.size(), 800, 600, PixelFormat::X8R8G8B8, 0, &t)))
            state.SkipWithError("the picture did not decode");
        texture_release(t);
    }
}
BENCHMARK_CAPTURE(BM_DecodeOnly, png, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodeOnly, jpeg, true)->Unit(benchmark::kMillisecond);

}  // namespace
