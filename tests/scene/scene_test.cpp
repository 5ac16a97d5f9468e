// Common fixture of the scene tests.
#include "scene_test.h"

#include <cstdio>

#include "common/flags.h"
#include "gfx/device.h"
#include "platform/system/clock.h"
#include "platform/video/texture.h"
#include "scenario/scenario.h"
#include "scene/balloon.h"
#include "scene/credits.h"
#include "scene/hotspot.h"
#include "scene/menu_overlay.h"
#include "scene/transition.h"

void SceneTest::SetUp() {
    reset_shared_flags();
    message_box_record_to(&messages);
    texture_fail_next_creations(0, S_OK);
    texture_fail_next_locks(0);
    clock_use_virtual(false);
    scene_transition = SceneTransition{};
    speech_balloon.balloon_anim_counter = -1;
    speech_balloon.page_index = 0;
    speech_balloon.page_count = 0;
    present_params.windowed = 1;
    scene_table.scene_count = 0;
    scene_table.current_scene = 0;
    set_pointer_position_query(nullptr);
    ASSERT_EQ(create_scene_textures(), 0);
    ASSERT_EQ(create_balloon_textures(), 0);
    batch_record_to(&draws);
}

void SceneTest::TearDown() {
    batch_record_to(nullptr);
    release_scene_textures();
    release_balloon_textures();
    release_menu_overlay();
    release_cursor();
    message_box_record_to(nullptr);
    clock_use_virtual(false);
}

std::string describe(const DrawCall& call) {
    char buf[160];
    std::snprintf(buf, sizeof buf, "src(%d,%d,%d,%d) at (%g,%g) colour %08X", call.src.left, call.src.top,
                  call.src.right, call.src.bottom, call.x, call.y, call.colour);
    return buf;
}
