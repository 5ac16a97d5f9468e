// The end-to-end check of a story's tour: derive it, play it with poromina-replay, and hold its
// state lines and frames against the script.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// One state line of the harness.
struct FrameState {
    int frame = -1, scene = 0, tr_kind = 0, tr_counter = 0, tr_active = 0;
    int bl_open = 0, bl_anim = 0, bl_page = 0, bl_pages = 0;
    int menu_open = 0, menu_anim = 0, menu_counter = 0;
    int cr_mode = 0, cr_state = 0, windowed = 1;
    uint32_t clock = 0;  // milliseconds
    std::string sound;   // UTF-8 name, "-" for none
};

// Reads a state line; false when a field is missing.
bool parse_state_line(const std::string& line, FrameState* out);

// Figures of a checked tour run.
struct TourFigures {
    int frames = 0;          // frames played
    int clicks = 0;          // left presses in the tour
    int scene_changes = 0;   // clicks that changed the scene
    double seconds = 0;      // wall time of the replay run
};

// Derives the tour of the story in game_dir with poromina-replay, plays it there writing into
// work_dir, and checks it with gtest assertions.
TourFigures check_tour(const std::string& game_dir, const std::string& work_dir);
