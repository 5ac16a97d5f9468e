// The screen's scale on Windows: the effective DPI of the primary screen, which the system gives
// the game as it is per-monitor DPI aware (its manifest).
#include <SDL.h>

int display_dpi() {
    float hdpi = 0;
    if (SDL_GetDisplayDPI(0, nullptr, &hdpi, nullptr) != 0 || hdpi < 48 || hdpi > 960) return 96;
    return static_cast<int>(hdpi + 0.5f);
}
