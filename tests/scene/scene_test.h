// Common fixture of the scene tests: fresh flags and records, the start-up textures, a recording
// sprite batch and recorded message boxes.
#pragma once
#include <gtest/gtest.h>

#include <vector>

#include "platform/window/message_box.h"
#include "platform/video/sprite.h"
#include "support/scene_fixtures.h"

class SceneTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Clears the recording, runs one draw function and returns what it drew.
    template <typename F>
    std::vector<DrawCall> frame(F draw) {
        draws.clear();
        draw();
        return draws;
    }

    std::vector<DrawCall> draws;
    std::vector<MessageRecord> messages;
};

// "SRC(l, t, r, b) at (x, y) colour c" for failure messages.
std::string describe(const DrawCall& call);
