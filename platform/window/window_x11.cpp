// What SDL leaves undone on X: the window's real size as the server has it (SDL knows only what it
// asked for), whether a window manager runs and lists the window as full-screen, the ICCCM
// title as UTF8_STRING, and no compose table for an input method the game never uses. Kept
// apart: Xlib's headers define names (None, Status, Bool) that clash with ours.
#include <SDL.h>
#include <SDL_syswm.h>

#include <cstdlib>

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

// Reads a property of 32-bit items of an X window: true with up to max items in out and their
// count in *count. Errors (a window that is gone) are caught, not fatal.
bool read_items(Display* display, Window window, const char* name, Atom type, unsigned long* out, int max,
                int* count) {
    using InternAtom = Atom (*)(Display*, const char*, Bool);
    using GetProperty = int (*)(Display*, Window, Atom, long, long, Bool, Atom, Atom*, int*, unsigned long*,
                                unsigned long*, unsigned char**);
    using Free = int (*)(void*);
    using Sync = int (*)(Display*, Bool);
    using ErrorHandler = int (*)(Display*, XErrorEvent*);
    using SetErrorHandler = ErrorHandler (*)(ErrorHandler);
    static auto intern_atom = reinterpret_cast<InternAtom>(xlib_function("XInternAtom"));
    static auto get_property = reinterpret_cast<GetProperty>(xlib_function("XGetWindowProperty"));
    static auto free_data = reinterpret_cast<Free>(xlib_function("XFree"));
    static auto sync = reinterpret_cast<Sync>(xlib_function("XSync"));
    static auto set_error_handler = reinterpret_cast<SetErrorHandler>(xlib_function("XSetErrorHandler"));
    if (!intern_atom || !get_property || !free_data || !sync || !set_error_handler) return false;
    const Atom property = intern_atom(display, name, False);
    if (property == 0) return false;
    sync(display, False);  // errors of earlier requests go to the handler they were made under
    ErrorHandler previous = set_error_handler([](Display*, XErrorEvent*) { return 0; });
    Atom actual = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    const bool read = get_property(display, window, property, 0, max, False, type, &actual, &format, &items, &after,
                                   &data) == Success;
    sync(display, False);
    set_error_handler(previous);
    const bool ok = read && data && actual == type && format == 32;
    *count = 0;
    if (ok) {
        const auto* values = reinterpret_cast<const unsigned long*>(data);  // Xlib hands 32-bit items as longs
        for (unsigned long i = 0; i < items && *count < max; ++i) out[(*count)++] = values[i];
    }
    if (data) free_data(data);
    return ok;
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

bool sdl_x11_window_manager_present(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    if (!x11_window_of(window, &info)) return true;
    using RootWindow = Window (*)(Display*);
    static auto root_window = reinterpret_cast<RootWindow>(xlib_function("XDefaultRootWindow"));
    if (!root_window) return true;
    Display* display = info.info.x11.display;
    // A window manager of today names a window of its own on the root window, and that window
    // names itself: a name left behind by one that ended does not count.
    unsigned long check = 0, self = 0;
    int n = 0, m = 0;
    return read_items(display, root_window(display), "_NET_SUPPORTING_WM_CHECK", 33 /* XA_WINDOW */, &check, 1, &n) &&
           n == 1 && read_items(display, check, "_NET_SUPPORTING_WM_CHECK", 33, &self, 1, &m) && m == 1 &&
           self == check;
#else
    (void)window;
    return true;
#endif
}

bool sdl_x11_fullscreen_state(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    if (!x11_window_of(window, &info)) return false;
    using InternAtom = Atom (*)(Display*, const char*, Bool);
    static auto intern_atom = reinterpret_cast<InternAtom>(xlib_function("XInternAtom"));
    if (!intern_atom) return false;
    Display* display = info.info.x11.display;
    const Atom fullscreen = intern_atom(display, "_NET_WM_STATE_FULLSCREEN", False);
    constexpr int kMaxStates = 16;
    unsigned long states[kMaxStates];
    int n = 0;
    if (!read_items(display, info.info.x11.window, "_NET_WM_STATE", 4 /* XA_ATOM */, states, kMaxStates, &n))
        return false;
    for (int i = 0; i < n; ++i)
        if (states[i] == fullscreen) return true;
    return false;
#else
    (void)window;
    return false;
#endif
}

void sdl_x11_no_compose_table() {
#if defined(SDL_VIDEO_DRIVER_X11)
    // SDL opens Xlib's input method as its video starts, and Xlib then parses the locale's whole
    // compose table (half a megabyte for the UTF-8 locales, several milliseconds) at every start.
    // The game takes no text, so the table it reads is empty.
    setenv("XCOMPOSEFILE", "/dev/null", 1);
#endif
}
