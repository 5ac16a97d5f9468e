// The soak: random left and right clicks, Esc and Alt+Enter played on the demo story through the
// replay harness (the game's own start-up, message loop and frame step on a virtual clock) for
// many frames. The game must run to the end, and in a long soak (kJudgedFrames or more) the
// resident memory must not creep: after the last frame it is within 2 MB of what it was after a
// tenth of the frames. A short soak is still warming up (first pictures, glyphs, fonts) at its
// tenth, so it only reports the figures.
// POROMINA_SOAK_FRAMES sets the length (ctest runs a short soak; scripts/soak the long one),
// POROMINA_SOAK_SEED the input.
#include <gtest/gtest.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "replay/replay.h"
#include "scene/menu_overlay.h"
#include "support/scenario_fixtures.h"

namespace {

constexpr int kDefaultFrames = 3000;
constexpr int kJudgedFrames = 50000;  // the memory is judged from this length on
constexpr long kMaxGrowthBytes = 2L * 1024 * 1024;
constexpr int kClockStepFrames = 10;  // the clock moves on every this many frames...
constexpr int kClockStepMs = 40;      // ...by this much, besides the windowed pacing

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;  // the sanitizers hold freed memory back: RSS says nothing
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

int env_int(const char* name, int fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::atoi(v) : fallback;
}

// A "<key>: <n> kB" figure of /proc/self/status in bytes, or -1.
long status_bytes(const char* key) {
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return -1;
    long kib = -1;
    char line[256];
    const size_t n = std::strlen(key);
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, key, n) == 0 && line[n] == ':') kib = std::atol(line + n + 1);
    std::fclose(f);
    return kib < 0 ? -1 : kib * 1024;
}

// True when a press at (x, y) could land on the overlay's quit label in either row (the right
// third of the panel): the soak never ends the game itself.
bool on_quit_label(int x, int y) {
    return x >= kMenuPanelX + kMenuPanelWidth * 2 / 3 && x < kMenuPanelX + kMenuPanelWidth && y >= kMenuPanelY &&
           y < kMenuPanelY + kMenuPanelHeight;
}

// The input: per frame a 4% chance of a left click, 0.3% a right click, 0.2% Esc, 0.1% Alt+Enter.
// Half of the left clicks go to the top-right 80x80 corner and an eighth to the top-left one,
// where pages turn in picture books, so that the soak travels the story to its end and round.
std::vector<ReplayEvent> soak_input(int frames, uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> per_mille(0, 999), xs(0, 799), ys(0, 599), corner(0, 79), aim(0, 7);
    std::vector<ReplayEvent> events;
    for (int f = 1; f <= frames; ++f) {
        if (f % kClockStepFrames == 0) events.push_back({f, ReplayKind::Clock, kClockStepMs, 0, "", ""});
        const int r = per_mille(rng);
        int x = xs(rng), y = ys(rng);
        while (on_quit_label(x, y)) x = xs(rng);
        const int where = aim(rng);
        if (where < 4) x = 720 + corner(rng), y = corner(rng);
        else if (where == 4) x = corner(rng), y = corner(rng);
        if (r < 40) events.push_back({f, ReplayKind::Left, x, y, "", ""});
        else if (r < 43) events.push_back({f, ReplayKind::Right, x, y, "", ""});
        else if (r < 45) events.push_back({f, ReplayKind::Escape, 0, 0, "", ""});
        else if (r < 46) events.push_back({f, ReplayKind::AltEnter, 0, 0, "", ""});
    }
    return events;
}

// What the state lines said, gathered as they are written; the memory is read at two frames.
struct SoakWatch {
    int sample_frame = 0;        // the early reading
    int last_frame = 0;          // the late reading
    long rss_sample = -1, rss_last = -1;    // resident set, bytes
    long anon_sample = -1, anon_last = -1;  // its anonymous part (heap, not mapped files)
    size_t heap_used_sample = 0, heap_used_last = 0;  // bytes in live heap blocks
    size_t heap_idle_sample = 0, heap_idle_last = 0;  // bytes the heap holds free (fragmentation)
    int frames_seen = 0;
    std::set<int> scenes;
    int scene_changes = 0, balloons = 0, menus = 0, mode_switches = 0, staff_rolls = 0;
    int last_scene = -1, last_balloon = 0, last_menu = 0, last_windowed = 1, last_credits = 0;
    std::string pending;         // a line not yet ended
};
SoakWatch watch;

// The allocator's own count: blocks in use (mapped ones included) and free space it keeps.
void heap_reading(size_t* used, size_t* idle) {
    const struct mallinfo2 m = mallinfo2();
    *used = m.uordblks + m.hblkhd;
    *idle = m.fordblks;
}

int field(const std::string& line, const char* key) {
    size_t at = line.find(std::string(" ") + key + "=");
    return at == std::string::npos ? 0 : std::atoi(line.c_str() + at + std::strlen(key) + 2);
}

void take_line(const std::string& line) {
    if (line.rfind("frame=", 0) != 0) return;
    const int frame = std::atoi(line.c_str() + 6);
    ++watch.frames_seen;
    const int scene = field(line, "scene"), balloon = field(line, "bl_open"), menu = field(line, "menu_open");
    const int windowed = field(line, "windowed"), credits = field(line, "cr_mode");
    watch.scenes.insert(scene);
    watch.scene_changes += watch.last_scene >= 0 && scene != watch.last_scene;
    watch.balloons += balloon && !watch.last_balloon;
    watch.menus += menu && !watch.last_menu;
    watch.mode_switches += windowed != watch.last_windowed;
    watch.staff_rolls += credits && !watch.last_credits;
    watch.last_scene = scene;
    watch.last_balloon = balloon;
    watch.last_menu = menu;
    watch.last_windowed = windowed;
    watch.last_credits = credits;
    if (frame == watch.sample_frame) {
        watch.rss_sample = status_bytes("VmRSS");
        watch.anon_sample = status_bytes("RssAnon");
        heap_reading(&watch.heap_used_sample, &watch.heap_idle_sample);
    }
    if (frame == watch.last_frame) {
        watch.rss_last = status_bytes("VmRSS");
        watch.anon_last = status_bytes("RssAnon");
        heap_reading(&watch.heap_used_last, &watch.heap_idle_last);
    }
}

ssize_t watch_write(void*, const char* buf, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        if (buf[i] == '\n') {
            take_line(watch.pending);
            watch.pending.clear();
        } else {
            watch.pending += buf[i];
        }
    }
    return static_cast<ssize_t>(size);
}

TEST(Soak, RandomInputOnTheDemoStoryRunsToTheEndWithoutMemoryCreep) {
    const int frames = std::max(env_int("POROMINA_SOAK_FRAMES", kDefaultFrames), 100);
    const uint32_t seed = static_cast<uint32_t>(env_int("POROMINA_SOAK_SEED", 1));
    const std::vector<ReplayEvent> events = soak_input(frames, seed);
    ASSERT_EQ(access(POROMINA_DEMO_DIR "/data/GAME42297263", R_OK), 0) << "the demo story is built";
    TempFolder shots;
    CurrentDirectory cd(POROMINA_DEMO_DIR);

    watch = SoakWatch{};
    watch.sample_frame = frames / 10;
    watch.last_frame = frames;
    cookie_io_functions_t io{nullptr, watch_write, nullptr, nullptr};
    FILE* out = fopencookie(nullptr, "w", io);
    ASSERT_TRUE(out);
    setvbuf(out, nullptr, _IOLBF, 0);  // a line reaches the watch as its frame ends
    FILE* err = std::tmpfile();
    ReplayOptions options;
    options.frames_after = frames - (events.empty() ? 0 : events.back().frame);
    options.out_dir = shots.path;
    const std::clock_t cpu = std::clock();
    const int result = run_replay(events, options, out, err);
    const double seconds = static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC;
    std::fclose(out);
    std::string messages;
    std::rewind(err);
    char buf[512];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, err)) > 0;) messages.append(buf, n);
    std::fclose(err);

    EXPECT_EQ(result, 0) << messages;
    EXPECT_EQ(messages, "") << "the game ran to the end without a message";
    EXPECT_EQ(watch.frames_seen, frames + 1) << "frames 0.." << frames;
    const long growth = watch.rss_last - watch.rss_sample;
    std::printf("soak: %d frames, seed %u, %zu input events, %.1f s of processor time (%.0f frames/s)\n", frames,
                seed, events.size(), seconds, seconds > 0 ? frames / seconds : 0.0);
    std::printf("soak: %zu scenes seen, %d scene changes, %d balloons, %d overlay openings, %d display-mode "
                "switches, %d staff rolls\n",
                watch.scenes.size(), watch.scene_changes, watch.balloons, watch.menus, watch.mode_switches,
                watch.staff_rolls);
    const bool judged = !kSanitized && frames >= kJudgedFrames;
    std::printf("soak: resident memory after frame %d: %ld KiB; after frame %d: %ld KiB; growth %ld KiB%s\n",
                watch.sample_frame, watch.rss_sample / 1024, frames, watch.rss_last / 1024, growth / 1024,
                judged ? "" : kSanitized ? " (sanitizer build: not judged)" : " (short soak: not judged)");
    std::printf("soak: of it anonymous (heap): %ld KiB, then %ld KiB; growth %ld KiB\n", watch.anon_sample / 1024,
                watch.anon_last / 1024, (watch.anon_last - watch.anon_sample) / 1024);
    if (watch.heap_used_sample > 0)  // a sanitizer's allocator does not count for the C library
        std::printf("soak: heap blocks in use: %zu KiB, then %zu KiB; free space the heap keeps: %zu KiB, then %zu "
                    "KiB\n",
                    watch.heap_used_sample / 1024, watch.heap_used_last / 1024, watch.heap_idle_sample / 1024,
                    watch.heap_idle_last / 1024);
    ASSERT_GT(watch.rss_sample, 0);
    ASSERT_GT(watch.rss_last, 0);
    if (judged) {
        EXPECT_LE(growth, kMaxGrowthBytes) << "resident memory crept up";
    }
}

}  // namespace
