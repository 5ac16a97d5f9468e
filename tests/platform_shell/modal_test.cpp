// A modal window's answer and the game window under it: the rest of the click that answered it
// is not the game's.
#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/window/dialog.h"
#include "platform/window/sdl_shared.h"
#include "platform/window/window.h"

namespace {

constexpr int kBar = 20;  // menu bar height above the canvas, window pixels

// The dialog's idle hook: answers it with its close box and queues a press on the game window's
// canvas behind that answer, once.
bool answered = false;
void answer_with_a_press_behind() {
    if (answered) return;
    answered = true;
    const Uint32 main_id = SDL_GetWindowID(sdl_main_window());
    Uint32 dialog_id = 0;
    for (Uint32 id = main_id + 1; id < main_id + 64; ++id)
        if (SDL_GetWindowFromID(id)) dialog_id = id;
    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.windowID = dialog_id;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&close);
    window_inject(RawInput::LeftDown, 400, kBar + 300);
}

// The presses on the canvas among the queued events.
int canvas_presses() {
    int presses = 0;
    WindowEvent e;
    while (window_poll_event(&e)) presses += e.kind == WindowEventKind::LeftPress;
    return presses;
}

TEST(ModalWindow, APressQueuedBehindItsAnswerDoesNotReachTheGameWindow) {
    ASSERT_EQ(window_create("modal"), 0);
    window_show();
    canvas_presses();  // the window's own set-up events
    DialogContent content{"about", nullptr, nullptr, nullptr};
    EXPECT_EQ(dialog_run(content, DialogHooks{nullptr, answer_with_a_press_behind}), kDialogCancel);
    EXPECT_TRUE(answered);
    EXPECT_EQ(canvas_presses(), 0);
    window_inject(RawInput::LeftDown, 400, kBar + 300);
    EXPECT_EQ(canvas_presses(), 1) << "the next click is the game's";
    window_release();
}

}  // namespace
