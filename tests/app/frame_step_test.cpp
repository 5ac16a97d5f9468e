// The frame step: clear colour, the order of click handling, presents and device loss inside a
// frame, on the offscreen device with the recording batch.
#include "shell_fixture.h"

namespace {

class FrameStepTest : public ShellTest {};

TEST_F(FrameStepTest, ClearsToWhiteAndToBlackDuringTheStaffRoll) {
    make_device();
    EXPECT_EQ(frame_step(), 0);
    EXPECT_EQ(pixel(0, 0), 0xFFFFFFFFu) << "a normal frame starts white";
    EXPECT_EQ(pixel(799, 599), 0xFFFFFFFFu);
    clear_to_black = 1;
    EXPECT_EQ(frame_step(), 0);
    EXPECT_EQ(pixel(400, 300), 0xFF000000u) << "the staff roll asks for black";
    EXPECT_EQ(renderer_present_count(), 2);
}

TEST_F(FrameStepTest, RightPressTogglesTheOverlayUnlessItMovesAndIsAlwaysUsedUp) {
    make_device();
    right_click_pending = 1;
    frame_step();
    EXPECT_EQ(right_click_pending, 0);
    EXPECT_EQ(menu_open, 1) << "closed overlay opens";
    EXPECT_EQ(menu_animating, 1);
    EXPECT_EQ(menu_anim_counter, 640);

    // A second press while the opening still runs is dropped, not queued.
    menu_anim_counter = 390;
    right_click_pending = 1;
    frame_step();
    EXPECT_EQ(right_click_pending, 0) << "the press is used up";
    EXPECT_EQ(menu_open, 1) << "the overlay keeps opening";
    EXPECT_EQ(menu_anim_counter, 390);
    frame_step();
    EXPECT_EQ(menu_open, 1) << "nothing was queued for the next frame";

    // At rest and open, a press closes it; in credits mode too.
    menu_animating = 0;
    menu_anim_counter = -1;
    credits_mode = 1;
    right_click_pending = 1;
    frame_step();
    EXPECT_EQ(menu_open, 0);
    EXPECT_EQ(menu_animating, 1);
    EXPECT_EQ(menu_anim_counter, 640);
}

TEST_F(FrameStepTest, RightPressComesBeforeLeftPressInTheSameFrame) {
    make_device();
    // Both presses wait; the right one starts the overlay animation, so the left one, which is
    // handled after it, meets a moving overlay.
    left_click_pending = 1;
    right_click_pending = 1;
    click_x = 10;
    click_y = 20;
    frame_step();
    EXPECT_EQ(right_click_pending, 0);
    EXPECT_EQ(menu_animating, 1) << "the right press was handled first";
}

TEST_F(FrameStepTest, LostPresentMarksTheDeviceAndTheFrameStillEndsNormally) {
    make_device();
    renderer_simulate_loss(0, D3DERR_DEVICENOTRESET, S_OK);
    clock_advance_ms(10);
    EXPECT_EQ(frame_step(), 0);
    EXPECT_EQ(device_lost, 1);
    EXPECT_EQ(last_present_time, clock_now_ms()) << "the present time is taken after every present";
    EXPECT_EQ(renderer_present_count(), 0) << "a lost device shows nothing";
}

}  // namespace
