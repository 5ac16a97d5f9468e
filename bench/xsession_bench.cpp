// The game as a player without a GPU runs it: the demo story in a real X session (Xvfb), on the
// software renderer (windowed, and full screen on 1366x768 and 1920x1080 screens) and on SDL's
// OpenGL renderer (which there draws through Mesa's software rasterizer). For each, in a fresh
// child process: the resident set with the first scene at rest, the CPU time of a frame at rest
// and of a cross-fade frame, the game's threads and the X server's apart, beside one 800x600 and one screen-size
// memcpy timed in the same child. Skipped when Xvfb is not installed.
#include <SDL.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/app.h"
#include "platform/video/renderer.h"
#include "bench/bench.h"
#include "common/flags.h"
#include "common/messages.h"
#include "platform/window/sdl_shared.h"
#include "scene/transition.h"

namespace {

constexpr int kFramesToRest = 120;      // the first scene's transition and sound start are over
constexpr int kRestFrames = 200;        // frames of the scene at rest, timed
constexpr int kCrossFadeFrames = 200;  // the X server's CPU time is counted in 10 ms ticks
constexpr int kFramesToFullScreen = 150;  // the switch is made (without a window manager the window
                                          // covers the screen by itself after a second)

// CPU time (user + system) of a process in milliseconds, from /proc/<pid>/stat; -1 when unknown.
double process_cpu_ms(pid_t pid) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(pid));
    FILE* f = std::fopen(path, "r");
    if (!f) return -1;
    char text[1024] = {};
    const size_t n = std::fread(text, 1, sizeof text - 1, f);
    std::fclose(f);
    text[n] = 0;
    const char* p = std::strrchr(text, ')');
    unsigned long long utime = 0, stime = 0;
    if (!p || std::sscanf(p + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &utime, &stime) != 2)
        return -1;
    return static_cast<double>(utime + stime) * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double self_cpu_ms() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

// CPU time the calling process's main thread (the game's frame thread) has run, in microseconds,
// from the scheduler's own count (nanoseconds); -1 when unknown.
double main_thread_cpu_us() {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/self/task/%d/schedstat", static_cast<int>(getpid()));
    FILE* f = std::fopen(path, "r");
    if (!f) return -1;
    unsigned long long ns = 0;
    const bool ok = std::fscanf(f, "%llu", &ns) == 1;
    std::fclose(f);
    return ok ? static_cast<double>(ns) / 1000.0 : -1;
}

double status_mb(const char* key) {
    double mb = -1;
    if (FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        const size_t len = std::strlen(key);
        long kb = -1;
        while (std::fgets(line, sizeof line, f))
            if (std::strncmp(line, key, len) == 0 && std::sscanf(line + len, " %ld", &kb) == 1) break;
        std::fclose(f);
        if (kb >= 0) mb = static_cast<double>(kb) / 1024.0;
    }
    return mb;
}

// The renderer the game took, and for OpenGL the GL_RENDERER string ("llvmpipe (LLVM ...)").
std::string renderer_description() {
    SDL_RendererInfo info{};
    SDL_Renderer* r = sdl_main_renderer();
    if (!r || SDL_GetRendererInfo(r, &info) != 0) return "none";
    std::string text = info.name ? info.name : "?";
    if (text.rfind("opengl", 0) == 0) {
        using GetString = const unsigned char* (*)(unsigned);
        constexpr unsigned kGlRenderer = 0x1F01;
        auto get = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
        const unsigned char* name = get ? get(kGlRenderer) : nullptr;
        if (name) text += std::string(" on ") + reinterpret_cast<const char*>(name);
    }
    for (char& c : text)
        if (c == ' ') c = '_';
    return text;
}

struct XFigures {
    double rest_mb = 0;      // resident set, first scene at rest
    double frame_us = 0;     // the game's CPU time per cross-fade frame (all its threads)
    double thread_us = 0;    // the same, its frame thread alone (the sound threads' time goes by the
                             // second, not by the frame)
    double server_us = 0;    // the X server's CPU time per cross-fade frame
    double rest_us = 0;      // the game's CPU time per frame at rest (all its threads)
    double server_rest_us = 0;  // the X server's per frame at rest (only what changed is sent)
    double memcpy_us = 0;    // one 800x600x4 memcpy, in the child
    double screen_memcpy_us = 0;  // one memcpy of the window's surface size, in the child
    double paced_memcpy_us = 0;   // the same two, each made one refresh after the last
    double paced_screen_memcpy_us = 0;
    int surface_w = 0, surface_h = 0;  // that size
    std::string renderer;
};

// One case: the renderer (SDL_RENDER_DRIVER, or null for the game's choice), the screen, and
// whether the game is switched to full screen.
struct XCase {
    const char* driver;
    const char* screen;  // Xvfb's WxHxD
    bool full_screen;
};

bool run_x_child(const std::string& self, const std::string& folder, const std::string& display, pid_t server,
                 const XCase& c, XFigures* out, std::string* why) {
    std::vector<std::string> add{"DISPLAY=" + display, "SDL_VIDEODRIVER=x11", "SDL_AUDIODRIVER=dummy"};
    if (c.driver) add.push_back(std::string("SDL_RENDER_DRIVER=") + c.driver);
    std::string text;
    const int status = run_bench_child(
        self, {kXSessionChildFlag, folder, std::to_string(server) + (c.full_screen ? ":full" : "")}, {"SDL_", "DISPLAY="},
        add, &text, why);
    if (status < 0) return false;
    const size_t at = text.find("xsession-figures:");
    char renderer[200] = {};
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || at == std::string::npos ||
        std::sscanf(text.c_str() + at,
                    "xsession-figures: rest_mb=%lf frame_us=%lf thread_us=%lf server_us=%lf rest_us=%lf "
                    "server_rest_us=%lf memcpy_us=%lf screen_memcpy_us=%lf paced_memcpy_us=%lf "
                    "paced_screen_memcpy_us=%lf surface=%dx%d renderer=%199s",
                    &out->rest_mb, &out->frame_us, &out->thread_us, &out->server_us, &out->rest_us,
                    &out->server_rest_us, &out->memcpy_us, &out->screen_memcpy_us, &out->paced_memcpy_us,
                    &out->paced_screen_memcpy_us, &out->surface_w, &out->surface_h, renderer) != 13)
        return *why = "the child failed: " + text, false;
    out->renderer = renderer;
    return true;
}

void BM_XSession(benchmark::State& state, XCase c) {
    const std::string demo = demo_folder();
    if (demo.empty()) {
        state.SkipWithError("no demo folder (build the demo_data target: build/demo)");
        return;
    }
    std::string display;
    const pid_t server = start_xvfb(c.screen, &display);
    if (!server) {
        state.SkipWithError("Xvfb could not be started (apt-get install xvfb)");
        return;
    }
    std::error_code ec;
    const std::string self = std::filesystem::read_symlink("/proc/self/exe", ec).string();
    XFigures f;
    std::string why;
    bool ok = true;
    for (auto _ : state) {
        ok = run_x_child(self, demo, display, server, c, &f, &why);
        if (!ok) break;
        state.SetIterationTime(f.frame_us / 1e6);
    }
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    if (!ok) {
        state.SkipWithError(why.c_str());
        return;
    }
    state.counters["rest_mb"] = f.rest_mb;
    state.counters["server_us"] = f.server_us;
    state.counters["frame_us"] = f.frame_us;
    state.counters["thread_us"] = f.thread_us;
    state.counters["rest_us"] = f.rest_us;
    state.counters["server_rest_us"] = f.server_rest_us;
    state.counters["memcpy_us"] = f.memcpy_us;
    state.counters["screen_memcpy_us"] = f.screen_memcpy_us;
    state.counters["memcpys"] = f.memcpy_us > 0 ? f.frame_us / f.memcpy_us : 0;
    state.counters["screen_memcpys"] = f.screen_memcpy_us > 0 ? f.frame_us / f.screen_memcpy_us : 0;
    state.counters["paced_memcpy_us"] = f.paced_memcpy_us;
    state.counters["paced_screen_memcpy_us"] = f.paced_screen_memcpy_us;
    state.counters["paced_memcpys"] = f.paced_memcpy_us > 0 ? f.frame_us / f.paced_memcpy_us : 0;
    state.counters["paced_screen_memcpys"] = f.paced_screen_memcpy_us > 0 ? f.frame_us / f.paced_screen_memcpy_us : 0;
    state.SetLabel(f.renderer + " " + std::to_string(f.surface_w) + "x" + std::to_string(f.surface_h));
}
#define XSESSION_CASE(name, ...)                                                                            \
    BENCHMARK_CAPTURE(BM_XSession, name, XCase{__VA_ARGS__})->UseManualTime()->Iterations(1)->Repetitions( \
        kRepetitions)->Unit(benchmark::kMicrosecond)
XSESSION_CASE(chosen, nullptr, "1024x768x24", false);
XSESSION_CASE(software, "software", "1024x768x24", false);
XSESSION_CASE(opengl, "opengl", "1024x768x24", false);
XSESSION_CASE(software_full_1366x768, "software", "1366x768x24", true);
XSESSION_CASE(software_full_1920x1080, "software", "1920x1080x24", true);
XSESSION_CASE(opengl_full_1920x1080, "opengl", "1920x1080x24", true);

// One memcpy of bytes, the median of a few (the buffers touched first). Back to back (gap 0) the
// buffers are in the caches; made one refresh after the last (gap_ns 16.7 ms), as the game's paced
// frames are, they find memory as a frame does: on a machine shared with others, mostly out of the
// caches again.
double memcpy_us(size_t bytes, long gap_ns = 0) {
    std::vector<char> a(bytes, 1), b(bytes, 2);
    std::vector<double> times;
    for (int i = 0; i < 31; ++i) {
        if (gap_ns > 0) {
            const timespec gap{0, gap_ns};
            nanosleep(&gap, nullptr);
        }
        timespec t0{}, t1{};
        clock_gettime(CLOCK_MONOTONIC, &t0);
        std::memcpy(b.data(), a.data(), bytes);
        benchmark::DoNotOptimize(b.data());
        clock_gettime(CLOCK_MONOTONIC, &t1);
        times.push_back((t1.tv_sec - t0.tv_sec) * 1e6 + (t1.tv_nsec - t0.tv_nsec) / 1e3);
    }
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
}

}  // namespace

int xsession_child_main(const char* folder, const char* server) {
    if (!enter_demo_game(folder)) return 1;
    if (start_up() != 1) {
        std::fprintf(stderr, "start-up failed\n");
        shut_down();
        return 1;
    }
    timer_period_set = 0;  // no pacing gaps: the frames run back to back
    for (int i = 0; i < kFramesToRest; ++i) frame_step();
    if (std::strstr(server, ":full")) {
        toggle_display_mode();
        for (int i = 0; i < kFramesToFullScreen; ++i) frame_step();
        if (renderer_windowed()) {
            std::fprintf(stderr, "the game did not go full screen\n");
            shut_down();
            return 1;
        }
    }
    int surface_w = 0, surface_h = 0;
    SDL_GetWindowSize(sdl_main_window(), &surface_w, &surface_h);
    const double rest_mb = status_mb("VmRSS:");
    const pid_t server_pid = static_cast<pid_t>(std::atoi(server));
    const double rest_server_before = process_cpu_ms(server_pid);
    const double rest_before = self_cpu_ms();
    for (int i = 0; i < kRestFrames; ++i) frame_step();
    const double rest_us = (self_cpu_ms() - rest_before) * 1000.0 / kRestFrames;
    const double server_rest_us = (process_cpu_ms(server_pid) - rest_server_before) * 1000.0 / kRestFrames;
    scene_transition.transition_kind = 9;
    const double server_before = process_cpu_ms(server_pid);
    const double before = self_cpu_ms();
    const double thread_before = main_thread_cpu_us();
    for (int i = 0; i < kCrossFadeFrames; ++i) {
        scene_transition.transition_counter = 40 + (i * 7) % 180;  // another mix every frame
        transition_active = 1;
        frame_step();
    }
    const double frame_us = (self_cpu_ms() - before) * 1000.0 / kCrossFadeFrames;
    const double thread_us = (main_thread_cpu_us() - thread_before) / kCrossFadeFrames;
    const double server_us = (process_cpu_ms(server_pid) - server_before) * 1000.0 / kCrossFadeFrames;
    const std::string renderer = renderer_description();
    shut_down();
    const size_t frame_bytes = static_cast<size_t>(800) * 600 * 4;
    const size_t screen_bytes = static_cast<size_t>(surface_w) * surface_h * 4;
    constexpr long kRefreshNs = 16'666'667;
    const double frame_copy = memcpy_us(frame_bytes), paced_copy = memcpy_us(frame_bytes, kRefreshNs);
    const double screen_copy = memcpy_us(screen_bytes), paced_screen_copy = memcpy_us(screen_bytes, kRefreshNs);
    std::printf("xsession-figures: rest_mb=%.2f frame_us=%.1f thread_us=%.1f server_us=%.1f rest_us=%.1f "
                "server_rest_us=%.1f memcpy_us=%.1f screen_memcpy_us=%.1f paced_memcpy_us=%.1f "
                "paced_screen_memcpy_us=%.1f surface=%dx%d renderer=%s\n",
                rest_mb, frame_us, thread_us, server_us, rest_us, server_rest_us, frame_copy, screen_copy, paced_copy,
                paced_screen_copy, surface_w, surface_h, renderer.c_str());
    return 0;
}
