// The speech balloon: up to ten pages of text on a half-transparent panel along the bottom of the
// canvas, opening from and closing to its centre over 16 frames.
#pragma once
#include <cstdint>
#include <string>

#include "platform/video/texture.h"
#include "scenario/scenario.h"

constexpr int kBalloonWidth = 792;        // pixels
constexpr int kBalloonHeight = 196;       // pixels
constexpr int kBalloonX = 4;              // canvas x of the left edge
constexpr int kBalloonY = 400;            // canvas y of the top edge
constexpr int kBalloonAnimStep = 50;      // counter decrease per drawn frame
constexpr uint32_t kBalloonTextColour = 0x00FFFFFF;   // GDI value, white
constexpr uint32_t kBalloonPanelColour = 0xFF0000FF;  // ARGB, opaque blue

// The balloon's textures, pages and animation. `balloon_open` and `balloon_animating` live in
// common/flags.h.
struct SpeechBalloon {
    Texture* text_texture = nullptr;     // 792x196 A8R8G8B8: the page text; owned
    Texture* scratch_texture = nullptr;  // 792x196 X8R8G8B8: text is drawn here first; owned
    Texture* panel_texture = nullptr;    // 792x196 X8R8G8B8: filled with panel_colour; owned
    uint32_t text_colour = 0;            // GDI value 0x00BBGGRR
    uint32_t panel_colour = 0;           // ARGB
    int page_count = 0;                  // pages of the balloon now open, 1..10
    std::string page_font_names[kMaxPages];  // font face of each page
    int page_font_sizes[kMaxPages] = {};     // font size of each page, points
    std::string page_texts[kMaxPages];       // Shift-JIS text of each page
    int balloon_width = 0;               // pixels, 792
    int balloon_height = 0;              // pixels, 196
    int balloon_x = 0;                   // canvas pixels, 4
    int balloon_y = 0;                   // canvas pixels, 400
    int balloon_anim_counter = -1;       // 792 at an animation's start, -50 per frame; -1 at rest
    int page_index = 0;                  // page shown, 0..page_count-1 (page_count once closing)
};

extern SpeechBalloon speech_balloon;

// Opens the balloon with pages 0..page_count-1 of the arrays and renders page 0.
// 0, or -1 when page 0 could not be rendered (the balloon opens all the same) or the page count
// is not 1..10 (nothing happens).
int open_balloon(int page_count, const std::string* font_names, const int32_t* font_sizes,
                 const std::string* texts);
// Shows the next page, or starts closing after the last. 0, or -1 when rendering failed.
int advance_balloon();
// Renders page index into text_texture: its length, or -1.
int render_balloon_page(int index);
// Draws the balloon: the growing or shrinking panel, or the open panel with its text. Returns 0.
int draw_balloon();

// Makes the balloon's text, scratch and panel textures, 792x196. 0, or -1 after a message.
int create_balloon_textures();
// Releases them (null-safe).
void release_balloon_textures();
