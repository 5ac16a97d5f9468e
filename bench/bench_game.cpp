// The benchmark's game folder and pictures, and the game brought up on the offscreen renderer
// in the order start-up uses.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/app.h"
#include "common/flags.h"
#include "bench/bench.h"
#include "gfx/device.h"
#include "platform/system/memory.h"
#include "platform/image/image_write.h"
#include "platform/video/renderer.h"
#include "platform/text/sjis.h"
#include "scenario/data_file.h"
#include "scene/balloon.h"
#include "scene/credits.h"
#include "scene/hotspot.h"
#include "scene/menu_overlay.h"
#include "scene/transition.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

// An 800x600 picture with smooth areas, edges and some fine detail, like a painted scene.
std::vector<uint32_t> scene_picture() {
    std::vector<uint32_t> px(static_cast<size_t>(kWidth) * kHeight);
    uint32_t noise = 12345;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            noise = noise * 1103515245u + 12345u;
            const uint32_t grain = (noise >> 28) & 7u;
            const bool stripe = ((x / 40) + (y / 30)) % 2 == 0;
            const uint32_t r = (x * 255 / kWidth + grain) & 0xFF;
            const uint32_t g = (y * 255 / kHeight + (stripe ? 40u : 0u)) & 0xFF;
            const uint32_t b = ((x + y) / 6 + grain) & 0xFF;
            px[static_cast<size_t>(y) * kWidth + x] = 0xFF000000u | r << 16 | g << 8 | b;
        }
    return px;
}

// A 24x24 arrow on pure blue (the pointer's transparent colour).
std::vector<uint32_t> pointer_picture() {
    std::vector<uint32_t> px(24 * 24, 0xFF0000FF);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x <= y / 2; ++x) px[y * 24 + x] = x == y / 2 ? 0xFF000000 : 0xFFFFFFFF;
    return px;
}

bool write_scrambled(const std::string& path, std::vector<unsigned char> bytes) {
    if (bytes.empty()) return false;
    descramble(bytes.data(), bytes.size());
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

struct Folder {
    std::string dir;  // "" when it could not be made
    ~Folder() {
        std::error_code ec;
        if (!dir.empty()) std::filesystem::remove_all(dir, ec);
    }
};

Folder& folder_record() {
    static Folder f;
    return f;
}

int fixed_pointer(int* x, int* y) {
    *x = 400;
    *y = 300;
    return 0;
}

bool game_up = false;

}  // namespace

const std::vector<unsigned char>& bench_png() {
    static const std::vector<unsigned char> bytes = [] {
        const auto px = scene_picture();
        return encode_png(px.data(), kWidth, kHeight, false);
    }();
    return bytes;
}

const std::vector<unsigned char>& bench_jpeg() {
    static const std::vector<unsigned char> bytes = [] {
        const auto px = scene_picture();
        return encode_jpeg(px.data(), kWidth, kHeight, 90);
    }();
    return bytes;
}

const BenchPage& bench_balloon_page() {
    static const BenchPage page = [] {
        BenchPage p;
        p.points = 33;
        utf8_to_sjis("ＭＳ ゴシック", &p.face);
        utf8_to_sjis("むかしむかし、ある森のおくに、ちいさなくまの子が\n"
                     "すんでいました。くまの子は、まいにち森をあるいて\n"
                     "いろいろなどうぶつたちとおはなしをするのがすきで\n"
                     "した。ある日、くまの子は大きな木の下で本をみつけ",
                     &p.text);
        return p;
    }();
    return page;
}

const std::string& bench_folder() {
    Folder& f = folder_record();
    if (f.dir.empty()) {
        std::error_code ec;
        std::string tmpl = (std::filesystem::temp_directory_path(ec) / "poromina-bench-XXXXXX").string();
        if (ec || !mkdtemp(tmpl.data())) return f.dir;
        std::filesystem::create_directory(tmpl + "/data", ec);
        const auto pointer = pointer_picture();
        if (!write_scrambled(tmpl + "/data/pic.png", bench_png()) ||
            !write_scrambled(tmpl + "/data/pic.jpg", bench_jpeg()) ||
            !write_scrambled(tmpl + "/data/GAME39651497", encode_png(pointer.data(), 24, 24, false))) {
            std::filesystem::remove_all(tmpl, ec);
            return f.dir;
        }
        f.dir = tmpl;
    }
    std::error_code ec;
    std::filesystem::current_path(f.dir, ec);
    return f.dir;
}

bool bench_game_ready(benchmark::State& state) {
    if (bench_folder().empty()) {
        state.SkipWithError("the bench folder could not be made");
        return false;
    }
    if (!game_up) {
        reset_shared_flags();
        settle_heap_policy();  // the heap as start-up leaves it
        timer_period_set = 0;  // no pacing: the frame step runs flat out
        renderer_set_offscreen_only(true);
        game_up = create_device() == 0 && create_scene_textures() == 0 && create_balloon_textures() == 0 &&
                  create_menu_overlay() == 0 && setup_credits() == 0 && load_cursor() == 0;
        set_pointer_position_query(fixed_pointer);
        if (game_up) bench_game_show_pictures();
    }
    if (!game_up) {
        state.SkipWithError("the game could not be brought up on the offscreen renderer");
        return false;
    }
    // Everything at rest, the pointer over the canvas.
    credits_mode = clear_to_black = credits_start_pending = 0;
    balloon_open = balloon_animating = 0;
    speech_balloon.balloon_anim_counter = -1;
    menu_open = menu_animating = 0;
    menu_anim_counter = -1;
    left_click_pending = right_click_pending = 0;
    cursor_in_client = 1;
    scene_transition.transition_kind = 0;
    scene_transition.transition_counter = -1;
    transition_active = 0;
    return true;
}

void bench_game_show_pictures() {
    show_scene_image(nullptr, "pic.jpg");
    show_scene_image(nullptr, "pic.png");
    scene_transition.transition_counter = -1;
    transition_active = 0;
}

std::string build_output(const char* relative, const char* inside) {
    std::error_code ec;
    std::vector<std::filesystem::path> candidates;
    if (const char* bin = std::getenv("POROMINA_BINARY_DIR")) candidates.push_back(std::filesystem::path(bin) / relative);
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) candidates.push_back(self.parent_path().parent_path() / relative);
    for (const auto& c : candidates)
        if (std::filesystem::exists(*inside ? c / inside : c, ec)) return std::filesystem::absolute(c, ec).lexically_normal().string();
    return "";
}

std::string demo_folder() { return build_output("demo", "data/GAME42297263"); }
