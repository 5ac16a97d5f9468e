// The frame step: clear colour, the order of click handling, presents and device loss inside a
// frame, on the offscreen device with the recording batch.
#include "shell_fixture.h"

#include <memory>

#include "scenario/scenario.h"
#include "scene/credits.h"
#include "scene/hotspot.h"
#include "scene/menu_overlay.h"
#include "scene/transition.h"

namespace {

class FrameStepTest : public ShellTest {};

// The message loop rests once picture_still_for_ms says so: by then one more frame draws what the
// last one did. While the overlay moves, a press waits or the device is lost, no frame is skipped;
// the staff roll's timed wait for its music says how long is left.
TEST_F(FrameStepTest, PictureIsStillOnlyWhenAnotherFrameWouldDrawTheSame) {
    make_device();
    auto drawn = [&] {
        draws.clear();
        EXPECT_EQ(frame_step(), 0);
        return draws;
    };
    auto same = [](const std::vector<DrawCall>& a, const std::vector<DrawCall>& b) {
        if (a.size() != b.size()) return false;
        for (size_t i = 0; i < a.size(); ++i)
            if (a[i].texture != b[i].texture || a[i].src.left != b[i].src.left || a[i].src.top != b[i].src.top ||
                a[i].src.right != b[i].src.right || a[i].src.bottom != b[i].src.bottom || a[i].x != b[i].x ||
                a[i].y != b[i].y || a[i].colour != b[i].colour)
                return false;
        return true;
    };
    drawn();
    EXPECT_EQ(picture_still_for_ms(), kStillUntilInput) << "a page at rest waits for input";

    right_click_pending = 1;
    EXPECT_EQ(picture_still_for_ms(), 0u) << "a press waits for the frame step";
    std::vector<DrawCall> last;
    int frames = 0;
    do {
        last = drawn();
    } while (picture_still_for_ms() == 0 && ++frames < 100);
    EXPECT_EQ(menu_open, 1);
    EXPECT_EQ(menu_animating, 0) << "still only once the opening has run to its end";
    EXPECT_TRUE(same(last, drawn())) << "at rest, one more frame draws the same";
    EXPECT_TRUE(same(last, drawn()));

    for (int* moving : {&transition_active, &balloon_animating, &menu_animating, &credits_start_pending,
                        &left_click_pending, &credits_mode}) {
        *moving = 1;
        EXPECT_EQ(picture_still_for_ms(), 0u);
        *moving = 0;
    }
    device_lost = 1;
    EXPECT_EQ(picture_still_for_ms(), 0u) << "the idle step polls a lost device back";
    device_lost = 0;

    const CreditsRoll kept = credits_roll;
    credits_mode = 1;
    credits_roll.state = 7;
    credits_roll.music_wait = 1000;
    credits_roll.start_time = clock_now_ms() - 10;
    EXPECT_EQ(picture_still_for_ms(), 1000 + kMusicGraceMs + 1 - 10) << "the staff roll waits for its music";
    clock_advance_ms(1000 + kMusicGraceMs - 10);
    EXPECT_EQ(picture_still_for_ms(), 1u);
    clock_advance_ms(1);
    EXPECT_EQ(picture_still_for_ms(), 0u) << "the frame that ends the wait is due";
    credits_roll = kept;
}

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
    EXPECT_EQ(menu_anim_counter, 590) << "started at 640, one frame drawn";

    // A second press while the opening still runs is dropped, not queued.
    menu_anim_counter = 390;
    right_click_pending = 1;
    frame_step();
    EXPECT_EQ(right_click_pending, 0) << "the press is used up";
    EXPECT_EQ(menu_open, 1) << "the overlay keeps opening";
    EXPECT_EQ(menu_anim_counter, 340) << "the animation went on by one frame, it did not restart";
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
    EXPECT_EQ(menu_anim_counter, 590);
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

namespace {

// The frame step over a started game: what reaches the scene and in which order it is drawn.
class StartedGameTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        cd = std::make_unique<CurrentDirectory>(folder.path);
        write_game_data();
        ASSERT_EQ(start_up(), 1);
        messages.clear();
        // The system pointer over the canvas, so that the game's pointer is drawn.
        set_pointer_position_query([](int* x, int* y) {
            *x = *y = 100;
            return 0;
        });
        cursor_in_client = 1;
        draws.clear();
    }
    void TearDown() override {
        shut_down();
        set_pointer_position_query(nullptr);
        cd.reset();
        ShellTest::TearDown();
    }
    bool cursor_drawn() const {
        return !draws.empty() && draws.back().texture == game_cursor.cursor_texture;
    }
    TempFolder folder;
    std::unique_ptr<CurrentDirectory> cd;
};

TEST_F(StartedGameTest, DrawsPictureThenOverlayThenPointer) {
    open_menu();
    menu_anim_counter = -1;
    menu_animating = 0;
    frame_step();
    ASSERT_GE(draws.size(), 6u);
    EXPECT_EQ(draws.front().texture, scene_transition.current_image) << "the picture comes first";
    EXPECT_EQ(draws[1].texture, menu_overlay.menu_panel_texture) << "then the overlay's panel";
    EXPECT_TRUE(cursor_drawn()) << "the pointer comes last";
}

TEST_F(StartedGameTest, LeftPressesAreDroppedWhileSomethingMovesAndUsedUpOtherwise) {
    struct Case {
        const char* what;
        int* flag;
    };
    const Case cases[] = {{"transition", &transition_active}, {"balloon", &balloon_animating}, {"overlay", &menu_animating}};
    for (const Case& c : cases) {
        *c.flag = 1;
        left_click_pending = 1;
        click_x = click_y = 10;
        frame_step();
        EXPECT_EQ(left_click_pending, 0) << c.what << ": the press is used up";
        EXPECT_EQ(scene_table.current_scene, 0) << c.what << ": and reaches no hot-spot";
        *c.flag = 0;
        menu_open = 0;
        menu_anim_counter = -1;
        transition_active = 0;
    }
    left_click_pending = 1;
    frame_step();
    EXPECT_EQ(left_click_pending, 0);
    EXPECT_EQ(scene_table.current_scene, 1) << "at rest the press follows the hot-spot";
}

// A right and a left press wait for the same frame, the left one on the overlay's quit button:
// the right press opens the overlay first, and the left one meets an overlay that is open but
// still moving, so it is dropped: no quit, no scene change.
TEST_F(StartedGameTest, LeftPressMeetsTheOverlayThatTheRightPressOfItsFrameOpens) {
    frame_step();
    frame_step();
    ASSERT_EQ(transition_active, 0) << "the first picture is at rest";
    const MenuLayout l = menu_layout();
    right_click_pending = 1;
    left_click_pending = 1;
    click_x = l.x[2] + 2;
    click_y = l.y + 2;
    EXPECT_EQ(frame_step(), 0) << "the quit button of a moving overlay does nothing";
    EXPECT_EQ(left_click_pending, 0);
    EXPECT_EQ(menu_open, 1);
    EXPECT_EQ(menu_animating, 1);
    EXPECT_EQ(scene_table.current_scene, 0) << "the press did not reach the hot-spot under it";
    EXPECT_EQ(transition_active, 0);
}

TEST_F(StartedGameTest, PointerHiddenDuringFullScreenStaffRollUntilTheOverlayOpens) {
    credits_mode = 1;
    present_params.windowed = 0;
    frame_step();
    EXPECT_FALSE(cursor_drawn()) << "full-screen staff roll without the overlay";
    credits_mode = 1;
    present_params.windowed = 1;
    draws.clear();
    frame_step();
    EXPECT_TRUE(cursor_drawn()) << "windowed: always drawn";
    credits_mode = 1;
    present_params.windowed = 0;
    open_menu();
    draws.clear();
    frame_step();
    EXPECT_TRUE(cursor_drawn()) << "the overlay is moving: drawn";
}

TEST_F(StartedGameTest, EscTogglesTheOverlayExceptWhileItMoves) {
    escape_key_pressed();
    EXPECT_EQ(menu_open, 1);
    EXPECT_EQ(menu_animating, 1);
    escape_key_pressed();  // a repeat while it opens
    EXPECT_EQ(menu_open, 1) << "ignored while moving";
    for (int i = 0; i < 15 && menu_animating; ++i) frame_step();
    ASSERT_EQ(menu_animating, 0);
    transition_active = 1;  // Esc works in every state
    escape_key_pressed();
    EXPECT_EQ(menu_open, 0);
    EXPECT_EQ(menu_animating, 1);
}

}  // namespace
