// Shared set-up of the shell tests: an offscreen device, the recording batch, a virtual clock
// and recorded message boxes, all put back afterwards.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "app/flags.h"
#include "gfx/device.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/renderer.h"
#include "platform/sprite.h"

class ShellTest : public testing::Test {
protected:
    void SetUp() override {
        reset_shared_flags();
        app_reset_quit();
        clock_use_virtual(true, 1000);
        message_box_record_to(&messages);
        batch_record_to(&draws);
        app_trace_to(&trace);
        renderer_set_offscreen_only(true);
        timer_period_set = 1;
        last_present_time = clock_now_ms();
    }
    void TearDown() override {
        release_device();
        window_release();
        renderer_set_offscreen_only(false);
        app_trace_to(nullptr);
        batch_record_to(nullptr);
        message_box_record_to(nullptr);
        clock_use_virtual(false);
        reset_shared_flags();
    }
    // An offscreen device as start-up makes it.
    void make_device() { ASSERT_EQ(create_device(), 0); }
    // Canvas pixel after the last frame.
    uint32_t pixel(int x, int y) {
        std::vector<uint32_t> frame(kBackBufferWidth * kBackBufferHeight);
        EXPECT_TRUE(renderer_read_canvas(frame.data()));
        return frame[y * kBackBufferWidth + x];
    }
    std::vector<MessageRecord> messages;
    std::vector<DrawCall> draws;
    std::vector<std::string> trace;
};
