// The author's desk inside the game: the hot-spot overlay (every area of the scene on screen with
// its rectangles, link and transition) and the reload of the script and pictures from disk. Both
// answer to keys only when the game was started with --author.
#pragma once
#include <cstdint>

constexpr int kOverlayKey = 2;  // F2 shows or hides the hot-spots
constexpr int kReloadKey = 5;   // F5 reloads the script and pictures

// The author keys work (set once from the command line).
void set_author_keys(bool on);
bool author_keys();

// Shows or hides the hot-spot overlay.
void toggle_hotspot_overlay();
bool hotspot_overlay_shown();
// Draws the overlay for the scene on screen through the sprite batch; nothing while it is hidden.
void draw_author_overlay();
// Releases the overlay's textures (null-safe); they are made again when next drawn.
void release_author_overlay();

// Reads the script and the pointer picture from disk again and shows the picture of the scene on
// screen anew, without a transition, staying in that scene. 0; -1 when the new script does not
// load (the story stays as it was), after a line on standard error saying why.
int reload_story();

// Says once per file name on standard error why the picture of a scene (img_nm) could not be
// shown; the reads after a reload say it again.
void report_picture_failure(const char* image_name);
