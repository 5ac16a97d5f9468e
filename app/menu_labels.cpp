// The menu bar built from menu 109: mnemonics, command ids and the labels' text.
#include <cctype>
#include <cstring>
#include <string>

#include "app/app.h"
#include "gfx/text.h"
#include "resources/resources.h"

namespace {

constexpr int kPlaceholderPixelsPerByte = 6;  // a label's width when its text cannot be drawn
constexpr const char* kMenuFont = "MS UI Gothic";
constexpr int kMenuPoints = 9;
constexpr int kMaxLabels = kMenuPopupCount * (kMenuMaxItems + 1);

// The label textures the menu bar shows; released at shutdown.
Texture* label_textures[kMaxLabels] = {};
int label_count = 0;

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

int text_width(const std::string& text) {
    int w = 0, h = 0;
    return measure_text(kMenuFont, kMenuPoints, text.c_str(), &w, &h) < 0 ? -1 : w;
}

MenuLabel make_label(const char* label) {
    StrippedLabel s = strip(label);
    MenuLabel l{};
    l.placeholder_width = static_cast<int>(s.shown.size()) * kPlaceholderPixelsPerByte;
    if (s.mnemonic) {
        l.underline_x = static_cast<int>(s.before.size()) * kPlaceholderPixelsPerByte;
        l.underline_width = kPlaceholderPixelsPerByte;
    }
    Texture* t = make_text_label(s.shown.c_str(), kMenuFont, kMenuPoints);
    if (!t || label_count >= kMaxLabels) {
        texture_release(t);
        return l;  // a plain block stands in for the text
    }
    label_textures[label_count++] = t;
    l.texture = t;
    int before = text_width(s.before), letter = text_width(std::string(1, s.mnemonic));
    if (s.mnemonic && before >= 0 && letter > 0) {
        l.underline_x = before;
        l.underline_width = letter;
    }
    return l;
}

}  // namespace

MenuBarLayout build_menu_bar() {
    release_menu_labels();
    MenuBarLayout layout{};
    layout.popup_count = kMenuPopupCount;
    for (int i = 0; i < kMenuPopupCount; ++i) {
        const MenuPopupResource& r = menu_109[i];
        MenuPopupLayout& p = layout.popups[i];
        p.label = make_label(r.label);
        p.mnemonic = strip(r.label).mnemonic;
        p.item_count = r.item_count;
        for (int k = 0; k < r.item_count; ++k) {
            p.items[k].label = make_label(r.items[k].label);
            p.items[k].mnemonic = strip(r.items[k].label).mnemonic;
            p.items[k].command = r.items[k].command;
        }
    }
    return layout;
}

Texture* make_text_label(const char* text, const char* face, int points) {
    int w = 0, h = 0;
    if (measure_text(face, points, text, &w, &h) < 0 || w <= 0 || h <= 0) return nullptr;
    Texture* alpha = nullptr;
    Texture* scratch = nullptr;
    if (failed(texture_create(w, h, PixelFormat::A8R8G8B8, &alpha)) ||
        failed(texture_create(w, h, PixelFormat::X8R8G8B8, &scratch)) ||
        render_alpha_text(alpha, scratch, 0x00000000, face, points, text) < 0)
        texture_release(alpha);
    texture_release(scratch);
    return alpha;
}

void release_menu_labels() {
    for (int i = 0; i < label_count; ++i) texture_release(label_textures[i]);
    label_count = 0;
}
