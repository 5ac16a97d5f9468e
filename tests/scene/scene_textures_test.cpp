// The start-up textures: sizes, formats, the filled balloon panel and the failure messages.
#include "common/messages.h"
#include "scene/balloon.h"
#include "scene/transition.h"
#include "scene_test.h"

namespace {

using SceneTexturesTest = SceneTest;

TEST_F(SceneTexturesTest, SizesFormatsAndPanelColour) {
    const SceneTransition& st = scene_transition;
    EXPECT_EQ(st.width, 800);
    EXPECT_EQ(st.height, 600);
    EXPECT_EQ(st.previous_image->format, PixelFormat::X8R8G8B8);
    EXPECT_EQ(st.current_image->width, 800);
    const SpeechBalloon& b = speech_balloon;
    EXPECT_EQ(b.text_texture->format, PixelFormat::A8R8G8B8);
    EXPECT_EQ(b.scratch_texture->format, PixelFormat::X8R8G8B8);
    EXPECT_EQ(b.panel_texture->width, 792);
    EXPECT_EQ(b.panel_texture->height, 196);
    EXPECT_EQ(b.panel_texture->pixels[792 * 196 - 1], 0xFF0000FFu);
    EXPECT_EQ(b.balloon_x, 4);
    EXPECT_EQ(b.balloon_y, 400);
    EXPECT_EQ(b.text_colour, 0x00FFFFFFu);
}

TEST_F(SceneTexturesTest, FailuresShowTheMessageOfTheirCause) {
    messages.clear();
    ASSERT_EQ(create_scene_textures(), 0);
    texture_fail_next_creations(1, D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(create_scene_textures(), -1);
    texture_fail_next_creations(1, E_OUTOFMEMORY);
    EXPECT_EQ(create_balloon_textures(), -1);
    texture_fail_next_locks(1);
    EXPECT_EQ(create_balloon_textures(), -1) << "the panel fill fails";
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].text, kMsgOutOfVideoMemory);
    EXPECT_EQ(messages[1].text, kMsgStartupFailed);
    EXPECT_EQ(messages[2].text, kMsgStartupFailed);
    release_scene_textures();
    release_balloon_textures();
    release_balloon_textures();
    EXPECT_EQ(speech_balloon.panel_texture, nullptr);
}

}  // namespace
