// The display-mode switch on a real (dummy-driver) window: presentation, pointer placement,
// the window's place, failures of the reset, and a window manager that answers late.
#include "shell_fixture.h"

#include <algorithm>
#include <vector>

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
    void TearDown() override {
        window_simulate_window_manager_delay(0);
        ShellTest::TearDown();
    }
    // Runs the loop's part for ms of the (virtual) clock in 10 ms steps: the window's events go to
    // the window procedure, and a frame step runs at each step. Returns the frames presented.
    int run_for(uint32_t ms, std::vector<WindowEventKind>* seen) {
        const int before = renderer_present_count();
        for (uint32_t t = 0; t < ms; t += 10) {
            WindowEvent e;
            while (window_poll_event(&e)) {
                if (e.kind != WindowEventKind::None) seen->push_back(e.kind);
                main_window_proc(e);
            }
            EXPECT_EQ(frame_step(), 0);
            clock_advance_ms(10);
        }
        return renderer_present_count() - before;
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

// A window manager that takes half a second: the switch returns at once, frames go on in full-screen
// mode while it is awaited, and it completes with a picture drawn again at the new size and the
// pointer at its canvas place. Switching back meanwhile forgets the request.
TEST_F(DisplayModeTest, ALateWindowManagerCompletesTheSwitchWhileFramesGoOn) {
    window_simulate_window_manager_delay(500);
    toggle_display_mode();
    EXPECT_EQ(windowed_mode, 0);
    EXPECT_EQ(renderer_windowed(), 0);
    EXPECT_TRUE(window_awaiting_fullscreen());
    std::vector<WindowEventKind> seen;
    EXPECT_GE(run_for(400, &seen), 40) << "frames went on while the answer was awaited";
    EXPECT_TRUE(window_awaiting_fullscreen());
    run_for(200, &seen);
    EXPECT_FALSE(window_awaiting_fullscreen()) << "the answer came after 500 ms";
    EXPECT_EQ(windowed_mode, 0) << "full screen, as asked";
    EXPECT_NE(std::find(seen.begin(), seen.end(), WindowEventKind::Paint), seen.end());
    EXPECT_EQ(std::find(seen.begin(), seen.end(), WindowEventKind::AltEnter), seen.end());
    int px = -1, py = -1;
    ASSERT_TRUE(window_last_warp(&px, &py));
    EXPECT_EQ(px, 399);
    EXPECT_EQ(py, 299);

    toggle_display_mode();
    toggle_display_mode();
    EXPECT_TRUE(window_awaiting_fullscreen());
    toggle_display_mode();
    EXPECT_FALSE(window_awaiting_fullscreen()) << "back to windowed: nothing is awaited";
    seen.clear();
    run_for(1500, &seen);
    EXPECT_EQ(windowed_mode, 1);
    EXPECT_EQ(std::find(seen.begin(), seen.end(), WindowEventKind::AltEnter), seen.end());
    EXPECT_EQ(fatal_error, 0);
}

// A window manager that never answers: after a second the window covers the screen by itself and
// the game stays full-screen.
TEST_F(DisplayModeTest, WithoutAnAnswerTheWindowCoversTheScreenByItselfAfterASecond) {
    window_simulate_window_manager_delay(0xFFFFFFFF);
    toggle_display_mode();
    std::vector<WindowEventKind> seen;
    run_for(900, &seen);
    EXPECT_TRUE(window_awaiting_fullscreen()) << "still waiting after 900 ms";
    run_for(200, &seen);
    EXPECT_FALSE(window_awaiting_fullscreen());
    EXPECT_EQ(windowed_mode, 0);
    EXPECT_EQ(renderer_windowed(), 0);
    EXPECT_EQ(std::find(seen.begin(), seen.end(), WindowEventKind::AltEnter), seen.end());
    EXPECT_EQ(frame_step(), 0);
}

}  // namespace
