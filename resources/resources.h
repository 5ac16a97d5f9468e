// The program's resources compiled into it: string table, menu 109, dialogs 103 and 104,
// bitmaps 130 and 131 and the icon (the pictures are our own artwork drawn by code).
#pragma once
#include <cstdint>

#include "platform/video/texture.h"

// String table.
constexpr int kStringTitle = 103;  // "ぽろみな": window title and message-box caption
constexpr int kStringClass = 109;  // "ぽろみな": window class name
// Copies string id (Shift-JIS, NUL-terminated, cut to capacity - 1 bytes) into buf. Returns its
// length, or 0 for an unknown id (buf then holds "").
int load_string(int id, char* buf, int capacity);

// Menu 109: three pop-ups. Labels are Shift-JIS with '&' before the mnemonic letter.
constexpr int kMenuMain = 109;
constexpr int kCmdAbout = 104;         // "ぽろみなについて(&A)...": dialog 103
constexpr int kCmdExit = 105;          // "ゲームの終了(&X)": end the game
constexpr int kCmdToggleMode = 32774;  // "フルスクリーン(&F)": switch the display mode
constexpr int kCmdHowToPlay = 32775;   // "ぽろみなの操作方法(&H)": dialog 104
constexpr int kMenuPopupCount = 3;
constexpr int kMenuMaxItems = 2;

struct MenuItemResource {
    const char* label;  // Shift-JIS with '&'
    int command;        // id delivered when chosen
};

struct MenuPopupResource {
    const char* label;  // Shift-JIS with '&'
    int item_count;     // 1..kMenuMaxItems
    MenuItemResource items[kMenuMaxItems];
};

extern const MenuPopupResource menu_109[kMenuPopupCount];

// Dialogs 103 and 104.
constexpr int kDialogAbout = 103;
constexpr int kDialogHowToPlay = 104;
constexpr int kBitmapAbout = 130;
constexpr int kBitmapHowToPlay = 131;
constexpr int kBitmapWidth = 400;   // pixels
constexpr int kBitmapHeight = 300;  // pixels

struct DialogResource {
    int id;             // 103 or 104
    const char* title;  // Shift-JIS window title
    int bitmap;         // picture shown: 130 or 131
    const char* text;   // Shift-JIS line under the picture, or null
    const char* ok;     // the button's label
    const char* font;   // Shift-JIS face of the dialog's text
    int font_points;    // points
};

// The dialog with this id, or null.
const DialogResource* find_dialog(int id);

// Draws bitmap id (130 or 131) into a new 400x300 X8R8G8B8 texture. S_OK, or the texture
// creation's failure, or E_INVALIDARG for an unknown id.
HRESULT make_bitmap(int id, Texture** out);

// Icon 107 at 16, 32 or 48 pixels: writes size x size pixels 0xAARRGGBB into out.
constexpr int kIconSizes[] = {16, 32, 48};
void make_icon(int size, uint32_t* out);
