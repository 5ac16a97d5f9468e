// The staff roll that ends the story: fades to white and black, thirteen lines fading in,
// holding and scrolling up, a wait for the ending music, a fade-out, and the restart.
#pragma once
#include <cstdint>

constexpr int kCreditItems = 13;
constexpr int kCreditStates = 10;        // states 0..9
constexpr uint32_t kMusicWaitMs = 136000;
constexpr uint32_t kMusicGraceMs = 1500;  // added to the music wait

// One line of the roll.
struct CreditItem {
    const char* text;       // Shift-JIS
    const char* font_name;  // Shift-JIS face name
    int32_t font_size;      // points
    int32_t atlas_x;        // left of its box in the roll texture, pixels
    int32_t atlas_y;        // top of its box in the roll texture, pixels
    int32_t width;          // measured text block, pixels
    int32_t height;         // measured text block, pixels
    int32_t x;              // left on the roll, canvas pixels
    int32_t y;              // top on the roll before scrolling, canvas pixels
};

// The roll's lines, layout and state machine. Its flags `credits_start_pending`, `credits_mode`
// and `clear_to_black` live in common/flags.h. The roll texture is the scene transition's
// previous_image; the fades paint current_image.
struct CreditsRoll {
    CreditItem items[kCreditItems];  // 0 title, 1 heading, 2..11 role/name pairs, 12 closing
    int32_t gap_after_title;      // pixels, 400
    int32_t gap_after_heading;    // pixels, 320
    int32_t gap_between_pairs;    // pixels, 320
    int32_t gap_before_closing;   // pixels, 760
    uint32_t roll_text_colour;    // GDI value, white
    uint32_t roll_fill_colour;    // ARGB, opaque black
    int state;                    // 0..9
    int32_t level;                // fade level
    int32_t hold;                 // frames left to hold
    float scroll;                 // pixels scrolled, +0.5 per frame
    int32_t scroll_end;           // scroll at which the closing line stands centred, pixels
    uint32_t music_wait;          // milliseconds, 136000
    uint32_t start_time;          // clock milliseconds when the ending sound started
};

extern CreditsRoll credits_roll;

// A box in the roll texture, all four edges inclusive.
struct CreditBox {
    int32_t left, top, right, bottom;
};

// Fills the lines, measures them, packs them and lays out the roll. 0, or -1 when a line cannot
// be measured or packed (start-up then reports the failure).
int setup_credits();
// Places each item's box (first fit) in a width x height texture. 0, or -1 when one does not fit.
int pack_credit_items(CreditItem* items, int count, int width, int height);
// True when a corner of either box lies inside the other, edges included.
bool boxes_touch(const CreditBox& first, const CreditBox& second);
// The frame step's first act: turns a pending request into credits mode at state 0.
void begin_credits_if_requested();
// One step of the roll per frame. 0, or -1 when a fill or text render failed (retried next frame).
int draw_credits();
// How long the staff roll's picture stays as it is: 0 when it moves at the next frame, else the
// milliseconds left of its timed wait for the ending music (its only state that stands still).
uint32_t credits_still_for_ms();
