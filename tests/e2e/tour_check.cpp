// The end-to-end check of a story's tour: every left press of the tour is followed through the
// script by a hit test of its own, and the harness's state lines must show what the script says
// (scene, transition, balloon, sound); the menu, the staff roll and the restart are checked from
// the state lines; a few frames are checked pixel by pixel.
#include "tour_check.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "replay/replay.h"
#include "platform/image/image.h"
#include "platform/text/sjis.h"
#include "scenario/scenario.h"
#include "scene/credits.h"
#include "scene/hotspot.h"
#include "scene/transition.h"
#include "support/replay_fixtures.h"
#include "support/scenario_fixtures.h"

namespace {

constexpr int kFramesAfter = 30;
constexpr int kCrossFadeKind = 9;
constexpr int kCrossFadeStep = 3;
constexpr uint32_t kLabelBack = 0x474747;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr int kHalfAlpha = 0x7F;  // the balloon's and the overlay's panel

using Picture = std::vector<uint32_t>;  // 800x600, 0x00RRGGBB

std::string utf8_or_dash(const std::string& sjis) { return sjis.empty() ? "-" : sjis_to_utf8(sjis); }

Picture load_picture(const std::string& path) {
    std::string bytes = read_file(path);
    Texture* t = nullptr;
    Picture p;
    if (bytes.empty() || failed(decode_image_to_texture(reinterpret_cast<const unsigned char*>(bytes.data()),
                                                        bytes.size(), 800, 600, PixelFormat::X8R8G8B8, 0, &t))) {
        ADD_FAILURE() << "cannot read the frame " << path;
        return p;
    }
    p.resize(800 * 600);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) p[y * 800 + x] = t->pixels[y * t->pitch / 4 + x] & 0xFFFFFF;
    texture_release(t);
    return p;
}

int channel(uint32_t c, int i) { return static_cast<int>((c >> (16 - 8 * i)) & 0xFF); }

// A over B with alpha a of 255, per channel.
int over(int a_value, int b_value, int a) { return (a_value * a + b_value * (255 - a)) / 255; }

bool near(uint32_t got, const int want[3], int tolerance) {
    for (int i = 0; i < 3; ++i)
        if (std::abs(channel(got, i) - want[i]) > tolerance) return false;
    return true;
}

// The area a press at (x, y) hits in scene s, as the game tests them.
bool hit(const SceneTable& t, int s, int x, int y, int* entry, int* area) {
    for (int m = 0; m < t.scene_count; ++m) {
        if (t.scenes[m].seq != s) continue;
        for (int a = 0; a < t.scenes[m].area_count; ++a)
            for (int r = 0; r < t.scenes[m].areas[a].rect_count; ++r) {
                const HitRect& h = t.scenes[m].areas[a].rects[r];
                if (h.left <= x && x <= h.right && h.top <= y && y <= h.bottom) {
                    *entry = m;
                    *area = a;
                    return true;
                }
            }
    }
    return false;
}

struct Tour {
    std::unique_ptr<SceneTable> table = std::make_unique<SceneTable>();
    std::vector<ReplayEvent> events;
    std::vector<FrameState> frames;
    std::map<std::string, int> shots;  // shot name -> frame
    std::string shot_dir;
    TourFigures figures;
    int credits_click = -1;  // frame of the press that started the roll
    int credits_end = -1;    // first frame after the roll
};

// Follows every left press through the script and checks what the harness reported for it.
void check_clicks(Tour& tour) {
    const SceneTable& t = *tour.table;
    const std::vector<FrameState>& fr = tour.frames;
    bool rewired = false;
    std::string rewired_snd;
    int kinds[kTransitionKinds] = {};
    bool shortcut_taken = false, shortcut_restored = false, ten_pages = false;
    for (const ReplayEvent& e : tour.events) {
        if (e.kind != ReplayKind::Left) continue;
        const int f = e.frame;
        ASSERT_GE(f, 1);
        ASSERT_LT(f + 1, static_cast<int>(fr.size()));
        const FrameState& before = fr[f - 1];
        const FrameState& at = fr[f];
        if (tour.credits_end >= 0 && f >= tour.credits_end) rewired = false;
        if (before.menu_open || before.menu_anim) continue;  // the overlay's labels: checked apart
        ++tour.figures.clicks;
        ASSERT_EQ(before.tr_active + before.bl_anim + before.cr_mode, 0) << "frame " << f << ": the tour clicks at rest";
        if (before.bl_open) {
            const bool last = before.bl_page == before.bl_pages - 1;
            if (last) EXPECT_EQ(at.bl_open, 0) << "frame " << f << ": the last page's click closes";
            else EXPECT_EQ(at.bl_page, before.bl_page + 1) << "frame " << f << ": next page";
            if (before.bl_pages == 10 && before.bl_page == 9) ten_pages = true;
            continue;
        }
        int m = -1, a = -1;
        ASSERT_TRUE(hit(t, before.scene, e.x, e.y, &m, &a)) << "frame " << f << ": the press hits no area";
        const Area& area = t.scenes[m].areas[a];
        const bool shortcut = rewired && m == kShortcutEntry && a == 0;
        const int next = shortcut ? kShortcutScene : area.next_seq;
        const std::string snd = shortcut ? rewired_snd : area.snd_nm;
        if (area.fukidasi_count > 0) {
            EXPECT_EQ(at.sound, "-") << "frame " << f << ": a balloon's click fades the sound out";
            if (m == kCreditsEntry && a == 0) {
                EXPECT_EQ(fr[f + 1].cr_mode, 1) << "frame " << f << ": the staff roll starts in the next frame";
                tour.credits_click = f;
                for (size_t i = f + 1; i < fr.size() && tour.credits_end < 0; ++i)
                    if (!fr[i].cr_mode) tour.credits_end = static_cast<int>(i);
            } else {
                EXPECT_EQ(at.bl_open, 1) << "frame " << f;
                EXPECT_EQ(at.bl_pages, area.fukidasi_count) << "frame " << f;
            }
            continue;
        }
        EXPECT_EQ(at.scene, next) << "frame " << f << ": scene " << before.scene << " area " << a;
        if (next != before.scene) {
            ++tour.figures.scene_changes;
            const int kind = transition_kind_from_name(area.anime_nm.c_str());
            EXPECT_EQ(at.tr_active, 1) << "frame " << f;
            EXPECT_EQ(at.tr_kind, kind) << "frame " << f;
            ++kinds[kind];
        }
        const std::string want = snd.empty() ? (next != before.scene ? "-" : before.sound) : utf8_or_dash(snd);
        EXPECT_EQ(at.sound, want) << "frame " << f << ": the link's sound";
        if (m == kShortcutEntry && a == 0 && before.scene == kShortcutEntry) {
            if (shortcut) shortcut_taken = at.scene == kShortcutScene;
            else if (tour.credits_end >= 0 && f > tour.credits_end) shortcut_restored = at.scene == area.next_seq;
        }
        if (next == kShortcutScene) {
            rewired = true;
            rewired_snd = snd;
        }
    }
    for (int k = 0; k < kTransitionKinds; ++k) EXPECT_GT(kinds[k], 0) << "no scene change with transition kind " << k;
    EXPECT_TRUE(ten_pages) << "a ten-page balloon read to its last page";
    EXPECT_TRUE(shortcut_taken) << "area 0 of entry 26 led to scene 86 once it had been reached";
    EXPECT_TRUE(shortcut_restored) << "after the roll area 0 of entry 26 led where the script says";
}

// The roll: states in order, the ending sound, the music wait, the restart with the opening sound.
void check_credits(const Tour& tour) {
    const SceneTable& t = *tour.table;
    ASSERT_GE(tour.credits_click, 0) << "the tour starts the staff roll";
    ASSERT_GT(tour.credits_end, 0) << "the staff roll ends within the tour";
    const std::vector<FrameState>& fr = tour.frames;
    int state = 0;
    bool ending_heard = false;
    uint32_t sound_start = 0;
    for (int i = tour.credits_click + 1; i < tour.credits_end; ++i) {
        ASSERT_GE(fr[i].cr_state, state) << "frame " << i << ": the roll's states only go forward";
        if (fr[i].cr_state >= 4 && !ending_heard) {
            ending_heard = true;
            sound_start = fr[i].clock;
            EXPECT_EQ(fr[i].sound, utf8_or_dash(t.ending_snd_nm)) << "frame " << i << ": the ending sound";
        }
        state = fr[i].cr_state;
    }
    EXPECT_EQ(state, 9) << "the roll faded out and reached its last state";
    const FrameState& end = fr[tour.credits_end];
    EXPECT_EQ(end.scene, 0) << "the story starts again at scene 0";
    EXPECT_EQ(end.sound, utf8_or_dash(t.opening_snd_nm)) << "with the opening sound";
    EXPECT_GT(end.clock - sound_start, kMusicWaitMs + kMusicGraceMs - 20) << "after the music wait";
    const int frames = tour.credits_end - tour.credits_click - 1;
    EXPECT_GE(frames, 785) << "fades, hold and scroll run frame by frame";
}

// The overlay menu: opened, cancelled, and the display mode switched there and back.
void check_menu(const Tour& tour) {
    std::vector<int> modes{1};
    for (const FrameState& f : tour.frames)
        if (f.windowed != modes.back()) modes.push_back(f.windowed);
    EXPECT_EQ(modes, (std::vector<int>{1, 0, 1, 0, 1})) << "the overlay's label twice, then Alt+Enter twice";
    bool open_at_rest = false;
    for (const FrameState& f : tour.frames) open_at_rest = open_at_rest || (f.menu_open && !f.menu_anim);
    EXPECT_TRUE(open_at_rest);
}

// Labels of the overlay on the shot: the label's grey and white text around (x, y).
void expect_label(const Picture& p, int x, int y, const char* what) {
    int grey = 0, white = 0;
    for (int dy = -8; dy <= 8; ++dy)
        for (int dx = -40; dx <= 40; ++dx) {
            uint32_t c = p[(y + dy) * 800 + x + dx];
            grey += c == kLabelBack;
            white += c == kWhite;
        }
    EXPECT_GT(grey, 50) << what << ": the label's grey ground";
    EXPECT_GT(white, 5) << what << ": the label's white text";
}

void check_frames(const Tour& tour) {
    auto shot = [&](const char* name) {
        auto it = tour.shots.find(name);
        if (it == tour.shots.end()) ADD_FAILURE() << "the tour has no shot " << name;
        return load_picture(tour.shot_dir + "/" + name + ".png");
    };
    // The balloon: blue at half opacity over the picture, white text on it.
    Picture before = shot("balloon-before"), open = shot("balloon-open");
    if (!before.empty() && !open.empty()) {
        int blended = 0, text = 0, checked = 0;
        for (int y = 404; y < 592; y += 4)
            for (int x = 8; x < 792; x += 4) {
                uint32_t b = before[y * 800 + x], o = open[y * 800 + x];
                if (o == kWhite) {
                    ++text;
                    continue;
                }
                int want[3] = {over(0, channel(b, 0), kHalfAlpha), over(0, channel(b, 1), kHalfAlpha),
                               over(255, channel(b, 2), kHalfAlpha)};
                ++checked;
                blended += near(o, want, 3);
            }
        EXPECT_GT(text, 10) << "the page's white text";
        EXPECT_GT(blended, checked * 95 / 100) << "the panel is blue at half opacity over the picture";
    }
    // The overlay's labels in both modes, at the places the tour clicked.
    int label_clicks[2] = {-1, -1};
    for (const char* name : {"menu-open", "menu-fullscreen"}) {
        Picture p = shot(name);
        const int at = tour.shots.count(name) ? tour.shots.at(name) : 0;
        for (const ReplayEvent& e : tour.events)
            if (e.kind == ReplayKind::Left && e.frame > at) {
                if (!p.empty()) expect_label(p, e.x, e.y, name);
                label_clicks[name[5] == 'o' ? 0 : 1] = e.frame;
                break;
            }
    }
    EXPECT_GT(label_clicks[0], 0);
    EXPECT_GT(label_clicks[1], 0);
    // The cross-fade's middle: the new picture faded over white, the old one over that.
    Picture a = shot("xfade-before"), mid = shot("xfade-mid"), b = shot("xfade-after");
    if (!a.empty() && !mid.empty() && !b.empty() && tour.shots.count("xfade-mid")) {
        const FrameState& s = tour.frames[tour.shots.at("xfade-mid")];
        EXPECT_EQ(s.tr_kind, kCrossFadeKind);
        const int c = s.tr_counter + kCrossFadeStep;  // the counter the frame was drawn with
        EXPECT_GT(c, 60);
        EXPECT_LT(c, 200);
        int mixed = 0, differs = 0;
        for (int y = 10; y < 600; y += 37)
            for (int x = 10; x < 800; x += 41) {
                uint32_t pa = a[y * 800 + x], pm = mid[y * 800 + x], pb = b[y * 800 + x];
                int want[3];
                for (int i = 0; i < 3; ++i)
                    want[i] = over(channel(pa, i), over(channel(pb, i), 255, 255 - c), c);
                mixed += near(pm, want, 4);
                differs += pm != pa && pm != pb;
            }
        EXPECT_GT(mixed, 15 * 16 * 95 / 100) << "the midpoint mixes both pictures";
        EXPECT_GT(differs, 15 * 16 / 2) << "the midpoint is neither picture";
    }
}

}  // namespace

bool parse_state_line(const std::string& line, FrameState* out) {
    std::map<std::string, std::string> kv;
    const size_t sound_at = line.find(" sound=");
    if (sound_at == std::string::npos) return false;
    out->sound = line.substr(sound_at + 7);
    std::istringstream in(line.substr(0, sound_at));
    for (std::string w; in >> w;) {
        size_t eq = w.find('=');
        if (eq != std::string::npos) kv[w.substr(0, eq)] = w.substr(eq + 1);
    }
    struct Field {
        const char* key;
        int* value;
    } fields[] = {{"frame", &out->frame},       {"scene", &out->scene},       {"tr_kind", &out->tr_kind},
                  {"tr_counter", &out->tr_counter}, {"tr_active", &out->tr_active}, {"bl_open", &out->bl_open},
                  {"bl_anim", &out->bl_anim},   {"bl_page", &out->bl_page},   {"bl_pages", &out->bl_pages},
                  {"menu_open", &out->menu_open}, {"menu_anim", &out->menu_anim},
                  {"menu_counter", &out->menu_counter}, {"cr_mode", &out->cr_mode},
                  {"cr_state", &out->cr_state}, {"windowed", &out->windowed}};
    for (const Field& f : fields) {
        auto it = kv.find(f.key);
        if (it == kv.end()) return false;
        *f.value = std::stoi(it->second);
    }
    if (!kv.count("clock")) return false;
    out->clock = static_cast<uint32_t>(std::stoul(kv["clock"]));
    return true;
}

TourFigures check_tour(const std::string& game_dir, const std::string& work_dir) {
    Tour tour;
    const std::string replay = POROMINA_REPLAY_PATH;
    const std::string tour_path = work_dir + "/tour.replay";
    tour.shot_dir = work_dir + "/shots";
    EXPECT_EQ(run_in(game_dir, "'" + replay + "' --write-tour '" + tour_path + "'", work_dir + "/tour.out",
                     work_dir + "/tour.err"),
              0);
    const std::string tour_err = read_file(work_dir + "/tour.err");
    EXPECT_EQ(tour_err.find("lacks"), std::string::npos) << tour_err;

    std::string error;
    EXPECT_TRUE(parse_replay(read_file(tour_path), &tour.events, &error)) << error;
    if (tour.events.empty()) {
        ADD_FAILURE() << "no tour";
        return tour.figures;
    }
    for (const ReplayEvent& e : tour.events)
        if (e.kind == ReplayKind::Shot && !e.name.empty()) tour.shots[e.name] = e.frame;

    const auto start = std::chrono::steady_clock::now();
    const int rc = run_in(game_dir,
                          "'" + replay + "' '" + tour_path + "' --out '" + tour.shot_dir + "' --contact-sheet '" +
                              work_dir + "/sheet.png' --frames-after " + std::to_string(kFramesAfter),
                          work_dir + "/states.txt", work_dir + "/replay.err");
    tour.figures.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(rc, 0) << read_file(work_dir + "/replay.err");

    std::istringstream states(read_file(work_dir + "/states.txt"));
    for (std::string line; std::getline(states, line);) {
        FrameState s;
        if (!parse_state_line(line, &s)) {
            ADD_FAILURE() << "not a state line: " << line;
            return tour.figures;
        }
        EXPECT_EQ(s.frame, static_cast<int>(tour.frames.size())) << "frames in order, none missing";
        tour.frames.push_back(s);
    }
    tour.figures.frames = static_cast<int>(tour.frames.size());
    EXPECT_EQ(tour.figures.frames, tour.events.back().frame + kFramesAfter + 1);
    if (tour.frames.empty()) return tour.figures;

    {
        CurrentDirectory cd(game_dir);
        EXPECT_EQ(load_scenario(tour.table.get()), 0) << scenario_error().reason;
    }
    EXPECT_EQ(tour.frames[0].scene, 0);
    EXPECT_EQ(tour.frames[0].sound, utf8_or_dash(tour.table->opening_snd_nm)) << "the opening sound at start";
    check_clicks(tour);
    check_credits(tour);
    check_menu(tour);
    check_frames(tour);
    return tour.figures;
}
