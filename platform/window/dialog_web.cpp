// Information dialogs drawn inside the game's canvas (browser build): the box keeps SDL copies of
// its picture and labels, is drawn over the last frame of the game and the menu bar, and is
// driven by the page's main loop one turn at a time.
#include <SDL.h>

#include <string>

#include "platform/text/text.h"
#include "platform/video/renderer.h"
#include "platform/window/dialog.h"
#include "platform/window/dialog_layout.h"
#include "platform/window/dialog_web.h"
#include "platform/window/sdl_shared.h"

namespace {

constexpr int kTitleHeight = 22;    // the box's own title bar
constexpr int kCloseSize = 16;      // its close box
constexpr int kBoxWidth = kDialogWidth;
constexpr int kBoxHeight = kTitleHeight + kDialogHeight;
constexpr const char* kTitleFace = "MS UI Gothic";
constexpr int kTitleTextHeight = 14;

int answer = 0;  // test seam; user-interface thread only

// The open box; released together.
struct Box {
    bool open = false;
    bool pressed = false;   // the mouse button went down on OK
    bool dirty = false;     // to be drawn at the next turn
    int x = 0, y = 0;       // window pixels of the top-left corner
    SDL_Texture* picture = nullptr;
    SDL_Texture* text = nullptr;
    SDL_Texture* ok = nullptr;
    SDL_Texture* title = nullptr;
    void release() {
        for (SDL_Texture* t : {picture, text, ok, title})
            if (t) SDL_DestroyTexture(t);
        picture = text = ok = title = nullptr;
        open = pressed = dirty = false;
    }
};
Box box;

SDL_Rect button() {
    return {box.x + kBoxWidth - kDialogMargin - kDialogButtonWidth, box.y + kTitleHeight + kDialogPictureHeight + 2 * kDialogMargin,
            kDialogButtonWidth, kDialogButtonHeight};
}
SDL_Rect close_box() {
    return {box.x + kBoxWidth - kCloseSize - 3, box.y + (kTitleHeight - kCloseSize) / 2, kCloseSize, kCloseSize};
}
bool inside(const SDL_Rect& r, int x, int y) { return x >= r.x && y >= r.y && x < r.x + r.w && y < r.y + r.h; }

void fill(SDL_Renderer* r, SDL_Rect rect, Uint8 red, Uint8 green, Uint8 blue) {
    SDL_SetRenderDrawColor(r, red, green, blue, 0xFF);
    SDL_RenderFillRect(r, &rect);
}

// The title in white on the box's title bar, as a texture of its own; null when no text.
SDL_Texture* make_title(SDL_Renderer* r, const char* title_sjis) {
    TextFontHandle font = text_font_create(kTitleFace, kTitleTextHeight);
    if (!font || !title_sjis || !*title_sjis) return nullptr;
    const auto* s = reinterpret_cast<const unsigned char*>(title_sjis);
    const int length = static_cast<int>(std::string(title_sjis).size());
    auto step = [&](int i) { return (s[i] >= 0x81 && s[i] <= 0x9F) || (s[i] >= 0xE0 && s[i] <= 0xFC) ? 2 : 1; };
    int width = 0, height = 0;
    for (int i = 0; i < length; i += step(i)) {
        int w = 0, h = 0;
        text_measure_char(*font, s + i, i + step(i) <= length ? step(i) : 1, &w, &h);
        width += w;
        height = h > height ? h : height;
    }
    if (width <= 0 || height <= 0) return nullptr;
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!surface) return nullptr;
    SDL_FillRect(surface, nullptr, 0);
    int x = 0;
    for (int i = 0; i < length; i += step(i)) {
        const int n = i + step(i) <= length ? step(i) : 1;
        int w = 0, h = 0;
        text_measure_char(*font, s + i, n, &w, &h);
        text_draw_char(*font, s + i, n, x, 0, static_cast<uint32_t*>(surface->pixels), width, height,
                       surface->pitch, 0xFFFFFFFF);
        x += w;
    }
    SDL_Texture* t = SDL_CreateTextureFromSurface(r, surface);
    SDL_FreeSurface(surface);
    if (t) SDL_SetTextureBlendMode(t, SDL_BLENDMODE_BLEND);
    return t;
}

void copy_at(SDL_Renderer* r, SDL_Texture* t, int x, int y, bool black) {
    if (!t) return;
    SDL_Rect dst{x, y, 0, 0};
    SDL_QueryTexture(t, nullptr, nullptr, &dst.w, &dst.h);
    if (black) SDL_SetTextureColorMod(t, 0, 0, 0);
    SDL_RenderCopy(r, t, nullptr, &dst);
}

// The game's last frame and the menu bar as the renderer presents them, the box over them.
void paint() {
    SDL_Renderer* r = sdl_main_renderer();
    if (!r) return;
    SDL_Texture* canvas = SDL_GetRenderTarget(r);
    SDL_Rect viewport;
    SDL_RenderGetViewport(r, &viewport);
    SDL_SetRenderTarget(r, nullptr);
    SDL_SetRenderDrawBlendMode(r, SDL_BLENDMODE_NONE);
    fill(r, {0, 0, 8192, 8192}, 0, 0, 0);
    if (canvas) {
        int w = 0, h = 0;
        SDL_GetRendererOutputSize(r, &w, &h);
        SDL_Rect dst{0, sdl_menu_bar_height(), kBackBufferWidth, kBackBufferHeight};
        const bool windowed = renderer_windowed() != 0;
        if (!windowed) {
            CanvasPlacement p = letterbox_placement(w, h);
            dst = {p.x, p.y, p.width, p.height};
        }
        SDL_RenderCopy(r, canvas, nullptr, &dst);
        if (windowed) sdl_paint_window_chrome(r);
    }
    // Frame, title bar with its close box, face, picture, text and the default button.
    SDL_SetRenderDrawBlendMode(r, SDL_BLENDMODE_NONE);
    fill(r, {box.x - 1, box.y - 1, kBoxWidth + 2, kBoxHeight + 2}, 0x40, 0x40, 0x40);
    fill(r, {box.x, box.y, kBoxWidth, kTitleHeight}, 0x00, 0x78, 0xD7);
    copy_at(r, box.title, box.x + 8, box.y + 4, false);
    SDL_Rect c = close_box();
    fill(r, c, 0xE8, 0x11, 0x23);
    SDL_SetRenderDrawColor(r, 0xFF, 0xFF, 0xFF, 0xFF);
    SDL_RenderDrawLine(r, c.x + 4, c.y + 4, c.x + c.w - 5, c.y + c.h - 5);
    SDL_RenderDrawLine(r, c.x + c.w - 5, c.y + 4, c.x + 4, c.y + c.h - 5);
    fill(r, {box.x, box.y + kTitleHeight, kBoxWidth, kBoxHeight - kTitleHeight}, 0xF0, 0xF0, 0xF0);
    copy_at(r, box.picture, box.x + kDialogMargin, box.y + kTitleHeight + kDialogMargin, false);
    SDL_Rect b = button();
    if (box.text) {
        int tw = 0, th = 0;
        SDL_QueryTexture(box.text, nullptr, nullptr, &tw, &th);
        copy_at(r, box.text, box.x + kDialogMargin, b.y + (kDialogButtonHeight - th) / 2, true);
    }
    fill(r, b, 0x00, 0x78, 0xD7);
    const Uint8 face = box.pressed ? 0xCC : 0xE1;
    fill(r, {b.x + 2, b.y + 2, b.w - 4, b.h - 4}, face, face, face);
    if (box.ok) {
        int ow = 0, oh = 0;
        SDL_QueryTexture(box.ok, nullptr, nullptr, &ow, &oh);
        copy_at(r, box.ok, b.x + (b.w - ow) / 2, b.y + (b.h - oh) / 2, true);
    }
    SDL_RenderPresent(r);
    SDL_SetRenderTarget(r, canvas);
    SDL_RenderSetViewport(r, &viewport);
}

SDL_Texture* make(SDL_Renderer* r, const Texture* t) {
    SDL_Texture* s = t ? sdl_make_texture(r, t) : nullptr;
    if (s) SDL_SetTextureBlendMode(s, SDL_BLENDMODE_BLEND);
    return s;
}

void end_box() {
    box.release();
    // The game's next frame draws over the box.
}

}  // namespace

void dialog_answer_with(int result) { answer = result; }

int dialog_run(const DialogContent& content, const DialogHooks&) {
    if (answer != 0) return answer;
    SDL_Renderer* r = sdl_main_renderer();
    SDL_Window* w = sdl_main_window();
    if (!r || !w) return -1;
    box.release();
    int ww = 0, wh = 0;
    SDL_GetWindowSize(w, &ww, &wh);
    box.x = (ww - kBoxWidth) / 2;
    box.y = (wh - kBoxHeight) / 2;
    box.picture = make(r, content.picture);
    box.text = make(r, content.text);
    box.ok = make(r, content.ok_label);
    box.title = make_title(r, content.title_sjis);
    box.open = true;
    box.dirty = true;
    SDL_ShowCursor(SDL_ENABLE);
    return kDialogOk;
}

bool web_dialog_open() { return box.open; }

void web_dialog_turn() {
    SDL_Event e;
    while (box.open && SDL_PollEvent(&e)) {
        switch (e.type) {
            case SDL_QUIT:
                SDL_PushEvent(&e);  // the game ends once the box is gone
                end_box();
                break;
            case SDL_RENDER_TARGETS_RESET:
            case SDL_RENDER_DEVICE_RESET:
                renderer_note_reset_event(e.type == SDL_RENDER_DEVICE_RESET);
                break;
            case SDL_WINDOWEVENT:
                box.dirty = true;
                break;
            case SDL_KEYDOWN:
                if (e.key.keysym.sym == SDLK_RETURN || e.key.keysym.sym == SDLK_KP_ENTER ||
                    e.key.keysym.sym == SDLK_SPACE || e.key.keysym.sym == SDLK_ESCAPE)
                    end_box();
                break;
            case SDL_MOUSEBUTTONDOWN:
                if (e.button.button != SDL_BUTTON_LEFT) break;
                if (inside(close_box(), e.button.x, e.button.y)) {
                    end_box();
                } else if (inside(button(), e.button.x, e.button.y)) {
                    box.pressed = true;
                    box.dirty = true;
                }
                break;
            case SDL_MOUSEBUTTONUP:
                if (!box.pressed) break;
                box.pressed = false;
                box.dirty = true;
                if (inside(button(), e.button.x, e.button.y)) end_box();
                break;
            default: break;
        }
    }
    if (box.open && box.dirty) {
        box.dirty = false;
        paint();
    }
}
