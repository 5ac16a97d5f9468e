// The benchmark program's entry: runs every case (repetitions interleaved at random, so that a
// busy moment of the machine hurts no case in particular), then prints the closing table with
// each figure beside its yardstick and its floor or target, PASS or MISS.
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bench/bench.h"

namespace {

// What the table needs of one case: the medians over its repetitions.
struct Figure {
    double cpu_us = 0;                        // CPU time per iteration
    double real_us = 0;                       // wall (or manual) time per iteration
    std::map<std::string, double> counters;
    bool from_median = false;                 // set once the median aggregate arrived
    std::string error;                        // why the case was skipped
    std::string label;                        // what the case says of itself (e.g. the renderer)
};

std::map<std::string, Figure> figures;  // by the case's name (function/capture)

double to_us(double value, benchmark::TimeUnit unit) { return value / benchmark::GetTimeUnitMultiplier(unit) * 1e6; }

// The console reporter, keeping each case's median (or its only run) for the table.
class TableReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            Figure& f = figures[run.run_name.function_name];
            if (run.error_occurred) {
                f.error = run.error_message;
                continue;
            }
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (!median && (run.run_type == Run::RT_Aggregate || f.from_median)) continue;
            f.from_median = median;
            f.cpu_us = to_us(run.GetAdjustedCPUTime(), run.time_unit);
            f.real_us = to_us(run.GetAdjustedRealTime(), run.time_unit);
            for (const auto& [name, counter] : run.counters) f.counters[name] = counter.value;
            if (!run.report_label.empty()) f.label = run.report_label;
        }
    }
};

enum class Metric { Cpu, Real, Counter };
enum class Check {
    Ratio,     // at most limit times the yardstick
    Below,     // below limit
    Multiple,  // shown as a multiple of the yardstick (of the same run), at most limit
    None,
};

// One line of the table: a figure, what it stands beside, and its floor or target.
struct Row {
    const char* label;
    const char* name;     // the case
    const char* beside;   // the yardstick case (Ratio), or null
    Metric metric;
    const char* counter;  // for Metric::Counter
    double scale;         // the metric in microseconds (or counter units) times scale = shown value
    const char* unit;
    Check check;
    double limit;         // ratio, or the shown unit's bound
    const char* limit_text;
};

const Row kRows[] = {
    {"frame step at rest", "BM_Frame/rest", "BM_BareRenderer/rest", Metric::Cpu, nullptr, 1, "us", Check::Ratio, 1.3, "<= 1.30x bare"},
    {"frame step, cross-fade (kind 9)", "BM_Frame/cross_fade", "BM_BareRenderer/cross_fade", Metric::Cpu, nullptr, 1, "us", Check::Ratio, 1.3, "<= 1.30x bare"},
    {"frame step, kind 10", "BM_Frame/fade_through_white", "BM_BareRenderer/fade_through_white", Metric::Cpu, nullptr, 1, "us", Check::Ratio, 1.3, "<= 1.30x bare"},
    {"frame step, balloon open", "BM_Frame/balloon", "BM_BareRenderer/balloon", Metric::Cpu, nullptr, 1, "us", Check::Ratio, 1.3, "<= 1.30x bare"},
    {"frame step, overlay open", "BM_Frame/overlay", "BM_BareRenderer/overlay", Metric::Cpu, nullptr, 1, "us", Check::Ratio, 1.3, "<= 1.30x bare"},
    {"frame step, staff roll scrolling", "BM_Frame/staff_roll", "BM_BareRenderer/staff_roll", Metric::Cpu, nullptr, 1, "us", Check::Ratio, 1.3, "<= 1.30x bare"},
    {"one 800x600x4 memcpy", "BM_MemcpyFrame", nullptr, Metric::Cpu, nullptr, 1, "us", Check::None, 0, "reference"},
    {"cross-fade frame step in memcpys", "BM_Frame/cross_fade", "BM_MemcpyFrame", Metric::Cpu, nullptr, 1, "memcpy", Check::Multiple, 4, "<= 4 memcpy"},
    {"kind 10 frame step in memcpys", "BM_Frame/fade_through_white", "BM_MemcpyFrame", Metric::Cpu, nullptr, 1, "memcpy", Check::Multiple, 4, "<= 4 memcpy"},
    {"scene change, 800x600 PNG", "BM_SceneChange/png", "BM_BareDecode/png", Metric::Cpu, nullptr, 1e-3, "ms", Check::Ratio, 1.2, "<= 1.20x bare libpng"},
    {"scene change, 800x600 JPEG", "BM_SceneChange/jpeg", "BM_BareDecode/jpeg", Metric::Cpu, nullptr, 1e-3, "ms", Check::Ratio, 1.2, "<= 1.20x bare libjpeg"},
    {"start-up to first frame, demo (CPU)", "BM_StartUpDemo", nullptr, Metric::Real, nullptr, 1e-3, "ms", Check::Below, 50, "< 50 ms"},
    {"  wall clock, spawn to first frame", "BM_StartUpDemo", nullptr, Metric::Counter, "wall_ms", 1, "ms", Check::None, 0, "(machine load included)"},
    {"  wall clock, spawn to main", "BM_StartUpDemo", nullptr, Metric::Counter, "to_main_ms", 1, "ms", Check::None, 0, "(libraries, static set-up)"},
    {"  wall clock, start_up to first frame", "BM_StartUpDemo", nullptr, Metric::Counter, "start_up_call_ms", 1, "ms", Check::None, 0, "(inside the process)"},
    {"  the game program itself (CPU)", "BM_StartUpGame/dummy", nullptr, Metric::Real, nullptr, 1e-3, "ms", Check::Below, 50, "< 50 ms"},
    {"  the game in X (Xvfb), CPU", "BM_StartUpGame/x", nullptr, Metric::Real, nullptr, 1e-3, "ms", Check::None, 0, "(X connection included)"},
    {"  the game in X, spawn to visible", "BM_StartUpGame/x", nullptr, Metric::Counter, "visible_ms", 1, "ms", Check::None, 0, "(wall clock, window shows it)"},
    {"peak resident memory, demo walked", "BM_StartUpDemo", nullptr, Metric::Counter, "peak_mb", 1, "MB", Check::Below, 64, "< 64 MB"},
    {"resident in X (Xvfb), scene at rest", "BM_XSession/chosen", nullptr, Metric::Counter, "rest_mb", 1, "MB", Check::Below, 64, "< 64 MB (the game's choice)"},
    {"  the same, software renderer", "BM_XSession/software", nullptr, Metric::Counter, "rest_mb", 1, "MB", Check::Below, 64, "< 64 MB"},
    {"  the same, OpenGL renderer", "BM_XSession/opengl", nullptr, Metric::Counter, "rest_mb", 1, "MB", Check::None, 0, "(reference)"},
    {"cross-fade frame in X, software (CPU)", "BM_XSession/software", nullptr, Metric::Counter, "frame_us", 1, "us", Check::None, 0, "(the game's threads)"},
    {"  its frame thread alone", "BM_XSession/software", nullptr, Metric::Counter, "thread_us", 1, "us", Check::None, 0, "(frames paced to the refresh)"},
    {"  X server's CPU per frame", "BM_XSession/software", nullptr, Metric::Counter, "server_us", 1, "us", Check::None, 0, "(10 ms ticks over 200 frames)"},
    {"cross-fade frame in X, OpenGL (CPU)", "BM_XSession/opengl", nullptr, Metric::Counter, "frame_us", 1, "us", Check::None, 0, "(the game's threads)"},
    {"  its frame thread alone", "BM_XSession/opengl", nullptr, Metric::Counter, "thread_us", 1, "us", Check::None, 0, "(frames paced to the refresh)"},
    {"  X server's CPU per frame", "BM_XSession/opengl", nullptr, Metric::Counter, "server_us", 1, "us", Check::None, 0, "(10 ms ticks over 200 frames)"},
    {"software window at rest (CPU)", "BM_XSession/software", nullptr, Metric::Counter, "rest_us", 1, "us", Check::None, 0, "(the game's threads)"},
    {"  X server's CPU per frame at rest", "BM_XSession/software", nullptr, Metric::Counter, "server_rest_us", 1, "us", Check::None, 0, "(only what changed is sent)"},
    {"  one 800x600x4 memcpy in that child", "BM_XSession/software", nullptr, Metric::Counter, "memcpy_us", 1, "us", Check::None, 0, "(reference)"},
    {"software window frame in memcpys", "BM_XSession/software", nullptr, Metric::Counter, "memcpys", 1, "memcpy", Check::Below, 4, "< 4 memcpy of 800x600 (target)"},
    {"  one 800x600x4 memcpy a refresh apart", "BM_XSession/software", nullptr, Metric::Counter, "paced_memcpy_us", 1, "us", Check::None, 0, "(memory as a paced frame finds it)"},
    {"  the frame in such memcpys", "BM_XSession/software", nullptr, Metric::Counter, "paced_memcpys", 1, "memcpy", Check::None, 0, "(reference)"},
    {"full screen 1366x768, software (CPU)", "BM_XSession/software_full_1366x768", nullptr, Metric::Counter, "frame_us", 1, "us", Check::None, 0, "(the game's threads)"},
    {"  X server's CPU per frame", "BM_XSession/software_full_1366x768", nullptr, Metric::Counter, "server_us", 1, "us", Check::None, 0, "(10 ms ticks over 200 frames)"},
    {"  one 1366x768x4 memcpy", "BM_XSession/software_full_1366x768", nullptr, Metric::Counter, "screen_memcpy_us", 1, "us", Check::None, 0, "(reference)"},
    {"  in screen-size memcpys", "BM_XSession/software_full_1366x768", nullptr, Metric::Counter, "screen_memcpys", 1, "memcpy", Check::Below, 3, "< 3 memcpy of the screen (target)"},
    {"  one 1366x768x4 memcpy a refresh apart", "BM_XSession/software_full_1366x768", nullptr, Metric::Counter, "paced_screen_memcpy_us", 1, "us", Check::None, 0, "(memory as a paced frame finds it)"},
    {"  the frame in such memcpys", "BM_XSession/software_full_1366x768", nullptr, Metric::Counter, "paced_screen_memcpys", 1, "memcpy", Check::None, 0, "(reference)"},
    {"full screen 1920x1080, software (CPU)", "BM_XSession/software_full_1920x1080", nullptr, Metric::Counter, "frame_us", 1, "us", Check::None, 0, "(the game's threads)"},
    {"  X server's CPU per frame", "BM_XSession/software_full_1920x1080", nullptr, Metric::Counter, "server_us", 1, "us", Check::None, 0, "(10 ms ticks over 200 frames)"},
    {"  one 1920x1080x4 memcpy", "BM_XSession/software_full_1920x1080", nullptr, Metric::Counter, "screen_memcpy_us", 1, "us", Check::None, 0, "(reference)"},
    {"  in screen-size memcpys", "BM_XSession/software_full_1920x1080", nullptr, Metric::Counter, "screen_memcpys", 1, "memcpy", Check::Below, 3, "< 3 memcpy of the screen (target)"},
    {"  one 1920x1080x4 memcpy a refresh apart", "BM_XSession/software_full_1920x1080", nullptr, Metric::Counter, "paced_screen_memcpy_us", 1, "us", Check::None, 0, "(memory as a paced frame finds it)"},
    {"  the frame in such memcpys", "BM_XSession/software_full_1920x1080", nullptr, Metric::Counter, "paced_screen_memcpys", 1, "memcpy", Check::None, 0, "(reference)"},
    {"full screen 1920x1080, OpenGL (CPU)", "BM_XSession/opengl_full_1920x1080", nullptr, Metric::Counter, "frame_us", 1, "us", Check::None, 0, "(reference: two steps on the GPU)"},
    {"  X server's CPU per frame", "BM_XSession/opengl_full_1920x1080", nullptr, Metric::Counter, "server_us", 1, "us", Check::None, 0, "(10 ms ticks over 200 frames)"},
    {"streaming 1 s of 44.1 kHz stereo", "BM_StreamOneSecondStereo44k", nullptr, Metric::Counter, "cpu_us_per_audio_s", 1, "us", Check::Below, 10000, "< 10000 us (1 % of a core)"},
    {"render_alpha_text, full balloon page", "BM_RenderAlphaTextBalloonPage", nullptr, Metric::Cpu, nullptr, 1, "us", Check::Below, 16667, "< 16667 us (one 60 Hz frame)"},
    {"setup_credits", "BM_SetupCredits", nullptr, Metric::Cpu, nullptr, 1, "us", Check::Below, 16667, "< 16667 us (one 60 Hz frame)"},
    {"letterbox one frame to 1920x1080", "BM_LetterboxTo1080p", nullptr, Metric::Cpu, nullptr, 1, "us", Check::None, 0, "ref.: tables and black bars each call"},
};

// The shown value of a case for a row; false when the case did not run or failed.
bool value_of(const char* name, const Row& row, double* out, std::string* why) {
    auto it = figures.find(name);
    if (it == figures.end()) return *why = "not run", false;
    const Figure& f = it->second;
    if (!f.error.empty()) return *why = f.error, false;
    if (row.metric == Metric::Counter) {
        auto c = f.counters.find(row.counter);
        if (c == f.counters.end()) return *why = "no figure", false;
        *out = c->second * row.scale;
    } else {
        *out = (row.metric == Metric::Cpu ? f.cpu_us : f.real_us) * row.scale;
    }
    return true;
}

// The CPU's model name as lscpu shows it.
std::string cpu_model() {
    std::string model = "unknown CPU";
    if (FILE* f = std::fopen("/proc/cpuinfo", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f)) {
            if (std::strncmp(line, "model name", 10) != 0) continue;
            const char* colon = std::strchr(line, ':');
            if (!colon) continue;
            model = colon + 1 + std::strspn(colon + 1, " \t");
            while (!model.empty() && (model.back() == '\n' || model.back() == ' ')) model.pop_back();
            break;
        }
        std::fclose(f);
    }
    return model;
}

// The 1-minute load average: a figure taken on a busy machine says so.
double load_average() {
    double load = -1;
    if (FILE* f = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(f, "%lf", &load) != 1) load = -1;
        std::fclose(f);
    }
    return load;
}

double load_at_start = -1;

std::string machine_line() {
    utsname u{};
    uname(&u);
    char line[400];
    std::snprintf(line, sizeof line,
                  "%s, %ld CPUs online, %s %s; load average %.2f at the start, %.2f at the end; times are CPU "
                  "time medians of %d repetitions",
                  cpu_model().c_str(), sysconf(_SC_NPROCESSORS_ONLN), u.sysname, u.machine, load_at_start,
                  load_average(), kRepetitions);
    return line;
}

void print_table() {
    std::printf("\nporomina performance floors (%s)\n", machine_line().c_str());
    std::printf("%-38s %12s  %-30s %8s  %-30s %s\n", "figure", "measured", "beside", "ratio", "floor / target", "result");
    int misses = 0;
    for (const Row& row : kRows) {
        double value = 0;
        std::string why;
        if (!value_of(row.name, row, &value, &why)) {
            std::printf("%-38s %12s  %-30s %8s  %-30s %s\n", row.label, "-", "", "", row.limit_text,
                        ("NOT MEASURED: " + why).c_str());
            continue;
        }
        char measured[32], beside[64] = "", ratio[16] = "";
        std::snprintf(measured, sizeof measured, "%.*f %s", value < 10 ? 3 : 1, value, row.unit);
        bool pass = true;
        if (row.check == Check::Multiple) {
            double base = 0;
            std::string base_why;
            if (!value_of(row.beside, row, &base, &base_why) || base <= 0) {
                std::printf("%-38s %12s  %-30s %8s  %-30s %s\n", row.label, "-", "", "", row.limit_text,
                            ("NOT MEASURED: " + base_why).c_str());
                continue;
            }
            std::snprintf(measured, sizeof measured, "%.2f %s", value / base, row.unit);
            std::snprintf(beside, sizeof beside, "%.1f us / %.1f us", value, base);
            pass = value / base <= row.limit;
        } else if (row.check == Check::Ratio) {
            double base = 0;
            std::string base_why;
            if (!value_of(row.beside, row, &base, &base_why) || base <= 0) {
                std::printf("%-38s %12s  %-30s %8s  %-30s %s\n", row.label, measured, "", "", row.limit_text,
                            ("NOT MEASURED: yardstick " + base_why).c_str());
                continue;
            }
            std::snprintf(beside, sizeof beside, "bare %.*f %s", base < 10 ? 3 : 1, base, row.unit);
            std::snprintf(ratio, sizeof ratio, "%.2fx", value / base);
            pass = value / base <= row.limit;
        } else if (row.check == Check::Below) {
            pass = value < row.limit;
        }
        const char* result = row.check == Check::None ? "-" : pass ? "PASS" : "MISS";
        if (row.check != Check::None && !pass) ++misses;
        std::printf("%-38s %12s  %-30s %8s  %-30s %s\n", row.label, measured, beside, ratio, row.limit_text, result);
    }
    for (const char* name : {"BM_XSession/chosen", "BM_XSession/software", "BM_XSession/opengl",
                             "BM_XSession/software_full_1366x768", "BM_XSession/software_full_1920x1080",
                             "BM_XSession/opengl_full_1920x1080"}) {
        auto it = figures.find(name);
        if (it != figures.end() && !it->second.label.empty())
            std::printf("renderer in X, %-25s %s\n", name + 12, it->second.label.c_str());
    }
    std::printf("%s\n", misses ? "some figures MISS their floor" : "every measured figure meets its floor");
}

// Flags this program runs with unless the command line says otherwise.
bool given(int argc, char** argv, const char* flag) {
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], flag, std::strlen(flag)) == 0) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], kStartupChildFlag) == 0) return startup_child_main(argv[2]);
    if (argc == 4 && std::strcmp(argv[1], kXSessionChildFlag) == 0) return xsession_child_main(argv[2], argv[3]);
    std::vector<char*> args(argv, argv + argc);
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    std::string aggregates = "--benchmark_display_aggregates_only=true";
    if (!given(argc, argv, "--benchmark_enable_random_interleaving")) args.push_back(interleave.data());
    if (!given(argc, argv, "--benchmark_display_aggregates_only")) args.push_back(aggregates.data());
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
    load_at_start = load_average();
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    print_table();
    return 0;
}
