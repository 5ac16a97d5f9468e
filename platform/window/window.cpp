// The game window over SDL: creation, icon, show/raise, event translation and pointer mapping.
#include "platform/window/window.h"

#include <SDL.h>

#include <algorithm>
#include <clocale>
#include <cstring>
#include <string>
#include <vector>

#include "platform/system/clock.h"
#include "platform/video/renderer.h"
#include "platform/window/display_scale.h"
#include "platform/window/sdl_shared.h"
#include "platform/text/sjis.h"

namespace {

constexpr int kMenuBarHeight = 20;  // pixels above the canvas in windowed mode, at 100 %
constexpr uint32_t kWindowManagerAnswerMs = 1000;  // a window manager's time to make the window
                                                   // full-screen; frames go on meanwhile
constexpr uint32_t kOwnSizeGraceMs = 150;  // the window system's time to grant a size we set
constexpr uint32_t kAwaitPollMs = 10;      // longest wait for an event while the answer is awaited

struct WindowState {
    SDL_Window* window = nullptr;  // null before creation and after release
    Uint32 id = 0;                 // SDL window id of the game window
    bool open = false;             // created and not yet closed
    bool pointer_inside = false;   // the system pointer is over the canvas (and hidden)
    bool warped = false;           // the pointer was moved by the program
    int warp_x = 0, warp_y = 0;    // canvas pixel it was moved to
    int desktop_w = 0, desktop_h = 0;  // test seam: simulated full-screen size, 0 = real
    bool self_sized = false;       // full-screen by our own sizing: borderless, covering the screen
    bool awaiting = false;         // full screen asked of the window manager, not yet carried out
    uint32_t asked_at = 0;         // clock_now_ms of that request
    SDL_Rect screen{};             // the display's bounds when it was asked
    bool warp_again = false;       // the pointer was placed while awaiting: again once carried out
    uint32_t answer_delay_ms = 0;  // test seam: the answer counts only this long after the request
    bool buttons_held_over = false;  // button events are ignored until every button is up
    WindowedLayout layout = windowed_layout(96, 0, 0, kMenuBarHeight);  // by the screen's scale
};

WindowState ws;  // user-interface thread only

bool fullscreen() {
    return ws.window && (ws.self_sized || (SDL_GetWindowFlags(ws.window) & SDL_WINDOW_FULLSCREEN) != 0);
}

// Character handling follows the user's locale, so that the window system gets our UTF-8 titles
// in the encoding it expects (X converts the ICCCM title, WM_NAME, through it). A session with
// no locale at all (C or POSIX) gets C.UTF-8. Numbers keep the C conventions: LC_NUMERIC stays.
void take_character_locale() {
    static bool taken = false;
    if (taken) return;
    taken = true;
    const char* name = std::setlocale(LC_CTYPE, "");
    if (!name || std::strcmp(name, "C") == 0 || std::strcmp(name, "POSIX") == 0) std::setlocale(LC_CTYPE, "C.UTF-8");
}

// The size the window system really gave the window. SDL reports the size it asked for, which
// is not granted where nobody carries the request out (full screen without a window manager).
void real_window_size(int* w, int* h) {
    if (!sdl_x11_window_size(ws.window, w, h)) SDL_GetWindowSize(ws.window, w, h);
}

// True when the window has this size, as SDL sees it and as the window system made it.
bool window_has_size(int width, int height) {
    int w = 0, h = 0;
    SDL_GetWindowSize(ws.window, &w, &h);
    if (w != width || h != height) return false;
    real_window_size(&w, &h);
    return w == width && h == height;
}

// True when the window manager has made the window full-screen: it covers the screen.
bool window_manager_answered() {
    if (ws.answer_delay_ms != 0) return clock_now_ms() - ws.asked_at >= ws.answer_delay_ms;
    return window_has_size(ws.screen.w, ws.screen.h);
}

// Waits up to ms for the window system to give the window this size.
bool window_gets_size(int width, int height, uint32_t ms) {
    const Uint32 start = SDL_GetTicks();
    while (!window_has_size(width, height)) {
        if (SDL_GetTicks() - start >= ms) return false;
        SDL_Delay(10);
    }
    return true;
}

void set_windowed_size() { SDL_SetWindowSize(ws.window, ws.layout.width, ws.layout.height); }

// The windowed layout for the screen's scale, within its work area (less a title bar's room).
WindowedLayout choose_windowed_layout() {
    constexpr int kFrameRoom = 64;
    SDL_Rect usable{0, 0, 0, 0};
    if (SDL_GetDisplayUsableBounds(0, &usable) != 0) usable = SDL_Rect{0, 0, 0, 0};
    return windowed_layout(display_dpi(), usable.w, usable.h > kFrameRoom ? usable.h - kFrameRoom : 0, kMenuBarHeight);
}

// Where the canvas lies in the full-screen window.
CanvasPlacement fullscreen_placement() {
    int w = ws.desktop_w, h = ws.desktop_h;
    if (w <= 0 || h <= 0) SDL_GetWindowSize(ws.window, &w, &h);
    return letterbox_placement(w, h);
}

// Maps a window pixel to a canvas pixel in the present mode; false outside the canvas.
bool window_to_canvas(int wx, int wy, int* cx, int* cy) {
    if (!ws.window) return false;
    if (fullscreen()) {
        return letterbox_to_canvas(fullscreen_placement(), wx, wy, cx, cy);
    }
    return letterbox_to_canvas(ws.layout.canvas, wx, wy, cx, cy);
}

// Follows the pointer across the canvas edge; reports a crossing in out.
void track_pointer(int wx, int wy, bool in_window, WindowEvent* out) {
    int cx = 0, cy = 0;
    bool inside = in_window && window_to_canvas(wx, wy, &cx, &cy) && !menu_bar_covers(wx, wy);
    if (inside == ws.pointer_inside) return;
    ws.pointer_inside = inside;
    SDL_ShowCursor(inside ? SDL_DISABLE : SDL_ENABLE);
    out->kind = inside ? WindowEventKind::PointerEnter : WindowEventKind::PointerLeave;
}

void translate_window_event(const SDL_WindowEvent& e, WindowEvent* out) {
    switch (e.event) {
        case SDL_WINDOWEVENT_CLOSE: out->kind = WindowEventKind::Close; break;
        // Shown again or restored: not every window system follows with an expose, so the
        // picture is drawn again at once.
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_RESTORED:
            sdl_window_surface_invalidate();
            out->kind = WindowEventKind::Paint;
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED: sdl_window_surface_invalidate(); break;
        case SDL_WINDOWEVENT_LEAVE: track_pointer(0, 0, false, out); break;
        case SDL_WINDOWEVENT_FOCUS_LOST: menu_bar_reset(); break;
        default: break;
    }
}

// While buttons held over from a closed modal window are ignored: true for their events, which
// the game does not see; a release with no button left down, or a motion with none, ends it.
bool skip_held_over_buttons(const SDL_Event& e) {
    if (e.type == SDL_MOUSEMOTION && e.motion.state == 0) ws.buttons_held_over = false;
    if (e.type != SDL_MOUSEBUTTONDOWN && e.type != SDL_MOUSEBUTTONUP) return false;
    if (e.type == SDL_MOUSEBUTTONUP && SDL_GetMouseState(nullptr, nullptr) == 0) ws.buttons_held_over = false;
    return true;
}

void translate(const SDL_Event& e, WindowEvent* out) {
    if (e.type == SDL_QUIT) {
        out->kind = WindowEventKind::Close;
        return;
    }
    if (e.type == SDL_RENDER_TARGETS_RESET || e.type == SDL_RENDER_DEVICE_RESET) {
        renderer_note_reset_event(e.type == SDL_RENDER_DEVICE_RESET);
        return;
    }
    if (!ws.open) return;
    if (ws.buttons_held_over && skip_held_over_buttons(e)) return;
    if (e.type == SDL_WINDOWEVENT) {
        if (e.window.windowID == ws.id) translate_window_event(e.window, out);
        return;
    }
    Uint32 id = 0;
    switch (e.type) {
        case SDL_MOUSEMOTION: id = e.motion.windowID; break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: id = e.button.windowID; break;
        case SDL_KEYDOWN:
        case SDL_KEYUP: id = e.key.windowID; break;
        default: return;
    }
    if (id != ws.id) return;
    int command = 0;
    if (!fullscreen() && menu_bar_handle(e, &command)) {
        if (command != 0) {
            out->kind = WindowEventKind::Command;
            out->command = command;
        }
        if (e.type == SDL_MOUSEMOTION) track_pointer(e.motion.x, e.motion.y, true, out);
        return;
    }
    switch (e.type) {
        case SDL_MOUSEMOTION: track_pointer(e.motion.x, e.motion.y, true, out); break;
        case SDL_MOUSEBUTTONDOWN: {
            if (e.button.button != SDL_BUTTON_LEFT && e.button.button != SDL_BUTTON_RIGHT) break;
            int cx = 0, cy = 0;
            if (!window_to_canvas(e.button.x, e.button.y, &cx, &cy)) break;  // bar, border, bars
            out->kind = e.button.button == SDL_BUTTON_LEFT ? WindowEventKind::LeftPress
                                                           : WindowEventKind::RightPress;
            out->x = cx;
            out->y = cy;
            break;
        }
        case SDL_KEYDOWN: {
            SDL_Keycode key = e.key.keysym.sym;
            bool alt = (e.key.keysym.mod & KMOD_ALT) != 0;
            if (key == SDLK_ESCAPE && !alt) {
                out->kind = WindowEventKind::EscapeKey;
                out->repeat = e.key.repeat != 0;
            } else if ((key == SDLK_RETURN || key == SDLK_KP_ENTER) && alt && !e.key.repeat) {
                out->kind = WindowEventKind::AltEnter;
            } else if (key == SDLK_F4 && alt) {
                out->kind = WindowEventKind::Close;
            } else if (key >= SDLK_F1 && key <= SDLK_F12 && key != SDLK_F10 && !alt && !e.key.repeat) {
                out->kind = WindowEventKind::FunctionKey;
                out->command = static_cast<int>(key - SDLK_F1) + 1;
            }
            break;
        }
        default: break;
    }
}

// Makes the window cover the screen by itself, borderless, leaving full screen to nobody else.
// false when the window system does not give it that size either: the window is windowed again.
bool cover_screen_ourselves(const SDL_Rect& screen) {
    SDL_Window* win = ws.window;
    SDL_SetWindowFullscreen(win, 0);
    SDL_SetWindowBordered(win, SDL_FALSE);
    SDL_SetWindowPosition(win, screen.x, screen.y);
    SDL_SetWindowSize(win, screen.w, screen.h);
    if (window_gets_size(screen.w, screen.h, kOwnSizeGraceMs)) {
        ws.self_sized = true;
        return true;
    }
    SDL_SetWindowBordered(win, SDL_TRUE);
    set_windowed_size();
    return false;
}

// While full screen is awaited from the window manager: once the window covers the screen (or the
// window manager lists it as full-screen when the time is up) the switch is complete, and the
// picture is drawn again at the new size; after kWindowManagerAnswerMs without an answer the
// window covers the screen by itself, or, where it cannot, the game is sent back to windowed mode
// by an Alt+Enter of our own. true with that event in out.
bool settle_fullscreen(WindowEvent* out) {
    if (!ws.awaiting || !ws.window) return false;
    bool done = window_manager_answered();
    if (!done && clock_now_ms() - ws.asked_at < kWindowManagerAnswerMs) return false;
    ws.awaiting = false;
    if (!done && ws.answer_delay_ms == 0) done = sdl_x11_fullscreen_state(ws.window);
    if (!done && !cover_screen_ourselves(ws.screen)) {
        out->kind = WindowEventKind::AltEnter;
        return true;
    }
    if (ws.warp_again) window_warp_pointer_to_canvas(ws.warp_x, ws.warp_y);
    ws.warp_again = false;
    out->kind = WindowEventKind::Paint;
    return true;
}

}  // namespace

SDL_Window* sdl_main_window() { return ws.window; }

void sdl_main_window_ignore_held_buttons() { ws.buttons_held_over = ws.window != nullptr; }

const char* window_system_error() { return SDL_GetError(); }
void clear_window_system_error() { SDL_ClearError(); }
int sdl_menu_bar_height() { return ws.layout.canvas.y; }
int sdl_window_scale_halves() { return ws.layout.scale_halves; }

CanvasPlacement sdl_windowed_canvas() { return ws.layout.canvas; }

bool sdl_video_up() {
    take_character_locale();
    if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
    sdl_x11_no_compose_table();
    return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

int window_create(const char* title_sjis) {
    window_release();
    if (!sdl_video_up()) return -1;
    std::string title = sjis_to_utf8(title_sjis ? title_sjis : "");
    ws.layout = choose_windowed_layout();
    ws.window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                 ws.layout.width, ws.layout.height, SDL_WINDOW_HIDDEN);
    if (!ws.window) return -1;
    sdl_window_set_title(ws.window, title.c_str());
    ws.id = SDL_GetWindowID(ws.window);
    ws.open = true;
    ws.pointer_inside = false;
    // No input method: keys arrive as plain key presses only.
    SDL_StopTextInput();
    return 0;
}

void window_set_menu(const MenuBarLayout& layout) { menu_bar_set(layout); }

void window_set_icon(const uint32_t* argb, int size) {
    if (!ws.window || !argb || size <= 0) return;
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(argb), size, size, 32,
                                                        size * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!s) return;
    SDL_SetWindowIcon(ws.window, s);
    SDL_FreeSurface(s);
}

void window_show() {
    if (!ws.open) return;
    SDL_ShowWindow(ws.window);
    sdl_window_set_title(ws.window, SDL_GetWindowTitle(ws.window));
}

void window_close() {
    if (!ws.open) return;
    ws.open = false;
    menu_bar_reset();
    if (ws.pointer_inside) SDL_ShowCursor(SDL_ENABLE);
    ws.pointer_inside = false;
    SDL_HideWindow(ws.window);
}

void window_release() {
    window_close();
    if (ws.window) SDL_DestroyWindow(ws.window);
    ws.window = nullptr;
    ws.id = 0;
    ws.self_sized = false;
    ws.awaiting = false;
    ws.warp_again = false;
    ws.buttons_held_over = false;
}

bool window_exists() { return ws.open; }

void window_raise() {
    if (!ws.open) return;
    if (SDL_GetWindowFlags(ws.window) & SDL_WINDOW_MINIMIZED) SDL_RestoreWindow(ws.window);
    SDL_RaiseWindow(ws.window);
}

bool window_poll_event(WindowEvent* out) {
    *out = WindowEvent{WindowEventKind::None, 0, 0, false, 0};
    if (settle_fullscreen(out)) return true;
    SDL_Event e;
    if (!SDL_WasInit(SDL_INIT_EVENTS) || !SDL_PollEvent(&e)) return false;
    translate(e, out);
    return true;
}

bool window_wait_event(WindowEvent* out, uint32_t timeout_ms) {
    *out = WindowEvent{WindowEventKind::None, 0, 0, false, 0};
    if (settle_fullscreen(out)) return true;
    if (ws.awaiting) timeout_ms = std::min(timeout_ms, kAwaitPollMs);
    const int timeout = static_cast<int>(std::min<uint32_t>(timeout_ms, 0x7FFFFFFF));
    if (!SDL_WasInit(SDL_INIT_EVENTS)) {
        SDL_Delay(static_cast<Uint32>(timeout));
        return false;
    }
    SDL_Event e;
    if (!SDL_WaitEventTimeout(&e, timeout)) return false;
    translate(e, out);
    return true;
}

bool window_set_fullscreen(bool on) {
    SDL_Window* win = ws.window;
    if (!win) return true;
    ws.awaiting = false;
    ws.warp_again = false;
    if (!on) {
        const bool ok = SDL_SetWindowFullscreen(win, 0) == 0;
        if (ws.self_sized) SDL_SetWindowBordered(win, SDL_TRUE);
        ws.self_sized = false;
        set_windowed_size();
        return ok;
    }
    SDL_Rect screen{0, 0, 0, 0};
    const int display = SDL_GetWindowDisplayIndex(win);
    if (SDL_GetDisplayBounds(display < 0 ? 0 : display, &screen) != 0) return false;
    // Without a window manager nobody would answer the request: the window covers the screen by
    // itself at once.
    if (!sdl_x11_window_manager_present(win) || SDL_SetWindowFullscreen(win, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0)
        return cover_screen_ourselves(screen);
    // The window manager makes the window full-screen in its own time; the game goes on in
    // full-screen mode meanwhile and the answer is awaited while events are taken.
    ws.awaiting = true;
    ws.asked_at = clock_now_ms();
    ws.screen = screen;
    if (window_manager_answered()) ws.awaiting = false;
    return true;
}

void window_simulate_window_manager_delay(uint32_t ms) { ws.answer_delay_ms = ms; }

bool window_awaiting_fullscreen() { return ws.awaiting; }

bool window_pointer_in_canvas(int* x, int* y) {
    if (!ws.open || SDL_GetMouseFocus() != ws.window) return false;
    int wx = 0, wy = 0;
    SDL_GetMouseState(&wx, &wy);
    if (menu_bar_covers(wx, wy)) return false;
    return window_to_canvas(wx, wy, x, y);
}

void window_warp_pointer_to_canvas(int x, int y) {
    if (!ws.open) return;
    ws.warp_again = ws.awaiting;  // the window's size is not yet the one it will have
    ws.warped = true;
    ws.warp_x = x;
    ws.warp_y = y;
    int wx = 0, wy = 0;
    window_canvas_to_window(x, y, &wx, &wy);
    SDL_WarpMouseInWindow(ws.window, wx, wy);
}

void window_canvas_to_window(int x, int y, int* wx, int* wy) {
    letterbox_from_canvas(fullscreen() ? fullscreen_placement() : ws.layout.canvas, x, y, wx, wy);
}

void window_forget_pointer() {
    if (ws.pointer_inside) SDL_ShowCursor(SDL_ENABLE);
    ws.pointer_inside = false;
}

void window_get_position(int* x, int* y) {
    *x = *y = 0;
    if (ws.window) SDL_GetWindowPosition(ws.window, x, y);
}

void window_set_position(int x, int y) {
    if (ws.window) SDL_SetWindowPosition(ws.window, x, y);
}

void window_desktop_size(int* width, int* height) {
    SDL_DisplayMode mode{};
    int display = ws.window ? SDL_GetWindowDisplayIndex(ws.window) : 0;
    if (SDL_GetDesktopDisplayMode(display < 0 ? 0 : display, &mode) != 0) {
        mode.w = kBackBufferWidth;
        mode.h = kBackBufferHeight;
    }
    *width = mode.w;
    *height = mode.h;
}

bool window_last_warp(int* x, int* y) {
    *x = ws.warp_x;
    *y = ws.warp_y;
    return ws.warped;
}

void window_simulate_desktop(int width, int height) {
    ws.desktop_w = width;
    ws.desktop_h = height;
}

void window_inject(RawInput kind, int x, int y, int key, bool alt, bool repeat) {
    SDL_Event e{};
    switch (kind) {
        case RawInput::Hidden:
        case RawInput::Shown:
        case RawInput::Exposed:
            e.type = SDL_WINDOWEVENT;
            e.window.windowID = ws.id;
            e.window.event = kind == RawInput::Hidden  ? SDL_WINDOWEVENT_HIDDEN
                             : kind == RawInput::Shown ? SDL_WINDOWEVENT_SHOWN
                                                       : SDL_WINDOWEVENT_EXPOSED;
            break;
        case RawInput::Motion:
            e.type = SDL_MOUSEMOTION;
            e.motion.windowID = ws.id;
            e.motion.x = x;
            e.motion.y = y;
            break;
        case RawInput::LeftDown:
        case RawInput::LeftUp:
        case RawInput::RightDown:
            e.type = kind == RawInput::LeftUp ? SDL_MOUSEBUTTONUP : SDL_MOUSEBUTTONDOWN;
            e.button.windowID = ws.id;
            e.button.button = kind == RawInput::RightDown ? SDL_BUTTON_RIGHT : SDL_BUTTON_LEFT;
            e.button.x = x;
            e.button.y = y;
            break;
        case RawInput::KeyDown:
        case RawInput::KeyUp:
            e.type = kind == RawInput::KeyDown ? SDL_KEYDOWN : SDL_KEYUP;
            e.key.windowID = ws.id;
            e.key.repeat = repeat ? 1 : 0;
            e.key.keysym.sym = key == kKeyEscape   ? SDLK_ESCAPE
                               : key == kKeyReturn ? SDLK_RETURN
                               : key == kKeyAlt    ? SDLK_LALT
                               : key == kKeyDown   ? SDLK_DOWN
                               : key >= kKeyF1 && key < kKeyF1 + 12 ? static_cast<SDL_Keycode>(SDLK_F1 + (key - kKeyF1))
                                                   : static_cast<SDL_Keycode>(key);
            e.key.keysym.mod = alt ? KMOD_LALT : KMOD_NONE;
            break;
    }
    SDL_PushEvent(&e);
}
