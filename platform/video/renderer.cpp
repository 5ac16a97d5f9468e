// The drawing device over an SDL renderer: the canvas target, the sprite batch's sink, texture
// uploads, presentation in both modes, device loss and reset, read-back.
#include "platform/video/renderer.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/system/clock.h"
#include "platform/window/sdl_shared.h"
#include "platform/video/area_scale.h"
#include "platform/video/compositor.h"
#include "platform/video/refresh.h"
#include "platform/video/sprite.h"
#include "platform/video/texture.h"
#include "platform/video/window_surface.h"

namespace {

// Scripted device loss for tests.
struct LossScript {
    bool present_pending;  // the next present reports the loss
    bool polling;          // cooperative-level polls follow the script
    int lost_polls;        // polls still answering D3DERR_DEVICELOST
    HRESULT after_polls;   // answer once those are used up
    bool reset_pending;    // the next reset answers reset_result
    HRESULT reset_result;
};

struct RendererState {
    SDL_Renderer* renderer = nullptr;  // null before creation and after release
    SDL_Surface* surface = nullptr;    // the canvas of ours (Offscreen kind; Software on the desktop)
    uint32_t* surface_pixels = nullptr;  // its pixels, ours: opaque pictures are drawn straight in
    std::vector<CanvasDraw> held;      // on our canvas: the frame's draws not carried out yet
    bool canvas_whole = false;         // our window: the canvas was brought up to date whole since
                                       // the last present (it holds the frame so far everywhere)
    SDL_Texture* canvas = nullptr;     // the canvas target (window kinds only)
    SDL_Texture* enlarged = nullptr;   // full-screen: the canvas at a whole multiple, or null
    RendererKind kind = RendererKind::Offscreen;
    bool own_window = false;           // our loops draw the canvas into the window's surface
    int windowed = 1;                  // presentation set applied last
    bool in_scene = false;             // between begin and end scene
    bool lost = false;                 // SDL reported a reset, or a present failed
    bool natives_lost = false;         // the SDL device was reset: every copy is gone
    SDL_Rect viewport{0, 0, kBackBufferWidth, kBackBufferHeight};
    int resets = 0;
    int presents = 0;
    std::vector<Texture*> uploaded;    // textures that hold a copy in this renderer
    std::vector<uint32_t> scratch;     // conversion buffer for opaque uploads
    LossScript script{};
    int creations_to_fail = 0;
    HRESULT creation_failure = S_OK;
    bool offscreen_only = false;
    bool paced = false;                // presents keep to the display's refresh (a real display)
    RefreshPacer pacer;                // and how
};

RendererState rs;  // user-interface thread only

HRESULT creation_error() {
    const char* err = SDL_GetError();
    return (err && std::strstr(err, "memory")) ? D3DERR_OUTOFVIDEOMEMORY : E_FAIL;
}

void forget_native(Texture* t) {
    auto it = std::find(rs.uploaded.begin(), rs.uploaded.end(), t);
    if (it != rs.uploaded.end()) rs.uploaded.erase(it);
}

// Hook run by texture_release: frees the renderer's copy.
void release_native(Texture* t) {
    if (t->native) SDL_DestroyTexture(static_cast<SDL_Texture*>(t->native));
    t->native = nullptr;
    t->native_version = 0;
    forget_native(t);
}

// Drops every copy (at release or after a device reset); pixels come back from the buffers.
void drop_all_natives() {
    for (Texture* t : rs.uploaded) {
        if (t->native) SDL_DestroyTexture(static_cast<SDL_Texture*>(t->native));
        t->native = nullptr;
        t->native_version = 0;
    }
    rs.uploaded.clear();
}

// Uploads pixels into an SDL texture; X8 textures get alpha 0xFF so that they draw opaque, unless
// their copy has no alpha channel to look at.
bool upload(SDL_Texture* tex, const Texture* t, std::vector<uint32_t>& scratch) {
    Uint32 format = 0;
    if (t->format == PixelFormat::A8R8G8B8 ||
        (SDL_QueryTexture(tex, &format, nullptr, nullptr, nullptr) == 0 && format == SDL_PIXELFORMAT_RGB888))
        return SDL_UpdateTexture(tex, nullptr, t->pixels, t->pitch) == 0;
    size_t count = static_cast<size_t>(t->width) * t->height;
    scratch.resize(count);
    for (size_t i = 0; i < count; ++i) scratch[i] = t->pixels[i] | 0xFF000000u;
    return SDL_UpdateTexture(tex, nullptr, scratch.data(), t->width * 4) == 0;
}

// A software renderer copies an opaque picture without an alpha channel row by row, and blends
// it at partial opacity through its fast surface-alpha path; with an alpha channel both go
// through per-pixel blending, many times slower. GPU renderers keep ARGB everywhere.
Uint32 opaque_format_for(SDL_Renderer* r) {
    SDL_RendererInfo info{};
    if (SDL_GetRendererInfo(r, &info) == 0 && (info.flags & SDL_RENDERER_SOFTWARE))
        for (Uint32 i = 0; i < info.num_texture_formats; ++i)
            if (info.texture_formats[i] == SDL_PIXELFORMAT_RGB888) return SDL_PIXELFORMAT_RGB888;
    return SDL_PIXELFORMAT_ARGB8888;
}

SDL_Texture* new_sdl_texture(SDL_Renderer* r, const Texture* t) {
    const Uint32 format = t->format == PixelFormat::X8R8G8B8 ? opaque_format_for(r) : Uint32{SDL_PIXELFORMAT_ARGB8888};
    SDL_Texture* tex = SDL_CreateTexture(r, format, SDL_TEXTUREACCESS_STATIC, t->width, t->height);
    if (!tex) return nullptr;
    SDL_SetTextureBlendMode(tex, SDL_BLENDMODE_BLEND);
    SDL_SetTextureScaleMode(tex, SDL_ScaleModeNearest);
    return tex;
}

int round_pos(float v) { return static_cast<int>(std::floor(v + 0.5f)); }

constexpr size_t kCanvasBytes = static_cast<size_t>(kBackBufferWidth) * kBackBufferHeight * 4;

constexpr int kCanvasPitch = kBackBufferWidth * 4;  // bytes

// Opaque pictures at white colour modulation are drawn by our own loops, with the pixels SDL's
// software renderer would give (full opacity copies; partial opacity mixes by the alpha).
bool drawn_by_our_loops(const Texture* t, uint32_t colour) {
    return t->format == PixelFormat::X8R8G8B8 && (colour & 0x00FFFFFFu) == 0x00FFFFFFu;
}

// One textured rectangle through SDL's renderer, texel for texel.
void sdl_copy(Texture* t, const SDL_Rect& s, const SDL_Rect& d, uint32_t colour) {
    SDL_Texture* tex = sdl_texture_of(t);
    if (!tex) return;
    const Uint8 alpha = static_cast<Uint8>(colour >> 24);
    // An opaque texture at full opacity replaces what it covers: a plain copy, no blending.
    const bool replaces = t->format == PixelFormat::X8R8G8B8 && alpha == 0xFF;
    SDL_SetTextureBlendMode(tex, replaces ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND);
    SDL_SetTextureColorMod(tex, (colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF);
    SDL_SetTextureAlphaMod(tex, alpha);
    SDL_RenderCopy(rs.renderer, tex, &s, &d);
}

uint32_t* canvas_at(int x, int y) { return rs.surface_pixels + static_cast<size_t>(y) * kBackBufferWidth + x; }

// A clear colour as the canvas holds it.
uint32_t canvas_colour(uint32_t argb) {
    return SDL_MapRGB(rs.surface->format, (argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

// Carries out the held draws inside area (canvas pixels) alone: there the canvas becomes what the
// draws make of it, and nothing outside is touched. The clear waits for the first draw; one that
// covers the area whole mixes it in on the way, so that a fade writes the area once.
void carry_out(const SDL_Rect& area) {
    bool clear = false;
    uint32_t clear_argb = 0;
    bool queued = false;   // SDL holds draws not yet made
    bool clipped = false;  // SDL's viewport is the whole canvas, its clip rectangle set
    const auto flush = [&queued] {
        if (queued) SDL_RenderFlush(rs.renderer);
        queued = false;
    };
    const auto clear_area = [&] {
        flush();
        composite_fill(PixelRows{canvas_at(area.x, area.y), kCanvasPitch}, area.w, area.h, canvas_colour(clear_argb));
        clear = false;
    };
    for (const CanvasDraw& h : rs.held) {
        if (!h.texture) {
            clear = true;
            clear_argb = h.colour;
            continue;
        }
        const SDL_Rect dst{h.x, h.y, h.w, h.h}, view{h.clip_x, h.clip_y, h.clip_w, h.clip_h};
        SDL_Rect part{}, shown{};
        if (!SDL_IntersectRect(&dst, &view, &part) || !SDL_IntersectRect(&part, &area, &shown)) continue;
        if (drawn_by_our_loops(h.texture, h.colour)) {
            const Uint8 alpha = static_cast<Uint8>(h.colour >> 24);
            const PixelRows out{canvas_at(shown.x, shown.y), kCanvasPitch};
            const ConstPixelRows src{h.texture->pixels + static_cast<size_t>(h.src_y + shown.y - h.y) * (h.texture->pitch / 4) +
                                         (h.src_x + shown.x - h.x),
                                     h.texture->pitch};
            flush();
            if (clear && SDL_RectEquals(&shown, &area)) {
                composite_blend_over_colour(out, src, shown.w, shown.h, alpha, canvas_colour(clear_argb));
                clear = false;
                continue;
            }
            if (clear) clear_area();
            composite_blend(out, src, shown.w, shown.h, alpha);
            continue;
        }
        if (clear) clear_area();
        if (!clipped) SDL_RenderSetViewport(rs.renderer, nullptr);
        clipped = true;
        SDL_Rect clip{};
        SDL_IntersectRect(&view, &area, &clip);
        SDL_RenderSetClipRect(rs.renderer, &clip);
        sdl_copy(h.texture, SDL_Rect{h.src_x, h.src_y, h.w, h.h}, dst, h.colour);
        queued = true;
    }
    if (clear) clear_area();
    if (clipped) {
        SDL_RenderSetClipRect(rs.renderer, nullptr);
        SDL_RenderSetViewport(rs.renderer, &rs.viewport);
    }
    flush();
}

// The same over a taller area, a band of rows at a time: the canvas rows and the pictures' rows of
// one band stay in the cache from the first draw to the last.
void carry_out_in_bands(const SDL_Rect& area) {
    for (int y = area.y; y < area.y + area.h; y += kCanvasBandRows)
        carry_out(SDL_Rect{area.x, y, area.w, std::min(kCanvasBandRows, area.y + area.h - y)});
}

// Carries out every held draw over the whole canvas.
void bring_canvas_up_to_date() {
    if (rs.held.empty()) return;
    carry_out_in_bands(SDL_Rect{0, 0, kBackBufferWidth, kBackBufferHeight});
    rs.held.clear();
    rs.canvas_whole = true;
}

// The texture hook: a texture that held draws use is about to change or go.
void texture_changing(const Texture* t) {
    for (const CanvasDraw& h : rs.held)
        if (h.texture == t) return bring_canvas_up_to_date();
}

// The window surface's hook: brings a part of the canvas up to date before it is shown.
void carry_out_for_surface(int x, int y, int w, int h) { carry_out(SDL_Rect{x, y, w, h}); }

// The sprite batch's sink: one textured rectangle, texel for texel, colour and alpha modulated.
// On a canvas of ours it is held back until the canvas is needed, and then carried out only
// where the frame differs from the one shown.
void draw_sink(Texture* t, const SpriteRect& src, float x, float y, uint32_t colour) {
    if (!rs.renderer || !t || !t->pixels) return;
    SDL_Rect s{src.left, src.top, src.right - src.left, src.bottom - src.top};
    SDL_Rect d{round_pos(x), round_pos(y), s.w, s.h};
    // Clip the source to the texture and move the destination with it (never stretch).
    if (s.x < 0) { d.x -= s.x; s.w += s.x; s.x = 0; }
    if (s.y < 0) { d.y -= s.y; s.h += s.y; s.y = 0; }
    s.w = std::min(s.w, t->width - s.x);
    s.h = std::min(s.h, t->height - s.y);
    if (s.w <= 0 || s.h <= 0) return;
    d.w = s.w;
    d.h = s.h;
    if ((colour >> 24) == 0) return;  // blending at opacity 0 leaves the canvas as it is
    if (!rs.surface_pixels) return sdl_copy(t, s, d, colour);
    const CanvasDraw draw{t, t->version, colour, s.x, s.y, d.x + rs.viewport.x, d.y + rs.viewport.y, d.w, d.h,
                          rs.viewport.x, rs.viewport.y, rs.viewport.w, rs.viewport.h};
    if (rs.own_window) surface_note_draw(draw);
    rs.held.push_back(draw);
}

void select_canvas() {
    if (rs.canvas) SDL_SetRenderTarget(rs.renderer, rs.canvas);
    SDL_RenderSetViewport(rs.renderer, &rs.viewport);
}

HRESULT make_canvas() {
    if (rs.surface) return S_OK;
    if (rs.canvas) SDL_DestroyTexture(rs.canvas);
    rs.canvas = SDL_CreateTexture(rs.renderer, opaque_format_for(rs.renderer), SDL_TEXTUREACCESS_TARGET,
                                  kBackBufferWidth, kBackBufferHeight);
    if (!rs.canvas) return creation_error();
    SDL_SetTextureScaleMode(rs.canvas, SDL_ScaleModeNearest);
    SDL_SetTextureBlendMode(rs.canvas, SDL_BLENDMODE_NONE);
    return S_OK;
}

// Puts the window into the presentation set's shape. false when the window system refused.
bool shape_window(int windowed) {
    if (!sdl_main_window()) return true;
    return window_set_fullscreen(windowed == 0);
}

void drop_enlarged() {
    if (rs.enlarged) SDL_DestroyTexture(rs.enlarged);
    rs.enlarged = nullptr;
}

// The smallest whole multiple of the canvas that reaches the placement's size.
int whole_multiple(const CanvasPlacement& p) {
    const int kx = (p.width + kBackBufferWidth - 1) / kBackBufferWidth;
    const int ky = (p.height + kBackBufferHeight - 1) / kBackBufferHeight;
    return std::max({kx, ky, 1});
}

// Draws the canvas at placement p on a GPU renderer's output (target null) or target: nearest-
// neighbour to the smallest whole multiple that reaches p's size (into *enlarged, made or remade
// as needed), then a linear scale down to p's size, so that every output pixel shows the canvas
// pixels it covers, close to the share it covers of each (a tent rather than a box: the further
// the size from a whole multiple, the less even). At a whole factor it is one nearest-neighbour
// copy, pixel for pixel.
bool copy_canvas_scaled(SDL_Renderer* r, SDL_Texture* canvas, SDL_Texture* target, SDL_Texture** enlarged,
                        const CanvasPlacement& p) {
    const SDL_Rect dst{p.x, p.y, p.width, p.height};
    const int k = whole_multiple(p);
    const int ew = k * kBackBufferWidth, eh = k * kBackBufferHeight;
    if (ew == p.width && eh == p.height) return SDL_RenderCopy(r, canvas, nullptr, &dst) == 0;
    int w = 0, h = 0;
    if (*enlarged && (SDL_QueryTexture(*enlarged, nullptr, nullptr, &w, &h) != 0 || w != ew || h != eh)) {
        SDL_DestroyTexture(*enlarged);
        *enlarged = nullptr;
    }
    if (!*enlarged) {
        Uint32 format = SDL_PIXELFORMAT_ARGB8888;
        SDL_QueryTexture(canvas, &format, nullptr, nullptr, nullptr);
        *enlarged = SDL_CreateTexture(r, format, SDL_TEXTUREACCESS_TARGET, ew, eh);
        // Without room for it the picture is still shown, by nearest-neighbour alone.
        if (!*enlarged) return SDL_RenderCopy(r, canvas, nullptr, &dst) == 0;
        SDL_SetTextureScaleMode(*enlarged, SDL_ScaleModeLinear);
        SDL_SetTextureBlendMode(*enlarged, SDL_BLENDMODE_NONE);
    }
    bool ok = SDL_SetRenderTarget(r, *enlarged) == 0 && SDL_RenderCopy(r, canvas, nullptr, nullptr) == 0;
    ok = SDL_SetRenderTarget(r, target) == 0 && ok;
    return ok && SDL_RenderCopy(r, *enlarged, nullptr, &dst) == 0;
}

// Whether a GPU renderer is worth making. Without a GPU device (no DRI render node, no NVIDIA
// device node) or with Mesa told to draw in software, OpenGL is Mesa's software rasterizer: it
// spends several times the CPU of SDL's software renderer on a cross-fade and maps some 60 MB of
// libraries. The software renderer is then taken without loading OpenGL at all.
bool gpu_device_present() {
    const char* software = SDL_getenv("LIBGL_ALWAYS_SOFTWARE");
    if (software && *software && std::strcmp(software, "0") != 0 && std::strcmp(software, "false") != 0) return false;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/dri", ec))
        if (entry.path().filename().string().rfind("renderD", 0) == 0) return true;
    return std::filesystem::exists("/dev/nvidia0", ec);
}

// An OpenGL renderer whose GL_RENDERER names a software rasterizer (a GPU machine can still get
// one, e.g. under a virtual X server).
bool drawn_by_software_rasterizer(SDL_Renderer* r) {
    SDL_RendererInfo info{};
    if (SDL_GetRendererInfo(r, &info) != 0 || !info.name || std::strncmp(info.name, "opengl", 6) != 0) return false;
    using GetString = const unsigned char* (*)(unsigned);
    constexpr unsigned kGlRenderer = 0x1F01;
    auto get = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    const unsigned char* name = get ? get(kGlRenderer) : nullptr;
    if (!name) return false;
    const char* text = reinterpret_cast<const char*>(name);
    return std::strstr(text, "llvmpipe") || std::strstr(text, "softpipe") || std::strstr(text, "swrast");
}

// SDL's software renderer named for the window (SDL_RENDER_DRIVER=software): on the desktop the
// Software kind draws instead, with our own loops.
bool sdl_software_on_desktop(SDL_Renderer* r) {
#ifdef __EMSCRIPTEN__
    (void)r;
    return false;
#else
    SDL_RendererInfo info{};
    return SDL_GetRendererInfo(r, &info) == 0 && (info.flags & SDL_RENDERER_SOFTWARE);
#endif
}

// Presents of a window on a real display keep to its refresh; SDL's dummy and offscreen video
// drivers have no display, and the page's frames are paced by the browser's animation frames.
bool refresh_paced_driver() {
#ifdef __EMSCRIPTEN__
    return false;
#else
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::strcmp(driver, "dummy") != 0 && std::strcmp(driver, "offscreen") != 0;
#endif
}

// The refresh rate of the display the window is on now (0 when SDL reports none). The
// environment's POROMINA_REFRESH_HZ stands in for a display that reports none or a wrong one.
int window_refresh_hz(int* display) {
    *display = sdl_main_window() ? SDL_GetWindowDisplayIndex(sdl_main_window()) : -1;
    if (const char* given = SDL_getenv("POROMINA_REFRESH_HZ")) {
        const int hz = SDL_atoi(given);
        if (hz > 0) return hz;
    }
    SDL_DisplayMode mode{};
    if (*display < 0 || SDL_GetCurrentDisplayMode(*display, &mode) != 0) return 0;
    return mode.refresh_rate;
}

// Shows the drawn frame with show(): at the next refresh of the display, unless the present
// waits for it.
template <typename Show>
void present_at_refresh(Show show) {
    if (!rs.paced || clock_is_virtual()) {
        show();
        return;
    }
    int display = -1;
    const int hz = window_refresh_hz(&display);
    pacer_set_display(&rs.pacer, hz, display, clock_now_ns());
    const int64_t until = pacer_wait_until(&rs.pacer, clock_now_ns());
    if (until > clock_now_ns()) clock_sleep_until_ns(until);
    const int64_t asked = clock_now_ns();
    const int64_t cpu = clock_process_cpu_ns();
    show();
    const int64_t cpu_spent = clock_process_cpu_ns() - cpu;
    pacer_presented(&rs.pacer, asked, clock_now_ns(), cpu_spent);
}

void report_pacing() {
    if (!rs.paced || !SDL_getenv("POROMINA_PACING_REPORT")) return;
    std::fprintf(stderr, "pacing: display %d, refresh %.2f Hz, presents wait for it: %s, probes %d, changes %d\n",
                 rs.pacer.display, rs.pacer.period_ns > 0 ? 1e9 / static_cast<double>(rs.pacer.period_ns) : 0.0,
                 rs.pacer.display_waits ? "yes" : "no", rs.pacer.probes, rs.pacer.switches);
}

}  // namespace

SDL_Renderer* sdl_main_renderer() { return rs.renderer; }

SDL_Texture* sdl_texture_of(Texture* t) {
    if (!rs.renderer || !t || !t->pixels) return nullptr;
    auto* tex = static_cast<SDL_Texture*>(t->native);
    if (tex && t->native_version == t->version) return tex;
    if (!tex) {
        tex = new_sdl_texture(rs.renderer, t);
        if (!tex) return nullptr;
        t->native = tex;
        rs.uploaded.push_back(t);
    }
    if (!upload(tex, t, rs.scratch)) return nullptr;
    t->native_version = t->version;
    return tex;
}

SDL_Texture* sdl_make_texture(SDL_Renderer* r, const Texture* t) {
    if (!r || !t || !t->pixels) return nullptr;
    SDL_Texture* tex = new_sdl_texture(r, t);
    std::vector<uint32_t> scratch;
    if (tex && !upload(tex, t, scratch)) {
        SDL_DestroyTexture(tex);
        tex = nullptr;
    }
    return tex;
}

HRESULT renderer_create(RendererKind kind) {
    renderer_release();
    if (rs.creations_to_fail > 0) {
        --rs.creations_to_fail;
        return rs.creation_failure;
    }
    rs.kind = kind;
#ifdef __EMSCRIPTEN__
    rs.own_window = false;  // the page's canvas element is drawn by SDL's renderer
#else
    rs.own_window = kind == RendererKind::Software;
#endif
    if (rs.own_window) {
        // The window's own surface (shared memory with the X server), not an OpenGL texture
        // standing in for it.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        SDL_Window* win = sdl_main_window();
        if (!win) return E_FAIL;
        if (!SDL_GetWindowSurface(win)) return creation_error();
    }
    if (kind == RendererKind::Offscreen || rs.own_window) {
        rs.surface_pixels = pixel_buffer_alloc(kCanvasBytes, PixelBufferKind::Canvas, true);
        if (rs.surface_pixels)
            rs.surface = SDL_CreateRGBSurfaceWithFormatFrom(rs.surface_pixels, kBackBufferWidth, kBackBufferHeight, 32,
                                                            kBackBufferWidth * 4, SDL_PIXELFORMAT_RGB888);
        if (!rs.surface) {
            renderer_release();
            return D3DERR_OUTOFVIDEOMEMORY;
        }
        rs.renderer = SDL_CreateSoftwareRenderer(rs.surface);
    } else {
        SDL_Window* win = sdl_main_window();
        if (!win) return E_FAIL;
        // SDL_RENDER_DRIVER, when set, names the renderer; otherwise no software OpenGL.
        const bool driver_named = SDL_GetHint(SDL_HINT_RENDER_DRIVER) != nullptr;
        if (kind == RendererKind::Accelerated && !driver_named && !gpu_device_present()) return E_FAIL;
        // The software renderer draws into the window's own surface (shared memory with the X
        // server), not into an OpenGL texture standing in for it.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        Uint32 flags = SDL_RENDERER_PRESENTVSYNC | SDL_RENDERER_TARGETTEXTURE |
                       (kind == RendererKind::Accelerated ? SDL_RENDERER_ACCELERATED : SDL_RENDERER_SOFTWARE);
        rs.renderer = SDL_CreateRenderer(win, -1, flags);
        if (rs.renderer && kind == RendererKind::Accelerated &&
            ((!driver_named && drawn_by_software_rasterizer(rs.renderer)) || sdl_software_on_desktop(rs.renderer))) {
            renderer_release();
            return E_FAIL;
        }
    }
    if (!rs.renderer) {
        HRESULT hr = creation_error();
        renderer_release();
        return hr;
    }
    HRESULT hr = make_canvas();
    if (failed(hr)) {
        renderer_release();
        return hr;
    }
    rs.windowed = 1;
    rs.paced = kind != RendererKind::Offscreen && refresh_paced_driver();
    {
        int display = -1;
        const int hz = rs.paced ? window_refresh_hz(&display) : 0;
        pacer_reset(&rs.pacer, hz, display);
    }
    rs.viewport = {0, 0, kBackBufferWidth, kBackBufferHeight};
    rs.in_scene = rs.lost = rs.natives_lost = false;
    rs.resets = rs.presents = 0;
    select_canvas();
    batch_set_sink(draw_sink);
    texture_set_native_release(release_native);
    texture_set_change_hook(texture_changing);
    return S_OK;
}

void renderer_release() {
    if (rs.renderer) {
        batch_set_sink(nullptr);
        texture_set_change_hook(nullptr);
        report_pacing();
    }
    drop_all_natives();
    drop_enlarged();
    surface_release();
    if (rs.canvas) SDL_DestroyTexture(rs.canvas);
    rs.canvas = nullptr;
    if (rs.renderer) SDL_DestroyRenderer(rs.renderer);
    rs.renderer = nullptr;
    if (rs.surface) SDL_FreeSurface(rs.surface);
    rs.surface = nullptr;
    pixel_buffer_free(rs.surface_pixels, kCanvasBytes, PixelBufferKind::Canvas);
    rs.surface_pixels = nullptr;
    rs.held.clear();
    rs.canvas_whole = false;
    rs.in_scene = rs.lost = rs.natives_lost = false;
    rs.script = LossScript{};
}

bool renderer_exists() { return rs.renderer != nullptr; }
RendererKind renderer_kind() { return rs.kind; }
int renderer_windowed() { return rs.windowed; }

void renderer_apply_states() {
    if (!rs.renderer) return;
    // Clears replace the canvas; every sprite draw blends with its own texture's mode.
    SDL_SetRenderDrawBlendMode(rs.renderer, SDL_BLENDMODE_NONE);
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
}

HRESULT renderer_set_viewport(int x, int y, int width, int height) {
    if (!rs.renderer || width <= 0 || height <= 0) return E_FAIL;
    rs.viewport = {x, y, width, height};
    return SDL_RenderSetViewport(rs.renderer, &rs.viewport) == 0 ? S_OK : E_FAIL;
}

HRESULT renderer_clear(uint32_t argb) {
    if (!rs.renderer) return D3DERR_INVALIDCALL;
    const CanvasDraw clear{nullptr, 0, argb, 0, 0, 0, 0, kBackBufferWidth, kBackBufferHeight, 0, 0,
                           kBackBufferWidth, kBackBufferHeight};
    if (rs.own_window) surface_note_draw(clear);
    if (rs.surface_pixels) {
        // Held back with the draws; what was held before it is covered by it.
        rs.held.clear();
        rs.held.push_back(clear);
        return S_OK;
    }
    SDL_SetRenderDrawColor(rs.renderer, (argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF, argb >> 24);
    return SDL_RenderClear(rs.renderer) == 0 ? S_OK : E_FAIL;
}

HRESULT renderer_begin_scene() {
    if (!rs.renderer || rs.in_scene) return D3DERR_INVALIDCALL;
    rs.in_scene = true;
    return S_OK;
}

HRESULT renderer_end_scene() {
    if (!rs.renderer || !rs.in_scene) return D3DERR_INVALIDCALL;
    rs.in_scene = false;
    return S_OK;
}

HRESULT renderer_present() {
    if (!rs.renderer) return D3DERR_INVALIDCALL;
    if (rs.script.present_pending) {
        rs.script.present_pending = false;
        rs.lost = true;
        return D3DERR_DEVICELOST;
    }
    if (rs.lost) return D3DERR_DEVICELOST;
    ++rs.presents;
    if (rs.kind == RendererKind::Offscreen) {
        bring_canvas_up_to_date();
        rs.canvas_whole = false;
        SDL_RenderPresent(rs.renderer);
        return S_OK;
    }
    if (rs.own_window) {
        // The held draws are carried out where the frame differs from the one shown, band by band
        // as the surface takes them; the rest of the canvas is that frame already.
        if (rs.canvas_whole) bring_canvas_up_to_date();
        bool drew = false;
        bool ok = surface_compose(rs.surface_pixels, rs.windowed != 0, rs.canvas_whole ? nullptr : carry_out_for_surface,
                                  &drew);
        if (!ok && !drew) {
            // Nothing reached the canvas: it takes the frame whole, and the next present sends it all.
            bring_canvas_up_to_date();
            sdl_window_surface_invalidate();
        }
        rs.held.clear();
        rs.canvas_whole = false;
        present_at_refresh([&ok] { ok = surface_show() && ok; });
        if (!ok) {
            rs.lost = true;
            return D3DERR_DEVICELOST;
        }
        return S_OK;
    }
    bool ok = SDL_SetRenderTarget(rs.renderer, nullptr) == 0;
    SDL_SetRenderDrawColor(rs.renderer, 0, 0, 0, 255);
    SDL_RenderClear(rs.renderer);
    if (rs.windowed) {
        // Below the menu bar; enlarged as in full screen on a screen scaled above 100 %.
        ok = ok && copy_canvas_scaled(rs.renderer, rs.canvas, nullptr, &rs.enlarged, sdl_windowed_canvas());
        sdl_paint_window_chrome(rs.renderer);
    } else {
        // Placed by the size the window's drawable really has (the window keeps SDL's idea of
        // it true, see window_set_fullscreen).
        int w = 0, h = 0;
        SDL_GetRendererOutputSize(rs.renderer, &w, &h);
        ok = ok && copy_canvas_scaled(rs.renderer, rs.canvas, nullptr, &rs.enlarged, letterbox_placement(w, h));
    }
    present_at_refresh([] { SDL_RenderPresent(rs.renderer); });
    select_canvas();
    if (!ok) {
        rs.lost = true;
        return D3DERR_DEVICELOST;
    }
    return S_OK;
}

void renderer_note_reset_event(bool device_reset) {
    if (!rs.renderer) return;
    rs.lost = true;
    if (device_reset) rs.natives_lost = true;
}

HRESULT renderer_test_cooperative_level() {
    if (!rs.renderer) return D3DERR_INVALIDCALL;
    if (rs.script.polling) {
        if (rs.script.lost_polls > 0) {
            --rs.script.lost_polls;
            return D3DERR_DEVICELOST;
        }
        HRESULT hr = rs.script.after_polls;
        rs.script.polling = false;
        if (hr == S_OK) rs.lost = false;
        else if (hr != D3DERR_DEVICENOTRESET) rs.script.polling = true;  // keeps failing
        return hr;
    }
    return rs.lost ? D3DERR_DEVICENOTRESET : S_OK;
}

HRESULT renderer_reset(int windowed) {
    if (!rs.renderer) return D3DERR_INVALIDCALL;
    if (rs.in_scene) return D3DERR_INVALIDCALL;
    if (rs.script.reset_pending) {
        rs.script.reset_pending = false;
        if (rs.script.reset_result != S_OK) {
            if (rs.script.reset_result == D3DERR_DEVICELOST) rs.lost = true;
            return rs.script.reset_result;
        }
    }
    if (!shape_window(windowed)) return windowed ? E_FAIL : D3DERR_NOTAVAILABLE;
    rs.windowed = windowed;
    if (windowed) drop_enlarged();
    if (rs.own_window) sdl_window_surface_invalidate();
    if (rs.natives_lost) {
        // SDL dropped every texture of the renderer: the copies are made again from the pixel
        // buffers when next drawn.
        drop_all_natives();
        drop_enlarged();
        rs.natives_lost = false;
        HRESULT hr = make_canvas();
        if (failed(hr)) return hr;
    }
    rs.lost = false;
    ++rs.resets;
    select_canvas();
    return S_OK;
}

bool renderer_read_canvas(uint32_t* out) {
    if (!rs.renderer || !out) return false;
    if (rs.surface) {
        bring_canvas_up_to_date();
        if (SDL_LockSurface(rs.surface) != 0) return false;
        for (int y = 0; y < kBackBufferHeight; ++y)
            std::memcpy(out + y * kBackBufferWidth, static_cast<const char*>(rs.surface->pixels) + y * rs.surface->pitch,
                        kBackBufferWidth * 4);
        SDL_UnlockSurface(rs.surface);
    } else {
        select_canvas();
        SDL_Rect all{0, 0, kBackBufferWidth, kBackBufferHeight};
        SDL_RenderSetViewport(rs.renderer, nullptr);
        bool ok = SDL_RenderReadPixels(rs.renderer, &all, SDL_PIXELFORMAT_ARGB8888, out, kBackBufferWidth * 4) == 0;
        select_canvas();
        if (!ok) return false;
    }
    for (int i = 0; i < kBackBufferWidth * kBackBufferHeight; ++i) out[i] |= 0xFF000000u;
    return true;
}

CanvasPlacement letterbox_placement(int ow, int oh) {
    CanvasPlacement p{0, 0, kBackBufferWidth, kBackBufferHeight};
    if (ow <= 0 || oh <= 0) return p;
    if (static_cast<long long>(ow) * kBackBufferHeight <= static_cast<long long>(oh) * kBackBufferWidth) {
        p.width = ow;
        p.height = static_cast<int>(static_cast<long long>(ow) * kBackBufferHeight / kBackBufferWidth);
    } else {
        p.height = oh;
        p.width = static_cast<int>(static_cast<long long>(oh) * kBackBufferWidth / kBackBufferHeight);
    }
    p.x = (ow - p.width) / 2;
    p.y = (oh - p.height) / 2;
    return p;
}

namespace {
// The canvas pixel under the centre of output pixel i, src canvas pixels being shown over dst
// output pixels: of the canvas pixels an output pixel shows, the one it shows most of.
int scaled_source(int i, int src, int dst) {
    return static_cast<int>((2LL * i + 1) * src / (2LL * dst));
}
// The first output pixel whose centre lies over canvas pixel c.
int first_showing(int c, int src, int dst) {
    const long long num = 2LL * dst * c - src;
    return num <= 0 ? 0 : static_cast<int>((num + 2LL * src - 1) / (2LL * src));
}
}  // namespace

bool letterbox_to_canvas(const CanvasPlacement& p, int px, int py, int* cx, int* cy) {
    int dx = px - p.x, dy = py - p.y;
    if (dx < 0 || dy < 0 || dx >= p.width || dy >= p.height) return false;
    *cx = std::min(scaled_source(dx, kBackBufferWidth, p.width), kBackBufferWidth - 1);
    *cy = std::min(scaled_source(dy, kBackBufferHeight, p.height), kBackBufferHeight - 1);
    return true;
}

void letterbox_from_canvas(const CanvasPlacement& p, int cx, int cy, int* px, int* py) {
    cx = std::clamp(cx, 0, kBackBufferWidth - 1);
    cy = std::clamp(cy, 0, kBackBufferHeight - 1);
    *px = p.x + std::min(first_showing(cx, kBackBufferWidth, p.width), std::max(p.width - 1, 0));
    *py = p.y + std::min(first_showing(cy, kBackBufferHeight, p.height), std::max(p.height - 1, 0));
}

void renderer_simulate_loss(int lost_polls, HRESULT after_polls, HRESULT reset_result) {
    rs.script = LossScript{true, true, lost_polls, after_polls, true, reset_result};
}

void renderer_fail_next_creations(int count, HRESULT result) {
    rs.creations_to_fail = count;
    rs.creation_failure = result;
}

int renderer_reset_count() { return rs.resets; }
int renderer_present_count() { return rs.presents; }

void renderer_set_offscreen_only(bool on) { rs.offscreen_only = on; }
bool renderer_offscreen_only() { return rs.offscreen_only; }

bool renderer_letterbox_image(const uint32_t* canvas, int ow, int oh, uint32_t* out) {
    if (!canvas || !out || ow <= 0 || oh <= 0) return false;
    const CanvasPlacement p = letterbox_placement(ow, oh);
    const PixelRows screen{out, ow * 4};
    composite_fill(screen, ow, oh, 0xFF000000u);
    PixelRows placed{out + static_cast<size_t>(p.y) * ow + p.x, ow * 4};
    if (p.width == kBackBufferWidth && p.height == kBackBufferHeight) {
        composite_copy(placed, ConstPixelRows{canvas, kBackBufferWidth * 4}, p.width, p.height);
        return true;
    }
    AreaScaler scaler;
    if (!area_scaler_prepare(&scaler, kBackBufferWidth, kBackBufferHeight, p.width, p.height)) return false;
    area_scale_rows(&scaler, ConstPixelRows{canvas, kBackBufferWidth * 4}, placed, 0, p.height, 0, p.width);
    return true;
}
