// Shared set-up of the shell tests: an offscreen device, the recording batch, a virtual clock
// and recorded message boxes, all put back afterwards.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "common/flags.h"
#include "gfx/device.h"
#include "platform/system/clock.h"
#include "platform/window/message_box.h"
#include "platform/video/renderer.h"
#include "platform/video/sprite.h"
#include "support/image_fixtures.h"
#include "support/scenario_fixtures.h"

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
    // A script of two scenes joined by a full-canvas hot-spot, and the pointer image, in the
    // current folder's data folder.
    static void write_game_data() {
        write_file("data/GAME42297263",
                   scrambled(script({"opening_snd_nm=op.wav", "seq=0", "img_nm=a.png", "rect=0,0,799,599",
                                     "next_seq=1", "seq=1", "img_nm=b.png", "rect=0,0,799,599", "next_seq=0"})));
        PngRecipe png;
        png.width = png.height = 24;
        png.samples.assign(24 * 24 * 3, 200);
        std::vector<unsigned char> bytes = build_png(png);
        write_file("data/GAME39651497", scrambled(std::string(bytes.begin(), bytes.end())));
    }
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
