// A script naming a face this machine lacks still shows Japanese, never boxes: kana and kanji
// drawn with an unknown or non-Japanese face come out as the default face's (IPA Gothic's)
// glyphs, pixel for pixel.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gfx/text.h"
#include "platform/text/sjis.h"
#include "platform/text/text.h"

namespace {

std::string sjis(const char* utf8) {
    std::string out;
    EXPECT_TRUE(utf8_to_sjis(utf8, &out)) << utf8;
    return out;
}

// The alpha text of `text` in `face` at 33 points: one value per pixel of a 200x60 texture.
std::vector<uint32_t> rendered(const std::string& face, const std::string& text) {
    Texture* alpha = nullptr;
    Texture* scratch = nullptr;
    std::vector<uint32_t> out;
    if (texture_create(200, 60, PixelFormat::A8R8G8B8, &alpha) == S_OK &&
        texture_create(200, 60, PixelFormat::X8R8G8B8, &scratch) == S_OK &&
        render_alpha_text(alpha, scratch, 0x00FFFFFF, face.c_str(), 33, text.c_str()) ==
            static_cast<int>(text.size())) {
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 200; ++x) out.push_back(alpha->pixels[y * (alpha->pitch / 4) + x]);
    }
    texture_release(alpha);
    texture_release(scratch);
    return out;
}

int glyph_pixels(const std::vector<uint32_t>& image) {
    int n = 0;
    for (uint32_t p : image) n += p == 0xFFFFFFFFu;
    return n;
}

TEST(FaceFallback, UnknownAndNonJapaneseFacesDrawTheDefaultFacesGlyphs) {
    const std::string text = sjis("あア日");
    const std::vector<uint32_t> ipa = rendered(sjis("ＭＳ ゴシック"), text);
    ASSERT_FALSE(ipa.empty()) << "the default face renders";
    ASSERT_GT(glyph_pixels(ipa), 150) << "three real glyphs";
    {
        TextFontHandle font = text_font_create(sjis("ＭＳ ゴシック").c_str(), 44);
        ASSERT_TRUE(font);
        ASSERT_EQ(text_font_family(*font), "IPAGothic");
    }
    // A face of some other machine, a made-up name, a Latin-only face that is installed, an
    // empty name and one that is not valid Shift-JIS.
    for (const std::string& face : {sjis("メイリオ"), std::string("No Such Face 42"), std::string("DejaVu Sans"),
                                    std::string(""), std::string("\x81\xFF\x82")}) {
        SCOPED_TRACE("face '" + face + "'");
        const std::vector<uint32_t> got = rendered(face, text);
        ASSERT_EQ(got.size(), ipa.size()) << "the text renders";
        EXPECT_EQ(glyph_pixels(got), glyph_pixels(ipa));
        EXPECT_TRUE(got == ipa) << "the glyphs are the default face's, pixel for pixel";
        TextFontHandle font = text_font_create(face.c_str(), 44);
        ASSERT_TRUE(font);
        EXPECT_EQ(text_font_family(*font), "IPAGothic");
    }
}

}  // namespace
