// The display-mode switch on a real (dummy-driver) window: presentation, pointer placement,
// the window's place, and failures of the reset.
#include "shell_fixture.h"

#include "platform/window/window.h"

namespace {

class DisplayModeTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        renderer_set_offscreen_only(false);
        ASSERT_EQ(create_main_window(), 0);
        ASSERT_EQ(create_device(), 0) << "the software renderer stands in when no GPU one exists";
    }
};

TEST_F(DisplayModeTest, SwitchesBothWaysAndPutsThePointerAtTheCentreFromOutside) {
    ASSERT_EQ(renderer_kind(), RendererKind::Software);
    int x0 = 0, y0 = 0;
    window_set_position(37, 41);
    window_get_position(&x0, &y0);

    toggle_display_mode();
    EXPECT_EQ(windowed_mode, 0);
    EXPECT_EQ(present_params.windowed, 0);
    EXPECT_EQ(renderer_windowed(), 0);
    int px = -1, py = -1;
    ASSERT_TRUE(window_last_warp(&px, &py));
    EXPECT_EQ(px, 399) << "the pointer was not over the canvas";
    EXPECT_EQ(py, 299);
    EXPECT_EQ(frame_step(), 0) << "full-screen frames present";

    toggle_display_mode();
    EXPECT_EQ(windowed_mode, 1);
    EXPECT_EQ(present_params.windowed, 1);
    EXPECT_EQ(renderer_windowed(), 1);
    int x1 = 0, y1 = 0;
    window_get_position(&x1, &y1);
    EXPECT_EQ(x1, x0) << "the window goes back to where it was, not to the centre";
    EXPECT_EQ(y1, y0);
    EXPECT_EQ(present_params.back_buffer_width, 800);
    EXPECT_EQ(present_params.back_buffer_height, 600);
    EXPECT_EQ(fatal_error, 0);
    EXPECT_TRUE(window_exists());
}

TEST_F(DisplayModeTest, LostResetLeavesTheRecoveryToFinishTheSwitch) {
    renderer_simulate_loss(0, D3DERR_DEVICENOTRESET, D3DERR_DEVICELOST);
    ASSERT_EQ(frame_step(), 0);  // the present reports the loss
    toggle_display_mode();
    EXPECT_EQ(windowed_mode, 0) << "the flag already names the new mode";
    EXPECT_EQ(device_lost, 1);
    EXPECT_EQ(fatal_error, 0) << "a lost device is not an error";
    EXPECT_EQ(idle_step(), 1);
    EXPECT_EQ(device_lost, 0);
    EXPECT_EQ(renderer_windowed(), 0) << "the recovery reset into full-screen";
}

TEST_F(DisplayModeTest, RefusedResetHookEndsTheProgram) {
    batch_fail_next_reset(true);
    toggle_display_mode();
    EXPECT_EQ(fatal_error, 1);
    EXPECT_FALSE(window_exists()) << "the window is gone; the loop ends";
    EXPECT_TRUE(app_quit_posted());
}

}  // namespace
