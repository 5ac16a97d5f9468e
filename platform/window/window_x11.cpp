// What the X server says about a window, where SDL only knows what it asked for. Kept apart:
// Xlib's headers define names (None, Status, Bool) that clash with ours.
#include <SDL.h>
#include <SDL_syswm.h>

#include "platform/window/sdl_shared.h"

bool sdl_x11_window_size(SDL_Window* window, int* width, int* height) {
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    // Through the Xlib that SDL itself loaded: no library of our own to link.
    using GetGeometry = Status (*)(Display*, Drawable, Window*, int*, int*, unsigned*, unsigned*, unsigned*,
                                   unsigned*);
    static void* xlib = SDL_LoadObject("libX11.so.6");
    static auto get_geometry = reinterpret_cast<GetGeometry>(xlib ? SDL_LoadFunction(xlib, "XGetGeometry") : nullptr);
    if (!get_geometry) return false;
    Window root = 0;
    int x = 0, y = 0;
    unsigned w = 0, h = 0, border = 0, depth = 0;
    if (!get_geometry(info.info.x11.display, info.info.x11.window, &root, &x, &y, &w, &h, &border, &depth))
        return false;
    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
    return true;
#else
    (void)window;
    (void)width;
    (void)height;
    return false;
#endif
}
