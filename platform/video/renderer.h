// The drawing device (the Direct3D device's stand-in): draws the 800x600 canvas and presents it
// windowed (below the menu bar) or full-screen (scaled and letterboxed); an SDL GPU renderer, or
// without a GPU our own canvas put into the window's surface by our own loops.
#pragma once
#include <cstdint>

#include "platform/system/hresult.h"

constexpr int kBackBufferWidth = 800;   // pixels
constexpr int kBackBufferHeight = 600;  // pixels

enum class RendererKind {
    Accelerated,  // the GPU renderer on the main window
    Software,     // the canvas in our own buffer, drawn into the main window's surface by our loops
                  // (on the page: SDL's software renderer on the main window)
    Offscreen,    // software renderer on an 800x600 surface, no window (tests, bench, replays)
};

// Creates the renderer of the given kind (the window ones need window_create first) and installs
// the sprite batch's sink. S_OK, D3DERR_OUTOFVIDEOMEMORY when memory ran out, E_FAIL otherwise.
HRESULT renderer_create(RendererKind kind);
// Releases every renderer copy of the textures, the canvas and the renderer. Null-safe.
void renderer_release();
bool renderer_exists();
RendererKind renderer_kind();

// Sets the fixed states: blend mode for clears, nearest sampling for new copies.
void renderer_apply_states();
// The drawing area inside the canvas (the whole canvas after creation). S_OK or E_FAIL.
HRESULT renderer_set_viewport(int x, int y, int width, int height);

// Clears the whole canvas to an ARGB colour.
HRESULT renderer_clear(uint32_t argb);
// Brackets the drawing of one frame. begin fails while the device is lost.
HRESULT renderer_begin_scene();
HRESULT renderer_end_scene();
// Shows the canvas at the next refresh of the display (where the present does not wait for the
// retrace itself, the wait is made here; see refresh.h): S_OK, D3DERR_DEVICELOST when the device
// was lost (the frame is not shown), E_FAIL for any other failure.
HRESULT renderer_present();

// Applies a presentation set (windowed 1: window with menu bar; 0: desktop full-screen) and brings
// a lost renderer back. S_OK, D3DERR_DEVICELOST (try again later), D3DERR_NOTAVAILABLE (the window
// cannot cover the screen: it stays windowed, as does the presentation) or E_FAIL.
HRESULT renderer_reset(int windowed);
// S_OK when usable, D3DERR_DEVICELOST while lost, D3DERR_DEVICENOTRESET when a reset is due.
HRESULT renderer_test_cooperative_level();
// Called by the event loop when SDL reports its render targets or device reset.
void renderer_note_reset_event(bool device_reset);
// 1 windowed, 0 full-screen: the presentation set applied last.
int renderer_windowed();

// Copies the last drawn canvas into out (800x600 pixels 0xAARRGGBB, alpha 0xFF). false on failure.
bool renderer_read_canvas(uint32_t* out);

// Letterbox: where the canvas lies in an output of the given size, scaled as large as fits keeping
// its aspect, centred. Full-screen presentation scales it by area (Software kind): every screen
// pixel shows the canvas pixels it covers, weighted by how much it covers of each; whole factors
// stay exact. A GPU renderer enlarges it by nearest neighbour to the smallest whole multiple that
// reaches that size, then linearly down to it.
struct CanvasPlacement {
    int x, y;           // output pixels of the canvas's top-left corner
    int width, height;  // output pixels the canvas covers
};
CanvasPlacement letterbox_placement(int output_width, int output_height);
// The canvas pixel shown at output pixel (px, py) of a letterboxed canvas (the one under the
// pixel's centre, which it shows the most of); false in the bars.
bool letterbox_to_canvas(const CanvasPlacement& p, int px, int py, int* cx, int* cy);
// An output pixel that shows canvas pixel (cx, cy) (the first one along each axis).
void letterbox_from_canvas(const CanvasPlacement& p, int cx, int cy, int* px, int* py);

// What full-screen presentation without a GPU shows on an output of ow x oh pixels for a given
// canvas (the same scaling by area, on black): ow x oh pixels into out.
bool renderer_letterbox_image(const uint32_t* canvas, int ow, int oh, uint32_t* out);

// Test seam: the next present reports the device lost; then lost_polls cooperative-level polls
// report D3DERR_DEVICELOST, after which they report after_polls (S_OK: usable again without a
// reset, D3DERR_DEVICENOTRESET, or a failure); the next reset returns reset_result.
void renderer_simulate_loss(int lost_polls, HRESULT after_polls, HRESULT reset_result);
// Tests, the benchmark and the replay harness: the device is made offscreen, whatever is asked.
void renderer_set_offscreen_only(bool on);
bool renderer_offscreen_only();
// Test seam: the next count creations fail with result.
void renderer_fail_next_creations(int count, HRESULT result);
// Test and harness seam: how many resets and presents were made since creation.
int renderer_reset_count();
int renderer_present_count();
