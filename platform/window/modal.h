// The small modal windows of our own (information dialogs, message boxes): the window with its
// software renderer, the OK button and the loop that runs until the window is answered.
// Not for game code: it names SDL types.
#pragma once
#include <SDL.h>

#include "platform/window/dialog.h"

// A modal window's SDL objects and its OK button; released together.
struct ModalWindow {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    Uint32 id = 0;        // SDL window id
    int width = 0;        // pixels of the window's inside
    int height = 0;
    SDL_Rect button{};    // the OK button, window pixels
    SDL_Texture* ok = nullptr;  // the button's text (glyphs in the alpha channel), or null
    int ok_w = 0, ok_h = 0;     // its size, pixels
    ModalWindow() = default;
    ModalWindow(const ModalWindow&) = delete;
    ModalWindow& operator=(const ModalWindow&) = delete;
    ~ModalWindow();
};

// Makes the window hidden, width x height pixels (enlarged on screen by the game window's scale,
// with drawing and pointer positions in those pixels), titled in UTF-8: centred over the game
// window while that is on screen, else on the desktop. False when the window or its renderer cannot be
// made (SDL's video must be up).
bool modal_open(ModalWindow* m, const char* title_utf8, int width, int height);

// Draws the default push button (a blue frame, a face that darkens while pressed, the OK text).
void modal_paint_button(ModalWindow* m, bool pressed);

// Shows the window over its owner and runs it until it is answered: OK clicked, Enter or Space
// (kDialogOk), Esc, the close box, a quit request or a termination request (kDialogCancel).
// paint draws the whole inside and presents it; the hooks serve the game window meanwhile.
int modal_run(ModalWindow* m, void (*paint)(ModalWindow* m, bool pressed, void* context), void* context,
              const DialogHooks& hooks);
