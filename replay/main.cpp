// poromina-replay: plays a replay file through the game without a display or a sound card, or
// writes the tour of the story in the current folder as a replay file.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "replay/replay.h"
#include "replay/replay_tour.h"

namespace {

const char kUsage[] =
    "usage: poromina-replay REPLAY_FILE [--frames-after N] [--out DIR] [--contact-sheet FILE] [--quiet]\n"
    "       poromina-replay --write-tour FILE [--short]\n"
    "Runs in a game folder (data/ in the current directory) with SDL's dummy video and audio\n"
    "drivers and a virtual clock. A replay file holds one event a line: FRAME KIND [ARGS], kinds\n"
    "left X Y, right X Y (canvas pixels), esc, altenter, clock MS (moves the clock forward) and\n"
    "shot [NAME] (writes that frame as DIR/NAME.png or DIR/frame-FRAME.png; several shots of one\n"
    "frame are all written) and scene ENTRY (shows that entry at once, as start-up shows entry 0);\n"
    "'#' starts a comment.\n"
    "A state line is printed after every frame. --write-tour derives a replay from the story's script\n"
    "that visits every transition, a ten-page balloon, the overlay menu, the shortcut and the staff\n"
    "roll (--short: a first look of a few hundred frames).\n";

int usage_error(const char* what) {
    std::fprintf(stderr, "poromina-replay: %s\n%s", what, kUsage);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    // No window and no sound card: the harness runs the game on SDL's dummy drivers (the disk
    // audio driver may be chosen through SDL_AUDIODRIVER).
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 0);

    std::string replay_path, tour_path;
    bool short_tour = false;
    ReplayOptions options;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        const bool has_value = i + 1 < argc;
        if (std::strcmp(a, "--frames-after") == 0 && has_value) {
            char* end = nullptr;
            long n = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || n < 0 || n > kMaxReplayFrame) return usage_error("--frames-after takes a count of frames");
            options.frames_after = static_cast<int>(n);
        } else if (std::strcmp(a, "--out") == 0 && has_value) {
            options.out_dir = argv[++i];
        } else if (std::strcmp(a, "--contact-sheet") == 0 && has_value) {
            options.contact_sheet = argv[++i];
        } else if (std::strcmp(a, "--write-tour") == 0 && has_value) {
            tour_path = argv[++i];
        } else if (std::strcmp(a, "--short") == 0) {
            short_tour = true;
        } else if (std::strcmp(a, "--quiet") == 0) {
            options.quiet = true;
        } else if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a[0] != '-' && replay_path.empty()) {
            replay_path = a;
        } else {
            return usage_error((std::string("unexpected argument ") + a).c_str());
        }
    }
    if (!tour_path.empty()) {
        if (!replay_path.empty()) return usage_error("--write-tour takes no replay file");
        return write_tour(tour_path, short_tour, stderr);
    }
    if (replay_path.empty()) return usage_error("no replay file given");

    std::ifstream in(replay_path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "poromina-replay: cannot read %s\n", replay_path.c_str());
        return 2;
    }
    std::stringstream text;
    text << in.rdbuf();
    std::vector<ReplayEvent> events;
    std::string error;
    if (!parse_replay(text.str(), &events, &error)) {
        std::fprintf(stderr, "poromina-replay: %s: %s\n", replay_path.c_str(), error.c_str());
        return 2;
    }
    return run_replay(events, options, stdout, stderr);
}
