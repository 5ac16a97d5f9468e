// Windowed-mode pacing on the virtual clock: at least 4 ms between presents, only windowed and
// only with the 1 ms clock period.
#include "shell_fixture.h"

namespace {

class PacingTest : public ShellTest {};

TEST_F(PacingTest, WindowedFramesWaitUntilFourMillisecondsPassed) {
    present_params = PresentParams{0, 0, 1};
    last_present_time = clock_now_ms() - 1;
    uint32_t start = clock_now_ms();
    EXPECT_EQ(pace_frame(), 0);
    EXPECT_EQ(clock_now_ms() - start, 3u) << "three 1 ms sleeps fill the gap";
    EXPECT_EQ(since_last_present, 4u);

    // Long enough since the last present: no wait at all.
    last_present_time = clock_now_ms() - 25;
    start = clock_now_ms();
    pace_frame();
    EXPECT_EQ(clock_now_ms(), start);
    EXPECT_EQ(since_last_present, 25u);
}

TEST_F(PacingTest, GapIsMeasuredAcrossTheClockWrap) {
    present_params = PresentParams{0, 0, 1};
    clock_use_virtual(true, 0xFFFFFFFFu);
    last_present_time = 0xFFFFFFFFu;
    pace_frame();
    EXPECT_EQ(clock_now_ms(), 3u) << "the unsigned difference runs on past zero";
}

TEST_F(PacingTest, NoPacingWithoutTheClockPeriodOrInFullScreen) {
    last_present_time = clock_now_ms();
    uint32_t start = clock_now_ms();
    present_params = PresentParams{0, 0, 1};
    timer_period_set = 0;
    pace_frame();
    EXPECT_EQ(clock_now_ms(), start) << "no 1 ms period: no wait";
    timer_period_set = 1;
    present_params = PresentParams{800, 600, 0};
    pace_frame();
    EXPECT_EQ(clock_now_ms(), start) << "full-screen: no wait";
}

TEST_F(PacingTest, BackToBackFramesArePacedThroughTheFrameStep) {
    make_device();
    frame_step();
    uint32_t first = last_present_time;
    frame_step();
    EXPECT_GE(last_present_time - first, 4u);
}

}  // namespace
