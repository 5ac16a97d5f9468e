// The menu bar built from menu 109: mnemonics, command ids and the labels' text.
#include <cctype>
#include <cstring>
#include <string>

#include "app/app.h"
#include "resources/resources.h"

namespace {

constexpr int kPlaceholderPixelsPerByte = 6;  // a label's width while no text is drawn

// The label's texts with "&" taken out, and the letter it marked.
struct StrippedLabel {
    std::string shown;  // Shift-JIS as displayed
    std::string before; // the part before the mnemonic letter
    char mnemonic;      // upper-case letter, or 0
};

StrippedLabel strip(const char* label) {
    StrippedLabel s{"", "", 0};
    for (const char* p = label; *p; ++p) {
        if (*p == '&' && p[1] && p[1] != '&' && !s.mnemonic) {
            s.before = s.shown;
            s.mnemonic = static_cast<char>(std::toupper(static_cast<unsigned char>(p[1])));
            continue;
        }
        s.shown += *p;
    }
    return s;
}

MenuLabel make_label(const char* label) {
    StrippedLabel s = strip(label);
    MenuLabel l{};
    l.texture = nullptr;
    l.placeholder_width = static_cast<int>(s.shown.size()) * kPlaceholderPixelsPerByte;
    if (s.mnemonic) {
        l.underline_x = static_cast<int>(s.before.size()) * kPlaceholderPixelsPerByte;
        l.underline_width = kPlaceholderPixelsPerByte;
    }
    return l;
}

}  // namespace

MenuBarSpec build_menu_bar() {
    MenuBarSpec spec{};
    spec.popup_count = kMenuPopupCount;
    for (int i = 0; i < kMenuPopupCount; ++i) {
        const MenuPopupResource& r = menu_109[i];
        MenuPopupSpec& p = spec.popups[i];
        p.label = make_label(r.label);
        p.mnemonic = strip(r.label).mnemonic;
        p.item_count = r.item_count;
        for (int k = 0; k < r.item_count; ++k) {
            p.items[k].label = make_label(r.items[k].label);
            p.items[k].mnemonic = strip(r.items[k].label).mnemonic;
            p.items[k].command = r.items[k].command;
        }
    }
    return spec;
}

Texture* make_text_label(const char*, const char*, int) { return nullptr; }

void release_menu_labels() {}
