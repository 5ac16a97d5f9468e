// The staff roll: box touching, first-fit packing, the layout, and the state machine's frame
// counts with the music wait on the virtual clock.
#include <map>

#include "common/flags.h"
#include "platform/system/clock.h"
#include "scenario/scenario.h"
#include "scene/credits.h"
#include "scene/transition.h"
#include "scene_test.h"

namespace {

class CreditsTest : public SceneTest {
protected:
    // Runs frames until the roll reaches state `until` (or ends); counts frames per state.
    void run_until(int until, int limit = 20000) {
        for (int i = 0; i < limit && credits_mode == 1 && credits_roll.state != until; ++i) {
            const int state = credits_roll.state;
            draws.clear();
            if (draw_credits() == 0) ++frames[state];
        }
    }
    std::map<int, int> frames;
};

TEST(CreditBoxes, CornerRule) {
    const CreditBox a{0, 0, 9, 9};
    EXPECT_TRUE(boxes_touch(a, {9, 0, 19, 9})) << "sharing an edge column touches";
    EXPECT_TRUE(boxes_touch(a, {0, 9, 9, 19})) << "sharing an edge row touches";
    EXPECT_TRUE(boxes_touch({9, 9, 19, 19}, a)) << "a shared corner pixel touches, either order";
    EXPECT_FALSE(boxes_touch(a, {10, 0, 19, 9})) << "adjacent boxes do not touch";
    EXPECT_FALSE(boxes_touch(a, {10, 10, 19, 19}));
    EXPECT_TRUE(boxes_touch(a, {2, 2, 3, 3})) << "one inside the other";
    EXPECT_FALSE(boxes_touch({0, 5, 20, 6}, {5, 0, 6, 20})) << "crossing without a corner inside";
}

TEST(CreditPacking, FirstFitRightThenBelow) {
    auto item = [](int w, int h) { return CreditItem{"", "", 36, -1, -1, w, h, 0, 0}; };
    CreditItem items[] = {item(300, 50), item(300, 40), item(600, 30), item(100, 30), item(800, 20)};
    ASSERT_EQ(pack_credit_items(items, 5, 800, 600), 0);
    const int expected[][2] = {{0, 0}, {300, 0}, {0, 50}, {600, 0}, {0, 80}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(items[i].atlas_x, expected[i][0]) << "item " << i;
        EXPECT_EQ(items[i].atlas_y, expected[i][1]) << "item " << i;
    }
    CreditItem too_wide[] = {item(801, 10)};
    EXPECT_EQ(pack_credit_items(too_wide, 1, 800, 600), -1);
    CreditItem full[] = {item(800, 300), item(800, 300), item(1, 1)};
    EXPECT_EQ(pack_credit_items(full, 2, 800, 600), 0);
    EXPECT_EQ(full[1].atlas_y, 300);
    EXPECT_EQ(pack_credit_items(full, 3, 800, 600), -1) << "no candidate left";
    CreditItem empty[] = {item(0, 10)};
    EXPECT_EQ(pack_credit_items(empty, 1, 800, 600), -1);
}

TEST_F(CreditsTest, LayoutFollowsTheRollRules) {
    ASSERT_EQ(setup_credits(), 0);
    const CreditItem* it = credits_roll.items;
    for (int i = 0; i < kCreditItems; ++i) {
        EXPECT_GT(it[i].width, 0);
        EXPECT_EQ(it[i].x, (800 - it[i].width) / 2) << "item " << i;
        EXPECT_LE(it[i].atlas_x + it[i].width, 800);
        EXPECT_LE(it[i].atlas_y + it[i].height, 600);
        for (int k = 0; k < i; ++k) {
            const CreditBox a{it[k].atlas_x, it[k].atlas_y, it[k].atlas_x + it[k].width - 1,
                              it[k].atlas_y + it[k].height - 1};
            const CreditBox b{it[i].atlas_x, it[i].atlas_y, it[i].atlas_x + it[i].width - 1,
                              it[i].atlas_y + it[i].height - 1};
            EXPECT_FALSE(boxes_touch(a, b)) << "items " << k << " and " << i;
        }
    }
    EXPECT_EQ(it[0].atlas_x, 0);
    EXPECT_EQ(it[0].atlas_y, 0);
    EXPECT_EQ(it[0].y, (600 - it[0].height) / 2);
    EXPECT_EQ(it[1].y, it[0].y + it[0].height + 400);
    EXPECT_EQ(it[2].y, it[1].y + it[1].height + 320);
    for (int role = 2; role <= 10; role += 2) {
        EXPECT_EQ(it[role + 1].y, it[role].y + it[role].height) << "name under role " << role;
        if (role > 2) {
            EXPECT_EQ(it[role].y, it[role - 1].y + it[role - 1].height + 320) << "role " << role;
        }
    }
    EXPECT_EQ(it[12].y, it[11].y + 760);
    EXPECT_EQ(credits_roll.scroll_end, it[12].y - (600 - it[12].height) / 2);
    EXPECT_GT(it[12].height, it[11].height) << "the closing line is in the large size";
}

TEST_F(CreditsTest, StateMachineFrameCountsAndMusicWait) {
    ASSERT_EQ(setup_credits(), 0);
    clock_use_virtual(true, 0xFFFFFFFFu - 5000);  // the wait must survive the clock wrapping
    credits_start_pending = 1;
    begin_credits_if_requested();
    ASSERT_EQ(credits_mode, 1);

    run_until(7);
    EXPECT_EQ(frames[0], 256);
    EXPECT_EQ(frames[1], 1);
    EXPECT_EQ(frames[2], 129);
    EXPECT_EQ(frames[3], 1);
    EXPECT_EQ(frames[4], 129);
    EXPECT_EQ(frames[5], 201);
    EXPECT_EQ(frames[6], 2 * credits_roll.scroll_end + 1);
    EXPECT_EQ(clear_to_black, 1);

    // The last scrolling frame drew the closing line in the middle of the screen.
    const CreditItem& closing = credits_roll.items[12];
    ASSERT_EQ(draws.size(), 13u);
    EXPECT_EQ(draws[12].y, closing.y - credits_roll.scroll_end);
    EXPECT_EQ(draws[12].texture, scene_transition.previous_image);
    EXPECT_EQ(draws[12].src.left, closing.atlas_x);
    EXPECT_EQ(draws[12].src.bottom, closing.atlas_y + closing.height);

    clock_advance_ms(137500);
    for (int i = 0; i < 50; ++i) draw_credits();
    EXPECT_EQ(credits_roll.state, 7) << "stays until 137.5 s after the ending sound started";
    clock_advance_ms(1);
    draw_credits();
    EXPECT_EQ(credits_roll.state, 8);
    frames.clear();
    run_until(9);
    EXPECT_EQ(frames[8], 65);
    EXPECT_EQ(draws[0].colour >> 24, 0u);
    draw_credits();
    EXPECT_EQ(credits_mode, 0);
    EXPECT_EQ(clear_to_black, 0);
}

TEST_F(CreditsTest, FadeFramesAndFailedStepsAreRetried) {
    ASSERT_EQ(setup_credits(), 0);
    credits_start_pending = 1;
    begin_credits_if_requested();
    auto d = frame(draw_credits);
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(describe(d[0]), describe({nullptr, true, {0, 0, 800, 600}, 0, 0, 0xFFFFFFFF}));
    d = frame(draw_credits);
    EXPECT_EQ(d[0].colour, 0xFEFFFFFFu);
    run_until(1);
    texture_fail_next_locks(1);
    EXPECT_EQ(draw_credits(), -1);
    EXPECT_EQ(credits_roll.state, 1) << "a failed fill keeps the state";
    EXPECT_EQ(draw_credits(), 0);
    EXPECT_EQ(scene_transition.current_image->pixels[0], 0xFFFFFFFFu);
    run_until(3);
    texture_fail_next_locks(1);
    EXPECT_EQ(draw_credits(), -1);
    EXPECT_EQ(credits_roll.state, 3);
    EXPECT_EQ(draw_credits(), 0);
    EXPECT_EQ(credits_roll.state, 4);
    d = frame(draw_credits);
    ASSERT_EQ(d.size(), 13u);
    EXPECT_EQ(d[0].colour, 0x00FFFFFFu) << "the roll fades in from alpha 0";
    EXPECT_EQ(d[5].x, credits_roll.items[5].x);
    EXPECT_EQ(d[5].y, credits_roll.items[5].y);
}

}  // namespace
