// Blending of opaque pictures on the software canvas: full opacity replaces, partial opacity
// mixes by the colour's alpha (the cross-fades and fades through white), opacity 0 leaves the
// canvas, and alpha textures drawn over them still blend by texel.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/video/renderer.h"
#include "platform/video/sprite.h"
#include "platform/video/texture.h"

namespace {

class RendererBlendTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(renderer_create(RendererKind::Offscreen), S_OK);
        ASSERT_EQ(batch_create(), S_OK);
    }
    void TearDown() override {
        for (Texture*& t : textures) texture_release(t);
        batch_release();
        renderer_release();
    }
    Texture* make(PixelFormat f, uint32_t fill) {
        Texture* t = nullptr;
        EXPECT_EQ(texture_create(8, 8, f, &t), S_OK);
        for (int i = 0; i < 64; ++i) t->pixels[i] = fill;
        ++t->version;
        textures.push_back(t);
        return t;
    }
    // Canvas pixel (2, 2) after clearing to clear and drawing each (texture, colour) at (0, 0).
    uint32_t draw(uint32_t clear, std::vector<std::pair<Texture*, uint32_t>> draws) {
        renderer_clear(clear);
        renderer_begin_scene();
        batch_begin();
        for (auto& [t, colour] : draws) batch_draw(t, nullptr, 0, 0, colour);
        batch_end();
        renderer_end_scene();
        EXPECT_EQ(renderer_present(), S_OK);
        std::vector<uint32_t> px(kBackBufferWidth * kBackBufferHeight);
        EXPECT_TRUE(renderer_read_canvas(px.data()));
        return px[2 * kBackBufferWidth + 2];
    }
    std::vector<Texture*> textures;
};

uint32_t alpha(int a) { return static_cast<uint32_t>(a) << 24 | 0x00FFFFFF; }
int mix(int over, int under, int a) { return (over * a + under * (255 - a)) / 255; }

TEST_F(RendererBlendTest, OpaquePicturesMixByTheColoursOpacity) {
    // The alpha byte of an opaque texture is never looked at, whatever it holds.
    Texture* current = make(PixelFormat::X8R8G8B8, 0x00204060);
    Texture* previous = make(PixelFormat::X8R8G8B8, 0x7FC0A080);
    EXPECT_EQ(draw(0xFFFFFFFF, {{current, 0xFFFFFFFF}}), 0xFF204060u) << "full opacity replaces";
    EXPECT_EQ(draw(0xFFFFFFFF, {{current, alpha(0)}}), 0xFFFFFFFFu) << "opacity 0 leaves the white";
    EXPECT_EQ(draw(0xFF000000, {{current, 0xFFFFFFFF}, {previous, alpha(0)}}), 0xFF204060u)
        << "a resting cross-fade: the old picture at opacity 0 changes nothing";
    for (int c : {1, 100, 128, 200, 254}) {
        // Cross-fade: the new picture at 255 - c over white, the old one at c over it.
        const uint32_t got = draw(0xFFFFFFFF, {{current, alpha(255 - c)}, {previous, alpha(c)}});
        const int channels[3][3] = {{0x20, 0xC0, 16}, {0x40, 0xA0, 8}, {0x60, 0x80, 0}};
        for (const auto& ch : channels) {
            const int want = mix(ch[1], mix(ch[0], 0xFF, 255 - c), c);
            EXPECT_LE(std::abs(static_cast<int>((got >> ch[2]) & 0xFF) - want), 3)
                << "counter " << c << ", channel at bit " << ch[2] << ": got " << std::hex << got;
        }
        EXPECT_EQ(got >> 24, 0xFFu);
    }
}

TEST_F(RendererBlendTest, AlphaTexturesBlendByTexelOverAPartlyOpaquePanel) {
    Texture* panel = make(PixelFormat::X8R8G8B8, 0xFF0000FF);
    Texture* text = make(PixelFormat::A8R8G8B8, 0xFFFFFFFF);
    Texture* clear_text = make(PixelFormat::A8R8G8B8, 0x00FFFFFF);
    const uint32_t under = draw(0xFF000000, {{panel, 0x7FFFFFFF}});
    EXPECT_NEAR(static_cast<int>(under & 0xFF), 0x7F, 2) << "half a blue panel over black";
    EXPECT_EQ(under & 0x00FFFF00u, 0u);
    EXPECT_EQ(draw(0xFF000000, {{panel, 0x7FFFFFFF}, {text, 0xFFFFFFFF}}), 0xFFFFFFFFu) << "an opaque texel covers";
    EXPECT_EQ(draw(0xFF000000, {{panel, 0x7FFFFFFF}, {clear_text, 0xFFFFFFFF}}), under)
        << "a transparent texel leaves the panel";
}

}  // namespace
