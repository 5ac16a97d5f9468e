// String table, menu 109 and the dialogs' data (texts are Shift-JIS bytes).
#include <cstring>

#include "resources/resources.h"

namespace {

// "ぽろみな"
const char kTitle[] = "\x82\xdb\x82\xeb\x82\xdd\x82\xc8";
// "ゲーム(&G)"
const char kMenuGame[] = "\x83\x51\x81\x5b\x83\x80\x28\x26\x47\x29";
// "ゲームの終了(&X)"
const char kMenuGameExit[] = "\x83\x51\x81\x5b\x83\x80\x82\xcc\x8f\x49\x97\xb9\x28\x26\x58\x29";
// "表示(&V)"
const char kMenuView[] = "\x95\x5c\x8e\xa6\x28\x26\x56\x29";
// "フルスクリーン(&F)"
const char kMenuViewFullscreen[] =
    "\x83\x74\x83\x8b\x83\x58\x83\x4e\x83\x8a\x81\x5b\x83\x93\x28\x26\x46\x29";
// "ヘルプ(&H)"
const char kMenuHelp[] = "\x83\x77\x83\x8b\x83\x76\x28\x26\x48\x29";
// "ぽろみなの操作方法(&H)"
const char kMenuHelpHowTo[] =
    "\x82\xdb\x82\xeb\x82\xdd\x82\xc8\x82\xcc\x91\x80\x8d\xec\x95\xfb\x96\x40\x28\x26\x48\x29";
// "ぽろみなについて(&A)..."
const char kMenuHelpAbout[] =
    "\x82\xdb\x82\xeb\x82\xdd\x82\xc8\x82\xc9\x82\xc2\x82\xa2\x82\xc4\x28\x26\x41\x29\x2e\x2e\x2e";
// "ぽろみなについて"
const char kDialogAboutTitle[] = "\x82\xdb\x82\xeb\x82\xdd\x82\xc8\x82\xc9\x82\xc2\x82\xa2\x82\xc4";
// "ぽろみなの操作方法"
const char kDialogHowToTitle[] = "\x82\xdb\x82\xeb\x82\xdd\x82\xc8\x82\xcc\x91\x80\x8d\xec\x95\xfb\x96\x40";
// "バージョン 1.0.3.0"
const char kDialogVersion[] = "\x83\x6f\x81\x5b\x83\x57\x83\x87\x83\x93\x20\x31\x2e\x30\x2e\x33\x2e\x30";
const char kOk[] = "OK";
const char kDialogFont[] = "MS UI Gothic";

struct StringResource {
    int id;
    const char* text;
};

const StringResource kStrings[] = {
    {kStringTitle, kTitle},
    {kStringClass, kTitle},
};

const DialogResource kDialogs[] = {
    {kDialogAbout, kDialogAboutTitle, kBitmapAbout, kDialogVersion, kOk, kDialogFont, 9},
    {kDialogHowToPlay, kDialogHowToTitle, kBitmapHowToPlay, nullptr, kOk, kDialogFont, 9},
};

}  // namespace

const MenuPopupResource menu_109[kMenuPopupCount] = {
    {kMenuGame, 1, {{kMenuGameExit, kCmdExit}}},
    {kMenuView, 1, {{kMenuViewFullscreen, kCmdToggleMode}}},
    {kMenuHelp, 2, {{kMenuHelpHowTo, kCmdHowToPlay}, {kMenuHelpAbout, kCmdAbout}}},
};

int load_string(int id, char* buf, int capacity) {
    if (!buf || capacity <= 0) return 0;
    buf[0] = '\0';
    for (const StringResource& s : kStrings) {
        if (s.id != id) continue;
        int n = static_cast<int>(std::strlen(s.text));
        if (n > capacity - 1) n = capacity - 1;
        std::memcpy(buf, s.text, n);
        buf[n] = '\0';
        return n;
    }
    return 0;
}

const DialogResource* find_dialog(int id) {
    for (const DialogResource& d : kDialogs)
        if (d.id == id) return &d;
    return nullptr;
}
