// The game window on a screen set to more than 100 %: the canvas is shown larger by the screen's
// scale, in steps of a half (150 %, 200 %, ...), and no larger than the screen's work area allows,
// drawn as sharply as in full screen and with pointer positions mapped back the same way.
#pragma once
#include "platform/video/renderer.h"

struct WindowedLayout {
    int width, height;       // the client area: the menu bar over the canvas
    CanvasPlacement canvas;  // where the canvas lies in it (its top is the menu bar's height)
    int scale_halves;        // the scale of canvas and menu bar: 2 is 100 %, 3 is 150 %, ...
};

// dpi: the screen's dots per inch (96 is 100 %); work_width, work_height: the room a client area
// may take on the screen (0 when unknown: no limit); bar: the menu bar's height at 100 %, which
// grows by the same scale as the canvas.
WindowedLayout windowed_layout(int dpi, int work_width, int work_height, int bar);

// The scale the system gives the screen the game opens on, in dots per inch; 96 where the
// target has no such setting or the window system does not say.
int display_dpi();
