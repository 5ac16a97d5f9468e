// Scene pictures: loading into current_image and the twelve transitions, frame by frame.
#include <cstring>
#include <string>
#include <vector>

#include "common/flags.h"
#include "scene/transition.h"
#include "scene_test.h"

namespace {

// The twelve names in kind order (Shift-JIS).
const char* const kNames[kTransitionKinds] = {
    "\x91\xa6\x8e\x9e\x95\x5c\x8e\xa6",                                                // 即時表示
    "\x8f\xe3\x82\xa9\x82\xe7\x95\x5c\x8e\xa6",                                        // 上から表示
    "\x89\xba\x82\xa9\x82\xe7\x95\x5c\x8e\xa6",                                        // 下から表示
    "\x8d\xb6\x82\xa9\x82\xe7\x95\x5c\x8e\xa6",                                        // 左から表示
    "\x89\x45\x82\xa9\x82\xe7\x95\x5c\x8e\xa6",                                        // 右から表示
    "\x92\x86\x89\x9b\x82\xa9\x82\xe7\x8d\xb6\x89\x45\x82\xd6\x95\x5c\x8e\xa6",        // 中央から左右へ表示
    "\x8d\xb6\x89\x45\x82\xa9\x82\xe7\x92\x86\x89\x9b\x82\xd6\x95\x5c\x8e\xa6",        // 左右から中央へ表示
    "\x92\x86\x89\x9b\x82\xa9\x82\xe7\x92\x5b\x82\xd6\x95\x5c\x8e\xa6",                // 中央から端へ表示
    "\x92\x5b\x82\xa9\x82\xe7\x92\x86\x89\x9b\x82\xd6\x95\x5c\x8e\xa6",                // 端から中央へ表示
    "\x8d\xac\x8d\x87\x90\x46\x95\x5c\x8e\xa6",                                        // 混合色表示
    "\x94\x92\x90\x46\x8d\xac\x8d\x87\x90\x46\x82\xa9\x82\xe7\x94\x92\x90\x46\x82\xbb\x82\xb5\x82\xc4"
    "\x95\x5c\x8e\xa6",                                                                // 白色混合色から白色そして表示
    "\x94\x92\x90\x46\x82\xa9\x82\xe7\x95\x5c\x8e\xa6",                                // 白色から表示
};

class TransitionTest : public SceneTest {
protected:
    void SetUp() override {
        SceneTest::SetUp();
        dir.write("old.bmp", make_solid_bmp(800, 600, 0x102030));
        dir.write("new.bmp", make_solid_bmp(800, 600, 0xA0B0C0));
        ASSERT_EQ(show_scene_image(nullptr, "old.bmp"), 0);
        frame(draw_scene_image);
        frame(draw_scene_image);  // at rest now
    }
    uint32_t pixel(Texture* t, int x, int y) { return t->pixels[y * t->width + x] & 0x00FFFFFF; }

    SceneDataDir dir;
};

TEST_F(TransitionTest, NamesSelectKindsAndStartValues) {
    const int starts[kTransitionKinds] = {0, 600, 600, 800, 800, 800, 800, 800, 800, 255, 510, 255};
    for (int kind = 0; kind < kTransitionKinds; ++kind) {
        EXPECT_EQ(transition_kind_from_name(kNames[kind]), kind);
        show_scene_image(kNames[kind], "new.bmp");
        EXPECT_EQ(scene_transition.transition_kind, kind);
        EXPECT_EQ(scene_transition.transition_counter, starts[kind]) << "kind " << kind;
        EXPECT_EQ(transition_active, 1);
    }
    // Unknown, absent, empty and near-miss names are the instant kind.
    std::string longer = std::string(kNames[1]) + " ";
    std::string prefix(kNames[10], std::strlen(kNames[10]) - 2);
    for (const char* name : {"", "fade", longer.c_str(), prefix.c_str()}) {
        show_scene_image(kNames[9], "new.bmp");
        show_scene_image(name, "new.bmp");
        EXPECT_EQ(scene_transition.transition_kind, 0) << "name '" << name << "'";
        EXPECT_EQ(scene_transition.transition_counter, 0);
    }
    show_scene_image(nullptr, "new.bmp");
    EXPECT_EQ(scene_transition.transition_kind, 0);
}

TEST_F(TransitionTest, LoadKeepsOldPictureAsOutgoing) {
    EXPECT_EQ(show_scene_image(kNames[9], "new.bmp"), 0);
    EXPECT_EQ(pixel(scene_transition.previous_image, 5, 5), 0x102030u);
    EXPECT_EQ(pixel(scene_transition.current_image, 799, 599), 0xA0B0C0u);

    // A missing file, an empty name: -1, the picture stays, the transition still runs.
    EXPECT_EQ(show_scene_image(kNames[1], "missing.bmp"), -1);
    EXPECT_EQ(pixel(scene_transition.current_image, 0, 0), 0xA0B0C0u);
    EXPECT_EQ(scene_transition.transition_counter, 600);
    EXPECT_EQ(transition_active, 1);
    EXPECT_EQ(show_scene_image(nullptr, ""), -1);
    dir.write("junk.bmp", "BM not a picture");
    EXPECT_EQ(show_scene_image(nullptr, "junk.bmp"), -1);
    EXPECT_EQ(pixel(scene_transition.current_image, 0, 0), 0xA0B0C0u);
    EXPECT_TRUE(messages.empty()) << "failures while playing are silent";

    // A smaller picture lands at the top left on black; a larger one is cut.
    dir.write("small.bmp", make_solid_bmp(100, 50, 0xFFFFFF));
    EXPECT_EQ(show_scene_image(nullptr, "small.bmp"), 0);
    EXPECT_EQ(pixel(scene_transition.current_image, 99, 49), 0xFFFFFFu);
    EXPECT_EQ(pixel(scene_transition.current_image, 100, 49), 0u);
    EXPECT_EQ(pixel(scene_transition.current_image, 99, 50), 0u);
    dir.write("large.bmp", make_bmp(900, 700, [](int x, int y) { return x < 800 && y < 600 ? 0x00FF00u : 0xFF0000u; }));
    EXPECT_EQ(show_scene_image(nullptr, "large.bmp"), 0);
    EXPECT_EQ(pixel(scene_transition.current_image, 799, 599), 0x00FF00u);
}

TEST_F(TransitionTest, TopDownWipeRuns151FramesThenRests) {
    show_scene_image(kNames[1], "new.bmp");
    Texture* cur = scene_transition.current_image;
    Texture* prev = scene_transition.previous_image;
    for (int i = 0; i <= 150; ++i) {
        const int c = 600 - 4 * i;
        auto d = frame(draw_scene_image);
        ASSERT_EQ(d.size(), 2u) << "frame " << i;
        EXPECT_EQ(d[0].texture, cur);
        EXPECT_EQ(d[0].src.right - d[0].src.left, 800);
        EXPECT_EQ(d[0].colour, 0xFFFFFFFFu);
        EXPECT_EQ(d[1].texture, prev);
        EXPECT_EQ(describe(d[1]), describe({prev, false, {0, 600 - c, 800, 600}, 0, float(600 - c), 0xFFFFFFFF}))
            << "frame " << i;
        EXPECT_EQ(transition_active, 1) << "frame " << i;
    }
    auto rest = frame(draw_scene_image);
    ASSERT_EQ(rest.size(), 2u);
    EXPECT_EQ(rest[1].src.top, 600) << "the old picture's part is empty at rest";
    EXPECT_EQ(transition_active, 0);
    EXPECT_EQ(scene_transition.transition_counter, -5);
    frame(draw_scene_image);
    EXPECT_EQ(scene_transition.transition_counter, -5) << "each resting frame starts again from -1";
}

// Kinds 2, 3 and 4 frame by frame: the new picture whole, then the part of the old picture that
// still covers it, at its own place; the counter steps 4 (2) or 5 (3, 4) per frame.
TEST_F(TransitionTest, BottomLeftAndRightWipesRunFrameByFrame) {
    struct Wipe {
        int kind, start, step;
        SpriteRect (*old_part)(int c);
    };
    const Wipe wipes[] = {
        {2, 600, 4, [](int c) { return SpriteRect{0, 0, 800, c}; }},          // revealed from the bottom up
        {3, 800, 5, [](int c) { return SpriteRect{800 - c, 0, 800, 600}; }},  // from the left
        {4, 800, 5, [](int c) { return SpriteRect{0, 0, c, 600}; }},          // from the right
    };
    for (const Wipe& w : wipes) {
        SCOPED_TRACE("kind " + std::to_string(w.kind));
        show_scene_image(kNames[w.kind], "new.bmp");
        Texture* cur = scene_transition.current_image;
        Texture* prev = scene_transition.previous_image;
        const int counted = w.start / w.step + 1;  // frames with c = start, start - step, ..., 0
        for (int i = 0; i <= counted; ++i) {
            const int c = i < counted ? w.start - w.step * i : 0;  // the last one rests
            EXPECT_EQ(transition_active, 1) << "frame " << i;
            auto d = frame(draw_scene_image);
            ASSERT_EQ(d.size(), 2u) << "frame " << i;
            EXPECT_EQ(d[0].texture, cur);
            EXPECT_EQ(describe(d[0]), describe({cur, false, {0, 0, 800, 600}, 0, 0, 0xFFFFFFFF})) << "frame " << i;
            EXPECT_EQ(d[1].texture, prev);
            const SpriteRect r = w.old_part(c);
            EXPECT_EQ(describe(d[1]), describe({prev, false, r, float(r.left), float(r.top), 0xFFFFFFFF}))
                << "frame " << i << ", c " << c;
        }
        EXPECT_EQ(transition_active, 0) << "the frame after the last counted one rests";
    }
}

// Kind 9 draws the new picture at opacity 255 - c and the old one over it at c, every frame of
// the fade; kind 11 fades the new picture in alone, 2 a frame.
TEST_F(TransitionTest, CrossFadeAndFadeFromWhiteOpacitiesEveryFrame) {
    show_scene_image(kNames[9], "new.bmp");
    Texture* cur = scene_transition.current_image;
    Texture* prev = scene_transition.previous_image;
    int frames = 0;
    for (; transition_active && frames < 300; ++frames) {
        const int c = frames < 86 ? 255 - 3 * frames : 0;
        auto d = frame(draw_scene_image);
        ASSERT_EQ(d.size(), 2u);
        EXPECT_EQ(describe(d[0]), describe({cur, false, {0, 0, 800, 600}, 0, 0, (255u - c) << 24 | 0xFFFFFF}))
            << "new picture, c " << c;
        EXPECT_EQ(describe(d[1]), describe({prev, false, {0, 0, 800, 600}, 0, 0, uint32_t(c) << 24 | 0xFFFFFF}))
            << "old picture over it, c " << c;
        EXPECT_EQ(d[0].texture, cur);
        EXPECT_EQ(d[1].texture, prev);
    }
    EXPECT_EQ(frames, 87) << "c = 255, 252, ..., 0, then the resting frame";

    show_scene_image(kNames[11], "new.bmp");
    std::vector<uint32_t> alpha;
    for (frames = 0; transition_active && frames < 300; ++frames) {
        auto d = frame(draw_scene_image);
        ASSERT_EQ(d.size(), 1u);
        EXPECT_EQ(d[0].texture, cur);
        alpha.push_back(d[0].colour >> 24);
        EXPECT_EQ(describe(d[0]), describe({cur, false, {0, 0, 800, 600}, 0, 0, alpha.back() << 24 | 0xFFFFFF}));
    }
    ASSERT_EQ(alpha.size(), 129u) << "c = 255, 253, ..., 1, then the resting frame";
    for (size_t i = 0; i < 128; ++i) EXPECT_EQ(alpha[i], 2 * i) << "frame " << i;
    EXPECT_EQ(alpha.back(), 255u);
}

TEST_F(TransitionTest, FadeThroughWhiteOpacities) {
    show_scene_image(kNames[10], "new.bmp");
    std::vector<uint32_t> old_alpha, new_alpha;
    for (int i = 0; i < 200 && transition_active; ++i) {
        auto d = frame(draw_scene_image);
        ASSERT_EQ(d.size(), 1u);
        (d[0].texture == scene_transition.previous_image ? old_alpha : new_alpha).push_back(d[0].colour >> 24);
        EXPECT_EQ(d[0].colour & 0x00FFFFFF, 0x00FFFFFFu);
    }
    ASSERT_EQ(old_alpha.size(), 85u);
    for (size_t i = 0; i < old_alpha.size(); ++i) EXPECT_EQ(old_alpha[i], 255 - 3 * i);
    // 19 fade-in frames (0, 14, ..., 252) and the resting frame at 255.
    ASSERT_EQ(new_alpha.size(), 20u);
    for (size_t i = 0; i < 19; ++i) EXPECT_EQ(new_alpha[i], 14 * i);
    EXPECT_EQ(new_alpha.back(), 255u);
}

TEST_F(TransitionTest, CentredBandsAndBoxesDrawInPlace) {
    for (int kind = 5; kind <= 8; ++kind) {
        show_scene_image(kNames[kind], "new.bmp");
        const bool old_partial = kind == 6 || kind == 8;
        Texture* partial = old_partial ? scene_transition.previous_image : scene_transition.current_image;
        int frames = 0;
        for (; transition_active; ++frames) {
            const int c = scene_transition.transition_counter < 0 ? 0 : scene_transition.transition_counter;
            auto d = frame(draw_scene_image);
            ASSERT_EQ(d.size(), 2u);
            EXPECT_EQ(d[0].texture, old_partial ? scene_transition.current_image : scene_transition.previous_image);
            const DrawCall& p = d[1];
            ASSERT_EQ(p.texture, partial);
            EXPECT_EQ(p.src.left, p.x) << "kind " << kind << " c " << c;
            EXPECT_EQ(p.src.top, p.y) << "kind " << kind << " c " << c;
            EXPECT_EQ(p.src.left + p.src.right, 800) << "centred: kind " << kind << " c " << c;
            const int width = p.src.right - p.src.left;
            EXPECT_EQ(width, 2 * ((old_partial ? c : 800 - c) / 2)) << "kind " << kind << " c " << c;
            if (kind <= 6) {
                EXPECT_EQ(p.src.top, 0);
                EXPECT_EQ(p.src.bottom, 600);
            } else {
                EXPECT_EQ(p.src.top + p.src.bottom, 600) << "kind " << kind << " c " << c;
                const int hc = 600 * c / 800;
                EXPECT_EQ(p.src.bottom - p.src.top, 2 * ((old_partial ? hc : 600 - hc) / 2));
            }
        }
        EXPECT_EQ(frames, 162) << "kind " << kind << ": 161 counted frames and the resting one";
    }
    // Kind 7 halfway: a centred 400x300 box of the new picture.
    show_scene_image(kNames[7], "new.bmp");
    for (int i = 0; i < 80; ++i) frame(draw_scene_image);
    auto d = frame(draw_scene_image);
    EXPECT_EQ(describe(d[1]), describe({nullptr, false, {200, 150, 600, 450}, 200, 150, 0xFFFFFFFF}));
}

TEST_F(TransitionTest, InstantKindClearsActiveInItsSecondFrame) {
    show_scene_image(kNames[0], "new.bmp");
    auto d = frame(draw_scene_image);
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0].texture, scene_transition.current_image);
    EXPECT_EQ(transition_active, 1) << "cleared only while the next frame draws";
    frame(draw_scene_image);
    EXPECT_EQ(transition_active, 0);
    // Cross-fade at rest draws the old picture at opacity 0 over the new.
    show_scene_image(kNames[9], "new.bmp");
    for (int i = 0; i < 87; ++i) frame(draw_scene_image);
    d = frame(draw_scene_image);
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[0].colour, 0xFFFFFFFFu);
    EXPECT_EQ(d[1].colour, 0x00FFFFFFu);
    EXPECT_EQ(transition_active, 0);
}

}  // namespace
