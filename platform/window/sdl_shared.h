// What the SDL-based stand-ins share among themselves (window, renderer, menu bar, dialogs).
// Not for game code: it names SDL types.
#pragma once
#include <SDL.h>

#include "platform/video/renderer.h"
#include "platform/video/texture.h"

// The main window, or null before creation and after release.
SDL_Window* sdl_main_window();
// The main renderer, or null.
SDL_Renderer* sdl_main_renderer();
// Height of the menu bar above the canvas in windowed mode, pixels (grown by the screen's scale).
int sdl_menu_bar_height();
// The windowed scale in halves: 2 is 100 %, 3 is 150 %, 4 is 200 %. The canvas and the menu bar
// are drawn that much larger.
int sdl_window_scale_halves();
// Where the canvas lies in the window in windowed mode (below the menu bar, enlarged by the
// screen's scale), window pixels.
CanvasPlacement sdl_windowed_canvas();
// Paints the menu bar and any open pop-up onto the current target of renderer (window pixels):
// the main renderer, or one made on the window's surface.
void sdl_paint_window_chrome(SDL_Renderer* renderer);
// The window is drawn and sent whole at the next present (exposed, resized, another mode).
void sdl_window_surface_invalidate();
// The renderer's copy of a texture, uploaded again when its pixels changed; null on failure.
SDL_Texture* sdl_texture_of(Texture* texture);
// A one-off SDL copy of a texture's pixels on any renderer (X8 textures made opaque). Caller owns.
SDL_Texture* sdl_make_texture(SDL_Renderer* renderer, const Texture* texture);
// The main window takes no mouse button event until every button is up again (a modal window
// closed while one was held: the rest of that click is not the game's).
void sdl_main_window_ignore_held_buttons();
// Makes sure the video subsystem is up (character handling follows the user's locale from then
// on). true on success.
bool sdl_video_up();
// Gives the main window the full-screen shape (on) or its windowed one. A window manager may take
// its time to make the window full-screen: the switch then completes while frames go on (see
// window_poll_event). Where no window manager is there to do it, the window covers the screen by
// itself. false when the window system does not give it the screen's size either: the window is
// windowed again.
bool window_set_fullscreen(bool on);
// The size the X server gave a window (platform/window/window_x11.cpp). false when it is no X
// window or the server could not say.
bool sdl_x11_window_size(SDL_Window* window, int* width, int* height);
// True when a window manager that follows the EWMH runs on the window's X display (one that can
// make a window full-screen); true for a window that is no X window.
bool sdl_x11_window_manager_present(SDL_Window* window);
// True when the window manager lists the window as full-screen in its _NET_WM_STATE.
bool sdl_x11_fullscreen_state(SDL_Window* window);
// Before SDL's video starts: X's input method gets an empty compose table (the game takes no
// text, and the locale's own table costs milliseconds to parse at every start).
void sdl_x11_no_compose_table();
// Titles a window the game makes, every one the same way: SDL's title (_NET_WM_NAME on X) and,
// on X, the ICCCM title (WM_NAME) as UTF8_STRING, which every tool and window manager reads (SDL
// writes WM_NAME in the locale's encoding, which is "UTF-8" only by name). Called again once the
// window is shown, should mapping it have written the title anew.
void sdl_window_set_title(SDL_Window* window, const char* utf8);

struct MenuBarLayout;
// The menu bar's part of the window (platform/window/menu_bar.cpp).
void menu_bar_set(const MenuBarLayout& layout);
// Offers an event of the main window to the menu bar (windowed mode only). true when the menu
// bar took it; *command is then a chosen item's id, or 0.
bool menu_bar_handle(const SDL_Event& event, int* command);
// True when window pixel (x, y) lies on the bar or on an open pop-up.
bool menu_bar_covers(int x, int y);
// Closes any pop-up and leaves keyboard navigation.
void menu_bar_reset();
// The bar's look: a value that changes whenever the bar or its pop-up looks different; *popup is
// true while a pop-up lies over the canvas.
uint32_t menu_bar_look(bool* popup);
// True while a pop-up is open or the bar has the keyboard.
bool menu_bar_active();
