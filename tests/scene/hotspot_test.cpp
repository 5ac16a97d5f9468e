// Hot-spot dispatch on small scripts: routing of a press, the search order and edges, scene
// links, the shortcut rewiring at scene 86, balloons and the staff-roll request; the pointer.
#include <map>

#include "common/flags.h"
#include "common/messages.h"
#include "scenario/scenario.h"
#include "scene/balloon.h"
#include "scene/credits.h"
#include "scene/hotspot.h"
#include "scene/menu_overlay.h"
#include "scene/transition.h"
#include "scene_test.h"

namespace {

class HotspotTest : public SceneTest {
protected:
    void SetUp() override {
        SceneTest::SetUp();
        dir.write("a.bmp", make_solid_bmp(8, 8, 0x0000AA));
        dir.write("b.bmp", make_solid_bmp(8, 8, 0x00BB00));
    }
    // Entries 0..count-1, numbered as their positions, pictures a.bmp and b.bmp in turn; extra
    // lines go right after the "seq=" line of the entry they are keyed to.
    void load(int count, const std::map<int, std::string>& areas) {
        std::string script = "opening_snd_nm=open.wav\nending_snd_nm=end.wav\n";
        for (int i = 0; i < count; ++i) {
            script += "seq=" + std::to_string(i) + "\nimg_nm=" + (i % 2 ? "b.bmp" : "a.bmp") + "\n";
            auto it = areas.find(i);
            if (it != areas.end()) script += it->second;
        }
        ASSERT_EQ(load_test_script(script), 0);
        scene_table.current_scene = 0;
        take_shortcut_backups();
        show_scene_image(nullptr, "a.bmp");
        settle();
    }
    ClickRequests press(int x, int y) {
        left_click_pending = 1;
        click_x = x;
        click_y = y;
        ClickRequests r = dispatch_click();
        EXPECT_EQ(left_click_pending, 0);
        return r;
    }
    void settle() {
        for (int i = 0; i < 1000 && (transition_active || balloon_animating); ++i) {
            draw_scene_image();
            draw_balloon();
        }
    }
    uint32_t shown() { return scene_transition.current_image->pixels[0] & 0xFFFFFF; }

    SceneDataDir dir;
};

TEST_F(HotspotTest, FirstAreaInScriptOrderWinsWithInclusiveEdges) {
    load(6, {{0, "rect=100,100,200,200\nnext_seq=1\n"
                 "rect=150,150,300,300\nrect=0,0,9,9\nnext_seq=2\n"
                 "rect=400,400,500,500\n"},  // no next_seq: never counted
             {5, "seq=0\nrect=0,0,799,599\nnext_seq=3\n"}});
    press(150, 150);
    EXPECT_EQ(scene_table.current_scene, 1) << "the earlier of two overlapping areas";
    EXPECT_EQ(shown(), 0x00BB00u);

    const struct { int x, y, scene; } cases[] = {
        {200, 200, 1},  // right and bottom edges are inside
        {201, 200, 2},  // one beyond: the next area
        {9, 9, 2},      // an area's second rectangle
        {10, 10, 3},    // the later entry with the same number
        {450, 450, 3},  // the uncommitted area never hits; the later entry takes it
    };
    for (const auto& c : cases) {
        scene_table.current_scene = 0;
        settle();
        press(c.x, c.y);
        EXPECT_EQ(scene_table.current_scene, c.scene) << "press at " << c.x << "," << c.y;
    }
    scene_table.current_scene = 4;
    settle();
    press(10, 10);
    EXPECT_EQ(scene_table.current_scene, 4) << "a scene without areas ignores presses";
    EXPECT_EQ(transition_active, 0);
}

TEST_F(HotspotTest, PressesWhileSomethingAnimatesAreDropped) {
    load(2, {{0, "rect=0,0,799,599\nnext_seq=1\n"}});
    int* flags[] = {&transition_active, &balloon_animating, &menu_animating, &credits_mode};
    for (int* flag : flags) {
        *flag = 1;
        press(10, 10);
        EXPECT_EQ(scene_table.current_scene, 0);
        *flag = 0;
    }
    // A press in the frame right after an instant change is dropped: the flag clears only while
    // that frame draws.
    press(10, 10);
    EXPECT_EQ(scene_table.current_scene, 1);
    draw_scene_image();
    scene_table.current_scene = 0;  // as if the new scene linked back
    press(10, 10);
    EXPECT_EQ(scene_table.current_scene, 0) << "dropped";
    draw_scene_image();
    EXPECT_EQ(transition_active, 0);
    press(10, 10);
    EXPECT_EQ(scene_table.current_scene, 1);
}

TEST_F(HotspotTest, LinksRefusedOrToTheSameSceneStartNoTransition) {
    load(2, {{0, "rect=0,0,99,99\nnext_seq=0\nsnd_nm=again.wav\n"
                 "rect=100,0,199,99\nnext_seq=1\n"
                 "rect=200,0,299,99\nnext_seq=1\n"}});
    scene_table.scenes[0].areas[1].next_seq = 250;  // a script may not even load with these
    scene_table.scenes[0].areas[2].next_seq = -1;
    const uint32_t before = scene_transition.previous_image->version;
    press(50, 50);
    EXPECT_EQ(scene_table.current_scene, 0);
    EXPECT_EQ(transition_active, 0) << "a link to the scene shown replays its sound only";
    EXPECT_EQ(scene_transition.previous_image->version, before);
    press(150, 50);
    press(250, 50);
    EXPECT_EQ(scene_table.current_scene, 0) << "links outside 0..199 are refused";
    EXPECT_EQ(transition_active, 0);
}

TEST_F(HotspotTest, LinkToAnEntryTheScriptLacksIsIgnoredAndSaidOncePerLink) {
    // Entries 0 and 1; area 0 leads to 5 and area 1 to 9, neither defined; area 2 works.
    load(2, {{0, "rect=0,0,99,99\nsnd_nm=s.wav\nnext_seq=5\nrect=100,0,199,99\nnext_seq=9\n"
                 "rect=200,0,299,99\nnext_seq=1\n"}});
    forget_stranded_links();
    const uint32_t before = scene_transition.previous_image->version;
    testing::internal::CaptureStderr();
    press(50, 50);
    press(50, 50);
    press(150, 50);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(scene_table.current_scene, 0) << "the player stays where the hot-spots are";
    EXPECT_EQ(transition_active, 0);
    EXPECT_EQ(scene_transition.previous_image->version, before) << "no picture change began";
    const std::string first = "poromina: entry 0 area 0 links to entry 5, which the script does not define "
                              "(it defines entries 0 to 1, counted by their order in the script); the click "
                              "is ignored / ";
    EXPECT_EQ(err.find(first), 0u) << err;
    EXPECT_EQ(err.find("area 0 links", first.size()), std::string::npos) << "once per link:\n" << err;
    EXPECT_NE(err.find("entry 0 area 1 links to entry 9"), std::string::npos) << err;
    // A defined link still works, and a new script says each stranded link again.
    press(250, 50);
    settle();
    EXPECT_EQ(scene_table.current_scene, 1);
    scene_table.current_scene = 0;
    forget_stranded_links();
    testing::internal::CaptureStderr();
    press(50, 50);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("area 0 links to entry 5"), std::string::npos);
}

TEST_F(HotspotTest, SceneEightySixRewiresEntryTwentySixUntilTheRollEnds) {
    load(104, {{0, "rect=0,0,9,9\nnext_seq=85\n"},
               {26, "rect=0,0,9,9\nnext_seq=27\nsnd_nm=s27.wav\n"},
               {85, "rect=0,0,9,9\nsnd_nm=s86.wav\nnext_seq=86\n"}});
    EXPECT_EQ(shortcut_next_seq_backup, 27);
    EXPECT_EQ(shortcut_snd_nm_backup, "s27.wav");
    press(5, 5);
    settle();
    press(5, 5);
    EXPECT_EQ(scene_table.current_scene, 86);
    const Area& shortcut = scene_table.scenes[26].areas[0];
    EXPECT_EQ(shortcut.next_seq, 86);
    EXPECT_EQ(shortcut.snd_nm, "s86.wav");

    scene_table.current_scene = 26;
    settle();
    press(5, 5);
    EXPECT_EQ(scene_table.current_scene, 86) << "the shortcut now leads to 86";

    credits_mode = 1;
    credits_roll.state = 9;  // the roll's last step
    draw_credits();
    EXPECT_EQ(credits_mode, 0);
    EXPECT_EQ(scene_table.current_scene, 0);
    EXPECT_EQ(shortcut.next_seq, 27);
    EXPECT_EQ(shortcut.snd_nm, "s27.wav");
    EXPECT_EQ(transition_active, 1) << "the first picture is shown again";
    EXPECT_EQ(shown(), 0x0000AAu);
}

TEST_F(HotspotTest, BalloonAreasAndTheStaffRollRequest) {
    load(104, {{103, "rect=0,0,9,9\nfukidasi=END\nnext_seq=103\n"
                     "rect=10,0,19,9\nfukidasi=one\nfukidasi=two\nnext_seq=103\n"}});
    scene_table.current_scene = 103;
    clear_to_black = 1;
    press(15, 5);
    EXPECT_EQ(balloon_open, 1);
    EXPECT_EQ(speech_balloon.page_count, 2);
    EXPECT_EQ(speech_balloon.page_texts[1], "two");
    EXPECT_EQ(credits_start_pending, 0);
    settle();
    press(500, 500);  // an open balloon takes every press
    EXPECT_EQ(speech_balloon.page_index, 1);
    press(500, 500);
    EXPECT_EQ(balloon_open, 0);
    settle();

    press(5, 5);
    EXPECT_EQ(credits_start_pending, 1);
    EXPECT_EQ(clear_to_black, 0);
    EXPECT_EQ(balloon_open, 0) << "area 0 of entry 103 starts the roll instead of its balloon";
    begin_credits_if_requested();
    EXPECT_EQ(credits_mode, 1);
    EXPECT_EQ(credits_start_pending, 0);
    EXPECT_EQ(credits_roll.state, 0);
}

TEST_F(HotspotTest, OpenMenuTakesThePressAndHandsBackRequests) {
    ASSERT_EQ(create_menu_overlay(), 0);
    load(2, {{0, "rect=0,0,799,599\nnext_seq=1\n"}});
    balloon_open = 1;
    menu_open = 1;
    const MenuLayout l = menu_layout();
    ClickRequests r = press(l.x[2], l.y);
    EXPECT_EQ(r.quit, 1);
    EXPECT_EQ(r.switch_mode, 0);
    menu_open = 1;
    r = press(l.x[1], l.y);
    EXPECT_EQ(r.switch_mode, 1);
    EXPECT_EQ(speech_balloon.page_index, 0) << "the balloon did not see the presses";
    EXPECT_EQ(scene_table.current_scene, 0);
}

// With two states at once the earlier rule decides: a moving overlay drops the press even though
// it counts as open, and a running transition or an opening balloon drops it even though the
// balloon is open.
TEST_F(HotspotTest, WithTwoStatesAtOnceTheEarlierRuleDecides) {
    ASSERT_EQ(create_menu_overlay(), 0);
    load(2, {{0, "rect=0,0,799,599\nfukidasi=one\nfukidasi=two\nfukidasi=three\nnext_seq=0\n"}});
    press(10, 10);
    settle();
    ASSERT_EQ(balloon_open, 1);
    ASSERT_EQ(speech_balloon.page_index, 0);

    menu_open = 1;
    menu_animating = 1;
    const MenuLayout l = menu_layout();
    ClickRequests r = press(l.x[2], l.y);
    EXPECT_EQ(r.quit, 0) << "the quit button of an overlay still moving";
    EXPECT_EQ(menu_open, 1);
    EXPECT_EQ(speech_balloon.page_index, 0);
    menu_open = menu_animating = 0;

    int* flags[] = {&transition_active, &balloon_animating};
    for (int* flag : flags) {
        *flag = 1;
        press(10, 10);
        EXPECT_EQ(speech_balloon.page_index, 0) << (flag == &transition_active ? "transition" : "balloon opening");
        EXPECT_EQ(balloon_open, 1);
        *flag = 0;
    }
    press(10, 10);
    EXPECT_EQ(speech_balloon.page_index, 1) << "at rest the open balloon takes the press";
}

int pointer_at_100_50(int* x, int* y) {
    *x = 100;
    *y = 50;
    return 0;
}
int pointer_unknown(int*, int*) { return -1; }

TEST_F(HotspotTest, PointerImageAndDrawing) {
    EXPECT_EQ(load_cursor(), -1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, kMsgStartupFailed);

    dir.write("GAME39651497", make_bmp(24, 24, [](int x, int) { return x < 12 ? 0x0000FFu : 0x0000FEu; }));
    texture_fail_next_creations(1, D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(load_cursor(), -1);
    EXPECT_EQ(messages.back().text, kMsgOutOfVideoMemory);

    ASSERT_EQ(load_cursor(), 0);
    Texture* t = game_cursor.cursor_texture;
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->width, 24);
    EXPECT_EQ(t->format, PixelFormat::A8R8G8B8);
    EXPECT_EQ(t->pixels[0], 0u) << "opaque pure blue is transparent";
    EXPECT_EQ(t->pixels[23], 0xFF0000FEu) << "a near blue stays";

    EXPECT_EQ(frame(draw_cursor).size(), 0u) << "pointer off the canvas";
    cursor_in_client = 1;
    EXPECT_EQ(draw_cursor(), -1) << "no position";
    set_pointer_position_query(pointer_unknown);
    EXPECT_EQ(draw_cursor(), -1);
    set_pointer_position_query(pointer_at_100_50);
    auto d = frame(draw_cursor);
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(describe(d[0]), describe({nullptr, true, {0, 0, 24, 24}, 88, 38, 0xFFFFFFFF}));
}

}  // namespace
