// Speech balloons: opening and closing frame by frame, paging, and what is drawn at rest.
#include <vector>

#include "common/flags.h"
#include "gfx/text.h"
#include "scene/balloon.h"
#include "scene_test.h"

namespace {

const char kGothic[] = "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e";  // ＭＳ ゴシック

class BalloonTest : public SceneTest {
protected:
    int open(int pages) {
        for (int i = 0; i < kMaxPages; ++i) {
            names[i] = kGothic;
            sizes[i] = 33;
            texts[i] = std::string(1, static_cast<char>('A' + i));
        }
        return open_balloon(pages, names, sizes, texts);
    }
    // Runs frames until the animation ends; returns how many drew while animating.
    int run_animation() {
        int frames = 0;
        while (balloon_animating && frames < 100) {
            frame(draw_balloon);
            if (balloon_animating) ++frames;
        }
        return frames;
    }
    std::string names[kMaxPages];
    int32_t sizes[kMaxPages];
    std::string texts[kMaxPages];
};

TEST_F(BalloonTest, OpensOverSixteenFramesInvisibleAtFirst) {
    SpeechBalloon& b = speech_balloon;
    EXPECT_EQ(open(2), 0);
    EXPECT_EQ(balloon_open, 1);
    EXPECT_EQ(balloon_animating, 1);
    EXPECT_EQ(b.balloon_anim_counter, 792);
    bool text_rendered = false;
    for (int i = 0; i < 792 * 196 && !text_rendered; ++i) text_rendered = b.text_texture->pixels[i] != 0;
    EXPECT_TRUE(text_rendered) << "page 0 is rendered at the click";

    for (int i = 0; i < 16; ++i) {
        const int a = 792 - 50 * i;
        auto d = frame(draw_balloon);
        ASSERT_EQ(d.size(), 1u) << "frame " << i;
        const DrawCall& p = d[0];
        EXPECT_EQ(p.texture, b.panel_texture);
        EXPECT_EQ(p.colour, 0x7FFFFFFFu);
        EXPECT_EQ(p.x, 4 + p.src.left);
        EXPECT_EQ(p.y, 400 + p.src.top);
        EXPECT_EQ(p.src.left + p.src.right, 792);
        EXPECT_EQ(p.src.right - p.src.left, 2 * ((792 - a) / 2)) << "frame " << i;
        EXPECT_EQ(p.src.bottom - p.src.top, 2 * ((196 - 196 * a / 792) / 2)) << "frame " << i;
        if (i == 0) {
            EXPECT_TRUE(p.src.right <= p.src.left) << "nothing visible in the frame of the click";
        }
        EXPECT_EQ(balloon_animating, 1);
    }
    auto d = frame(draw_balloon);
    ASSERT_EQ(d.size(), 2u) << "the 17th frame shows the open balloon";
    EXPECT_EQ(describe(d[0]), describe({nullptr, true, {0, 0, 792, 196}, 4, 400, 0x7FFFFFFF}));
    EXPECT_EQ(d[1].texture, b.text_texture);
    EXPECT_EQ(d[1].colour, 0xFFFFFFFFu);
    EXPECT_EQ(balloon_animating, 0);
    EXPECT_EQ(b.balloon_anim_counter, -1);
}

TEST_F(BalloonTest, PagesThenClosesOverSixteenFrames) {
    SpeechBalloon& b = speech_balloon;
    open(2);
    EXPECT_EQ(run_animation(), 16);
    EXPECT_EQ(advance_balloon(), 0);
    EXPECT_EQ(b.page_index, 1);
    EXPECT_EQ(balloon_open, 1);
    EXPECT_EQ(balloon_animating, 0) << "a new page shows without animation";
    EXPECT_EQ(frame(draw_balloon).size(), 2u);

    advance_balloon();  // past the last page: closing
    EXPECT_EQ(balloon_open, 0);
    EXPECT_EQ(balloon_animating, 1);
    auto first = frame(draw_balloon);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(describe(first[0]), describe({nullptr, false, {0, 0, 792, 196}, 4, 400, 0x7FFFFFFF}))
        << "closing starts from the full panel";
    int frames = 1 + run_animation();
    EXPECT_EQ(frames, 16);
    EXPECT_TRUE(draws.empty()) << "the 17th closing frame draws nothing";
    EXPECT_TRUE(frame(draw_balloon).empty());

    // A one-page balloon closes on the first click after opening.
    open(1);
    run_animation();
    advance_balloon();
    EXPECT_EQ(balloon_open, 0);
    EXPECT_EQ(balloon_animating, 1);
}

// Each page is drawn in its own face and size, also when the pages differ: the text texture after
// opening and after each click is exactly that page's text rendered on its own.
TEST_F(BalloonTest, EachPageShowsInItsOwnFaceAndSize) {
    const char mincho[] = "\x82\x6c\x82\x72\x20\x96\xbe\x92\xa9";  // ＭＳ 明朝
    const std::string text = "\x82\xa0\x8a\xbf\x8e\x9a A";             // あ漢字 A
    // Page 1 differs from page 0 in its face only, page 2 from page 1 in its size only.
    const char* faces[3] = {kGothic, mincho, mincho};
    const int32_t page_sizes[3] = {24, 24, 48};
    std::vector<uint32_t> expected[3];
    Texture* alpha = nullptr;
    Texture* scratch = nullptr;
    ASSERT_EQ(texture_create(792, 196, PixelFormat::A8R8G8B8, &alpha), S_OK);
    ASSERT_EQ(texture_create(792, 196, PixelFormat::X8R8G8B8, &scratch), S_OK);
    for (int i = 0; i < 3; ++i) {
        ASSERT_GT(render_alpha_text(alpha, scratch, 0x00FFFFFF, faces[i], page_sizes[i], text.c_str()), 0);
        expected[i].assign(alpha->pixels, alpha->pixels + 792 * 196);
    }
    texture_release(alpha);
    texture_release(scratch);
    ASSERT_NE(expected[0], expected[1]) << "the two faces must draw differently for this test to mean anything";
    ASSERT_NE(expected[1], expected[2]);

    for (int i = 0; i < 3; ++i) {
        names[i] = faces[i];
        sizes[i] = page_sizes[i];
        texts[i] = text;
    }
    ASSERT_EQ(open_balloon(3, names, sizes, texts), 0);
    const Texture* shown = speech_balloon.text_texture;
    auto page_shown = [&] { return std::vector<uint32_t>(shown->pixels, shown->pixels + 792 * 196); };
    EXPECT_TRUE(page_shown() == expected[0]) << "page 0";
    run_animation();
    for (int page = 1; page < 3; ++page) {
        ASSERT_EQ(advance_balloon(), 0);
        EXPECT_TRUE(page_shown() == expected[page]) << "page " << page;
    }
}

TEST_F(BalloonTest, RefusesPageCountsOutsideOneToTen) {
    EXPECT_EQ(open(0), -1);
    EXPECT_EQ(open(11), -1);
    EXPECT_EQ(balloon_open, 0);
    EXPECT_EQ(balloon_animating, 0);
    EXPECT_EQ(open(10), 0);
    EXPECT_EQ(speech_balloon.page_texts[9], "J");
    EXPECT_EQ(render_balloon_page(10), -1);
}

}  // namespace
