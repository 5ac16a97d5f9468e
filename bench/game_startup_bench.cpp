// Start-up of the game program itself (build/poromina, which loads only what the game links,
// unlike this program's start-up child) on the demo story, from its spawn to its first frame: the
// CPU time the game reports once that frame is presented (POROMINA_STARTUP_REPORT), on SDL's
// dummy drivers and in a real X session (Xvfb), and in X the time from the spawn until its window
// is mapped and shows a picture, as read from the X server. The X case is skipped without Xvfb.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench.h"

namespace {

constexpr int kReportWaitMs = 20000;   // a game that has not shown its first frame by then failed
constexpr int kWindowPollUs = 1000;    // between two looks at the X server's windows
constexpr const char* kReportMarker = "poromina: first frame presented:";

int64_t now_ns() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

struct GameFigures {
    double cpu_ms = 0;       // the game's CPU time from its start to its first presented frame
    double report_ms = 0;    // from the spawn until its report arrived
    double visible_ms = 0;   // in X: from the spawn until its window showed a picture
};

// A private runtime folder, so that no other copy of the game on this machine holds the
// single-instance lock the child wants.
struct RuntimeFolder {
    std::string path;
    RuntimeFolder() {
        char name[] = "/tmp/poromina-bench-runtime-XXXXXX";
        if (mkdtemp(name)) path = name;
    }
    ~RuntimeFolder() {
        std::error_code ec;
        if (!path.empty()) std::filesystem::remove_all(path, ec);
    }
};

// Reads the child's stream until the report line is complete; false after kReportWaitMs or at
// the stream's end.
bool read_report(int fd, int64_t deadline_ns, std::string* text) {
    for (;;) {
        const size_t at = text->find(kReportMarker);
        if (at != std::string::npos && text->find('\n', at) != std::string::npos) return true;
        const int64_t left_ms = (deadline_ns - now_ns()) / 1000000;
        if (left_ms <= 0) return false;
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left_ms)) <= 0) return false;
        char buf[512];
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0) return false;
        text->append(buf, static_cast<size_t>(n));
    }
}

int ignore_x_error(Display*, XErrorEvent*) { return 0; }  // a window may go while it is read

// True once a viewable top-level window of at least the canvas's size shows a picture: a row
// across its middle holds more than one colour (a window not drawn yet holds one).
bool game_window_drawn(Display* display) {
    Window root = DefaultRootWindow(display), parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, root, &root, &parent, &children, &count)) return false;
    bool drawn = false;
    for (unsigned i = 0; i < count && !drawn; ++i) {
        XWindowAttributes a{};
        if (!XGetWindowAttributes(display, children[i], &a) || a.map_state != IsViewable || a.width < 800 ||
            a.height < 600)
            continue;
        XImage* row = XGetImage(display, children[i], 0, a.height / 2, static_cast<unsigned>(a.width), 1, AllPlanes,
                                ZPixmap);
        if (!row) continue;
        const unsigned long first = XGetPixel(row, 0, 0);
        for (int x = 1; x < a.width && !drawn; ++x) drawn = XGetPixel(row, x, 0) != first;
        XDestroyImage(row);
    }
    if (children) XFree(children);
    return drawn;
}

// Runs the game once in the demo folder until its first frame; with a display, also watches for
// its window. False (with *why) when it failed.
bool run_game(const std::string& game, const std::string& demo, const std::string& display, GameFigures* out,
              std::string* why) {
    RuntimeFolder runtime;
    std::vector<std::string> add{"POROMINA_STARTUP_REPORT=1", "SDL_AUDIODRIVER=dummy", "XDG_RUNTIME_DIR=" + runtime.path};
    if (display.empty()) add.push_back("SDL_VIDEODRIVER=dummy");
    else add.insert(add.end(), {"DISPLAY=" + display, "SDL_VIDEODRIVER=x11"});
    Display* x = nullptr;
    if (!display.empty() && !(x = XOpenDisplay(display.c_str()))) return *why = "cannot open " + display, false;
    const int64_t spawned = now_ns();
    PipedChild child;
    bool ok = spawn_piped(game, {demo}, {"SDL_", "DISPLAY=", "WAYLAND_DISPLAY=", "XDG_RUNTIME_DIR="}, add,
                          STDERR_FILENO, &child, why);
    const int64_t deadline = spawned + static_cast<int64_t>(kReportWaitMs) * 1000000;
    if (ok && x) {
        while (!game_window_drawn(x) && now_ns() < deadline) usleep(kWindowPollUs);
        out->visible_ms = static_cast<double>(now_ns() - spawned) / 1e6;
        if (now_ns() >= deadline) ok = false, *why = "the game's window showed no picture";
    }
    std::string text;
    if (ok && !read_report(child.fd, deadline, &text)) ok = false, *why = "the game did not report its first frame: " + text;
    if (ok) out->report_ms = static_cast<double>(now_ns() - spawned) / 1e6;
    if (child.pid) {
        kill(child.pid, SIGTERM);
        waitpid(child.pid, nullptr, 0);
        close(child.fd);
    }
    if (x) XCloseDisplay(x);
    const size_t at = text.find(kReportMarker);
    if (ok && std::sscanf(text.c_str() + at + std::strlen(kReportMarker), " cpu_ms=%lf", &out->cpu_ms) != 1)
        ok = false, *why = "unreadable report: " + text;
    return ok;
}

// in_x: on a fresh Xvfb display; otherwise on SDL's dummy drivers.
void BM_StartUpGame(benchmark::State& state, bool in_x) {
    const std::string demo = demo_folder();
    const std::string game = build_output("poromina");
    if (demo.empty() || game.empty()) {
        state.SkipWithError("no demo folder or game program (build the poromina and demo_data targets)");
        return;
    }
    XSetErrorHandler(ignore_x_error);
    std::string display;
    pid_t server = 0;
    if (in_x && !(server = start_xvfb("1024x768x24", &display))) {
        state.SkipWithError("Xvfb could not be started (apt-get install xvfb)");
        return;
    }
    GameFigures f;
    std::string why;
    bool ok = true;
    for (auto _ : state) {
        ok = run_game(game, demo, display, &f, &why);
        if (!ok) break;
        state.SetIterationTime(f.cpu_ms / 1000.0);
    }
    if (server) {
        kill(server, SIGTERM);
        waitpid(server, nullptr, 0);
    }
    if (!ok) {
        state.SkipWithError(why.c_str());
        return;
    }
    state.counters["report_ms"] = f.report_ms;
    if (in_x) state.counters["visible_ms"] = f.visible_ms;
}
BENCHMARK_CAPTURE(BM_StartUpGame, dummy, false)->UseManualTime()->Iterations(1)->Repetitions(kRepetitions)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_StartUpGame, x, true)->UseManualTime()->Iterations(1)->Repetitions(kRepetitions)->Unit(benchmark::kMillisecond);

}  // namespace
