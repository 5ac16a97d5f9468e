// Modal information dialogs as SDL windows of their own, drawn with a software renderer.
#include "platform/window/dialog.h"

#include <SDL.h>

#include <string>

#include "platform/video/renderer.h"
#include "platform/window/sdl_shared.h"
#include "platform/text/sjis.h"

namespace {

constexpr int kMargin = 10;         // pixels around the picture
constexpr int kPictureWidth = 400;  // pixels reserved for the picture
constexpr int kPictureHeight = 300;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 24;
constexpr int kDialogWidth = kPictureWidth + 2 * kMargin;
constexpr int kDialogHeight = kPictureHeight + 3 * kMargin + kButtonHeight + 2;

int answer = 0;  // test seam; user-interface thread only

const SDL_Rect kButton{kDialogWidth - kMargin - kButtonWidth, kPictureHeight + 2 * kMargin, kButtonWidth,
                       kButtonHeight};

bool in_button(int x, int y) {
    return x >= kButton.x && y >= kButton.y && x < kButton.x + kButton.w && y < kButton.y + kButton.h;
}

void fill(SDL_Renderer* r, SDL_Rect rect, Uint8 g) {
    SDL_SetRenderDrawColor(r, g, g, g, 0xFF);
    SDL_RenderFillRect(r, &rect);
}

// The dialog's SDL objects; released together.
struct DialogWindow {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* picture = nullptr;
    SDL_Texture* text = nullptr;
    SDL_Texture* ok = nullptr;
    int text_w = 0, text_h = 0, ok_w = 0, ok_h = 0;
    ~DialogWindow() {
        for (SDL_Texture* t : {picture, text, ok})
            if (t) SDL_DestroyTexture(t);
        if (renderer) SDL_DestroyRenderer(renderer);
        if (window) SDL_DestroyWindow(window);
    }
};

void paint(DialogWindow& d, bool pressed) {
    SDL_Renderer* r = d.renderer;
    SDL_SetRenderDrawBlendMode(r, SDL_BLENDMODE_NONE);
    fill(r, {0, 0, kDialogWidth, kDialogHeight}, 0xF0);
    if (d.picture) {
        SDL_Rect dst{kMargin, kMargin, kPictureWidth, kPictureHeight};
        SDL_QueryTexture(d.picture, nullptr, nullptr, &dst.w, &dst.h);
        SDL_RenderCopy(r, d.picture, nullptr, &dst);
    }
    if (d.text) {
        SDL_Rect dst{kMargin, kButton.y + (kButtonHeight - d.text_h) / 2, d.text_w, d.text_h};
        SDL_SetTextureColorMod(d.text, 0, 0, 0);
        SDL_RenderCopy(r, d.text, nullptr, &dst);
    }
    // The default push button: a blue frame, a face that darkens while pressed.
    SDL_SetRenderDrawColor(r, 0x00, 0x78, 0xD7, 0xFF);
    SDL_RenderFillRect(r, &kButton);
    fill(r, {kButton.x + 2, kButton.y + 2, kButton.w - 4, kButton.h - 4}, pressed ? 0xCC : 0xE1);
    if (d.ok) {
        SDL_Rect dst{kButton.x + (kButton.w - d.ok_w) / 2, kButton.y + (kButton.h - d.ok_h) / 2, d.ok_w, d.ok_h};
        SDL_SetTextureColorMod(d.ok, 0, 0, 0);
        SDL_RenderCopy(r, d.ok, nullptr, &dst);
    }
    SDL_RenderPresent(r);
}

SDL_Texture* make(SDL_Renderer* r, const Texture* t, int* w, int* h) {
    if (!t) return nullptr;
    *w = t->width;
    *h = t->height;
    return sdl_make_texture(r, t);
}

}  // namespace

void dialog_answer_with(int result) { answer = result; }

int dialog_run(const DialogContent& content, const DialogHooks& hooks) {
    if (answer != 0) return answer;
    if (!sdl_video_up()) return -1;
    DialogWindow d;
    std::string title = sjis_to_utf8(content.title_sjis ? content.title_sjis : "");
    int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED;
    if (SDL_Window* main = sdl_main_window()) {
        // Centred over the game window, like a dialog owned by it.
        int mx = 0, my = 0, mw = 0, mh = 0;
        SDL_GetWindowPosition(main, &mx, &my);
        SDL_GetWindowSize(main, &mw, &mh);
        x = mx + (mw - kDialogWidth) / 2;
        y = my + (mh - kDialogHeight) / 2;
    }
    d.window = SDL_CreateWindow(title.c_str(), x, y, kDialogWidth, kDialogHeight, SDL_WINDOW_HIDDEN);
    if (!d.window) return -1;
    d.renderer = SDL_CreateRenderer(d.window, -1, SDL_RENDERER_SOFTWARE);
    if (!d.renderer) return -1;
    d.picture = make(d.renderer, content.picture, &x, &y);
    d.text = make(d.renderer, content.text, &d.text_w, &d.text_h);
    d.ok = make(d.renderer, content.ok_label, &d.ok_w, &d.ok_h);
    if (sdl_main_window()) SDL_SetWindowModalFor(d.window, sdl_main_window());
    SDL_ShowWindow(d.window);
    SDL_RaiseWindow(d.window);
    SDL_ShowCursor(SDL_ENABLE);
    Uint32 id = SDL_GetWindowID(d.window);
    bool pressed = false;
    int result = 0;
    paint(d, pressed);
    while (result == 0) {
        SDL_Event e;
        if (!SDL_WaitEventTimeout(&e, 100)) {
            if (hooks.idle) hooks.idle();
            continue;
        }
        switch (e.type) {
            case SDL_QUIT:
                SDL_PushEvent(&e);  // the game window ends once the dialog is gone
                result = kDialogCancel;
                break;
            case SDL_RENDER_TARGETS_RESET:
            case SDL_RENDER_DEVICE_RESET:
                renderer_note_reset_event(e.type == SDL_RENDER_DEVICE_RESET);
                break;
            case SDL_WINDOWEVENT:
                if (e.window.windowID == id) {
                    if (e.window.event == SDL_WINDOWEVENT_CLOSE) result = kDialogCancel;
                    else if (e.window.event == SDL_WINDOWEVENT_EXPOSED) paint(d, pressed);
                } else if (e.window.event == SDL_WINDOWEVENT_EXPOSED && hooks.paint) {
                    hooks.paint();
                } else if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
                    SDL_RaiseWindow(d.window);  // the owner stays behind its modal dialog
                }
                break;
            case SDL_KEYDOWN:
                if (e.key.windowID != id) break;
                if (e.key.keysym.sym == SDLK_RETURN || e.key.keysym.sym == SDLK_KP_ENTER ||
                    e.key.keysym.sym == SDLK_SPACE)
                    result = kDialogOk;
                else if (e.key.keysym.sym == SDLK_ESCAPE)
                    result = kDialogCancel;
                break;
            case SDL_MOUSEBUTTONDOWN:
                if (e.button.windowID == id && e.button.button == SDL_BUTTON_LEFT &&
                    in_button(e.button.x, e.button.y)) {
                    pressed = true;
                    paint(d, pressed);
                }
                break;
            case SDL_MOUSEBUTTONUP:
                if (e.button.windowID == id && pressed) {
                    pressed = false;
                    if (in_button(e.button.x, e.button.y)) result = kDialogOk;
                    else paint(d, pressed);
                }
                break;
            default: break;
        }
    }
    return result;
}
