// The software renderer's window: the canvas copied (1:1) or scaled by area into the window's
// surface by our own loops, the menu bar painted over it through a software renderer made on
// the surface, and the rectangles that changed sent with SDL_UpdateWindowSurfaceRects.
#include "platform/video/window_surface.h"

#include <SDL.h>

#include <algorithm>
#include <vector>

#include "platform/video/area_scale.h"
#include "platform/video/compositor.h"
#include "platform/window/sdl_shared.h"

namespace {

constexpr int kCanvasPitch = kBackBufferWidth * 4;  // bytes
constexpr size_t kMaxNotedDraws = 4096;  // draws kept between presents; beyond, all counts as changed

struct SurfaceState {
    SDL_Surface* window_surface = nullptr;  // the window's, as last seen (SDL owns it)
    void* window_pixels = nullptr;          // its pixels, size and pitch then: any change means a
    int width = 0, height = 0, pitch = 0;   // new surface, drawn whole
    SDL_Surface* frame = nullptr;           // ours, XRGB8888, when the window's has another format
    SDL_Surface* target = nullptr;          // the window's surface or the frame
    SDL_Surface* view = nullptr;            // the target's pixels as a surface of ours
    SDL_Renderer* chrome = nullptr;         // software renderer on view, for the menu bar
    AreaScaler scaler;                      // canvas -> placed size, when that is not 800x600
    CanvasPlacement scaled{0, 0, 0, 0};     // the placement the scaler and the surface hold
    bool send_all = true;                   // the next present draws and sends the whole window
    bool chrome_known = false;              // chrome_look is what the surface shows
    uint32_t chrome_look = 0;               // menu_bar_look when the bar was last painted
    bool popup_shown = false;               // a pop-up was painted over the canvas
    std::vector<SDL_Rect> rects;            // window pixels to send
    std::vector<CanvasDraw> drawn;          // draws since the last present
    std::vector<CanvasDraw> shown;          // draws of the frame on the surface
};

SurfaceState ss;  // user-interface thread only

bool same_draw(const CanvasDraw& a, const CanvasDraw& b) {
    return a.texture == b.texture && a.version == b.version && a.colour == b.colour && a.src_x == b.src_x &&
           a.src_y == b.src_y && a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h && a.clip_x == b.clip_x &&
           a.clip_y == b.clip_y && a.clip_w == b.clip_w && a.clip_h == b.clip_h;
}

SDL_Rect canvas_part(const CanvasDraw& d) {
    SDL_Rect r{d.x, d.y, d.w, d.h}, clip{d.clip_x, d.clip_y, d.clip_w, d.clip_h}, out{0, 0, 0, 0};
    const SDL_Rect canvas{0, 0, kBackBufferWidth, kBackBufferHeight};
    if (SDL_IntersectRect(&r, &clip, &out) && SDL_IntersectRect(&out, &canvas, &r)) return r;
    return {0, 0, 0, 0};
}

void grow(SDL_Rect* into, const SDL_Rect& r) {
    if (r.w <= 0 || r.h <= 0) return;
    if (into->w <= 0 || into->h <= 0) *into = r;
    else SDL_UnionRect(into, &r, into);
}

// The part of the canvas that differs from the frame on the surface. A frame that draws the same
// things in the same order, starting from a clear, gives the same pixels; where a draw differs,
// what it covered and covers now may differ, and nothing else.
SDL_Rect take_changes() {
    SDL_Rect changed{0, 0, 0, 0};
    const SDL_Rect all{0, 0, kBackBufferWidth, kBackBufferHeight};
    if (ss.drawn.empty()) return changed;  // nothing drawn: the canvas is as shown
    if (ss.drawn.front().texture != nullptr || ss.shown.empty()) changed = all;
    const size_t n = std::max(ss.drawn.size(), ss.shown.size());
    for (size_t i = 0; i < n && !SDL_RectEquals(&changed, &all); ++i) {
        const bool in_drawn = i < ss.drawn.size(), in_shown = i < ss.shown.size();
        if (in_drawn && in_shown && same_draw(ss.drawn[i], ss.shown[i])) continue;
        if (in_drawn) grow(&changed, canvas_part(ss.drawn[i]));
        if (in_shown) grow(&changed, canvas_part(ss.shown[i]));
    }
    ss.shown.swap(ss.drawn);
    ss.drawn.clear();
    return changed;
}

void drop_chrome() {
    if (ss.chrome) SDL_DestroyRenderer(ss.chrome);
    ss.chrome = nullptr;
    if (ss.view) SDL_FreeSurface(ss.view);
    ss.view = nullptr;
}

void drop_target() {
    drop_chrome();
    if (ss.frame) SDL_FreeSurface(ss.frame);
    ss.frame = nullptr;
    ss.target = nullptr;
    ss.window_surface = nullptr;
    ss.window_pixels = nullptr;
    ss.scaled = {0, 0, 0, 0};
}

bool xrgb32(Uint32 format) { return format == SDL_PIXELFORMAT_RGB888 || format == SDL_PIXELFORMAT_ARGB8888; }

// Takes the window's surface as it is now; a new one (or the first) is drawn whole.
bool take_window_surface() {
    SDL_Window* win = sdl_main_window();
    SDL_Surface* ws = win ? SDL_GetWindowSurface(win) : nullptr;
    if (!ws) return false;
    if (ws == ss.window_surface && ws->pixels == ss.window_pixels && ws->w == ss.width && ws->h == ss.height &&
        ws->pitch == ss.pitch)
        return true;
    drop_target();
    ss.window_surface = ws;
    ss.window_pixels = ws->pixels;
    ss.width = ws->w;
    ss.height = ws->h;
    ss.pitch = ws->pitch;
    ss.send_all = true;
    ss.chrome_known = false;
    if (xrgb32(ws->format->format)) {
        ss.target = ws;
    } else {
        // Another layout (a 16-bit or BGR screen): our loops draw into a frame of our own that
        // SDL converts into the window's surface rectangle by rectangle.
        ss.frame = SDL_CreateRGBSurfaceWithFormat(0, ws->w, ws->h, 32, SDL_PIXELFORMAT_RGB888);
        if (!ss.frame) return false;
        ss.target = ss.frame;
    }
    return true;
}

uint32_t* target_row(int y) {
    return reinterpret_cast<uint32_t*>(static_cast<char*>(ss.target->pixels) + static_cast<ptrdiff_t>(ss.target->pitch) * y);
}

// The window rectangle that shows canvas part c, drawn there now (clipped to the surface), each
// band of the part brought up to date just before it is drawn on.
SDL_Rect draw_canvas_part(const uint32_t* canvas, const CanvasPlacement& p, const SDL_Rect& c, CanvasUpdate update) {
    if (c.w <= 0 || c.h <= 0) return {0, 0, 0, 0};
    const SDL_Rect surface{0, 0, ss.width, ss.height};
    const bool whole = p.width == kBackBufferWidth && p.height == kBackBufferHeight;
    // Scaled: every column of the output rows that show the part's rows, cut to the surface.
    const AxisTaps& rows = ss.scaler.y;
    int row_begin = 0, row_end = 0, first_col = 0, cols = 0;
    if (!whole) {
        area_scaler_span(rows, c.y, c.y + c.h, &row_begin, &row_end);
        first_col = std::max(0, -p.x);
        cols = std::min(p.width, ss.width - p.x) - first_col;
        row_begin = std::max(row_begin, std::max(0, -p.y));
        row_end = std::min(row_end, ss.height - p.y);
    }
    SDL_Rect sent{0, 0, 0, 0};
    int next_row = row_begin;  // the first output row not written yet
    for (int y = c.y; y < c.y + c.h; y += kCanvasBandRows) {
        const int band = std::min(kCanvasBandRows, c.y + c.h - y);
        if (update) update(c.x, y, c.w, band);
        if (whole) {
            const SDL_Rect placed{p.x + c.x, p.y + y, c.w, band};
            SDL_Rect out{0, 0, 0, 0};
            if (!SDL_IntersectRect(&placed, &surface, &out)) continue;
            const ConstPixelRows src{canvas + static_cast<size_t>(out.y - p.y) * kBackBufferWidth + (out.x - p.x), kCanvasPitch};
            composite_copy(PixelRows{target_row(out.y) + out.x, ss.target->pitch}, src, out.w, out.h);
            grow(&sent, out);
            continue;
        }
        // The output rows whose canvas rows are all up to date now: those above the part were
        // never changed, those below it neither.
        const int ready = y + band;
        int until = next_row;
        if (ready == c.y + c.h) until = row_end;
        else
            while (until < row_end && rows.first[until] + std::max(rows.count[until], 1) - 1 < ready) ++until;
        if (cols > 0 && until > next_row)
            area_scale_rows(&ss.scaler, ConstPixelRows{canvas, kCanvasPitch},
                            PixelRows{target_row(p.y) + p.x, ss.target->pitch}, next_row, until, first_col,
                            first_col + cols);
        next_row = std::max(next_row, until);
    }
    if (whole) return sent;
    if (cols <= 0 || row_end <= row_begin) return {0, 0, 0, 0};
    // Whole rows of the surface go: the X server copies those in one piece (a narrower rectangle,
    // row by row, costs it more than the black of the bars does).
    return {0, p.y + row_begin, ss.width, row_end - row_begin};
}

bool paint_chrome() {
    if (!ss.chrome) {
        ss.view = SDL_CreateRGBSurfaceWithFormatFrom(ss.target->pixels, ss.width, ss.height, 32, ss.target->pitch,
                                                     ss.target->format->format);
        ss.chrome = ss.view ? SDL_CreateSoftwareRenderer(ss.view) : nullptr;
        if (!ss.chrome) return false;
    }
    sdl_paint_window_chrome(ss.chrome);
    SDL_RenderPresent(ss.chrome);
    return true;
}

// Frames drawn but not shown (a lost device) pile up their draws: past the limit the next present
// draws and sends the whole window, whatever the draws were.
void note(const CanvasDraw& draw) {
    if (ss.drawn.size() >= kMaxNotedDraws) {
        ss.drawn.clear();
        ss.send_all = true;
    }
    ss.drawn.push_back(draw);
}

}  // namespace

void sdl_window_surface_invalidate() { ss.send_all = true; }

void surface_note_draw(const CanvasDraw& draw) { note(draw); }


bool surface_compose(const uint32_t* canvas, bool windowed, CanvasUpdate update, bool* updated) {
    ss.rects.clear();
    *updated = false;
    if (!take_window_surface()) return false;
    // Until this present has drawn it all, the next one draws the whole window.
    bool all = ss.send_all;
    ss.send_all = true;
    const CanvasPlacement p = windowed ? sdl_windowed_canvas() : letterbox_placement(ss.width, ss.height);
    if (p.x != ss.scaled.x || p.y != ss.scaled.y || p.width != ss.scaled.width || p.height != ss.scaled.height) {
        const bool whole = p.width == kBackBufferWidth && p.height == kBackBufferHeight;
        if (!whole && !area_scaler_prepare(&ss.scaler, kBackBufferWidth, kBackBufferHeight, p.width, p.height))
            return false;
        ss.scaled = p;
        all = true;
    }
    SDL_Rect changed = take_changes();
    bool popup = false;
    const uint32_t look = windowed ? menu_bar_look(&popup) : 0;
    const bool chrome_changed = windowed && (all || !ss.chrome_known || look != ss.chrome_look || popup);
    // A pop-up lies over the canvas: what it covers, or covered, is drawn again under it.
    const bool whole_window = all || (chrome_changed && (popup || ss.popup_shown));
    if (whole_window) changed = {0, 0, kBackBufferWidth, kBackBufferHeight};
    if (all) composite_fill(PixelRows{target_row(0), ss.target->pitch}, ss.width, ss.height, 0xFF000000u);
    *updated = true;
    const SDL_Rect part = draw_canvas_part(canvas, p, changed, update);
    if (whole_window) ss.rects.push_back({0, 0, ss.width, ss.height});
    else if (part.w > 0 && part.h > 0) ss.rects.push_back(part);
    if (chrome_changed) {
        if (!paint_chrome()) return false;
        ss.chrome_known = true;
        ss.chrome_look = look;
        ss.popup_shown = popup;
        if (!whole_window) ss.rects.push_back({0, 0, ss.width, std::min(sdl_menu_bar_height(), ss.height)});
    }
    if (!windowed) ss.chrome_known = ss.popup_shown = false;
    ss.send_all = false;
    if (ss.frame)
        for (SDL_Rect r : ss.rects)
            if (SDL_BlitSurface(ss.frame, &r, ss.window_surface, &r) != 0) return false;
    return true;
}

bool surface_show() {
    if (ss.rects.empty()) return true;
    SDL_Window* win = sdl_main_window();
    return win && SDL_UpdateWindowSurfaceRects(win, ss.rects.data(), static_cast<int>(ss.rects.size())) == 0;
}

void surface_release() {
    drop_target();
    ss.scaler = AreaScaler{};
    ss.send_all = true;
    ss.chrome_known = ss.popup_shown = false;
    ss.drawn.clear();
    ss.shown.clear();
    ss.rects.clear();
}
