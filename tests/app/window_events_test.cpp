// The window's input as the game sees it: presses with canvas coordinates, the menu bar taking
// its own presses and keys, mnemonics and commands, Esc and Alt+Enter, pointer crossings.
#include "shell_fixture.h"

#include "platform/window/dialog.h"
#include "platform/window/window.h"
#include "resources/resources.h"

namespace {

constexpr int kBar = 20;  // menu bar height above the canvas, window pixels

class WindowEventsTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_EQ(create_main_window(), 0);
        std::vector<WindowEvent> stale = drain();  // window set-up events
        (void)stale;
    }
    // Every queued event, translated; the ones that mean nothing to the game are left out.
    std::vector<WindowEvent> drain() {
        std::vector<WindowEvent> out;
        WindowEvent e;
        while (window_poll_event(&e))
            if (e.kind != WindowEventKind::None) out.push_back(e);
        return out;
    }
    // Feeds every queued event to the window procedure.
    void dispatch() {
        for (const WindowEvent& e : drain()) main_window_proc(e);
    }
    void key(int k, bool alt = false) {
        window_inject(RawInput::KeyDown, 0, 0, k, alt);
        window_inject(RawInput::KeyUp, 0, 0, k, alt);
    }
};

TEST_F(WindowEventsTest, PressesCarryCanvasCoordinatesAndTheLastOneWins) {
    window_inject(RawInput::LeftDown, 100, kBar + 50);
    window_inject(RawInput::LeftDown, 799, kBar + 599);
    dispatch();
    EXPECT_EQ(left_click_pending, 1);
    EXPECT_EQ(click_x, 799) << "two presses before a frame leave the second one's place";
    EXPECT_EQ(click_y, 599);
    window_inject(RawInput::RightDown, 0, kBar);
    dispatch();
    EXPECT_EQ(right_click_pending, 1);
    EXPECT_EQ(click_x, 0);
    EXPECT_EQ(click_y, 0);
}

TEST_F(WindowEventsTest, PressesOnTheMenuBarRecordNothing) {
    window_inject(RawInput::RightDown, 300, 5);
    window_inject(RawInput::LeftDown, 600, 19);  // on the bar, right of the titles
    dispatch();
    EXPECT_EQ(left_click_pending, 0);
    EXPECT_EQ(right_click_pending, 0);

    // A press on a title opens its pop-up; the next press on the canvas only closes it.
    window_inject(RawInput::LeftDown, 10, 5);
    window_inject(RawInput::LeftDown, 400, kBar + 300);
    dispatch();
    EXPECT_EQ(left_click_pending, 0) << "the press that closed the pop-up is not the game's";
    window_inject(RawInput::LeftDown, 400, kBar + 300);
    dispatch();
    EXPECT_EQ(left_click_pending, 1);
    EXPECT_EQ(click_y, 300);
}

TEST_F(WindowEventsTest, MnemonicsAndArrowsChooseTheCommands) {
    key('g', true);
    key('x');
    std::vector<WindowEvent> ev = drain();
    ASSERT_EQ(ev.size(), 1u);
    EXPECT_EQ(ev[0].kind, WindowEventKind::Command);
    EXPECT_EQ(ev[0].command, kCmdExit) << "Alt+G, X";

    key('v', true);
    key(kKeyReturn);
    ev = drain();
    ASSERT_EQ(ev.size(), 1u);
    EXPECT_EQ(ev[0].command, kCmdToggleMode) << "Alt+V, Enter takes the highlighted first item";

    key('h', true);
    key(kKeyDown);
    key(kKeyReturn);
    ev = drain();
    ASSERT_EQ(ev.size(), 1u);
    EXPECT_EQ(ev[0].command, kCmdAbout) << "Alt+H, Down, Enter takes the second item";

    key('h', true);
    key('h');
    ev = drain();
    ASSERT_EQ(ev.size(), 1u);
    EXPECT_EQ(ev[0].command, kCmdHowToPlay);

    // A tap of Alt gives the bar the keyboard; G then opens the game pop-up, X chooses.
    key(kKeyAlt);
    key('g');
    key('x');
    ev = drain();
    ASSERT_EQ(ev.size(), 1u);
    EXPECT_EQ(ev[0].command, kCmdExit);
}

TEST_F(WindowEventsTest, EscClosesAnOpenPopupBeforeItReachesTheGame) {
    key('g', true);
    key(kKeyEscape);  // closes the pop-up, the bar keeps the keyboard
    key(kKeyEscape);  // leaves the bar
    EXPECT_TRUE(drain().empty());
    key(kKeyEscape);
    std::vector<WindowEvent> ev = drain();
    ASSERT_EQ(ev.size(), 1u);
    EXPECT_EQ(ev[0].kind, WindowEventKind::EscapeKey);
    key(kKeyReturn, true);
    ev = drain();
    ASSERT_EQ(ev.size(), 1u);
    EXPECT_EQ(ev[0].kind, WindowEventKind::AltEnter);
}

TEST_F(WindowEventsTest, MouseChoosesAnItemOnRelease) {
    window_inject(RawInput::LeftDown, 10, 5);          // open the game pop-up
    window_inject(RawInput::LeftDown, 40, kBar + 10);  // on its first item
    window_inject(RawInput::LeftUp, 40, kBar + 10);
    std::vector<WindowEvent> ev = drain();
    ASSERT_EQ(ev.size(), 1u);
    EXPECT_EQ(ev[0].command, kCmdExit);
}

TEST_F(WindowEventsTest, PointerCrossingsFollowTheCanvasEdge) {
    window_inject(RawInput::Motion, 100, kBar + 100);
    window_inject(RawInput::Motion, 120, kBar + 100);
    window_inject(RawInput::Motion, 120, 3);
    dispatch();
    EXPECT_EQ(cursor_in_client, 0) << "over the menu bar the pointer is not on the canvas";
    window_inject(RawInput::Motion, 120, kBar);
    std::vector<WindowEvent> ev = drain();
    ASSERT_EQ(ev.size(), 1u);
    EXPECT_EQ(ev[0].kind, WindowEventKind::PointerEnter);
    main_window_proc(ev[0]);
    EXPECT_EQ(cursor_in_client, 1);
}

TEST_F(WindowEventsTest, CommandsCarryOutTheirActions) {
    dialog_answer_with(kDialogOk);
    EXPECT_EQ(run_info_dialog(kDialogAbout), kDialogOk);
    EXPECT_EQ(run_info_dialog(kDialogHowToPlay), kDialogOk);
    EXPECT_EQ(run_info_dialog(999), -1);
    dialog_answer_with(0);
    main_window_proc(WindowEvent{WindowEventKind::Command, 0, 0, false, kCmdExit});
    EXPECT_FALSE(window_exists());
    EXPECT_TRUE(app_quit_posted());
}

TEST_F(WindowEventsTest, CloseEndsTheWindow) {
    main_window_proc(WindowEvent{WindowEventKind::Close, 0, 0, false, 0});
    EXPECT_FALSE(window_exists());
    EXPECT_TRUE(app_quit_posted());
}

}  // namespace
