// The tour planner: routes through the story's scene graph (breadth first over its links) to each
// goal, picks a point of every area to click that no earlier area covers, and times each click
// after the animation before it has ended.
#include "replay/replay_tour.h"

#include <algorithm>
#include <fstream>

#include "common/flags.h"
#include "gfx/device.h"
#include "platform/text/sjis.h"
#include "scene/credits.h"
#include "scene/hotspot.h"
#include "scene/menu_overlay.h"
#include "scene/transition.h"

namespace {

constexpr int kCrossFadeKind = 9;      // the cross-fade: its midpoint is a mix of both pictures
constexpr int kCrossFadeMidFrames = 43;  // frames into it: counter 126 of 255
constexpr int kBalloonPages = 10;      // the balloon the tour reads through
constexpr int kShortTourChanges = 3;   // scene changes of the short tour
constexpr int kPageClickGap = 3;       // frames between two page clicks
constexpr int kRollLink = -1;          // Link::kind of the staff roll's balloon: it leads to scene 0

// A clickable link of a scene: where to click and what it does.
struct Link {
    int entry, area;  // table position and area index
    int x, y;         // canvas pixels to click
    int next;         // scene it leads to
    int kind;         // transition kind, or kRollLink
};

struct Planner {
    const SceneTable& t;
    const TourGeometry& g;
    TourPlan plan;
    int f = 2;              // the next frame free for an action
    int scene = 0;          // scene shown at frame f
    bool rewired = false;   // scene 86 was reached: area 0 of entry 26 leads there
    std::string rewired_snd;
    bool kinds_seen[kTransitionKinds] = {};

    Planner(const SceneTable& table, const TourGeometry& geometry) : t(table), g(geometry) {}

    void add(int frame, ReplayKind kind, int x, int y, const std::string& name, const std::string& note) {
        ReplayEvent e;
        e.frame = frame;
        e.kind = kind;
        e.x = x;
        e.y = y;
        e.name = name;
        e.note = note;
        plan.events.push_back(e);
    }
    void shot(int frame, const std::string& name) { add(frame, ReplayKind::Shot, 0, 0, name, ""); }
    // A left click on the middle of a menu label.
    void click_label(int frame, const TourLabel& label) {
        add(frame, ReplayKind::Left, label.x + label.width / 2, label.y + label.height / 2, "", "");
    }

    // The area a press at (x, y) hits in scene s, as the game tests them; false for none.
    bool first_hit(int s, int x, int y, int* entry, int* area) const {
        for (int m = 0; m < t.scene_count; ++m) {
            const Scene& sc = t.scenes[m];
            if (sc.seq != s) continue;
            for (int a = 0; a < sc.area_count && a < kMaxAreas; ++a)
                for (int r = 0; r < sc.areas[a].rect_count && r < kMaxRects; ++r) {
                    const HitRect& h = sc.areas[a].rects[r];
                    if (h.left <= x && x <= h.right && h.top <= y && y <= h.bottom) {
                        *entry = m;
                        *area = a;
                        return true;
                    }
                }
        }
        return false;
    }

    // A point of area (m, a) that no earlier area covers; false when there is none worth trying.
    bool click_point(int m, int a, int* x, int* y) const {
        const Area& area = t.scenes[m].areas[a];
        for (int r = 0; r < area.rect_count && r < kMaxRects; ++r) {
            const HitRect& h = area.rects[r];
            // The centre first, then a grid over the rectangle.
            for (int i = -1; i < 25; ++i) {
                long long px = i < 0 ? (static_cast<long long>(h.left) + h.right) / 2
                                     : h.left + (static_cast<long long>(h.right) - h.left) * (1 + i % 5) / 6;
                long long py = i < 0 ? (static_cast<long long>(h.top) + h.bottom) / 2
                                     : h.top + (static_cast<long long>(h.bottom) - h.top) * (1 + i / 5) / 6;
                if (px < 0 || px > 799 || py < 0 || py > 599) continue;
                int hm = -1, ha = -1;
                if (first_hit(t.scenes[m].seq, static_cast<int>(px), static_cast<int>(py), &hm, &ha) && hm == m &&
                    ha == a) {
                    *x = static_cast<int>(px);
                    *y = static_cast<int>(py);
                    return true;
                }
            }
        }
        return false;
    }

    int next_of(int m, int a) const {
        if (rewired && m == kShortcutEntry && a == 0) return kShortcutScene;
        return t.scenes[m].areas[a].next_seq;
    }

    // The staff roll's balloon in scene s, which restarts the story at scene 0; false for none.
    bool roll_link(int s, Link* l) const {
        if (kCreditsEntry >= t.scene_count || t.scenes[kCreditsEntry].seq != s) return false;
        const Scene& sc = t.scenes[kCreditsEntry];
        if (sc.area_count < 1 || sc.areas[0].fukidasi_count == 0) return false;
        *l = Link{kCreditsEntry, 0, 0, 0, 0, kRollLink};
        return click_point(kCreditsEntry, 0, &l->x, &l->y);
    }

    // The scene links of scene s (balloon areas are not links); with_roll adds the staff roll's
    // balloon, the way back to scene 0 from the end of a story.
    std::vector<Link> links(int s, bool with_roll = false) const {
        std::vector<Link> out;
        Link roll{};
        if (with_roll && roll_link(s, &roll)) out.push_back(roll);
        for (int m = 0; m < t.scene_count; ++m) {
            if (t.scenes[m].seq != s) continue;
            for (int a = 0; a < t.scenes[m].area_count && a < kMaxAreas; ++a) {
                const Area& area = t.scenes[m].areas[a];
                Link l{m, a, 0, 0, next_of(m, a), transition_kind_from_name(area.anime_nm.c_str())};
                if (area.fukidasi_count != 0 || l.next < 0 || l.next >= t.scene_count) continue;
                if (click_point(m, a, &l.x, &l.y)) out.push_back(l);
            }
        }
        return out;
    }

    // The shortest way of links from the scene shown to a scene where `goal` holds; false when
    // none leads there.
    template <typename Goal>
    bool route(Goal goal, std::vector<Link>* path) const {
        std::vector<int> from(t.scene_count, -2);
        std::vector<Link> via(t.scene_count);
        std::vector<int> queue{scene};
        from[scene] = -1;
        for (size_t q = 0; q < queue.size(); ++q) {
            int s = queue[q];
            if (goal(s)) {
                path->clear();
                for (int c = s; from[c] >= 0; c = from[c]) path->push_back(via[c]);
                std::reverse(path->begin(), path->end());
                return true;
            }
            for (const Link& l : links(s, true)) {
                if (from[l.next] != -2) continue;
                from[l.next] = s;
                via[l.next] = l;
                queue.push_back(l.next);
            }
        }
        return false;
    }

    // Clicks a link and waits until its transition has ended.
    void click(const Link& l, const std::string& name = "") {
        const Area& area = t.scenes[l.entry].areas[l.area];
        const bool changes = l.next != scene;
        const std::string snd = rewired && l.entry == kShortcutEntry && l.area == 0 ? rewired_snd : area.snd_nm;
        add(f, ReplayKind::Left, l.x, l.y, "",
            "scene " + std::to_string(scene) + " area " + std::to_string(l.area) + " -> scene " +
                std::to_string(l.next) + " (transition " + std::to_string(changes ? l.kind : -1) + ", sound " +
                (snd.empty() ? "-" : sjis_to_utf8(snd)) + ")");
        if (changes && l.kind == kCrossFadeKind && !kinds_seen[kCrossFadeKind]) {
            shot(f - 1, "xfade-before");
            shot(f + kCrossFadeMidFrames, "xfade-mid");
            shot(f + kTourSceneChangeFrames, "xfade-after");
        } else if (!name.empty()) {
            shot(f + kTourSceneChangeFrames / 3, name);
        }
        if (changes) kinds_seen[l.kind] = true;
        f += (changes ? (l.kind == 0 ? 2 : kTourSceneChangeFrames) : 0) + kTourSettleFrames;
        scene = l.next;
        if (scene == kShortcutScene) {
            rewired = true;
            rewired_snd = area.snd_nm;
        }
    }

    bool go(const std::vector<Link>& path) {
        for (const Link& l : path) {
            if (l.kind == kRollLink) roll(l, false);
            else click(l);
        }
        return true;
    }

    // Clicks the staff roll's balloon and waits through the roll to the restart at scene 0.
    void roll(const Link& l, bool shots) {
        const int c = f;
        const int e = g.scroll_end;
        add(c, ReplayKind::Left, l.x, l.y, "", "area 0 of entry 103: the staff roll");
        add(c + kTourRollClockFrame, ReplayKind::Clock, kTourMusicSkipMs, 0, "",
            "the ending music's wait passes at once");
        if (shots) {
            shot(c + 128, "roll-fade-white");
            shot(c + 320, "roll-fade-black");
            shot(c + 620, "roll-title");
            shot(c + 718 + e, "roll-scroll");
            shot(c + 718 + 2 * e + 20, "roll-closing");
        }
        f = c + kTourRollFixedFrames + 2 * e + kTourSettleFrames;
        scene = 0;
        rewired = false;
    }

    void menu_tour() {
        const TourLabel& cancel = g.labels[0][0];
        const TourLabel& mode = g.labels[0][1];
        const TourLabel& mode_full = g.labels[1][1];
        add(f, ReplayKind::Right, 400, 300, "", "the overlay menu: right button, then its cancel label");
        shot(f + kTourMenuFrames, "menu-open");
        f += kTourMenuFrames + 2;
        click_label(f, cancel);
        f += kTourMenuFrames;
        add(f, ReplayKind::Escape, 0, 0, "", "Esc opens it; its display-mode label switches to full screen");
        f += kTourMenuFrames;
        click_label(f, mode);
        f += kTourSettleFrames;
        add(f, ReplayKind::Escape, 0, 0, "", "in full screen the label reads the other way and switches back");
        shot(f + kTourMenuFrames, "menu-fullscreen");
        f += kTourMenuFrames + 2;
        click_label(f, mode_full);
        f += kTourSettleFrames;
        add(f, ReplayKind::AltEnter, 0, 0, "", "Alt+Enter there and back");
        f += kTourSettleFrames;
        add(f, ReplayKind::AltEnter, 0, 0, "", "");
        f += kTourSettleFrames;
    }

    // Finds a balloon of `pages` pages (any when 0), goes there and reads it to its end.
    bool balloon_tour(int pages) {
        auto is_balloon = [&](int m, int a) {
            const Area& area = t.scenes[m].areas[a];
            bool credits = m == kCreditsEntry && a == 0;
            return !credits && area.fukidasi_count > 0 && (pages == 0 || area.fukidasi_count == pages);
        };
        int bm = -1, ba = -1, bx = 0, by = 0;
        auto has = [&](int s) {
            for (int m = 0; m < t.scene_count; ++m) {
                if (t.scenes[m].seq != s) continue;
                for (int a = 0; a < t.scenes[m].area_count && a < kMaxAreas; ++a)
                    if (is_balloon(m, a) && click_point(m, a, &bx, &by)) {
                        bm = m;
                        ba = a;
                        return true;
                    }
            }
            return false;
        };
        std::vector<Link> path;
        if (!route(has, &path)) return false;
        go(path);
        has(scene);
        const int count = t.scenes[bm].areas[ba].fukidasi_count;
        shot(f - 1, "balloon-before");
        add(f, ReplayKind::Left, bx, by, "",
            "scene " + std::to_string(scene) + " area " + std::to_string(ba) + ": a balloon of " +
                std::to_string(count) + " pages, read to its end");
        shot(f + kTourBalloonFrames / 2, "balloon-opening");
        shot(f + kTourBalloonFrames, "balloon-open");
        f += kTourBalloonFrames + 2;
        for (int i = 0; i < count; ++i) {
            add(f, ReplayKind::Left, bx, by, "", "");
            if (i == count - 2) shot(f + 1, "balloon-last-page");
            f += kPageClickGap;
        }
        f += kTourBalloonFrames;
        return true;
    }

    void transitions_tour() {
        for (;;) {
            auto wanted = [&](int s) {
                for (const Link& l : links(s))
                    if (l.next != s && !kinds_seen[l.kind]) return true;
                return false;
            };
            bool any_missing = std::count(std::begin(kinds_seen), std::end(kinds_seen), false) > 0;
            std::vector<Link> path;
            if (!any_missing || !route(wanted, &path)) break;
            go(path);
            for (const Link& l : links(scene))
                if (l.next != scene && !kinds_seen[l.kind]) {
                    click(l);
                    break;
                }
        }
        for (int k = 0; k < kTransitionKinds; ++k)
            if (!kinds_seen[k]) plan.missing.push_back("a scene change with transition kind " + std::to_string(k));
    }

    void shortcut_tour() {
        std::vector<Link> path;
        if (scene != kShortcutScene && !rewired) {
            if (!route([](int s) { return s == kShortcutScene; }, &path)) {
                plan.missing.push_back("a way to scene 86");
                return;
            }
            go(path);
        }
        if (!to_shortcut_area("the shortcut: area 0 of entry 26 now leads to scene 86")) return;
    }

    // Goes to scene 26 and clicks area 0 of entry 26.
    bool to_shortcut_area(const std::string& note) {
        std::vector<Link> path;
        if (!route([](int s) { return s == kShortcutEntry; }, &path)) {
            plan.missing.push_back("a way to scene 26");
            return false;
        }
        go(path);
        for (const Link& l : links(scene))
            if (l.entry == kShortcutEntry && l.area == 0) {
                add(f, ReplayKind::Shot, 0, 0, "", note);
                click(l);
                return true;
            }
        plan.missing.push_back("a link in area 0 of entry 26");
        return false;
    }

    void credits_tour() {
        std::vector<Link> path;
        if (kCreditsEntry >= t.scene_count || !route([&](int s) { return s == t.scenes[kCreditsEntry].seq; }, &path)) {
            plan.missing.push_back("a way to entry 103");
            return;
        }
        go(path);
        Link l{};
        if (!roll_link(scene, &l)) {
            plan.missing.push_back("the staff roll's balloon in area 0 of entry 103");
            return;
        }
        roll(l, true);
        shot(f, "restart");
        f += kTourSettleFrames;
        to_shortcut_area("after the roll area 0 of entry 26 leads where the script says");
    }

    void short_tour() {
        const int first = f;
        balloon_tour(0);
        if (f == first) plan.missing.push_back("a balloon");
        menu_tour_short();
        for (int i = 0; i < kShortTourChanges; ++i) {
            std::vector<Link> ls = links(scene);
            auto moving = std::find_if(ls.begin(), ls.end(), [&](const Link& l) { return l.next != scene && l.kind != 0; });
            if (moving == ls.end())
                moving = std::find_if(ls.begin(), ls.end(), [&](const Link& l) { return l.next != scene; });
            if (moving == ls.end()) break;
            Link l = *moving;
            click(l, "change-" + std::to_string(i + 1));
            shot(f - 1, "scene-" + std::to_string(l.next));
        }
    }

    void menu_tour_short() {
        const TourLabel& cancel = g.labels[0][0];
        add(f, ReplayKind::Right, 400, 300, "", "the overlay menu: right button, then its cancel label");
        shot(f + kTourMenuFrames, "menu-open");
        f += kTourMenuFrames + 2;
        click_label(f, cancel);
        f += kTourMenuFrames;
    }
};

}  // namespace

TourPlan plan_tour(const SceneTable& table, const TourGeometry& geometry, bool short_tour) {
    Planner p(table, geometry);
    p.shot(1, "start");
    if (table.scene_count <= 0) {
        p.plan.missing.push_back("a scene");
        return p.plan;
    }
    if (short_tour) {
        p.short_tour();
    } else {
        p.menu_tour();
        if (!p.balloon_tour(kBalloonPages)) p.plan.missing.push_back("a balloon of 10 pages");
        p.transitions_tour();
        p.shortcut_tour();
        p.credits_tour();
    }
    std::stable_sort(p.plan.events.begin(), p.plan.events.end(),
                     [](const ReplayEvent& a, const ReplayEvent& b) { return a.frame < b.frame; });
    return p.plan;
}

int write_tour(const std::string& path, bool short_tour, FILE* err) {
    if (!replay_start_game(err)) {
        replay_stop_game(err);
        return 2;
    }
    TourGeometry g{};
    const int windowed = present_params.windowed;
    for (int row = 0; row < 2; ++row) {
        present_params.windowed = row == 0 ? 1 : 0;  // the layout follows the presentation set
        const MenuLayout layout = menu_layout();
        for (int col = 0; col < kMenuColumns; ++col) {
            const MenuLabelSize& s = menu_overlay.menu_label_sizes[layout.row][col];
            g.labels[row][col] = TourLabel{layout.x[col], layout.y, s.width, s.height};
        }
    }
    present_params.windowed = windowed;
    g.scroll_end = credits_roll.scroll_end;
    TourPlan plan = plan_tour(scene_table, g, short_tour);
    replay_stop_game(err);
    for (const std::string& m : plan.missing) std::fprintf(err, "poromina-replay: the tour lacks %s\n", m.c_str());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << format_replay(plan.events);
    out.close();
    if (!out) {
        std::fprintf(err, "poromina-replay: cannot write %s\n", path.c_str());
        return 1;
    }
    return 0;
}
