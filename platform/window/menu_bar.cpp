// The window's menu bar: titles along the top, drop-down pop-ups over the canvas, opened by
// mouse or by Alt with the mnemonic letters, navigated with the arrows, Enter and Esc. On a scaled
// screen it grows with the canvas: every size below and every label is drawn that much larger.
#include <SDL.h>

#include <algorithm>
#include <cctype>

#include "platform/window/sdl_shared.h"
#include "platform/window/window.h"

namespace {

constexpr int kTitlePad = 7;        // pixels each side of a title's text, at 100 %
constexpr int kItemHeight = 22;     // pixels per pop-up item
constexpr int kItemTextLeft = 28;   // pixels from the pop-up's left edge to an item's text
constexpr int kItemPadRight = 36;   // pixels right of the widest item text
constexpr int kTextHeight = 12;     // pixels of a line of menu text

const SDL_Colour kBarColour{0xF0, 0xF0, 0xF0, 0xFF};
const SDL_Colour kPopupColour{0xF2, 0xF2, 0xF2, 0xFF};
const SDL_Colour kBorderColour{0x97, 0x97, 0x97, 0xFF};
const SDL_Colour kHotColour{0x91, 0xC9, 0xF7, 0xFF};
const SDL_Colour kTitleHotColour{0xCC, 0xE8, 0xFF, 0xFF};
const SDL_Colour kTextColour{0x00, 0x00, 0x00, 0xFF};

struct MenuBarState {
    MenuBarLayout layout{};       // the titles and items
    int open_popup = -1;      // pop-up shown, or -1
    int hot_title = -1;       // title under keyboard focus without a pop-up, or -1
    int hot_item = -1;        // highlighted item of the open pop-up, or -1
    bool alt_alone = false;   // Alt is down and no other key came with it
    bool mouse_down = false;  // a press is being tracked in an open pop-up
    uint32_t layouts = 0;     // layouts set so far
};

MenuBarState mb;  // user-interface thread only

// Pixels at 100 % to window pixels at the window's scale.
int px(int pixels) { return pixels * sdl_window_scale_halves() / 2; }

int label_width(const MenuLabel& l) { return px(l.texture ? l.texture->width : l.placeholder_width); }

SDL_Rect title_rect(int i) {
    int x = 0;
    for (int k = 0; k < i; ++k) x += label_width(mb.layout.popups[k].label) + 2 * px(kTitlePad);
    return {x, 0, label_width(mb.layout.popups[i].label) + 2 * px(kTitlePad), sdl_menu_bar_height()};
}

SDL_Rect popup_rect(int i) {
    const MenuPopupLayout& p = mb.layout.popups[i];
    int w = 0;
    for (int k = 0; k < p.item_count; ++k) w = std::max(w, label_width(p.items[k].label));
    SDL_Rect t = title_rect(i);
    return {t.x, sdl_menu_bar_height(), px(kItemTextLeft) + w + px(kItemPadRight), px(p.item_count * kItemHeight + 4)};
}

bool inside(const SDL_Rect& r, int x, int y) { return x >= r.x && y >= r.y && x < r.x + r.w && y < r.y + r.h; }

int title_at(int x, int y) {
    for (int i = 0; i < mb.layout.popup_count; ++i)
        if (inside(title_rect(i), x, y)) return i;
    return -1;
}

int item_at(int x, int y) {
    if (mb.open_popup < 0) return -1;
    SDL_Rect r = popup_rect(mb.open_popup);
    if (!inside(r, x, y)) return -1;
    int i = (y - r.y - px(2)) / px(kItemHeight);
    return (i >= 0 && i < mb.layout.popups[mb.open_popup].item_count) ? i : -1;
}

void open(int popup, int item) {
    mb.open_popup = popup;
    mb.hot_title = popup;
    mb.hot_item = item;
}

int wrap(int i, int n) { return n <= 0 ? -1 : (i % n + n) % n; }

// The command of the highlighted item; closes the menu.
int choose(int item) {
    int command = 0;
    if (mb.open_popup >= 0 && item >= 0) command = mb.layout.popups[mb.open_popup].items[item].command;
    menu_bar_reset();
    return command;
}

bool handle_mouse(const SDL_Event& e, int* command) {
    if (e.type == SDL_MOUSEMOTION) {
        int x = e.motion.x, y = e.motion.y;
        if (mb.open_popup < 0) return false;
        int t = title_at(x, y);
        if (t >= 0 && t != mb.open_popup) open(t, -1);
        int it = item_at(x, y);
        if (it >= 0 || !inside(popup_rect(mb.open_popup), x, y)) mb.hot_item = it;
        return true;
    }
    int x = e.button.x, y = e.button.y;
    if (e.type == SDL_MOUSEBUTTONUP) {
        if (mb.open_popup < 0 || !mb.mouse_down) return mb.open_popup >= 0;
        mb.mouse_down = false;
        int it = item_at(x, y);
        if (it >= 0) *command = choose(it);
        return true;
    }
    // A press: on a title it opens or closes that pop-up; on an item it is tracked until the
    // release; anywhere else while the menu is active it only closes the menu.
    int t = title_at(x, y);
    if (t >= 0) {
        if (mb.open_popup == t) menu_bar_reset();
        else open(t, -1);
        return true;
    }
    if (y < sdl_menu_bar_height() && y >= 0) {
        menu_bar_reset();
        return true;
    }
    if (item_at(x, y) >= 0 || (mb.open_popup >= 0 && inside(popup_rect(mb.open_popup), x, y))) {
        mb.mouse_down = true;
        mb.hot_item = item_at(x, y);
        return true;
    }
    if (menu_bar_active()) {
        menu_bar_reset();
        return true;
    }
    return false;
}

int popup_by_mnemonic(SDL_Keycode key) {
    for (int i = 0; i < mb.layout.popup_count; ++i)
        if (std::toupper(static_cast<int>(key)) == mb.layout.popups[i].mnemonic) return i;
    return -1;
}

int item_by_mnemonic(SDL_Keycode key) {
    const MenuPopupLayout& p = mb.layout.popups[mb.open_popup];
    for (int i = 0; i < p.item_count; ++i)
        if (std::toupper(static_cast<int>(key)) == p.items[i].mnemonic) return i;
    return -1;
}

bool handle_key(const SDL_Event& e, int* command) {
    SDL_Keycode key = e.key.keysym.sym;
    bool alt = (e.key.keysym.mod & KMOD_ALT) != 0;
    bool letter = key >= 'a' && key <= 'z';
    int n = mb.layout.popup_count;
    if (e.type == SDL_KEYUP) {
        if ((key == SDLK_LALT || key == SDLK_RALT) && mb.alt_alone) {
            mb.alt_alone = false;
            // A tap of Alt gives the bar the keyboard, or takes it back.
            if (menu_bar_active()) menu_bar_reset();
            else if (n > 0) mb.hot_title = 0;
            return true;
        }
        return menu_bar_active();
    }
    if (key == SDLK_LALT || key == SDLK_RALT) {
        if (!e.key.repeat) mb.alt_alone = true;
        return true;
    }
    mb.alt_alone = false;
    if (key == SDLK_F10 && !alt && !e.key.repeat) {
        if (menu_bar_active()) menu_bar_reset();
        else if (n > 0) mb.hot_title = 0;
        return true;
    }
    if (alt && letter) {
        int p = popup_by_mnemonic(key);
        if (p < 0) return menu_bar_active();
        open(p, 0);
        return true;
    }
    if (!menu_bar_active()) return false;
    if (mb.open_popup >= 0) {
        int items = mb.layout.popups[mb.open_popup].item_count;
        switch (key) {
            case SDLK_UP: mb.hot_item = wrap(mb.hot_item < 0 ? items - 1 : mb.hot_item - 1, items); break;
            case SDLK_DOWN: mb.hot_item = wrap(mb.hot_item + 1, items); break;
            case SDLK_LEFT: open(wrap(mb.open_popup - 1, n), 0); break;
            case SDLK_RIGHT: open(wrap(mb.open_popup + 1, n), 0); break;
            case SDLK_RETURN:
            case SDLK_KP_ENTER:
                if (!alt && mb.hot_item >= 0) *command = choose(mb.hot_item);
                else if (alt) return false;  // Alt+Enter stays the display-mode key
                break;
            case SDLK_ESCAPE:
                mb.hot_title = mb.open_popup;
                mb.open_popup = -1;
                mb.hot_item = -1;
                break;
            default:
                if (letter) {
                    int it = item_by_mnemonic(key);
                    if (it >= 0) *command = choose(it);
                }
                break;
        }
        return true;
    }
    // The bar has the keyboard, no pop-up open.
    switch (key) {
        case SDLK_LEFT: mb.hot_title = wrap(mb.hot_title - 1, n); break;
        case SDLK_RIGHT: mb.hot_title = wrap(mb.hot_title + 1, n); break;
        case SDLK_DOWN:
        case SDLK_UP:
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            if (alt) return false;
            open(mb.hot_title, 0);
            break;
        case SDLK_ESCAPE: menu_bar_reset(); break;
        default:
            if (letter) {
                int p = popup_by_mnemonic(key);
                if (p >= 0) open(p, 0);
            }
            break;
    }
    return true;
}

void fill(SDL_Renderer* r, const SDL_Rect& rect, SDL_Colour c) {
    SDL_SetRenderDrawColor(r, c.r, c.g, c.b, c.a);
    SDL_RenderFillRect(r, &rect);
}

// Draws a label's text (or its stand-in block) with its top-left at (x, y), and the mnemonic line.
// The text is drawn enlarged by the window's scale: whole steps pixel for pixel, halves smoothed.
void draw_label(SDL_Renderer* r, const MenuLabel& l, int x, int y) {
    if (l.texture) {
        // The main renderer keeps its copies; another one (on the window's surface) gets one for
        // the painting, which happens only when the bar's look changes.
        const bool main = r == sdl_main_renderer();
        SDL_Texture* tex = main ? sdl_texture_of(const_cast<Texture*>(l.texture)) : sdl_make_texture(r, l.texture);
        if (tex) {
            SDL_SetTextureColorMod(tex, kTextColour.r, kTextColour.g, kTextColour.b);
            SDL_SetTextureAlphaMod(tex, 0xFF);
            SDL_SetTextureScaleMode(tex, sdl_window_scale_halves() % 2 ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
            SDL_Rect d{x, y, px(l.texture->width), px(l.texture->height)};
            SDL_RenderCopy(r, tex, nullptr, &d);
            if (!main) SDL_DestroyTexture(tex);
        }
    } else {
        fill(r, {x, y + px(3), px(l.placeholder_width), px(kTextHeight - 5)}, kBorderColour);
    }
    if (l.underline_width > 0) {
        int h = l.texture ? l.texture->height : kTextHeight;
        fill(r, {x + px(l.underline_x), y + px(h), px(l.underline_width), px(1)}, kTextColour);
    }
}

}  // namespace

void menu_bar_set(const MenuBarLayout& layout) {
    mb.layout = layout;
    ++mb.layouts;
    mb.layout.popup_count = std::clamp(layout.popup_count, 0, kMaxMenuPopups);
    for (int i = 0; i < mb.layout.popup_count; ++i)
        mb.layout.popups[i].item_count = std::clamp(layout.popups[i].item_count, 0, kMaxMenuItems);
    menu_bar_reset();
}

void menu_bar_reset() {
    mb.open_popup = mb.hot_title = mb.hot_item = -1;
    mb.alt_alone = mb.mouse_down = false;
}

uint32_t menu_bar_look(bool* popup) {
    *popup = mb.open_popup >= 0;
    const auto part = [](int v) { return static_cast<uint32_t>(v + 1) & 0xFF; };
    return part(mb.open_popup) | part(mb.hot_title) << 8 | part(mb.hot_item) << 16 | (mb.layouts & 0xFF) << 24;
}

bool menu_bar_active() { return mb.open_popup >= 0 || mb.hot_title >= 0; }

bool menu_bar_covers(int x, int y) {
    if (SDL_GetWindowFlags(sdl_main_window()) & SDL_WINDOW_FULLSCREEN) return false;
    if (y >= 0 && y < sdl_menu_bar_height()) return true;
    return mb.open_popup >= 0 && inside(popup_rect(mb.open_popup), x, y);
}

bool menu_bar_handle(const SDL_Event& e, int* command) {
    *command = 0;
    switch (e.type) {
        case SDL_MOUSEMOTION:
        case SDL_MOUSEBUTTONUP: return handle_mouse(e, command);
        case SDL_MOUSEBUTTONDOWN:
            mb.alt_alone = false;
            if (e.button.button != SDL_BUTTON_LEFT) {
                if (!menu_bar_active() && e.button.y >= sdl_menu_bar_height()) return false;
                menu_bar_reset();
                return true;
            }
            return handle_mouse(e, command);
        case SDL_KEYDOWN:
        case SDL_KEYUP: return handle_key(e, command);
        default: return false;
    }
}

void sdl_paint_window_chrome(SDL_Renderer* r) {
    int bar_h = sdl_menu_bar_height();
    int w = 0;
    SDL_GetRendererOutputSize(r, &w, nullptr);
    SDL_SetRenderDrawBlendMode(r, SDL_BLENDMODE_NONE);
    fill(r, {0, 0, w, bar_h}, kBarColour);
    int text_y = (bar_h - px(kTextHeight)) / 2;
    for (int i = 0; i < mb.layout.popup_count; ++i) {
        SDL_Rect t = title_rect(i);
        if (i == mb.open_popup || i == mb.hot_title) fill(r, t, kTitleHotColour);
        draw_label(r, mb.layout.popups[i].label, t.x + px(kTitlePad), text_y);
    }
    if (mb.open_popup < 0) return;
    const MenuPopupLayout& p = mb.layout.popups[mb.open_popup];
    SDL_Rect pr = popup_rect(mb.open_popup);
    const int border = px(1);
    fill(r, pr, kBorderColour);
    fill(r, {pr.x + border, pr.y + border, pr.w - 2 * border, pr.h - 2 * border}, kPopupColour);
    for (int i = 0; i < p.item_count; ++i) {
        SDL_Rect ir{pr.x + px(2), pr.y + px(2 + i * kItemHeight), pr.w - px(4), px(kItemHeight)};
        if (i == mb.hot_item) fill(r, ir, kHotColour);
        draw_label(r, p.items[i].label, pr.x + px(kItemTextLeft), ir.y + (px(kItemHeight) - px(kTextHeight)) / 2);
    }
}
