// The refresh pacer clocked by hand: frames on the display's refresh grid, and the measuring of
// whether the presents wait for the retrace by themselves.
#include <gtest/gtest.h>

#include <vector>

#include "platform/video/refresh.h"

namespace {

constexpr int64_t kMs = 1000000;

// A display and a game clocked by hand. Each frame takes draw_ns to draw; a display that waits
// makes a present come back at its next retrace (idle meanwhile), one that does not after
// copy_ns of work.
struct FakeDisplay {
    RefreshPacer pacer;
    int64_t now = 1000 * kMs;
    int64_t retrace_ns;         // the display's real refresh period
    bool waits = false;         // presents wait for the retrace
    int64_t draw_ns = 1 * kMs;
    int64_t copy_ns = kMs / 5;
    std::vector<int64_t> shown;  // when each frame reached the screen

    FakeDisplay(int reported_hz, int64_t retrace) : retrace_ns(retrace) { pacer_reset(&pacer, reported_hz, 0); }

    void frame() {
        now += draw_ns;
        const int64_t until = pacer_wait_until(&pacer, now);
        if (until > now) now = until;
        const int64_t asked = now;
        if (waits) now = (now / retrace_ns + 1) * retrace_ns;
        else now += copy_ns;
        shown.push_back(now);
        pacer_presented(&pacer, asked, now, waits ? kMs / 10 : copy_ns);
    }
    void frames(int n) {
        for (int i = 0; i < n; ++i) frame();
    }
    // Seconds the last n frames took, from the frame before them.
    double seconds_of_last(int n) const {
        return static_cast<double>(shown.back() - shown[shown.size() - 1 - n]) / 1e9;
    }
};

TEST(RefreshPacer, FramesKeepToTheReportedRateWithoutDriftOrBunching) {
    for (int hz : {60, 75, 144, 50}) {
        FakeDisplay d(hz, refresh_period_ns(hz));
        d.frames(400);
        // 160 frames of a reveal, wherever the probes fall among them.
        const double expected = 160.0 / hz;
        EXPECT_NEAR(d.seconds_of_last(160), expected, expected * 0.02) << hz << " Hz";
        // Over the whole run no more frames than refreshes: the probes do not add frames.
        EXPECT_LE(d.seconds_of_last(399) * hz, 399.0 + 1.5) << hz << " Hz";
        EXPECT_GE(d.seconds_of_last(399) * hz, 399.0 - 1.5) << hz << " Hz";
        EXPECT_FALSE(d.pacer.display_waits) << "a present that comes back at once does not pace";
        EXPECT_GE(d.pacer.probes, 1);
    }
}

TEST(RefreshPacer, NoRateReportedMeansSixtyHertz) {
    EXPECT_EQ(refresh_period_ns(0), 1000000000LL / 60);
    EXPECT_EQ(refresh_period_ns(-5), 1000000000LL / 60);
    EXPECT_EQ(refresh_period_ns(100000), 1000000000LL / 60);
    EXPECT_EQ(refresh_period_ns(144), 1000000000LL / 144);
}

TEST(RefreshPacer, AFrameThatMissesItsRefreshIsShownAtOnceAndTheGridStartsAgain) {
    FakeDisplay d(60, refresh_period_ns(60));
    d.pacer.presents_to_probe = 1000;  // no probe among these frames
    d.frames(3);
    d.draw_ns = 40 * kMs;  // one slow frame
    d.frame();
    d.draw_ns = 1 * kMs;
    const int64_t late = d.shown.back();
    d.frame();
    d.frame();
    // No catching up: the frames after the slow one keep a whole period apart.
    EXPECT_GE(d.shown[d.shown.size() - 2] - late, refresh_period_ns(60) - kMs);
    EXPECT_GE(d.shown.back() - d.shown[d.shown.size() - 2], refresh_period_ns(60) - kMs);
}

TEST(RefreshPacer, AFrameALittleLateKeepsTheGrid) {
    FakeDisplay d(60, refresh_period_ns(60));
    d.pacer.presents_to_probe = 1000;
    d.frames(3);
    const int64_t grid = d.shown.back();
    d.draw_ns = refresh_period_ns(60) + 4 * kMs;  // the thread woke 3 ms late
    d.frame();
    d.draw_ns = 1 * kMs;
    d.frames(10);
    // Ten frames later the frames are back on the refresh grid: nothing was stretched.
    EXPECT_EQ(d.shown.back() - grid, 11 * refresh_period_ns(60));
}

TEST(RefreshPacer, APresentThatWaitsForTheRetraceGetsNoSecondWait) {
    FakeDisplay d(60, refresh_period_ns(60));
    d.waits = true;
    d.frames(20);
    EXPECT_TRUE(d.pacer.display_waits) << "three probes found the present waiting";
    const int before = d.pacer.probes;
    d.frames(600);
    EXPECT_EQ(d.pacer.probes, before) << "no probes while the display paces";
    // Every frame at the next retrace: one frame per refresh, no frame held a second period.
    for (size_t i = d.shown.size() - 500; i < d.shown.size(); ++i)
        EXPECT_EQ(d.shown[i] - d.shown[i - 1], refresh_period_ns(60)) << "frame " << i;
}

TEST(RefreshPacer, SyncTurnedOffInTheMiddleHandsThePacingBack) {
    FakeDisplay d(60, refresh_period_ns(60));
    d.waits = true;
    d.frames(30);
    ASSERT_TRUE(d.pacer.display_waits);
    d.waits = false;
    d.frames(kWaitingWindow + 2);
    EXPECT_FALSE(d.pacer.display_waits);
    d.frames(200);
    EXPECT_NEAR(d.seconds_of_last(160), 160.0 / 60, 160.0 / 60 * 0.02);
}

TEST(RefreshPacer, ADisplayThatWaitsFasterThanItReportsIsNotTrusted) {
    // Presents wait, but for a refresh much shorter than the display's mode says: the game
    // keeps the reported rate.
    FakeDisplay d(60, refresh_period_ns(240));
    d.waits = true;
    d.frames(400);
    EXPECT_FALSE(d.pacer.display_waits);
    EXPECT_NEAR(d.seconds_of_last(160), 160.0 / 60, 160.0 / 60 * 0.03);
}

TEST(RefreshPacer, APresentBusyDrawingForAWholeRefreshIsNotTakenForWaiting) {
    // A software rasterizer that works 14 ms in each present: the frames still keep to 60 Hz.
    FakeDisplay d(60, refresh_period_ns(60));
    d.copy_ns = 14 * kMs;
    d.frames(400);
    EXPECT_FALSE(d.pacer.display_waits);
    EXPECT_NEAR(d.seconds_of_last(160), 160.0 / 60, 160.0 / 60 * 0.02);
}

TEST(RefreshPacer, AnotherDisplayStartsTheMeasuringOver) {
    FakeDisplay d(60, refresh_period_ns(60));
    d.waits = true;
    d.frames(30);
    ASSERT_TRUE(d.pacer.display_waits);
    // Dragged to a display at 75 Hz whose presents do not wait.
    pacer_set_display(&d.pacer, 75, 1, d.now);
    EXPECT_FALSE(d.pacer.display_waits);
    d.waits = false;
    d.frames(300);
    EXPECT_NEAR(d.seconds_of_last(150), 150.0 / 75, 150.0 / 75 * 0.02);
}

}  // namespace
