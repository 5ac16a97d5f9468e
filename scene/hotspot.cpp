// Dispatch of a left press: the overlay menu, the open balloon or the current scene's hot-spots,
// and what a hit area does (scene link with transition and sound, balloon, staff roll).
#include "scene/hotspot.h"

#include <cstring>
#include <string>

#include "common/flags.h"
#include "common/messages.h"
#include "scenario/scenario.h"
#include "scene/author.h"
#include "scene/balloon.h"
#include "scene/menu_overlay.h"
#include "scene/transition.h"
#include "sound/sound.h"

int32_t shortcut_next_seq_backup = 0;
std::string shortcut_snd_nm_backup;

namespace {

struct Hit {
    int entry;  // table position m
    int area;   // area index a
};

int clamp_count(int32_t count, int limit) { return count < 0 ? 0 : count > limit ? limit : count; }

// The first rectangle in script order of an entry showing the current scene that holds the press.
bool find_hit(int x, int y, Hit* hit) {
    const SceneTable& t = scene_table;
    const int scenes = clamp_count(t.scene_count, kMaxScenes);
    for (int m = 0; m < scenes; ++m) {
        const Scene& scene = t.scenes[m];
        if (scene.seq != t.current_scene) continue;
        const int areas = clamp_count(scene.area_count, kMaxAreas);
        for (int a = 0; a < areas; ++a) {
            const Area& area = scene.areas[a];
            const int rects = clamp_count(area.rect_count, kMaxRects);
            for (int r = 0; r < rects; ++r) {
                const HitRect& rect = area.rects[r];
                if (rect.left <= x && x <= rect.right && rect.top <= y && y <= rect.bottom) {
                    *hit = {m, a};
                    return true;
                }
            }
        }
    }
    return false;
}

void stop_sound_if_available() {
    if (sound_available) stop_sound();
}

void hit_balloon_area(const Hit& hit, const Area& area) {
    fade_out_sound();
    if (hit.entry == kCreditsEntry && hit.area == 0) {
        credits_start_pending = 1;
        credits_mode = 0;
        clear_to_black = 0;
    } else {
        open_balloon(area.fukidasi_count, area.fukidasi_fnt_nm, area.fukidasi_fnt_sz, area.fukidasi);
    }
    stop_sound_if_available();
}

// Links already said to lead nowhere, by entry and area.
bool stranded_said[kMaxScenes][kMaxAreas];

// Says once per link on standard error that it leads to an entry the script does not define.
void report_stranded_link(const Hit& hit, int32_t next) {
    if (stranded_said[hit.entry][hit.area]) return;
    stranded_said[hit.entry][hit.area] = true;
    const int32_t count = scene_table.scene_count;
    const std::string entry = std::to_string(hit.entry), area = std::to_string(hit.area);
    const std::string target = std::to_string(next), last = std::to_string(count - 1);
    report_line("entry " + entry + " area " + area + " links to entry " + target +
                    ", which the script does not define (it defines entries 0 to " + last +
                    ", counted by their order in the script); the click is ignored",
                "エントリ " + entry + " の領域 " + area + " のリンク先エントリ " + target +
                    " はシナリオにありません（エントリは 0〜" + last +
                    "、シナリオ内の順番で数えます）。クリックは無視します");
}

void hit_scene_link(const Hit& hit, const Area& area) {
    SceneTable& t = scene_table;
    const int32_t next = area.next_seq;
    // A link that names no table entry is refused whole: no picture, no scene change, no sound.
    if (next < 0 || next >= kMaxScenes) return;
    // So is one to an entry the script does not define: it would strand the player on the old
    // picture with nothing to click.
    if (next >= t.scene_count) {
        report_stranded_link(hit, next);
        return;
    }
    const std::string sound = area.snd_nm;  // the rewiring below may write to this very area
    if (next != t.current_scene) {
        fade_out_sound();
        if (show_scene_image(area.anime_nm.c_str(), t.scenes[next].img_nm.c_str()) != 0)
            report_picture_failure(t.scenes[next].img_nm.c_str());
        stop_sound_if_available();
        t.current_scene = next;
        if (next == kShortcutScene) {
            Area& shortcut = t.scenes[kShortcutEntry].areas[0];
            shortcut.next_seq = kShortcutScene;
            shortcut.snd_nm = sound;
        }
    }
    if (!sound.empty()) {
        fade_out_sound();
        stop_sound_if_available();
        play_sound(sound.c_str());
    }
}

void hit_test(int x, int y) {
    Hit hit;
    if (!find_hit(x, y, &hit)) return;
    const Area& area = scene_table.scenes[hit.entry].areas[hit.area];
    if (area.fukidasi_count > 0)
        hit_balloon_area(hit, area);
    else
        hit_scene_link(hit, area);
}

}  // namespace

void forget_stranded_links() { std::memset(stranded_said, 0, sizeof stranded_said); }

void take_shortcut_backups() {
    const Area& shortcut = scene_table.scenes[kShortcutEntry].areas[0];
    shortcut_next_seq_backup = shortcut.next_seq;
    shortcut_snd_nm_backup = shortcut.snd_nm;
}

void restore_shortcut() {
    Area& shortcut = scene_table.scenes[kShortcutEntry].areas[0];
    shortcut.next_seq = shortcut_next_seq_backup;
    shortcut.snd_nm = shortcut_snd_nm_backup;
}

ClickRequests dispatch_click() {
    ClickRequests requests{0, 0};
    if (!left_click_pending) return requests;
    left_click_pending = 0;
    if (menu_animating == 1) return requests;
    if (menu_open == 1) {
        const int result = menu_click();
        if (result == kMenuClickQuit) requests.quit = 1;
        if (result == kMenuClickSwitchMode) requests.switch_mode = 1;
        return requests;
    }
    if (transition_active == 1 || balloon_animating == 1 || credits_mode == 1) return requests;
    if (balloon_open == 1) {
        advance_balloon();
        return requests;
    }
    hit_test(click_x, click_y);
    return requests;
}
