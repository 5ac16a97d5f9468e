// The bare software renderer drawing a recorded frame's copies: what the frame step's drawing
// costs with no game code, sprite batch or texture bookkeeping around SDL.
#include "bench/renderer_baseline.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>

#include "platform/video/renderer.h"

namespace {

// One copy, resolved to the yardstick's own texture.
struct BareCopy {
    SDL_Texture* texture;  // owned by the yardstick's texture list
    SDL_Rect src;          // texels
    SDL_Rect dst;          // canvas pixels, same size as src
    SDL_BlendMode blend;
    uint8_t r, g, b, a;    // colour and alpha modulation
};

struct Baseline {
    SDL_Surface* surface = nullptr;    // the 800x600 canvas
    SDL_Renderer* renderer = nullptr;  // software renderer on it
    std::vector<std::pair<const Texture*, SDL_Texture*>> textures;
    std::vector<BareCopy> copies;
    uint32_t clear = 0;                // ARGB
};

Baseline bl;  // benchmark thread only

// The canvas pixel a sprite position lands on (rounded to nearest, as the sprite batch does).
int canvas_pixel(float v) { return static_cast<int>(std::floor(v + 0.5f)); }

SDL_Texture* texture_for(const Texture* t) {
    for (auto& [known, tex] : bl.textures)
        if (known == t) return tex;
    const bool opaque = t->format == PixelFormat::X8R8G8B8;
    SDL_Texture* tex = SDL_CreateTexture(bl.renderer, opaque ? SDL_PIXELFORMAT_RGB888 : SDL_PIXELFORMAT_ARGB8888,
                                         SDL_TEXTUREACCESS_STATIC, t->width, t->height);
    if (!tex) return nullptr;
    SDL_SetTextureScaleMode(tex, SDL_ScaleModeNearest);
    if (SDL_UpdateTexture(tex, nullptr, t->pixels, t->pitch) != 0) {
        SDL_DestroyTexture(tex);
        return nullptr;
    }
    bl.textures.push_back({t, tex});
    return tex;
}

}  // namespace

bool baseline_renderer_begin(const std::vector<DrawCall>& copies, uint32_t clear_argb) {
    baseline_renderer_end();
    bl.surface = SDL_CreateRGBSurfaceWithFormat(0, kBackBufferWidth, kBackBufferHeight, 32, SDL_PIXELFORMAT_RGB888);
    if (!bl.surface) return false;
    bl.renderer = SDL_CreateSoftwareRenderer(bl.surface);
    if (!bl.renderer) return false;
    bl.clear = clear_argb;
    for (const DrawCall& c : copies) {
        if (!c.texture || !c.texture->pixels) continue;
        const int w = std::min(c.src.right, c.texture->width) - std::max(c.src.left, 0);
        const int h = std::min(c.src.bottom, c.texture->height) - std::max(c.src.top, 0);
        if (w <= 0 || h <= 0) continue;
        SDL_Texture* tex = texture_for(c.texture);
        if (!tex) return false;
        const uint8_t a = static_cast<uint8_t>(c.colour >> 24);
        const bool opaque = c.texture->format == PixelFormat::X8R8G8B8 && a == 0xFF;
        BareCopy bare{tex,
                      {std::max(c.src.left, 0), std::max(c.src.top, 0), w, h},
                      {canvas_pixel(c.x) + std::max(c.src.left, 0) - c.src.left,
                       canvas_pixel(c.y) + std::max(c.src.top, 0) - c.src.top, w, h},
                      opaque ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND,
                      static_cast<uint8_t>(c.colour >> 16), static_cast<uint8_t>(c.colour >> 8),
                      static_cast<uint8_t>(c.colour), a};
        bl.copies.push_back(bare);
    }
    return true;
}

void baseline_renderer_draw(int frames) {
    if (!bl.renderer) return;
    for (int i = 0; i < frames; ++i) {
        SDL_SetRenderDrawColor(bl.renderer, (bl.clear >> 16) & 0xFF, (bl.clear >> 8) & 0xFF, bl.clear & 0xFF,
                               bl.clear >> 24);
        SDL_RenderClear(bl.renderer);
        for (const BareCopy& c : bl.copies) {
            SDL_SetTextureBlendMode(c.texture, c.blend);
            SDL_SetTextureColorMod(c.texture, c.r, c.g, c.b);
            SDL_SetTextureAlphaMod(c.texture, c.a);
            SDL_RenderCopy(bl.renderer, c.texture, &c.src, &c.dst);
        }
        SDL_RenderPresent(bl.renderer);
    }
}

void baseline_renderer_end() {
    for (auto& entry : bl.textures) SDL_DestroyTexture(entry.second);
    bl.textures.clear();
    bl.copies.clear();
    if (bl.renderer) SDL_DestroyRenderer(bl.renderer);
    bl.renderer = nullptr;
    if (bl.surface) SDL_FreeSurface(bl.surface);
    bl.surface = nullptr;
}
