// The overlay menu: label textures made at start-up, the click test and the animated drawing.
#include "scene/menu_overlay.h"

#include "common/flags.h"
#include "common/messages.h"
#include "gfx/device.h"
#include "gfx/text.h"
#include "gfx/textures.h"
#include "platform/video/sprite.h"

MenuOverlay menu_overlay;

const char kMenuLabels[kMenuRows][kMenuColumns][kMenuLabelBytes] = {
    {"\x83\x4c\x83\x83\x83\x93\x83\x5a\x83\x8b",                  // キャンセル
     "\x83\x74\x83\x8b\x83\x58\x83\x4e\x83\x8a\x81\x5b\x83\x93",  // フルスクリーン
     "\x8f\x49\x97\xb9"},                                         // 終了
    {"\x83\x4c\x83\x83\x83\x93\x83\x5a\x83\x8b",                  // キャンセル
     "\x83\x45\x83\x42\x83\x93\x83\x68\x83\x45",                  // ウィンドウ
     "\x8f\x49\x97\xb9"},                                         // 終了
};

namespace {

const char kMenuFontFace[] = "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e";  // ＭＳ ゴシック
constexpr int kMenuFontSize = 33;
constexpr uint32_t kLabelTextColour = 0x00FFFFFF;
constexpr uint32_t kLabelBackColour = 0xFF474747;
constexpr uint32_t kPanelColour = 0xFF0000FF;
constexpr uint32_t kHalfOpaque = 0x7FFFFFFF;
constexpr uint32_t kOpaque = 0xFFFFFFFF;

bool inside(int x, int y, int left, int top, int width, int height) {
    return x >= left && x < left + width && y >= top && y < top + height;
}

// Vanishes without animation (the mode switch and quit).
void hide_menu_at_once() {
    menu_open = 0;
    menu_animating = 0;
    menu_anim_counter = -1;
}

}  // namespace

int create_menu_overlay() {
    MenuOverlay& m = menu_overlay;
    release_menu_overlay();
    m.font_face = kMenuFontFace;
    m.font_size = kMenuFontSize;
    m.label_text_colour = kLabelTextColour;
    m.label_back_colour = kLabelBackColour;
    m.panel_colour = kPanelColour;
    m.canvas_width = 800;
    m.canvas_height = 600;
    m.panel_width = kMenuPanelWidth;
    m.panel_height = kMenuPanelHeight;
    m.panel_x = kMenuPanelX;
    m.panel_y = kMenuPanelY;
    for (int row = 0; row < kMenuRows; ++row) {
        for (int col = 0; col < kMenuColumns; ++col) {
            const char* label = kMenuLabels[row][col];
            MenuLabelSize& size = m.menu_label_sizes[row][col];
            if (measure_text(m.font_face, m.font_size, label, &size.width, &size.height) < 0) {
                show_error(kMsgStartupFailed);
                return -1;
            }
            Texture*& texture = m.menu_label_textures[row][col];
            if (create_or_report(size.width, size.height, PixelFormat::X8R8G8B8, &texture) != 0) return -1;
            if (fill_texture(texture, m.label_back_colour) != 0 ||
                draw_text_to_texture(texture, m.font_face, m.font_size, 0, 0, m.label_text_colour,
                                     label) < 0) {
                show_error(kMsgStartupFailed);
                return -1;
            }
        }
    }
    if (create_or_report(m.panel_width, m.panel_height, PixelFormat::X8R8G8B8, &m.menu_panel_texture) != 0)
        return -1;
    if (fill_texture(m.menu_panel_texture, m.panel_colour) != 0) {
        show_error(kMsgStartupFailed);
        return -1;
    }
    return 0;
}

void release_menu_overlay() {
    MenuOverlay& m = menu_overlay;
    for (auto& row : m.menu_label_textures)
        for (Texture*& texture : row) texture_release(texture);
    texture_release(m.menu_panel_texture);
}

void open_menu() {
    menu_anim_counter = kMenuPanelWidth;
    menu_open = 1;
    menu_animating = 1;
}

void close_menu() {
    menu_anim_counter = kMenuPanelWidth;
    menu_open = 0;
    menu_animating = 1;
}

int menu_visible() { return menu_animating == 1 || menu_open == 1 ? 1 : 0; }

MenuLayout menu_layout() {
    const MenuOverlay& m = menu_overlay;
    MenuLayout layout{};
    layout.row = present_params.windowed != 1 ? 1 : 0;
    const MenuLabelSize* s = m.menu_label_sizes[layout.row];
    const int gap = (kMenuPanelWidth - s[0].width - s[1].width - s[2].width) / 4;
    const int left = (800 - kMenuPanelWidth) / 2;
    layout.x[0] = left + gap;
    layout.x[1] = layout.x[0] + s[0].width + gap;
    layout.x[2] = layout.x[1] + s[1].width + gap;
    layout.y = (600 - s[0].height) / 2;
    return layout;
}

int menu_click() {
    const MenuLayout layout = menu_layout();
    const MenuLabelSize* s = menu_overlay.menu_label_sizes[layout.row];
    const int x = click_x;
    const int y = click_y;
    if (inside(x, y, layout.x[0], layout.y, s[0].width, s[0].height)) {
        close_menu();
        return kMenuClickNothing;
    }
    if (inside(x, y, layout.x[1], layout.y, s[1].width, s[1].height)) {
        hide_menu_at_once();
        return kMenuClickSwitchMode;
    }
    if (inside(x, y, layout.x[2], layout.y, s[2].width, s[2].height)) {
        hide_menu_at_once();
        return kMenuClickQuit;
    }
    if (inside(x, y, kMenuPanelX, kMenuPanelY, kMenuPanelWidth, kMenuPanelHeight)) return kMenuClickNothing;
    if (inside(x, y, 0, 0, 800, 600)) close_menu();
    return kMenuClickNothing;
}

int draw_menu() {
    const MenuOverlay& m = menu_overlay;
    const int c = menu_anim_counter;
    if (c < 0) {
        menu_anim_counter = -1;
        if (menu_open == 1) {
            batch_draw(m.menu_panel_texture, nullptr, kMenuPanelX, kMenuPanelY, kHalfOpaque);
            const MenuLayout layout = menu_layout();
            for (int col = 0; col < kMenuColumns; ++col)
                batch_draw(m.menu_label_textures[layout.row][col], nullptr, static_cast<float>(layout.x[col]),
                           static_cast<float>(layout.y), kOpaque);
        }
        menu_animating = 0;
        return 0;
    }
    const int half_w = kMenuPanelWidth / 2;
    const int half_h = kMenuPanelHeight / 2;
    int a, b;
    if (menu_open == 1) {  // grows from nothing
        a = (kMenuPanelWidth - c) / 2;
        b = (kMenuPanelHeight - kMenuPanelHeight * c / kMenuPanelWidth) / 2;
    } else {  // shrinks to nothing
        a = c / 2;
        b = (kMenuPanelHeight * c / kMenuPanelWidth) / 2;
    }
    const SpriteRect src{half_w - a, half_h - b, half_w + a, half_h + b};
    batch_draw(m.menu_panel_texture, &src, static_cast<float>(kMenuPanelX + src.left),
               static_cast<float>(kMenuPanelY + src.top), kHalfOpaque);
    menu_anim_counter -= kMenuAnimStep;
    return 0;
}
