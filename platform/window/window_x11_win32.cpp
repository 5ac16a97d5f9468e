// On Windows there is no X server: SDL's own window size and title (SetWindowTextW) are right.
#include <SDL.h>

bool sdl_x11_window_size(SDL_Window*, int*, int*) { return false; }
bool sdl_x11_set_title(SDL_Window*, const char*) { return false; }
