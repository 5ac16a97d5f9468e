// The window drawn without a GPU: the canvas, kept in our own buffer, copied or scaled by our own
// loops straight into the window's surface (on X11 memory shared with the server), the menu bar
// painted over it, and only what changed since the last frame sent on.
#pragma once
#include <cstdint>

struct Texture;

// What the canvas was drawn with since the last present: a clear to one colour, or a texture's
// pixels (by identity and version) from (src_x, src_y) at (x, y) for w x h, modulated by colour,
// clipped to clip (x, y, w, h, all in canvas pixels; the viewport then). Two frames drawn alike
// are alike. The renderer holds the same records until it carries them out.
struct CanvasDraw {
    Texture* texture;     // null for a clear
    uint32_t version;     // of the texture's pixels
    uint32_t colour;      // modulation 0xAARRGGBB, or the clear colour
    int src_x, src_y;     // texture pixels
    int x, y, w, h;       // canvas pixels, before clipping
    int clip_x, clip_y, clip_w, clip_h;
};
void surface_note_draw(const CanvasDraw& draw);

// Canvas rows brought up to date and drawn on at a time: one band's canvas rows and the rows of
// two full-width pictures under them fit the core's second-level cache together.
constexpr int kCanvasBandRows = 32;

// Brings canvas pixels (x, y, w, h) up to date: the canvas is drawn only where it is shown anew.
using CanvasUpdate = void (*)(int x, int y, int w, int h);

// Draws the changed part of the canvas (800x600 pixels, rows 3200 bytes apart) into the window's
// surface: windowed at the windowed placement below the menu bar, else letterboxed on black,
// scaled by area. update (unless null) is asked for that part of the canvas first, a band of rows
// at a time, each band drawn on before the next is asked for; *updated tells whether the canvas
// now holds the frame (false when the compose failed before asking). false when the window has no
// surface to draw into.
bool surface_compose(const uint32_t* canvas, bool windowed, CanvasUpdate update, bool* updated);
// Sends to the window system what surface_compose drew (nothing when nothing changed). false on
// failure.
bool surface_show();
// Drops what belongs to the window's surface (its menu-bar renderer, the scaling tables).
void surface_release();
