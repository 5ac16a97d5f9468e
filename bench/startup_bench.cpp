// Start-up to the first presented frame on the demo story, and the peak resident memory after
// walking it, each measured in a fresh child process (this program run with kStartupChildFlag)
// so that the other cases neither warm nor inflate it. The start-up figure is the CPU time the
// process spent from its creation to the first present (loading its libraries included); the
// wall-clock time beside it also holds whatever the machine's other work cost.
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/app.h"
#include "common/flags.h"
#include "common/messages.h"
#include "bench/bench.h"
#include "scenario/scenario.h"
#include "scene/balloon.h"
#include "scene/credits.h"
#include "scene/transition.h"

extern char** environ;

namespace {

constexpr int kMaxFramesPerBalloon = 40;  // the opening and closing animations take 17 each

int64_t monotonic_ns() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// Draws frames until the balloon stops moving.
void settle_balloon() {
    for (int i = 0; i < kMaxFramesPerBalloon && balloon_animating; ++i) frame_step();
}

// Every scene's picture drawn, the first balloon of every scene read page by page, the staff
// roll set up and scrolled.
void walk_story(int* scenes, int* balloons) {
    for (int s = 0; s < scene_table.scene_count; ++s) {
        const Scene& scene = scene_table.scenes[s];
        scene_table.current_scene = s;
        show_scene_image(nullptr, scene.img_nm.c_str());
        frame_step();
        ++*scenes;
        for (int a = 0; a < scene.area_count; ++a) {
            const Area& area = scene.areas[a];
            if (area.fukidasi_count <= 0) continue;
            open_balloon(area.fukidasi_count, area.fukidasi_fnt_nm, area.fukidasi_fnt_sz, area.fukidasi);
            settle_balloon();
            for (int page = 0; page < area.fukidasi_count; ++page) {
                advance_balloon();
                frame_step();
            }
            settle_balloon();
            ++*balloons;
            break;
        }
    }
    credits_start_pending = 1;
    frame_step();
    credits_roll.state = 3;  // straight to the roll: white and black fades skipped
    frame_step();
    credits_roll.state = 6;
    credits_roll.scroll = 0.0f;
    for (int i = 0; i < 100; ++i) frame_step();
}

// The peak resident set of this process image. VmHWM belongs to the address space made at exec;
// getrusage's ru_maxrss would also hold the parent's peak, which a spawned child inherits.
double peak_resident_mb() {
    if (FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        long kb = -1;
        while (std::fgets(line, sizeof line, f))
            if (std::sscanf(line, "VmHWM: %ld kB", &kb) == 1) break;
        std::fclose(f);
        if (kb >= 0) return static_cast<double>(kb) / 1024.0;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

struct ChildFigures {
    double startup_ms = 0;        // from spawning the process to the first presented frame
    double startup_cpu_ms = 0;    // CPU time (all threads) the process used up to that frame
    double to_main_ms = 0;        // from spawning the process to its main (loading, static set-up)
    double start_up_call_ms = 0;  // start_up alone, inside the process
    double peak_mb = 0;           // peak resident set after the walk
    int scenes = 0;
    int balloons = 0;
};

// Runs this program as a start-up child in folder; false when it failed.
bool run_child(const std::string& self, const std::string& folder, ChildFigures* out, std::string* why) {
    const int64_t spawned = monotonic_ns();
    std::string text;
    const int status = run_bench_child(self, {kStartupChildFlag, folder}, {"SDL_VIDEODRIVER=", "SDL_AUDIODRIVER="},
                                       {"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"}, &text, why);
    if (status < 0) return false;
    const size_t at = text.find("startup-figures:");
    long long frame_ns = 0, main_ns = 0;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || at == std::string::npos ||
        std::sscanf(text.c_str() + at, "startup-figures: main_ns=%lld first_frame_ns=%lld cpu_ms=%lf start_up_ms=%lf peak_mb=%lf "
                    "scenes=%d balloons=%d",
                    &main_ns, &frame_ns, &out->startup_cpu_ms, &out->start_up_call_ms, &out->peak_mb, &out->scenes,
                    &out->balloons) != 7)
        return *why = "the child failed: " + text, false;
    out->startup_ms = static_cast<double>(frame_ns - spawned) / 1e6;
    out->to_main_ms = static_cast<double>(main_ns - spawned) / 1e6;
    return true;
}

void BM_StartUpDemo(benchmark::State& state) {
    const std::string demo = demo_folder();
    if (demo.empty()) {
        state.SkipWithError("no demo folder (build the demo_data target: build/demo)");
        return;
    }
    std::error_code ec;
    const std::string self = std::filesystem::read_symlink("/proc/self/exe", ec).string();
    ChildFigures f;
    for (auto _ : state) {
        std::string why;
        if (!run_child(self, demo, &f, &why)) {
            state.SkipWithError(why.c_str());
            return;
        }
        state.SetIterationTime(f.startup_cpu_ms / 1000.0);
    }
    state.counters["wall_ms"] = f.startup_ms;
    state.counters["to_main_ms"] = f.to_main_ms;
    state.counters["start_up_call_ms"] = f.start_up_call_ms;
    state.counters["peak_mb"] = f.peak_mb;
    state.counters["scenes"] = f.scenes;
    state.counters["balloons"] = f.balloons;
}
BENCHMARK(BM_StartUpDemo)->UseManualTime()->Iterations(1)->Repetitions(kRepetitions)->Unit(benchmark::kMillisecond);

}  // namespace

int startup_child_main(const char* folder) {
    const int64_t entered = monotonic_ns();
    if (!enter_demo_game(folder)) return 1;
    const int64_t begin = monotonic_ns();
    if (start_up() != 1) {  // its last act presents the first frame
        std::fprintf(stderr, "start-up failed\n");
        shut_down();
        return 1;
    }
    const int64_t first_frame = monotonic_ns();
    rusage at_frame{};
    getrusage(RUSAGE_SELF, &at_frame);
    const double cpu_ms = (at_frame.ru_utime.tv_sec + at_frame.ru_stime.tv_sec) * 1e3 +
                          (at_frame.ru_utime.tv_usec + at_frame.ru_stime.tv_usec) / 1e3;
    int scenes = 0;
    int balloons = 0;
    walk_story(&scenes, &balloons);
    shut_down();
    const double peak_mb = peak_resident_mb();
    std::printf("startup-figures: main_ns=%lld first_frame_ns=%lld cpu_ms=%.3f start_up_ms=%.3f peak_mb=%.2f "
                "scenes=%d balloons=%d\n",
                static_cast<long long>(entered), static_cast<long long>(first_frame), cpu_ms, static_cast<double>(first_frame - begin) / 1e6,
                peak_mb, scenes, balloons);
    return 0;
}

bool enter_demo_game(const char* folder) {
    if (chdir(folder) != 0) {
        std::fprintf(stderr, "cannot enter %s\n", folder);
        return false;
    }
    load_window_names();
    reset_shared_flags();
    windowed_mode = 1;
    return true;
}

bool spawn_piped(const std::string& program, const std::vector<std::string>& args,
                 const std::vector<std::string>& drop, const std::vector<std::string>& add, int stream,
                 PipedChild* out, std::string* why) {
    int fds[2];
    if (pipe(fds) != 0) return *why = "no pipe", false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], stream);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    std::vector<std::string> env_strings;
    for (char** e = environ; *e; ++e) {
        bool dropped = false;
        for (const std::string& d : drop) dropped = dropped || std::strncmp(*e, d.c_str(), d.size()) == 0;
        if (!dropped) env_strings.push_back(*e);
    }
    env_strings.insert(env_strings.end(), add.begin(), add.end());
    std::vector<char*> envp;
    for (std::string& s : env_strings) envp.push_back(s.data());
    envp.push_back(nullptr);
    std::vector<std::string> arg_strings = args;
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (std::string& a : arg_strings) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
        close(fds[0]);
        return *why = "could not start " + program, false;
    }
    *out = PipedChild{pid, fds[0]};
    return true;
}

// Starts Xvfb on a display it picks itself; its pid (0 when it could not be started) and the
// display name.
pid_t start_xvfb(const char* screen_size, std::string* display) {
    PipedChild server;
    std::string why;
    if (!spawn_piped("/usr/bin/Xvfb", {"-displayfd", "1", "-screen", "0", screen_size, "-nolisten", "tcp"}, {}, {},
                     STDOUT_FILENO, &server, &why))
        return 0;
    std::string number;
    char c = 0;
    pollfd p{server.fd, POLLIN, 0};
    while (poll(&p, 1, 10000) > 0 && read(server.fd, &c, 1) == 1 && c != '\n') number += c;
    close(server.fd);
    if (number.empty()) {
        kill(server.pid, SIGTERM);
        waitpid(server.pid, nullptr, 0);
        return 0;
    }
    *display = ":" + number;
    return server.pid;
}

int run_bench_child(const std::string& self, const std::vector<std::string>& args,
                    const std::vector<std::string>& drop, const std::vector<std::string>& add, std::string* out,
                    std::string* why) {
    PipedChild child;
    if (!spawn_piped(self, args, drop, add, STDOUT_FILENO, &child, why)) return -1;
    out->clear();
    char buf[512];
    for (ssize_t n; (n = read(child.fd, buf, sizeof buf)) > 0;) out->append(buf, static_cast<size_t>(n));
    close(child.fd);
    int status = 0;
    waitpid(child.pid, &status, 0);
    return status;
}
