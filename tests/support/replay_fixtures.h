// Fixtures for the replay tests: a made-up story shaped for a tour (every transition kind, a
// ten-page balloon, scene 86 and the shortcut at entry 26, the staff roll at entry 103) written
// as a game folder, and runs of programs with their output in files.
#pragma once
#include <cstdint>
#include <string>

constexpr int kTourStoryScenes = 104;  // entries 0..103
// Scene i shows a plain picture of colour kTourStoryColours[i % 4] (0x00RRGGBB).
constexpr uint32_t kTourStoryColours[4] = {0x00C08040, 0x002060A0, 0x0040A040, 0x00E0E0C0};

// Writes the story into dir/data (script, pictures, pointer image, sounds "opening.wav",
// "chime.wav", "ending.wav").
void write_tour_story(const std::string& dir);

// The twelve transition names (UTF-8), in kind order.
extern const char* const kTourTransitionNames[12];

// Runs a shell command in dir with stdout and stderr going to the given files. Its exit status,
// or -1 when it could not be run.
int run_in(const std::string& dir, const std::string& command, const std::string& out_path,
           const std::string& err_path);
