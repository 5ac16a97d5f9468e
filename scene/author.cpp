// The author's desk: the hot-spot overlay drawn over the scene picture, and the reload of the
// script and pictures from disk without leaving the scene.
#include "scene/author.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "common/flags.h"
#include "common/messages.h"
#include "gfx/text.h"
#include "platform/image/image.h"
#include "platform/video/sprite.h"
#include "platform/video/texture.h"
#include "scenario/data_file.h"
#include "scenario/load_reasons.h"
#include "scenario/scenario.h"
#include "scene/hotspot.h"
#include "scene/transition.h"

namespace {

// "ＭＳ ゴシック" in Shift-JIS: the labels' face.
constexpr const char* kLabelFace = "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e";
constexpr int kLabelPoints = 11;
constexpr int kLabelPad = 2;             // pixels around a label's text
constexpr uint32_t kLabelText = 0x00FFFFFF;  // GDI 0x00BBGGRR: white
constexpr uint32_t kFillAlpha = 0x38;    // of an area's rectangles, 0..255
constexpr int kEdge = 2;                 // outline width, pixels
// "即時表示", the name of the transition that cuts at once, in Shift-JIS.
constexpr const char* kCutName = "\x91\xa6\x8e\x9e\x95\x5c\x8e\xa6";

// One colour per area index (0x00RRGGBB), so that an area's rectangles and label match.
constexpr uint32_t kAreaColours[kMaxAreas] = {0xFF3030, 0x30C030, 0x3070FF, 0xFFA000, 0xD040D0,
                                             0x00C0C0, 0xFFFF40, 0xFF7090, 0x90FF60, 0xB08040};

struct Label {
    Texture* texture;  // X8R8G8B8: the text on the area's colour; owned
    float x, y;        // canvas pixels
};

struct AuthorDesk {
    bool keys = false;                // --author was given
    bool shown = false;               // the overlay is drawn
    Texture* white = nullptr;         // 800x600 opaque white: rectangles by source size; owned
    std::vector<Label> labels;        // of the scene labelled last
    int32_t labelled_scene = -1;      // the scene the labels belong to; -1 for none
    std::set<std::string> reported;   // picture names already said to fail
};
AuthorDesk desk;  // user-interface thread only

void release_labels() {
    for (Label& l : desk.labels) texture_release(l.texture);
    desk.labels.clear();
    desk.labelled_scene = -1;
}

// What a label says about an area: its index, then the link and transition or the balloon.
std::string label_text(int entry, int a, const Area& area) {
    std::string text = "a" + std::to_string(a) + " ";
    if (area.fukidasi_count > 0) {
        if (entry == kCreditsEntry && a == 0) return text + "staff roll";
        return text + "balloon " + std::to_string(area.fukidasi_count) + "p";
    }
    text += "\x81\xa8 " + std::to_string(area.next_seq);  // "→"
    if (area.next_seq >= scene_table.scene_count) text += " (undefined)";
    if (area.anime_nm.empty()) {
        text += " cut";
    } else {
        text += " " + area.anime_nm;
        if (transition_kind_from_name(area.anime_nm.c_str()) == 0 && area.anime_nm != kCutName)
            text += " (unknown: cut)";
    }
    if (!area.snd_nm.empty()) text += " \x81\xf4";  // "♪": a sound starts
    return text;
}

// Makes one label texture for text in the area's colour; null when it cannot be drawn.
Texture* make_label(const std::string& text, uint32_t rgb) {
    int w = 0, h = 0;
    if (measure_text(kLabelFace, kLabelPoints, text.c_str(), &w, &h) < 0 || w <= 0 || h <= 0) return nullptr;
    Texture* t = nullptr;
    if (failed(texture_create(w + 2 * kLabelPad, h + 2 * kLabelPad, PixelFormat::X8R8G8B8, &t))) return nullptr;
    // A darker shade of the area's colour behind white text.
    const uint32_t back = 0xFF000000u | ((rgb >> 1) & 0x7F7F7Fu);
    if (fill_texture(t, back) != 0 ||
        draw_text_to_texture(t, kLabelFace, kLabelPoints, kLabelPad, kLabelPad, kLabelText, text.c_str()) < 0) {
        texture_release(t);
        return nullptr;
    }
    return t;
}

// The labels of every area of the scene on screen, at the top left of its first rectangle.
void build_labels() {
    release_labels();
    const SceneTable& t = scene_table;
    desk.labelled_scene = t.current_scene;
    for (int m = 0; m < t.scene_count && m < kMaxScenes; ++m) {
        const Scene& scene = t.scenes[m];
        if (scene.seq != t.current_scene) continue;
        for (int a = 0; a < scene.area_count && a < kMaxAreas; ++a) {
            const Area& area = scene.areas[a];
            if (area.rect_count <= 0) continue;
            Texture* tex = make_label(label_text(m, a, area), kAreaColours[a]);
            if (!tex) continue;
            const HitRect& r = area.rects[0];
            int x = r.left < 0 ? 0 : r.left, y = r.top < 0 ? 0 : r.top;
            if (x + tex->width > kCanvasWidth) x = kCanvasWidth - tex->width;
            if (y + tex->height > kCanvasHeight) y = kCanvasHeight - tex->height;
            desk.labels.push_back(Label{tex, static_cast<float>(x < 0 ? 0 : x), static_cast<float>(y < 0 ? 0 : y)});
        }
    }
}

// Draws w x h pixels of the white texture at (x, y) in colour.
void draw_block(int x, int y, int w, int h, uint32_t colour) {
    if (w <= 0 || h <= 0) return;
    SpriteRect src{0, 0, w, h};
    batch_draw(desk.white, &src, static_cast<float>(x), static_cast<float>(y), colour);
}

// One rectangle, cut to the canvas: a see-through fill and a solid outline.
void draw_rect(const HitRect& r, uint32_t rgb) {
    const int left = r.left < 0 ? 0 : r.left, top = r.top < 0 ? 0 : r.top;
    const int right = r.right >= kCanvasWidth ? kCanvasWidth - 1 : r.right;
    const int bottom = r.bottom >= kCanvasHeight ? kCanvasHeight - 1 : r.bottom;
    const int w = right - left + 1, h = bottom - top + 1;
    if (w <= 0 || h <= 0) return;  // outside the canvas, or left > right: nothing to click
    const uint32_t solid = 0xFF000000u | rgb;
    draw_block(left, top, w, h, (kFillAlpha << 24) | rgb);
    draw_block(left, top, w, w < kEdge ? w : kEdge < h ? kEdge : h, solid);
    draw_block(left, bottom - kEdge + 1 > top ? bottom - kEdge + 1 : top, w, h < kEdge ? h : kEdge, solid);
    draw_block(left, top, w < kEdge ? w : kEdge, h, solid);
    draw_block(right - kEdge + 1 > left ? right - kEdge + 1 : left, top, w < kEdge ? w : kEdge, h, solid);
}

}  // namespace

void set_author_keys(bool on) { desk.keys = on; }
bool author_keys() { return desk.keys; }

void toggle_hotspot_overlay() {
    desk.shown = !desk.shown;
    release_labels();
}

bool hotspot_overlay_shown() { return desk.shown; }

void draw_author_overlay() {
    if (!desk.shown) return;
    if (!desk.white) {
        if (failed(texture_create(kCanvasWidth, kCanvasHeight, PixelFormat::A8R8G8B8, &desk.white)) ||
            fill_texture(desk.white, 0xFFFFFFFF) != 0) {
            texture_release(desk.white);
            desk.shown = false;
            report_line("the hot-spot overlay cannot be drawn (no memory for its texture)",
                        "ホットスポットを表示できません（テクスチャのメモリがありません）");
            return;
        }
    }
    if (desk.labelled_scene != scene_table.current_scene) build_labels();
    const SceneTable& t = scene_table;
    for (int m = 0; m < t.scene_count && m < kMaxScenes; ++m) {
        const Scene& scene = t.scenes[m];
        if (scene.seq != t.current_scene) continue;
        for (int a = 0; a < scene.area_count && a < kMaxAreas; ++a) {
            const Area& area = scene.areas[a];
            for (int r = 0; r < area.rect_count && r < kMaxRects; ++r) draw_rect(area.rects[r], kAreaColours[a]);
        }
    }
    for (const Label& l : desk.labels) batch_draw(l.texture, nullptr, l.x, l.y, 0xFFFFFFFF);
}

void release_author_overlay() {
    release_labels();
    texture_release(desk.white);
}

void report_picture_failure(const char* image_name) {
    const std::string name = image_name ? image_name : "";
    if (!desk.reported.insert(name).second) return;
    const std::string path = "data\\" + name;
    const FailureText why = data_file_status().failure != DataFileFailure::none
                                ? data_file_failure_text(path.c_str(), "the picture", "画像")
                                : picture_failure_text(path.c_str(), "the picture", "画像");
    report_line(why.english + "; it is not shown", why.japanese + "。表示されません");
}

int reload_story() {
    if (credits_mode == 1 || credits_start_pending == 1) {
        report_line("reload: not during the staff roll", "再読み込み: スタッフロールの間はできません");
        return -1;
    }
    auto fresh = std::make_unique<SceneTable>();
    FailureText why;
    if (load_scenario(fresh.get()) != 0) {
        why = scenario_failure_text();
    } else if (script_plays_nothing(*fresh, &why)) {
        // why is filled
    } else {
        why = FailureText{};
    }
    if (!why.english.empty()) {
        report_line("reload: " + why.english + "; the story stays as it was",
                    "再読み込み: " + why.japanese + "。物語は前のままです");
        return -1;
    }
    const int32_t scene = scene_table.current_scene;
    scene_table = *fresh;
    take_shortcut_backups();
    scene_table.current_scene = scene < scene_table.scene_count ? scene : 0;
    if (scene_table.current_scene != scene)
        report_line("reload: entry " + std::to_string(scene) + " is no longer defined; entry 0 is shown",
                    "再読み込み: エントリ " + std::to_string(scene) + " はもうありません。エントリ 0 を表示します");
    forget_stranded_links();
    desk.reported.clear();
    release_labels();
    // The pointer picture: a new one replaces the old only when it decodes.
    const int size = read_data_file(kCursorPath);
    Texture* pointer = nullptr;
    if (size > 0 && succeeded(decode_image_to_texture(data_buffer, static_cast<size_t>(size), kCursorSize,
                                                      kCursorSize, PixelFormat::A8R8G8B8, kCursorColourKey,
                                                      &pointer))) {
        texture_release(game_cursor.cursor_texture);
        game_cursor.cursor_texture = pointer;
    } else {
        const FailureText p = size > 0 ? picture_failure_text(kCursorPath, "the pointer picture", "マウスポインタの画像")
                                       : data_file_failure_text(kCursorPath, "the pointer picture",
                                                                "マウスポインタの画像");
        report_line("reload: " + p.english + "; the old pointer stays", "再読み込み: " + p.japanese + "。前のポインタのままです");
    }
    const std::string& img = scene_table.scenes[scene_table.current_scene].img_nm;
    if (show_scene_image(nullptr, img.c_str()) != 0) report_picture_failure(img.c_str());
    report_line("reloaded: " + std::to_string(scene_table.scene_count) + " entries; entry " +
                    std::to_string(scene_table.current_scene) + " is shown",
                "再読み込みしました: エントリ " + std::to_string(scene_table.scene_count) + " 個、エントリ " +
                    std::to_string(scene_table.current_scene) + " を表示しています");
    return 0;
}
