// On Windows there is no X server: SDL's own window size and title (SetWindowTextW) are right.
#include <SDL.h>

bool sdl_x11_window_size(SDL_Window*, int*, int*) { return false; }
bool sdl_x11_set_title(SDL_Window*, const char*) { return false; }
// The window manager is Windows itself, which carries out full screen at once.
bool sdl_x11_window_manager_present(SDL_Window*) { return true; }
bool sdl_x11_fullscreen_state(SDL_Window*) { return false; }
void sdl_x11_no_compose_table() {}
void sdl_window_set_title(SDL_Window* window, const char* utf8) {
    if (window) SDL_SetWindowTitle(window, utf8 ? utf8 : "");
}
