// A tour of a story, derived from its script: the replay that clicks through scene changes of
// every transition kind, a ten-page balloon, the overlay menu, the shortcut, the staff roll and
// the restart, with named shots at the moments worth looking at.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "replay/replay.h"
#include "scenario/scenario.h"

constexpr int kTourSceneChangeFrames = 165;  // a transition ends within this many frames
constexpr int kTourSettleFrames = 6;         // frames left between two actions at rest
constexpr int kTourBalloonFrames = 20;       // a balloon opens or closes within this many frames
constexpr int kTourMenuFrames = 20;          // the overlay opens or closes within this many
constexpr int kTourRollFixedFrames = 785;    // frames of the staff roll besides its scroll
constexpr int kTourMusicSkipMs = 140000;     // clock step that lets the roll's music wait pass
constexpr int kTourRollClockFrame = 400;     // frames after the roll's click: past its sound start

// A label of the overlay menu, canvas pixels.
struct TourLabel {
    int x, y, width, height;
};

// What the tour needs of the started game besides the script.
struct TourGeometry {
    TourLabel labels[2][3];  // overlay labels, [0] windowed row, [1] full-screen row
    int scroll_end;          // pixels the staff roll scrolls
};

struct TourPlan {
    std::vector<ReplayEvent> events;   // sorted by frame
    std::vector<std::string> missing;  // goals the story offered no way to
};

// Plans the tour of the story in table (the whole one, or a short one for a first look).
TourPlan plan_tour(const SceneTable& table, const TourGeometry& geometry, bool short_tour);

// Starts the game in the current folder offscreen, reads its geometry, plans the tour of its
// story, and writes it as a replay file. 0, or 2 when the game could not start, 1 when the file
// could not be written. Goals the story lacks are reported on err.
int write_tour(const std::string& path, bool short_tour, FILE* err);
