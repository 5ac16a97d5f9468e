// The modal windows' frame: an SDL window with a software renderer, its OK button and its loop.
#include "platform/window/modal.h"

#include "platform/system/signals.h"
#include "platform/video/renderer.h"
#include "platform/window/sdl_shared.h"

namespace {

constexpr Uint32 kWaitMs = 50;       // longest wait for an event; a termination request is seen
                                     // at least this often
constexpr Uint32 kIdleEveryMs = 100; // how often the idle hook runs

bool in_rect(const SDL_Rect& r, int x, int y) { return x >= r.x && y >= r.y && x < r.x + r.w && y < r.y + r.h; }

void fill(SDL_Renderer* r, SDL_Rect rect, Uint8 red, Uint8 green, Uint8 blue) {
    SDL_SetRenderDrawColor(r, red, green, blue, 0xFF);
    SDL_RenderFillRect(r, &rect);
}

}  // namespace

ModalWindow::~ModalWindow() {
    if (ok) SDL_DestroyTexture(ok);
    if (renderer) SDL_DestroyRenderer(renderer);
    if (window) SDL_DestroyWindow(window);
}

bool modal_open(ModalWindow* m, const char* title_utf8, int width, int height) {
    // On a scaled screen the window grows like the game window; its content is laid out and
    // drawn at 100 % and enlarged by the renderer, which maps the pointer back the same way.
    const int halves = sdl_window_scale_halves();
    const int shown_w = width * halves / 2, shown_h = height * halves / 2;
    int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED;
    SDL_Window* main = sdl_main_window();
    if (main && (SDL_GetWindowFlags(main) & SDL_WINDOW_SHOWN)) {
        // Centred over the game window, like a window owned by it.
        int mx = 0, my = 0, mw = 0, mh = 0;
        SDL_GetWindowPosition(main, &mx, &my);
        SDL_GetWindowSize(main, &mw, &mh);
        x = mx + (mw - shown_w) / 2;
        y = my + (mh - shown_h) / 2;
    }
    m->window = SDL_CreateWindow(title_utf8, x, y, shown_w, shown_h, SDL_WINDOW_HIDDEN);
    if (!m->window) return false;
    sdl_window_set_title(m->window, title_utf8);
    m->renderer = SDL_CreateRenderer(m->window, -1, SDL_RENDERER_SOFTWARE);
    if (!m->renderer) return false;
    if (halves != 2 && SDL_RenderSetLogicalSize(m->renderer, width, height) != 0) return false;
    m->id = SDL_GetWindowID(m->window);
    m->width = width;
    m->height = height;
    return true;
}

void modal_paint_button(ModalWindow* m, bool pressed) {
    SDL_Renderer* r = m->renderer;
    const SDL_Rect& b = m->button;
    SDL_SetRenderDrawBlendMode(r, SDL_BLENDMODE_NONE);
    fill(r, b, 0x00, 0x78, 0xD7);
    Uint8 face = pressed ? 0xCC : 0xE1;
    fill(r, {b.x + 2, b.y + 2, b.w - 4, b.h - 4}, face, face, face);
    if (m->ok) {
        SDL_Rect dst{b.x + (b.w - m->ok_w) / 2, b.y + (b.h - m->ok_h) / 2, m->ok_w, m->ok_h};
        SDL_SetTextureColorMod(m->ok, 0, 0, 0);
        SDL_RenderCopy(r, m->ok, nullptr, &dst);
    }
}

int modal_run(ModalWindow* m, void (*paint)(ModalWindow* m, bool pressed, void* context), void* context,
              const DialogHooks& hooks) {
    if (termination_requested()) return kDialogCancel;  // the game is ending: not even shown
    SDL_Window* main = sdl_main_window();
    bool owned = main && (SDL_GetWindowFlags(main) & SDL_WINDOW_SHOWN);
    if (owned) SDL_SetWindowModalFor(m->window, main);
    SDL_ShowWindow(m->window);
    sdl_window_set_title(m->window, SDL_GetWindowTitle(m->window));
    SDL_RaiseWindow(m->window);
    // Without a window manager nobody gives the new window the keyboard; ask for it.
    SDL_SetWindowInputFocus(m->window);
    SDL_ShowCursor(SDL_ENABLE);
    bool pressed = false;
    int result = 0;
    Uint32 last_idle = SDL_GetTicks();
    paint(m, pressed, context);
    while (result == 0) {
        if (termination_requested()) {
            result = kDialogCancel;
            break;
        }
        if (hooks.idle && SDL_GetTicks() - last_idle >= kIdleEveryMs) {
            last_idle = SDL_GetTicks();
            hooks.idle();
        }
        SDL_Event e;
        if (!SDL_WaitEventTimeout(&e, kWaitMs)) continue;
        switch (e.type) {
            case SDL_QUIT:
                SDL_PushEvent(&e);  // the game ends once the modal window is gone
                result = kDialogCancel;
                break;
            case SDL_RENDER_TARGETS_RESET:
            case SDL_RENDER_DEVICE_RESET:
                renderer_note_reset_event(e.type == SDL_RENDER_DEVICE_RESET);
                break;
            case SDL_WINDOWEVENT:
                if (e.window.windowID == m->id) {
                    if (e.window.event == SDL_WINDOWEVENT_CLOSE) result = kDialogCancel;
                    else if (e.window.event == SDL_WINDOWEVENT_EXPOSED) paint(m, pressed, context);
                } else if (e.window.event == SDL_WINDOWEVENT_EXPOSED && hooks.paint) {
                    hooks.paint();
                } else if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED && owned) {
                    SDL_RaiseWindow(m->window);  // the owner stays behind its modal window
                }
                break;
            case SDL_KEYDOWN:
                if (e.key.windowID != m->id) break;
                if (e.key.keysym.sym == SDLK_RETURN || e.key.keysym.sym == SDLK_KP_ENTER ||
                    e.key.keysym.sym == SDLK_SPACE)
                    result = kDialogOk;
                else if (e.key.keysym.sym == SDLK_ESCAPE)
                    result = kDialogCancel;
                break;
            case SDL_MOUSEBUTTONDOWN:
                if (e.button.windowID == m->id && e.button.button == SDL_BUTTON_LEFT &&
                    in_rect(m->button, e.button.x, e.button.y)) {
                    pressed = true;
                    paint(m, pressed, context);
                }
                break;
            case SDL_MOUSEBUTTONUP:
                if (e.button.windowID == m->id && pressed) {
                    pressed = false;
                    if (in_rect(m->button, e.button.x, e.button.y)) result = kDialogOk;
                    else paint(m, pressed, context);
                }
                break;
            default: break;
        }
    }
    SDL_HideWindow(m->window);
    // The click that answered the window must not reach the game window under it: presses and
    // releases still queued are dropped, and a button still held is ignored until released.
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP);
    if (SDL_GetMouseState(nullptr, nullptr) != 0) sdl_main_window_ignore_held_buttons();
    return result;
}
