// The in-game overlay menu: a translucent panel across the middle of the canvas with "cancel",
// a display-mode label and "quit", opening from and closing to its centre over 13 frames.
#pragma once
#include <cstdint>

#include "platform/video/texture.h"

constexpr int kMenuRows = 2;      // 0 while windowed, 1 while full-screen
constexpr int kMenuColumns = 3;   // cancel, display mode, quit
constexpr int kMenuLabelBytes = 20;
constexpr int kMenuPanelWidth = 640;   // pixels
constexpr int kMenuPanelHeight = 150;  // pixels
constexpr int kMenuPanelX = 80;        // canvas pixels
constexpr int kMenuPanelY = 225;       // canvas pixels
constexpr int kMenuAnimStep = 50;      // counter decrease per drawn frame

// What menu_click hands back.
constexpr int kMenuClickNothing = 0;
constexpr int kMenuClickSwitchMode = 1;
constexpr int kMenuClickQuit = -9;

struct MenuLabelSize {
    int width;   // pixels
    int height;  // pixels
};

// The overlay's textures and constants. `menu_open`, `menu_animating` and `menu_anim_counter`
// live in common/flags.h.
struct MenuOverlay {
    Texture* menu_label_textures[kMenuRows][kMenuColumns] = {};  // X8R8G8B8, label size; owned
    Texture* menu_panel_texture = nullptr;                        // 640x150 X8R8G8B8; owned
    MenuLabelSize menu_label_sizes[kMenuRows][kMenuColumns] = {};  // measured, pixels
    const char* font_face = nullptr;   // Shift-JIS face name
    int font_size = 0;                 // points
    uint32_t label_text_colour = 0;    // GDI value 0x00BBGGRR
    uint32_t label_back_colour = 0;    // ARGB
    uint32_t panel_colour = 0;         // ARGB
    int canvas_width = 0;              // pixels
    int canvas_height = 0;             // pixels
    int panel_width = 0;               // pixels
    int panel_height = 0;              // pixels
    int panel_x = 0;                   // canvas pixels
    int panel_y = 0;                   // canvas pixels
};

extern MenuOverlay menu_overlay;

// The label texts, [row][column], Shift-JIS.
extern const char kMenuLabels[kMenuRows][kMenuColumns][kMenuLabelBytes];

// Where the chosen row's labels lie: label i spans [x[i], x[i] + width) x [y, y + height).
struct MenuLayout {
    int row;             // 0 or 1
    int x[kMenuColumns]; // canvas pixels
    int y;               // canvas pixels, shared by all three
};

// Measures and renders the six labels and fills the panel. 0, or -1 after a message.
int create_menu_overlay();
// Releases the label and panel textures (null-safe).
void release_menu_overlay();
void open_menu();
void close_menu();
// 1 while the overlay is open or animating.
int menu_visible();
// The row for the active display mode and the labels' places.
MenuLayout menu_layout();
// A left press at (click_x, click_y) on the open overlay: 0, 1 (switch the display mode) or
// -9 (quit).
int menu_click();
// Draws the growing or shrinking panel, or the open panel with its labels. Returns 0.
int draw_menu();
