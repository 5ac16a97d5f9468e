// Bringing a lost device back in the idle step: 100 ms polls, usable again without a reset,
// reset when due, and the failures that end the program.
#include "shell_fixture.h"

namespace {

class DeviceLossTest : public ShellTest {
protected:
    // A device whose last present reported the loss.
    void lose(int lost_polls, HRESULT after_polls, HRESULT reset_result) {
        make_device();
        renderer_simulate_loss(lost_polls, after_polls, reset_result);
        ASSERT_EQ(frame_step(), 0);
        ASSERT_EQ(device_lost, 1);
    }
};

TEST_F(DeviceLossTest, UsableAgainWithoutAReset) {
    lose(0, S_OK, S_OK);
    uint32_t start = clock_now_ms();
    EXPECT_EQ(idle_step(), 1);
    EXPECT_EQ(clock_now_ms() - start, 100u + 0u) << "one 100 ms wait before the poll";
    EXPECT_EQ(device_lost, 0);
    EXPECT_EQ(renderer_reset_count(), 0) << "no reset was needed";
    EXPECT_EQ(renderer_present_count(), 1) << "the same idle step drew a frame";
}

TEST_F(DeviceLossTest, LostPollsWaitThenTheResetBringsItBack) {
    lose(2, D3DERR_DEVICENOTRESET, S_OK);
    for (int poll = 0; poll < 2; ++poll) {
        uint32_t start = clock_now_ms();
        EXPECT_EQ(idle_step(), 1);
        EXPECT_EQ(clock_now_ms() - start, 100u) << "poll " << poll << " waits 100 ms";
        EXPECT_EQ(device_lost, 1);
        EXPECT_EQ(renderer_present_count(), 0) << "nothing is drawn while lost";
    }
    EXPECT_EQ(idle_step(), 1);
    EXPECT_EQ(device_lost, 0);
    EXPECT_EQ(renderer_reset_count(), 1);
    EXPECT_EQ(renderer_present_count(), 1);
    EXPECT_EQ(fatal_error, 0);
}

TEST_F(DeviceLossTest, ResetThatFindsTheDeviceLostAgainTriesLater) {
    lose(0, D3DERR_DEVICENOTRESET, D3DERR_DEVICELOST);
    EXPECT_EQ(idle_step(), 1);
    EXPECT_EQ(device_lost, 1) << "still lost after the reset came back lost";
    EXPECT_EQ(idle_step(), 1);
    EXPECT_EQ(device_lost, 0) << "the next poll's reset succeeds";
    EXPECT_EQ(renderer_reset_count(), 1);
}

TEST_F(DeviceLossTest, FailuresThatEndTheProgram) {
    struct Case {
        const char* what;
        HRESULT after_polls;
        HRESULT reset_result;
        bool fail_lost_hook;
        bool fail_reset_hook;
    };
    const Case cases[] = {
        {"reset fails", D3DERR_DEVICENOTRESET, E_FAIL, false, false},
        {"cooperative level fails", E_FAIL, S_OK, false, false},
        {"sprite refuses the loss", D3DERR_DEVICENOTRESET, S_OK, true, false},
        {"sprite refuses the reset", D3DERR_DEVICENOTRESET, S_OK, false, true},
    };
    for (const Case& c : cases) {
        reset_shared_flags();
        lose(0, c.after_polls, c.reset_result);
        batch_fail_next_lost(c.fail_lost_hook);
        batch_fail_next_reset(c.fail_reset_hook);
        EXPECT_EQ(idle_step(), 0) << c.what;
        EXPECT_EQ(fatal_error, 1) << c.what;
        batch_fail_next_lost(false);
        batch_fail_next_reset(false);
        release_device();
    }
}

TEST_F(DeviceLossTest, MissingDeviceIsFatal) {
    EXPECT_EQ(idle_step(), 0);
    EXPECT_EQ(fatal_error, 1);
}

}  // namespace
