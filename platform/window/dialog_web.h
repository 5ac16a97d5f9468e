// Information dialogs in the browser build: the page has one canvas, so a dialog is a box drawn
// over the game's picture, and the browser's main loop cannot wait inside it. dialog_run opens
// the box and returns at once (kDialogOk); the box then takes every input until OK, Enter,
// Space, Esc or its close box ends it, and the game's frames stand still meanwhile, as behind
// a modal dialog on the desktop.
#pragma once

// True while a dialog box is open.
bool web_dialog_open();
// One turn of the page's main loop while a dialog box is open: its input, and its picture when
// that changed.
void web_dialog_turn();
