// Windows' own message box: one OK button, the icon, the caption, owned by the game window
// while it exists.
#include "platform/window/message_box_native.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <windows.h>

SDL_Window* sdl_main_window();  // platform/window/window.cpp (sdl_shared.h clashes with windows.h)

namespace {

std::wstring wide(const std::string& utf8) {
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring w(n > 0 ? static_cast<size_t>(n - 1) : 0, L'\0');
    if (n > 1) MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, w.data(), n);
    return w;
}

HWND owner_window() {
    SDL_Window* window = sdl_main_window();
    if (!window || !(SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN)) return nullptr;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    return SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_WINDOWS ? info.info.win.window : nullptr;
}

}  // namespace

bool message_box_native(const std::string& caption_utf8, const std::string& text_utf8, MessageIcon icon) {
    // SDL's dummy and offscreen drivers (the replay, tests): no display to show a box on; the
    // copy on standard error is all.
    const char* driver = SDL_getenv("SDL_VIDEODRIVER");
    if (driver && (SDL_strcasecmp(driver, "dummy") == 0 || SDL_strcasecmp(driver, "offscreen") == 0)) return true;
    const UINT kind = icon == MessageIcon::Error     ? MB_ICONERROR
                      : icon == MessageIcon::Warning ? MB_ICONWARNING
                                                     : MB_ICONINFORMATION;
    MessageBoxW(owner_window(), wide(text_utf8).c_str(), wide(caption_utf8).c_str(), MB_OK | kind);
    return true;
}
