// Start-up and shutdown orders: every shutdown step copes with what was never made, the
// message about a lost device comes after the window is gone, and a termination request
// (SIGTERM, SIGINT) ends dialogs and the loop the ordinary way.
#include "shell_fixture.h"

#include "common/messages.h"
#include "platform/system/signals.h"
#include "platform/window/dialog.h"
#include "platform/window/window.h"
#include "support/scenario_fixtures.h"

namespace {

class ShutdownTest : public ShellTest {};

TEST_F(ShutdownTest, NothingBuiltStillRunsEveryStepQuietly) {
    shut_down();
    EXPECT_EQ(trace, (std::vector<std::string>{"sprite lost", "textures", "sound", "device", "menu", "instance"}));
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(renderer_exists());
}

TEST_F(ShutdownTest, PartlyBuiltStateIsReleasedAndFatalMessageComesLast) {
    make_device();
    ASSERT_TRUE(batch_exists());
    fatal_error = 1;
    shut_down();
    EXPECT_FALSE(renderer_exists());
    EXPECT_FALSE(batch_exists());
    EXPECT_FALSE(window_exists());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, kMsgUnrecoverable);
    EXPECT_EQ(messages[0].caption, title_text);
    EXPECT_EQ(messages[0].icon, MessageIcon::Error);
    ASSERT_EQ(trace.size(), 7u);
    EXPECT_EQ(trace[5], "fatal message") << "after the device and the menu are gone";
    EXPECT_EQ(trace[6], "instance") << "the lock goes last";
    shut_down();  // twice is harmless
}

TEST_F(ShutdownTest, StartUpRunsInOrderAndWarnsOnceWhenThereIsNoSound) {
    TempFolder folder;
    CurrentDirectory cd(folder.path);
    write_game_data();
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);  // no sound device can be opened
    int started = start_up();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_EQ(started, 1) << "no sound is no reason to stop";
    EXPECT_EQ(trace, (std::vector<std::string>{"window", "device", "scenario", "textures", "credits", "cursor",
                                               "sprite reset", "sound", "show"}));
    ASSERT_EQ(messages.size(), 1u) << "one warning";
    EXPECT_EQ(messages[0].text, kMsgSoundFailed);
    EXPECT_EQ(messages[0].icon, MessageIcon::Warning);
    EXPECT_EQ(renderer_present_count(), 1) << "showing the window painted one frame";
    EXPECT_TRUE(window_exists());
    shut_down();
    EXPECT_FALSE(window_exists());
}

TEST_F(ShutdownTest, MissingPointerImageEndsStartUpAfterTheTextures) {
    TempFolder folder;
    CurrentDirectory cd(folder.path);
    write_file("data/GAME42297263", scrambled(script({"seq=0"})));
    EXPECT_EQ(start_up(), 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, kMsgStartupFailed);
    EXPECT_EQ(trace.back(), "cursor");
    shut_down();
}

TEST_F(ShutdownTest, MissingScriptEndsStartUpWithTheMessage) {
    TempFolder folder;
    CurrentDirectory cd(folder.path);
    EXPECT_EQ(start_up(), 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, kMsgStartupFailed);
    EXPECT_EQ(messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(trace.back(), "scenario") << "nothing after the scenario was tried";
    EXPECT_EQ(renderer_present_count(), 0) << "the window was never shown";
    shut_down();
}

TEST_F(ShutdownTest, RefusedSpriteResetAtStartUpFails) {
    TempFolder folder;
    CurrentDirectory cd(folder.path);
    write_game_data();
    batch_fail_next_reset(true);
    EXPECT_EQ(start_up(), 0);
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().text, kMsgStartupFailed);
    EXPECT_EQ(trace.back(), "sprite reset");
    shut_down();
}

TEST_F(ShutdownTest, DeviceCreationFallsBackAndStopsAtOnceWhenOutOfMemory) {
    renderer_set_offscreen_only(false);
    ASSERT_EQ(create_main_window(), 0);
    // Out of memory on the first attempt: no software attempt, the video-memory message.
    renderer_fail_next_creations(1, D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(create_device(), -1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, kMsgOutOfVideoMemory);
    // Another failure of the first attempt: the software renderer is tried.
    messages.clear();
    renderer_fail_next_creations(1, E_FAIL);
    EXPECT_EQ(create_device(), 0);
    EXPECT_EQ(renderer_kind(), RendererKind::Software);
    EXPECT_TRUE(messages.empty());
    // Both fail: the start-up message.
    renderer_fail_next_creations(2, E_FAIL);
    EXPECT_EQ(create_device(), -1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, kMsgStartupFailed);
}

TEST_F(ShutdownTest, TerminationRequestEndsAnOpenDialogAndThenTheLoop) {
    TempFolder folder;
    CurrentDirectory cd(folder.path);
    write_game_data();
    ASSERT_EQ(start_up(), 1);
    struct Forget {
        ~Forget() { termination_set(false); }
    } forget;
    termination_set(true);
    // A dialog open when the request comes ends as if cancelled (a real window on the dummy
    // driver: no answer is preset).
    DialogContent content{title_text, nullptr, nullptr, nullptr};
    EXPECT_EQ(dialog_run(content, DialogHooks{nullptr, nullptr}), kDialogCancel);
    // The loop ends at its next turn with the window gone, ready for the usual shutdown.
    EXPECT_EQ(run_message_loop(), 0);
    EXPECT_TRUE(app_quit_posted());
    EXPECT_FALSE(window_exists());
    shut_down();
    EXPECT_EQ(trace.back(), "instance");
}

}  // namespace
