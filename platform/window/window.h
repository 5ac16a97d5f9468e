// The game window (the Win32 window's stand-in): one SDL window whose 800x600 canvas sits below
// a menu bar of our own in windowed mode and fills the desktop, letterboxed, in full-screen mode.
// Its events come out translated into what the game's window procedure handles.
#pragma once
#include <cstdint>

#include "platform/video/texture.h"

enum class WindowEventKind {
    None,          // taken from the queue, nothing for the game (pointer motion, menu navigation...)
    LeftPress,     // left button pressed over the canvas; x, y in canvas pixels
    RightPress,    // right button pressed over the canvas; x, y in canvas pixels
    EscapeKey,     // Esc pressed (repeat set for auto-repeat)
    AltEnter,      // Alt+Enter pressed
    PointerEnter,  // the system pointer moved onto the canvas (it is hidden there)
    PointerLeave,  // the system pointer left the canvas
    Paint,         // the window needs painting
    Close,         // the close box, Alt+F4 or a quit request
    Command,       // a menu item was chosen; command holds its id
    FunctionKey,   // F1..F12 pressed without Alt (F10 is the menu bar's); command holds 1..12
};

struct WindowEvent {
    WindowEventKind kind;
    int x, y;      // canvas pixels (presses)
    bool repeat;   // key auto-repeat
    int command;   // menu command id
};

// The menu bar: pop-ups with items, each label a texture of text (A8R8G8B8: glyphs opaque,
// the rest transparent) or null while no text is available (a plain block stands in).
constexpr int kMaxMenuPopups = 4;
constexpr int kMaxMenuItems = 4;

struct MenuLabel {
    const Texture* texture;  // the label's text; null: drawn as a block of placeholder_width
    int placeholder_width;   // pixels, used without a texture
    int underline_x;         // pixels from the label's left of the mnemonic letter
    int underline_width;     // pixels; 0 for no underline
};

struct MenuItem {
    MenuLabel label;
    char mnemonic;  // upper-case ASCII letter chosen by that key
    int command;    // id delivered in the Command event
};

struct MenuPopupLayout {
    MenuLabel label;
    char mnemonic;   // upper-case ASCII letter opening it with Alt
    int item_count;  // 1..kMaxMenuItems
    MenuItem items[kMaxMenuItems];
};

struct MenuBarLayout {
    int popup_count;  // 0..kMaxMenuPopups
    MenuPopupLayout popups[kMaxMenuPopups];
};

// Creates the window hidden, centred on the desktop, windowed with its menu bar, title from
// Shift-JIS. Text input is switched off. 0, or -1 when it cannot be made.
int window_create(const char* title_sjis);
// Installs the menu bar (copied; the textures must outlive the window's use of them).
void window_set_menu(const MenuBarLayout& layout);
// Sets the window icon from size x size pixels 0xAARRGGBB.
void window_set_icon(const uint32_t* argb, int size);
// Shows the window.
void window_show();
// The game's window is gone: hidden, no more events for it. The SDL window itself stays until
// window_release, so the renderer can be released after it.
void window_close();
// Destroys the SDL window. Null-safe.
void window_release();
// True between window_create and window_close.
bool window_exists();
// Restores the window if minimised and brings it to the front.
void window_raise();

// Takes one event without waiting: false when none was queued.
bool window_poll_event(WindowEvent* out);
// Takes one event, waiting up to timeout_ms for it (the thread sleeps meanwhile): false when none
// came in that time.
bool window_wait_event(WindowEvent* out, uint32_t timeout_ms);

// Where the system pointer is on the canvas: false when it is not over the canvas.
bool window_pointer_in_canvas(int* x, int* y);
// Moves the system pointer over canvas pixel (x, y) in the present mode.
void window_warp_pointer_to_canvas(int x, int y);
// Forgets that the pointer was over the canvas and shows the system pointer (a dialog opens).
void window_forget_pointer();

// The window's position on the desktop (windowed mode), to put it back after full-screen.
void window_get_position(int* x, int* y);
void window_set_position(int x, int y);
// The window system's own words for its last failure ("" when it has none), for the author.
const char* window_system_error();
void clear_window_system_error();

// Desktop size, pixels.
void window_desktop_size(int* width, int* height);

// Test seams. Queues input as the window system would deliver it to the game window (window
// pixels; key: an ASCII letter or one of the kKey constants).
constexpr int kKeyEscape = 27;
constexpr int kKeyReturn = 13;
constexpr int kKeyAlt = 0x100;
constexpr int kKeyDown = 0x101;
constexpr int kKeyF1 = 0x110;  // kKeyF1 + n - 1 is Fn
// Hidden, Shown and Exposed are what the window system says when the window is minimised or
// covered, shown again, and needs its picture again.
enum class RawInput { Motion, LeftDown, LeftUp, RightDown, KeyDown, KeyUp, Hidden, Shown, Exposed };
void window_inject(RawInput kind, int x, int y, int key = 0, bool alt = false, bool repeat = false);
// The window pixel that shows canvas pixel (x, y) in the present mode (for injected input).
void window_canvas_to_window(int x, int y, int* wx, int* wy);
// Test seam: a full-screen window covers a desktop of width x height pixels (0, 0: the real one),
// as on a monitor of that size; pointer positions are mapped through that letterbox.
void window_simulate_desktop(int width, int height);
// Test seam: the window manager's answer to a full-screen request comes ms after the request
// (0: whenever the window system shows it; 0xFFFFFFFF: never).
void window_simulate_window_manager_delay(uint32_t ms);
// True while a switch to full screen waits for the window manager (frames go on meanwhile).
bool window_awaiting_fullscreen();
// The canvas pixel the pointer was last sent to by window_warp_pointer_to_canvas; false if never.
bool window_last_warp(int* x, int* y);
