// Hot-spot interaction: where a left press goes (overlay menu, open balloon, or the current
// scene's hot-spots) and what a hit area does; and the game's own 24x24 mouse pointer.
#pragma once
#include <cstdint>
#include <string>

#include "platform/video/texture.h"

constexpr int kShortcutEntry = 26;       // table entry whose area 0 is rewired at scene 86
constexpr int kShortcutScene = 86;       // reaching it rewires that area
constexpr int kCreditsEntry = 103;       // table entry whose area 0 starts the staff roll
constexpr int kCursorSize = 24;          // pixels, both sides
constexpr uint32_t kCursorColourKey = 0xFF0000FF;  // opaque pure blue becomes transparent

// Path of the pointer image in the data folder.
constexpr const char* kCursorPath = "data\\GAME39651497";

// What a left press asks the frame step to do after Present.
struct ClickRequests {
    int quit;         // 1: the overlay's quit label was clicked
    int switch_mode;  // 1: the overlay's display-mode label was clicked
};

// The original target of area 0 of entry 26, taken after the script was loaded.
extern int32_t shortcut_next_seq_backup;
extern std::string shortcut_snd_nm_backup;

// The game pointer: texture and size.
struct GameCursor {
    Texture* cursor_texture = nullptr;  // 24x24 A8R8G8B8; owned
    int width = 0;                      // pixels, 24
    int height = 0;                     // pixels, 24
};
extern GameCursor game_cursor;

// Copies next_seq and snd_nm of area 0 of entry 26 into the backups; call right after
// load_scenario succeeded.
void take_shortcut_backups();
// Puts the backups back into area 0 of entry 26 (at the end of the staff roll).
void restore_shortcut();

// Forgets which links were said to lead to undefined entries (a new script was loaded): each is
// said once more when clicked.
void forget_stranded_links();

// Consumes a pending left press (left_click_pending is 0 afterwards) and carries it out.
ClickRequests dispatch_click();

// Loads the pointer image. 0, or -1 after showing a message.
int load_cursor();
// Releases the pointer texture (null-safe).
void release_cursor();
// Draws the pointer centred on its live position while it is over the canvas. 0, or -1 when
// the position cannot be read.
int draw_cursor();

// Where the pointer is, in canvas pixels: 0, or -1 when it cannot be read. The window code
// installs it at start-up; without one, draw_cursor draws nothing and returns -1.
using PointerPositionQuery = int (*)(int* x, int* y);
void set_pointer_position_query(PointerPositionQuery query);
