// The windowed layout for a screen scale; on the desktop and in the page the screen counts as
// 100 % (X has no per-screen scale SDL reads reliably; the browser scales the page itself).
#include "platform/window/display_scale.h"

WindowedLayout windowed_layout(int dpi, int work_width, int work_height, int bar) {
    int halves = dpi > 0 ? dpi * 2 / 96 : 2;  // the scale in halves, rounded down
    if (halves < 2) halves = 2;
    auto fits = [&](int h) {
        return (work_width <= 0 || kBackBufferWidth * h / 2 <= work_width) &&
               (work_height <= 0 || (kBackBufferHeight + bar) * h / 2 <= work_height);
    };
    while (halves > 2 && !fits(halves)) --halves;
    const int w = kBackBufferWidth * halves / 2, h = kBackBufferHeight * halves / 2, b = bar * halves / 2;
    return WindowedLayout{w, b + h, CanvasPlacement{0, b, w, h}, halves};
}
