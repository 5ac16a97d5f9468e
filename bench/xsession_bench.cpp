// The game as a player without a GPU runs it: the demo story in a real X session (Xvfb), once on
// SDL's software renderer and once on its OpenGL renderer (which there draws through Mesa's
// software rasterizer). For each, in a fresh child process: the resident set with the first
// scene at rest, and the CPU time of a cross-fade frame, the game's threads and the X server's
// apart. Skipped when Xvfb is not installed.
#include <SDL.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/app.h"
#include "bench/bench.h"
#include "common/flags.h"
#include "common/messages.h"
#include "platform/window/sdl_shared.h"
#include "scene/transition.h"

extern char** environ;

namespace {

constexpr int kFramesToRest = 120;      // the first scene's transition and sound start are over
constexpr int kCrossFadeFrames = 200;  // the X server's CPU time is counted in 10 ms ticks

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
    std::string renderer;
};

// Starts Xvfb on a free display; its pid, or 0.
pid_t start_xvfb(std::string* display) {
    for (int n = 90 + getpid() % 50; n < 200; ++n) {
        const std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
        const std::string sock = "/tmp/.X11-unix/X" + std::to_string(n);
        struct stat st{};
        if (stat(lock.c_str(), &st) == 0 || stat(sock.c_str(), &st) == 0) continue;
        *display = ":" + std::to_string(n);
        std::string screen = "1024x768x24";
        char* argv[] = {const_cast<char*>("Xvfb"), display->data(), const_cast<char*>("-screen"), const_cast<char*>("0"),
                        screen.data(), const_cast<char*>("-nolisten"), const_cast<char*>("tcp"), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", 0, 0);
        pid_t pid = 0;
        const int rc = posix_spawnp(&pid, "Xvfb", &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0) return 0;
        for (int i = 0; i < 100; ++i) {  // up to 5 s for the socket
            if (stat(sock.c_str(), &st) == 0) return pid;
            if (waitpid(pid, nullptr, WNOHANG) == pid) break;  // the display was taken after all
            usleep(50000);
        }
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    return 0;
}

bool run_x_child(const std::string& self, const std::string& folder, const std::string& display, pid_t server,
                 const char* driver, XFigures* out, std::string* why) {
    std::vector<std::string> add{"DISPLAY=" + display, "SDL_VIDEODRIVER=x11", "SDL_AUDIODRIVER=dummy"};
    if (driver) add.push_back(std::string("SDL_RENDER_DRIVER=") + driver);
    std::string text;
    const int status = run_bench_child(self, {kXSessionChildFlag, folder, std::to_string(server)},
                                       {"SDL_", "DISPLAY="}, add, &text, why);
    if (status < 0) return false;
    const size_t at = text.find("xsession-figures:");
    char renderer[200] = {};
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || at == std::string::npos ||
        std::sscanf(text.c_str() + at,
                    "xsession-figures: rest_mb=%lf frame_us=%lf thread_us=%lf server_us=%lf renderer=%199s",
                    &out->rest_mb, &out->frame_us, &out->thread_us, &out->server_us, renderer) != 5)
        return *why = "the child failed: " + text, false;
    out->renderer = renderer;
    return true;
}

// driver: SDL_RENDER_DRIVER for the child, or null for the game's own choice.
void BM_XSession(benchmark::State& state, const char* driver) {
    const std::string demo = demo_folder();
    if (demo.empty()) {
        state.SkipWithError("no demo folder (build the demo_data target: build/demo)");
        return;
    }
    std::string display;
    const pid_t server = start_xvfb(&display);
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
        ok = run_x_child(self, demo, display, server, driver, &f, &why);
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
    state.SetLabel(f.renderer);
}
BENCHMARK_CAPTURE(BM_XSession, chosen, nullptr)->UseManualTime()->Iterations(1)->Repetitions(kRepetitions)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_XSession, software, "software")->UseManualTime()->Iterations(1)->Repetitions(kRepetitions)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_XSession, opengl, "opengl")->UseManualTime()->Iterations(1)->Repetitions(kRepetitions)->Unit(benchmark::kMicrosecond);

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
    const double rest_mb = status_mb("VmRSS:");
    const pid_t server_pid = static_cast<pid_t>(std::atoi(server));
    scene_transition.transition_kind = 9;
    const double server_before = process_cpu_ms(server_pid);
    const double before = self_cpu_ms();
    const double thread_before = main_thread_cpu_us();
    for (int i = 0; i < kCrossFadeFrames; ++i) {
        scene_transition.transition_counter = 100;
        transition_active = 1;
        frame_step();
    }
    const double frame_us = (self_cpu_ms() - before) * 1000.0 / kCrossFadeFrames;
    const double thread_us = (main_thread_cpu_us() - thread_before) / kCrossFadeFrames;
    const double server_us = (process_cpu_ms(server_pid) - server_before) * 1000.0 / kCrossFadeFrames;
    const std::string renderer = renderer_description();
    shut_down();
    std::printf("xsession-figures: rest_mb=%.2f frame_us=%.1f thread_us=%.1f server_us=%.1f renderer=%s\n", rest_mb,
                frame_us, thread_us, server_us, renderer.c_str());
    return 0;
}
