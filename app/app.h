// The application shell: process entry, start-up and shutdown, the message loop, the window
// procedure with the menu commands and the display-mode switch, the idle and frame steps.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/window/window.h"

// Frame pacing (user-interface thread only).
extern int timer_period_set;          // 1 when the 1 ms clock period was obtained at start
extern uint32_t last_present_time;    // clock milliseconds of the last present
extern uint32_t since_last_present;   // milliseconds measured by the last pacing wait

constexpr uint32_t kMinPresentGapMs = 4;    // windowed mode: at least this between presents
constexpr uint32_t kLostPollMs = 100;       // wait between polls of a lost device
constexpr uint32_t kRaisePollMs = 50;       // how often the loop listens for a later copy
constexpr uint32_t kRestPollMs = 200;       // the same at rest, between sleeps in the queue
constexpr uint32_t kStillUntilInput = 0xFFFFFFFF;  // the picture changes only through input
constexpr int kPointerFallbackX = 399;      // canvas pixel the pointer goes to when it was
constexpr int kPointerFallbackY = 299;      // outside the canvas at a display-mode switch
constexpr const char* kInstanceName = "MOPAKE-120129-MUTEXNAME";

// What the command line asked for (see parse_command_line).
struct AppOptions {
    int start_scene = 0;       // entry shown first, 0..199
    bool author = false;       // F2 and F5 work (hot-spot overlay, reload)
    std::string plain_folder;  // absolute; "" reads the stored data folder
};
extern AppOptions app_options;
constexpr int kUsageExitCode = 2;  // a command line the game cannot follow

// Reads poromina [--scene N] [--author] [--plain DIR] [STORY-FOLDER] into app_options, enters
// the story folder and sets the plain folder and the author keys. -1 to go on; otherwise the
// exit code (0 after --help, kUsageExitCode after a line on standard error).
int parse_command_line(int argc, char** argv);

// Entry: returns the process exit code: 0 (also after a start-up failure, which its box and a
// line on standard error report), kUsageExitCode when --scene names an entry the script lacks.
int app_main();
// Loads the window title and class name (string resources 103 and 109) for every entry.
void load_window_names();
// Brings every subsystem up in order. 1 when the window is shown, 0 after a failure message.
int start_up();
// Releases everything in order; every step skips what does not exist.
void shut_down();
// Takes every waiting event, then runs the idle step; at rest it waits for the next event
// instead (see picture_still_for_ms). Returns the exit code.
int run_message_loop();

// The window procedure: what each translated window event does.
void main_window_proc(const WindowEvent& event);
// Makes the game window (hidden) with its menu bar and icon. 0, or -1.
int create_main_window();
// Ends the game window; the message loop ends after it.
void destroy_main_window();
// The menu bar from menu 109 with its labels' text.
MenuBarLayout build_menu_bar();
// A line of text as a glyph mask (A8R8G8B8, black glyphs), or null when it cannot be drawn.
Texture* make_text_label(const char* text, const char* face, int points);
// Releases the menu bar's label textures (the menu held aside). Null-safe.
void release_menu_labels();
// Switches between windowed and full-screen presentation, keeping the pointer's canvas place.
void toggle_display_mode();
// Runs information dialog 103 or 104 modally. Its result (1 OK, 2 cancel), or -1.
int run_info_dialog(int id);
// Esc in the window: toggles the overlay menu unless it is moving.
void escape_key_pressed();
// F1..F12 in the window: with --author, F2 shows or hides the hot-spots, F5 reloads the story.
void author_key_pressed(int function_key);

// One idle moment: nurses a lost device back, then draws a frame. 1 go on, 0 end the program.
int idle_step();
// One frame: clicks, drawing, pacing, present. 0, 1 quit requested, -1 present failed.
int frame_step();
// Windowed mode with the 1 ms period: waits until kMinPresentGapMs passed since the last
// present. Returns 0.
int pace_frame();
// How long the picture last drawn stays as it is if no input comes: 0 when the next idle moment
// must run the idle step (an animation runs, a press waits, the device is lost), the
// milliseconds left of the staff roll's timed wait, or kStillUntilInput.
uint32_t picture_still_for_ms();

// Test seam: the start-up and shutdown steps that ran, in order, are appended to log.
void app_trace_to(std::vector<std::string>* log);
void app_trace(const char* step);
// Harness seam: called by the message loop when no event waits, before the idle step.
// It returns 0 to run the idle step, 1 to poll again (it queued input), -1 to end the program.
using IdleHook = int (*)();
void app_set_idle_hook(IdleHook hook);
// Test seam: true once the message loop was told to end.
bool app_quit_posted();
void app_reset_quit();
