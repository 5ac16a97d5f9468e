// The staff roll: the thirteen lines, their packing into the roll texture, the layout and the
// per-frame state machine that ends with the story starting again.
#include "scene/credits.h"

#include "common/flags.h"
#include "gfx/text.h"
#include "platform/system/clock.h"
#include "platform/video/sprite.h"
#include "resources/credits.h"
#include "scenario/scenario.h"
#include "scene/hotspot.h"
#include "scene/transition.h"
#include "sound/sound.h"

CreditsRoll credits_roll;

namespace {

const char kFontPGothic[] = "\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e";  // ＭＳ Ｐゴシック
const char kFontPMincho[] = "\x82\x6c\x82\x72\x20\x82\x6f\x96\xbe\x92\xa9";                  // ＭＳ Ｐ明朝

// ---- The roll's lines: the title, the heading, five roles each followed by who did it, and the
// ---- closing line. Everything in this game was made by the project itself, so every credited
// ---- line and the closing line is the project's name (resources/credits.h).
const char* const kCreditTexts[kCreditItems] = {
    "\x82\xdb\x82\xeb\x82\xdd\x82\xc8",                           // ぽろみな
    "\x90\xa7\x8d\xec\x83\x58\x83\x5e\x83\x62\x83\x74",           // 制作スタッフ
    "\x83\x56\x83\x69\x83\x8a\x83\x49\x20\x89\xb9\x8a\x79\x89\x89\x8f\x6f\x20\x8a\x47\x83\x52\x83\x93"
    "\x83\x65",                                                   // シナリオ 音楽演出 絵コンテ
    kCreditedName,
    "\x90\xba",                                                   // 声
    kCreditedName,
    "\x89\xb9\x8a\x79\x20\x8c\xf8\x89\xca\x89\xb9",               // 音楽 効果音
    kCreditedName,
    "\x83\x43\x83\x89\x83\x58\x83\x67",                           // イラスト
    kCreditedName,
    "\x83\x66\x83\x42\x83\x8c\x83\x4e\x83\x5e\x81\x5b\x20\x83\x76\x83\x8d\x83\x4f\x83\x89\x83\x7e\x83"
    "\x93\x83\x4f\x20\x8c\xf8\x89\xca\x89\xb9",                   // ディレクター プログラミング 効果音
    kCreditedName,
    kCreditedName,
};

constexpr int kTitleItem = 0;
constexpr int kHeadingItem = 1;
constexpr int kFirstRoleItem = 2;
constexpr int kClosingItem = 12;
constexpr int kTitleSize = 72;
constexpr int kLineSize = 36;
constexpr int kRollWidth = 800;   // the roll texture, pixels
constexpr int kRollHeight = 600;
constexpr uint32_t kOpaque = 0xFFFFFFFF;

uint32_t with_alpha(int32_t a) { return ((static_cast<uint32_t>(a) & 0xFF) << 24) | 0x00FFFFFF; }

CreditBox box_of(const CreditItem& item) {
    return {item.atlas_x, item.atlas_y, item.atlas_x + item.width - 1, item.atlas_y + item.height - 1};
}

bool holds(const CreditBox& box, int32_t x, int32_t y) {
    return box.left <= x && x <= box.right && box.top <= y && y <= box.bottom;
}

// Whether item i at (cx, cy) lies inside the texture and touches none of the items before it.
bool acceptable(const CreditItem* items, int i, int32_t cx, int32_t cy, int width, int height) {
    const int32_t far_x = cx + items[i].width - 1;
    const int32_t far_y = cy + items[i].height - 1;
    if (far_x < 0 || far_x >= width || far_y < 0 || far_y >= height) return false;
    const CreditBox candidate{cx, cy, far_x, far_y};
    for (int k = 0; k < i; ++k)
        if (boxes_touch(candidate, box_of(items[k]))) return false;
    return true;
}

void draw_picture(uint32_t colour) { batch_draw(scene_transition.current_image, nullptr, 0.0f, 0.0f, colour); }

// Draws the 13 lines from the roll texture, scrolled up by s pixels.
void draw_roll(int32_t s, uint32_t colour) {
    for (const CreditItem& item : credits_roll.items) {
        const SpriteRect src{item.atlas_x, item.atlas_y, item.atlas_x + item.width, item.atlas_y + item.height};
        batch_draw(scene_transition.previous_image, &src, static_cast<float>(item.x),
                   static_cast<float>(item.y - s), colour);
    }
}

void end_sound() {
    fade_out_sound();
    if (sound_available) stop_sound();
}

// State 3: the roll texture gets its lines; the ending sound starts. 0 or -1.
int prepare_roll() {
    CreditsRoll& r = credits_roll;
    if (fill_texture(scene_transition.previous_image, r.roll_fill_colour) != 0) return -1;
    if (fill_texture(scene_transition.current_image, r.roll_fill_colour) != 0) return -1;
    for (const CreditItem& item : r.items)
        if (draw_text_to_texture(scene_transition.previous_image, item.font_name, item.font_size, item.atlas_x,
                                 item.atlas_y, r.roll_text_colour, item.text) < 0)
            return -1;
    end_sound();
    play_sound(scene_table.ending_snd_nm.c_str());
    r.start_time = clock_now_ms();
    r.level = 0;
    r.state = 4;
    return 0;
}

// State 9: back to the first scene with the opening sound and the shortcut restored.
void restart_story() {
    credits_mode = 0;
    clear_to_black = 0;
    scene_table.current_scene = 0;
    restore_shortcut();
    show_scene_image(nullptr, scene_table.scenes[0].img_nm.c_str());
    play_sound(scene_table.opening_snd_nm.c_str());
}

}  // namespace

bool boxes_touch(const CreditBox& a, const CreditBox& b) {
    return holds(a, b.left, b.top) || holds(a, b.right, b.top) || holds(a, b.right, b.bottom) ||
           holds(a, b.left, b.bottom) || holds(b, a.left, a.top) || holds(b, a.right, a.top) ||
           holds(b, a.right, a.bottom) || holds(b, a.left, a.bottom);
}

int pack_credit_items(CreditItem* items, int count, int width, int height) {
    for (int i = 0; i < count; ++i) {
        CreditItem& item = items[i];
        if (item.width - 1 < 0 || item.width - 1 >= width || item.height - 1 < 0 || item.height - 1 >= height)
            return -1;
        bool placed = acceptable(items, i, 0, 0, width, height);
        int32_t cx = 0;
        int32_t cy = 0;
        for (int k = 0; k < i && !placed; ++k) {
            cx = items[k].atlas_x + items[k].width;
            cy = items[k].atlas_y;
            placed = acceptable(items, i, cx, cy, width, height);
        }
        for (int k = 0; k < i && !placed; ++k) {
            cx = 0;
            cy = items[k].atlas_y + items[k].height;
            placed = acceptable(items, i, cx, cy, width, height);
        }
        if (!placed) return -1;
        item.atlas_x = cx;
        item.atlas_y = cy;
    }
    return 0;
}

int setup_credits() {
    CreditsRoll& r = credits_roll;
    for (int i = 0; i < kCreditItems; ++i) {
        CreditItem& item = r.items[i];
        item = CreditItem{};
        item.text = kCreditTexts[i];
        item.font_name = i == kTitleItem ? kFontPGothic : kFontPMincho;
        item.font_size = i == kTitleItem || i == kClosingItem ? kTitleSize : kLineSize;
    }
    r.gap_after_title = 400;
    r.gap_after_heading = 320;
    r.gap_between_pairs = 320;
    r.gap_before_closing = 760;
    for (CreditItem& item : r.items)
        if (measure_text(item.font_name, item.font_size, item.text, &item.width, &item.height) < 0) return -1;
    if (pack_credit_items(r.items, kCreditItems, kRollWidth, kRollHeight) != 0) return -1;

    CreditItem* it = r.items;
    for (CreditItem& item : r.items) item.x = (kCanvasWidth - item.width) / 2;
    it[kTitleItem].y = (kCanvasHeight - it[kTitleItem].height) / 2;
    it[kHeadingItem].y = it[kTitleItem].y + it[kTitleItem].height + r.gap_after_title;
    it[kFirstRoleItem].y = it[kHeadingItem].y + it[kHeadingItem].height + r.gap_after_heading;
    for (int role = kFirstRoleItem; role < kClosingItem; role += 2) {
        if (role > kFirstRoleItem) it[role].y = it[role - 1].y + it[role - 1].height + r.gap_between_pairs;
        it[role + 1].y = it[role].y + it[role].height;
    }
    it[kClosingItem].y = it[kClosingItem - 1].y + r.gap_before_closing;
    r.scroll_end = it[kClosingItem].y - (kCanvasHeight - it[kClosingItem].height) / 2;

    r.roll_text_colour = 0x00FFFFFF;
    r.roll_fill_colour = 0xFF000000;
    r.music_wait = kMusicWaitMs;
    credits_start_pending = 0;
    credits_mode = 0;
    clear_to_black = 0;
    return 0;
}

void begin_credits_if_requested() {
    if (credits_start_pending != 1) return;
    credits_start_pending = 0;
    credits_roll.state = 0;
    credits_roll.level = 0;
    credits_mode = 1;
}

int draw_credits() {
    CreditsRoll& r = credits_roll;
    switch (r.state) {
        case 0: {  // the picture fades to white
            int32_t alpha = 255 - r.level;
            if (r.level >= 255) {
                alpha = 0;
                r.state = 1;
            }
            draw_picture(with_alpha(alpha));
            r.level += 1;
            break;
        }
        case 1:  // the picture turns white, the background black
            if (fill_texture(scene_transition.current_image, 0xFFFFFFFF) != 0) return -1;
            draw_picture(kOpaque);
            r.level = 255;
            clear_to_black = 1;
            r.state = 2;
            break;
        case 2: {  // white fades to black
            int32_t alpha = r.level;
            if (r.level <= 0) {
                alpha = 0;
                r.state = 3;
            }
            draw_picture(with_alpha(alpha));
            r.level -= 2;
            break;
        }
        case 3:
            return prepare_roll();
        case 4: {  // the roll fades in
            int32_t alpha = r.level;
            if (r.level >= 255) {
                alpha = 255;
                r.hold = 200;
                r.state = 5;
            }
            draw_roll(0, with_alpha(alpha));
            r.level += 2;
            break;
        }
        case 5:  // hold
            if (r.hold <= 0) {
                r.scroll = 0.0f;
                r.state = 6;
            }
            draw_roll(0, kOpaque);
            r.hold -= 1;
            break;
        case 6: {  // scroll up half a pixel per frame
            int32_t s = static_cast<int32_t>(r.scroll);
            if (s >= r.scroll_end) {
                s = r.scroll_end;
                r.state = 7;
            }
            draw_roll(s, kOpaque);
            r.scroll += 0.5f;
            break;
        }
        case 7:  // wait for the ending music; the elapsed time is taken modulo 2^32
            if (clock_now_ms() - r.start_time > r.music_wait + kMusicGraceMs) {
                end_sound();
                r.level = 255;
                r.state = 8;
            }
            draw_roll(r.scroll_end, kOpaque);
            break;
        case 8: {  // the roll fades out
            int32_t alpha = r.level;
            if (r.level <= 0) {
                alpha = 0;
                r.state = 9;
            }
            draw_roll(r.scroll_end, with_alpha(alpha));
            r.level -= 4;
            break;
        }
        default:  // 9
            restart_story();
            break;
    }
    return 0;
}

uint32_t credits_still_for_ms() {
    const CreditsRoll& r = credits_roll;
    if (r.state != 7) return 0;
    // The frame that finds the wait over (see state 7 above) is the first one that moves.
    const uint32_t waited = clock_now_ms() - r.start_time;
    const uint32_t over_at = r.music_wait + kMusicGraceMs + 1;
    return waited >= over_at ? 0 : over_at - waited;
}
