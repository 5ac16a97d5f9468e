// Modal information dialogs (the dialog box's stand-in): a small window of our own with a
// picture, an optional line of text and an OK button. Enter, Esc, the close box and a
// termination request (SIGTERM, SIGINT) end it.
#pragma once

#include "platform/video/texture.h"

constexpr int kDialogOk = 1;      // ended by OK or Enter
constexpr int kDialogCancel = 2;  // ended by Esc or the close box

struct DialogContent {
    const char* title_sjis;   // window title
    const Texture* picture;   // shown at the top left inside the margin; null: none
    const Texture* text;      // a line of text under the picture (A8R8G8B8 glyph mask); null: none
    const Texture* ok_label;  // the button's text (A8R8G8B8 glyph mask); null: a plain button
};

// Called while the dialog runs: paint when the game window needs painting, idle about every
// 100 ms. Either may be null.
struct DialogHooks {
    void (*paint)();
    void (*idle)();
};

// Runs the dialog until it ends; the game window takes no input meanwhile. Returns kDialogOk or
// kDialogCancel, or -1 when the dialog window cannot be made.
int dialog_run(const DialogContent& content, const DialogHooks& hooks);

// Test seam: while set, dialog_run answers this result at once without a window (0: off).
void dialog_answer_with(int result);
