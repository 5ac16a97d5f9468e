// The canvas as the game draws it, pixel for pixel beside SDL's software renderer drawing the same
// copies by itself (textures uploaded, colour and alpha modulation set, blended or copied): every
// transition kind through its course, over white and over black, the speech balloon opening and
// at rest, the overlay menu opening and at rest. No channel may differ by more than 1.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "common/flags.h"
#include "platform/video/compositor.h"
#include "platform/video/renderer.h"
#include "platform/video/sprite.h"
#include "platform/video/texture.h"
#include "scene/balloon.h"
#include "scene/menu_overlay.h"
#include "scene/transition.h"

namespace {

// SDL's software renderer on a canvas of its own, making recorded copies as one frame made them.
std::vector<uint32_t> bare_renderer_canvas(const std::vector<DrawCall>& copies, uint32_t clear) {
    std::vector<uint32_t> out(kBackBufferWidth * kBackBufferHeight);
    SDL_Surface* surface =
        SDL_CreateRGBSurfaceWithFormat(0, kBackBufferWidth, kBackBufferHeight, 32, SDL_PIXELFORMAT_RGB888);
    SDL_Renderer* r = surface ? SDL_CreateSoftwareRenderer(surface) : nullptr;
    if (!r) {
        ADD_FAILURE() << "no software renderer: " << SDL_GetError();
        if (surface) SDL_FreeSurface(surface);
        return out;
    }
    std::map<const Texture*, SDL_Texture*> made;
    SDL_SetRenderDrawColor(r, (clear >> 16) & 0xFF, (clear >> 8) & 0xFF, clear & 0xFF, clear >> 24);
    SDL_RenderClear(r);
    for (const DrawCall& c : copies) {
        const Texture* t = c.texture;
        if (!t || c.src.right <= c.src.left || c.src.bottom <= c.src.top || (c.colour >> 24) == 0) continue;
        SDL_Texture*& tex = made[t];
        const bool opaque = t->format == PixelFormat::X8R8G8B8;
        if (!tex) {
            tex = SDL_CreateTexture(r, opaque ? SDL_PIXELFORMAT_RGB888 : SDL_PIXELFORMAT_ARGB8888,
                                    SDL_TEXTUREACCESS_STATIC, t->width, t->height);
            SDL_SetTextureScaleMode(tex, SDL_ScaleModeNearest);
            SDL_UpdateTexture(tex, nullptr, t->pixels, t->pitch);
        }
        SDL_Rect s{c.src.left, c.src.top, c.src.right - c.src.left, c.src.bottom - c.src.top};
        SDL_Rect d{static_cast<int>(std::floor(c.x + 0.5f)), static_cast<int>(std::floor(c.y + 0.5f)), s.w, s.h};
        if (s.x < 0) { d.x -= s.x; s.w += s.x; s.x = 0; }
        if (s.y < 0) { d.y -= s.y; s.h += s.y; s.y = 0; }
        s.w = std::min(s.w, t->width - s.x);
        s.h = std::min(s.h, t->height - s.y);
        if (s.w <= 0 || s.h <= 0) continue;
        d.w = s.w;
        d.h = s.h;
        const Uint8 a = static_cast<Uint8>(c.colour >> 24);
        SDL_SetTextureBlendMode(tex, opaque && a == 0xFF ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND);
        SDL_SetTextureColorMod(tex, (c.colour >> 16) & 0xFF, (c.colour >> 8) & 0xFF, c.colour & 0xFF);
        SDL_SetTextureAlphaMod(tex, a);
        SDL_RenderCopy(r, tex, &s, &d);
    }
    SDL_RenderPresent(r);
    for (int y = 0; y < kBackBufferHeight; ++y)
        for (int x = 0; x < kBackBufferWidth; ++x)
            out[y * kBackBufferWidth + x] =
                static_cast<const uint32_t*>(surface->pixels)[y * (surface->pitch / 4) + x] | 0xFF000000u;
    for (auto& entry : made) SDL_DestroyTexture(entry.second);
    SDL_DestroyRenderer(r);
    SDL_FreeSurface(surface);
    return out;
}

// Pictures whose every channel takes every value, so that each mixing step meets all operands.
void fill_picture(Texture* t, uint32_t seed) {
    for (int i = 0; i < t->width * t->height; ++i) {
        seed = seed * 1664525u + 1013904223u;
        t->pixels[i] = seed;  // the spare byte too: it must never show
    }
    ++t->version;
}

class CanvasPixelsTest : public testing::Test {
protected:
    void SetUp() override {
        reset_shared_flags();
        ASSERT_EQ(renderer_create(RendererKind::Offscreen), S_OK);
        renderer_apply_states();
        ASSERT_EQ(batch_create(), S_OK);
        scene_transition = SceneTransition{};
        ASSERT_EQ(create_scene_textures(), 0);
        fill_picture(scene_transition.previous_image, 1);
        fill_picture(scene_transition.current_image, 2);
    }
    void TearDown() override {
        batch_record_to(nullptr);
        release_menu_overlay();
        release_balloon_textures();
        release_scene_textures();
        batch_release();
        renderer_release();
    }

    // Draws one frame of the scene with draw (after the picture), then compares the canvas with
    // the bare renderer's; returns the largest channel difference.
    template <typename F>
    int frame_difference(uint32_t clear, F draw, const std::string& what) {
        std::vector<DrawCall> copies;
        batch_record_to(&copies);
        renderer_clear(clear);
        renderer_begin_scene();
        batch_begin();
        draw();
        batch_end();
        renderer_end_scene();
        EXPECT_EQ(renderer_present(), S_OK);
        batch_record_to(nullptr);
        std::vector<uint32_t> game(kBackBufferWidth * kBackBufferHeight);
        EXPECT_TRUE(renderer_read_canvas(game.data()));
        const std::vector<uint32_t> bare = bare_renderer_canvas(copies, clear);
        int worst = 0, worst_at = 0;
        for (size_t i = 0; i < game.size(); ++i)
            for (int shift = 0; shift < 32; shift += 8) {
                const int diff = std::abs(static_cast<int>((game[i] >> shift) & 0xFF) - static_cast<int>((bare[i] >> shift) & 0xFF));
                if (diff > worst) worst = diff, worst_at = static_cast<int>(i);
            }
        EXPECT_LE(worst, 1) << what << ": pixel (" << worst_at % kBackBufferWidth << ", " << worst_at / kBackBufferWidth
                            << ") is " << std::hex << game[worst_at] << ", the bare renderer gives " << bare[worst_at];
        return worst;
    }
};

TEST_F(CanvasPixelsTest, EveryTransitionKindThroughItsCourseOverWhiteAndBlack) {
    for (int kind = 0; kind < kTransitionKinds; ++kind) {
        for (uint32_t clear : {0xFFFFFFFFu, 0xFF000000u}) {
            scene_transition.transition_kind = kind;
            const int start = kind == 10 ? 510 : kind >= 9 ? 255 : kind == 1 || kind == 2 ? 600 : kind == 0 ? 0 : 800;
            // The first frames, the middle (the exact half at 128 for the fades) and the last.
            for (int counter : {start, start - 1, start / 2, 128, 127, 100, 1, 0, -1}) {
                if (counter > start) continue;
                scene_transition.transition_counter = counter;
                transition_active = 1;
                frame_difference(clear, draw_scene_image,
                                 "kind " + std::to_string(kind) + " counter " + std::to_string(counter) + " clear " +
                                     std::to_string(clear >> 24 == 0xFF && (clear & 0xFFFFFF) ? 1 : 0));
            }
        }
    }
}

TEST_F(CanvasPixelsTest, BalloonOpeningAndAtRestOverAFadingPicture) {
    ASSERT_EQ(create_balloon_textures(), 0);
    std::string names[kMaxPages], texts[kMaxPages];
    int32_t sizes[kMaxPages];
    for (int i = 0; i < kMaxPages; ++i) {
        names[i] = "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e";  // ＭＳ ゴシック
        sizes[i] = 33;
        texts[i] = "\x82\xa0\x82\xa2 Aa";
    }
    ASSERT_EQ(open_balloon(1, names, sizes, texts), 0);
    scene_transition.transition_kind = 9;
    for (int frame = 0; frame < 20; ++frame) {
        scene_transition.transition_counter = 200 - 10 * frame;
        transition_active = 1;
        frame_difference(0xFFFFFFFF, [] { draw_scene_image(); draw_balloon(); }, "balloon frame " + std::to_string(frame));
    }
    EXPECT_EQ(balloon_animating, 0) << "the balloon came to rest";
}

TEST_F(CanvasPixelsTest, OverlayOpeningAndAtRest) {
    ASSERT_EQ(create_menu_overlay(), 0);
    open_menu();
    for (int frame = 0; frame < 16; ++frame)
        frame_difference(0xFFFFFFFF, [] { draw_scene_image(); draw_menu(); }, "overlay frame " + std::to_string(frame));
    EXPECT_EQ(menu_animating, 0) << "the overlay came to rest";
}

void check_loops_against_channel_rule() {
    const int width = 37, height = 2;
    std::vector<uint32_t> over(width * height), under(width * height);
    uint32_t seed = 7;
    for (size_t i = 0; i < over.size(); ++i) {
        over[i] = seed = seed * 1664525u + 1013904223u;
        under[i] = seed = seed * 1664525u + 1013904223u;
    }
    for (int a = 1; a < 256; ++a) {
        std::vector<uint32_t> mixed = under, faded(over.size());
        composite_blend({mixed.data(), width * 4}, {over.data(), width * 4}, width, height, a);
        composite_blend_over_colour({faded.data(), width * 4}, {over.data(), width * 4}, width, height, a, 0x00FF8000);
        for (size_t i = 0; i < over.size(); ++i)
            for (int shift = 0; shift < 24; shift += 8) {
                const int o = (over[i] >> shift) & 0xFF;
                ASSERT_EQ((mixed[i] >> shift) & 0xFF, composite_channel(o, (under[i] >> shift) & 0xFF, a))
                    << "opacity " << a << " pixel " << i;
                ASSERT_EQ((faded[i] >> shift) & 0xFF, composite_channel(o, (0x00FF8000u >> shift) & 0xFF, a))
                    << "opacity " << a << " pixel " << i;
            }
    }
}

// Every path's loops against the one-channel rule at every opacity and on odd row lengths.
TEST(CompositorTest, EveryPathGivesTheChannelRuleAtEveryOpacity) {
    for (CompositeLoops path : {CompositeLoops::Best, CompositeLoops::Sse2, CompositeLoops::Scalar}) {
        SCOPED_TRACE(static_cast<int>(path));
        composite_select_loops(path);
        check_loops_against_channel_rule();
    }
    composite_select_loops(CompositeLoops::Best);
}

}  // namespace
