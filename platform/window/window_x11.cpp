// What SDL leaves undone on X: the window's real size as the server has it (SDL knows only what it
// asked for), and its ICCCM title as UTF8_STRING. Kept apart: Xlib's headers define names (None,
// Status, Bool) that clash with ours.
#include <SDL.h>
#include <SDL_syswm.h>

#include "platform/window/sdl_shared.h"

#if defined(SDL_VIDEO_DRIVER_X11)
namespace {

// Calls go through the Xlib that SDL itself loaded: no library of our own to link.
void* xlib_function(const char* name) {
    static void* xlib = SDL_LoadObject("libX11.so.6");
    return xlib ? SDL_LoadFunction(xlib, name) : nullptr;
}

// The X display and window of an SDL window; false when it is no X window.
bool x11_window_of(SDL_Window* window, SDL_SysWMinfo* info) {
    SDL_VERSION(&info->version);
    return window && SDL_GetWindowWMInfo(window, info) && info->subsystem == SDL_SYSWM_X11;
}

}  // namespace
#endif

// Rewrites an X window's ICCCM title (WM_NAME) as UTF8_STRING. false when it is no X window.
static bool x11_set_title(SDL_Window* window, const char* utf8) {
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    if (!utf8 || !x11_window_of(window, &info)) return false;
    using InternAtom = Atom (*)(Display*, const char*, Bool);
    using ChangeProperty = int (*)(Display*, Window, Atom, Atom, int, int, const unsigned char*, int);
    using Flush = int (*)(Display*);
    static auto intern_atom = reinterpret_cast<InternAtom>(xlib_function("XInternAtom"));
    static auto change_property = reinterpret_cast<ChangeProperty>(xlib_function("XChangeProperty"));
    static auto flush = reinterpret_cast<Flush>(xlib_function("XFlush"));
    if (!intern_atom || !change_property || !flush) return false;
    Display* display = info.info.x11.display;
    const Atom utf8_string = intern_atom(display, "UTF8_STRING", False);
    if (utf8_string == 0) return false;
    const int length = static_cast<int>(SDL_strlen(utf8));
    const auto* bytes = reinterpret_cast<const unsigned char*>(utf8);
    // WM_NAME is atom 39 (XA_WM_NAME) in every X server.
    change_property(display, info.info.x11.window, 39, utf8_string, 8, PropModeReplace, bytes, length);
    flush(display);
    return true;
#else
    (void)window;
    (void)utf8;
    return false;
#endif
}

void sdl_window_set_title(SDL_Window* window, const char* utf8) {
    if (!window) return;
    SDL_SetWindowTitle(window, utf8 ? utf8 : "");
    x11_set_title(window, SDL_GetWindowTitle(window));
}

bool sdl_x11_window_size(SDL_Window* window, int* width, int* height) {
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    if (!x11_window_of(window, &info)) return false;
    using GetGeometry = Status (*)(Display*, Drawable, Window*, int*, int*, unsigned*, unsigned*, unsigned*,
                                   unsigned*);
    static auto get_geometry = reinterpret_cast<GetGeometry>(xlib_function("XGetGeometry"));
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
