// The replay harness: a file of timed input played through the game's own start-up, message
// loop and frame step on the virtual clock, with a state line per frame and pictures of frames.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

constexpr int kMaxReplayFrame = 10000000;     // highest frame number a replay may name
constexpr uint32_t kReplayClockStartMs = 1000;  // virtual clock at start-up, milliseconds
constexpr int kThumbScale = 4;                // contact sheet: frames shrunk by this factor
constexpr int kSheetColumns = 4;              // contact sheet: thumbnails per row
constexpr int kSheetGap = 6;                  // contact sheet: pixels around each thumbnail
constexpr uint32_t kSheetBackground = 0xFF303030;

enum class ReplayKind {
    Left,      // left press and release at canvas (x, y)
    Right,     // right press at canvas (x, y)
    Escape,    // Esc pressed and released
    AltEnter,  // Alt+Enter pressed and released
    Clock,     // the virtual clock moves x milliseconds forward
    Shot,      // the frame is written as a PNG (name: file name without ".png"; "" = numbered)
    Scene,     // entry x is shown at once, as start-up shows entry 0 (an author's look, no click)
};

// One line of a replay file: "<frame> <kind> [x y | ms | name | entry]".
struct ReplayEvent {
    int frame = 0;         // delivered just before this frame step (0 = the loop's first)
    ReplayKind kind = ReplayKind::Left;
    int x = 0, y = 0;      // canvas pixels (left, right); x = milliseconds for clock, the entry for scene
    std::string name;      // shot: file name stem
    std::string note;      // written as a comment line above the event; not read back
};

// Parses replay text ("#" starts a comment line; blank lines are skipped). Events come back
// sorted by frame, in file order within a frame. false with *error ("line N: reason").
bool parse_replay(const std::string& text, std::vector<ReplayEvent>* events, std::string* error);
// The replay text of events (notes as comment lines).
std::string format_replay(const std::vector<ReplayEvent>& events);

struct ReplayOptions {
    int frames_after = 60;      // frames run after the last event's frame
    std::string out_dir = ".";  // where shots are written
    std::string contact_sheet;  // path of the contact sheet of the shots; "" for none
    bool quiet = false;         // no state lines
};

// Runs the game in the current folder (data/ beside it) with the replay's input and prints a
// state line per frame to out. The device is offscreen and the clock virtual for the run.
// 0 when the replay ran to its end (or the game quit), 1 when a picture could not be written,
// 2 when start-up failed (its messages go to err).
int run_replay(const std::vector<ReplayEvent>& events, const ReplayOptions& options, FILE* out, FILE* err);

// Brings the game up in the current folder as a replay runs it: offscreen device, virtual clock,
// message boxes kept (printed to err at the stop), no single-instance lock. false when start-up
// failed; replay_stop_game is due either way.
bool replay_start_game(FILE* err);
void replay_stop_game(FILE* err);

// The state line of the game as it stands after frame `frame`.
std::string replay_state_line(int frame);

// Tiles thumbnails (each tw x th pixels, 0xAARRGGBB) kColumns to a row with gaps into one
// picture; sheet_w and sheet_h receive its size. Empty for no thumbnails.
std::vector<uint32_t> make_contact_sheet(const std::vector<std::vector<uint32_t>>& thumbs, int tw, int th,
                                         int* sheet_w, int* sheet_h);
// A w x h picture shrunk by kThumbScale in each direction (box average).
std::vector<uint32_t> shrink_frame(const uint32_t* pixels, int w, int h);
