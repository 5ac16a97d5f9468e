// The demo story's script, read with the game's parser: the scenes the player walks through,
// every transition, the balloon variety, the fixed entries 26, 86 and 103, and reachability.
#include <algorithm>
#include <set>
#include <vector>

#include "demo/demo_fixtures.h"
#include "gfx/text.h"
#include "platform/text/sjis.h"
#include "tools/demogen/story.h"

namespace {

std::string u8(const std::string& sjis_text) { return sjis_to_utf8(sjis_text); }

// True when a page holds a one-byte backslash (a line break), not a trail byte 0x5C.
bool has_line_break(const std::string& page) {
    for (size_t i = 0; i < page.size();) {
        unsigned char b = static_cast<unsigned char>(page[i]);
        if (b == 0x5C) return true;
        i += static_cast<size_t>(sjis_char_bytes(b));
    }
    return false;
}

}  // namespace

TEST(DemoScript, IsShiftJisWithCrLfAndNumbersItsScenesInOrder) {
    std::string text = read_file(demo_plain() + "/GAME42297263");
    ASSERT_FALSE(text.empty());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare LF at byte " << i;
        }
    }
    EXPECT_NE(u8(text).find("ミナ"), std::string::npos) << "the text is not Shift-JIS Japanese";
    EXPECT_LE(text.size(), 2097152u) << "the script must fit the data buffer";

    auto t = load_demo_table();
    ASSERT_GE(t->scene_count, 104) << "entries 0 to 103 are all used by the game";
    for (int i = 0; i < t->scene_count; ++i) {
        EXPECT_EQ(t->scenes[i].seq, i) << "the scene numbered N must be entry N";
        EXPECT_FALSE(t->scenes[i].img_nm.empty()) << "scene " << i;
        EXPECT_GT(t->scenes[i].area_count, 0) << "scene " << i << " has nothing to click";
    }
    EXPECT_FALSE(t->opening_snd_nm.empty());
    EXPECT_FALSE(t->ending_snd_nm.empty());
}

TEST(DemoScript, UsesEveryTransitionAndOneTheGameDoesNotKnow) {
    auto t = load_demo_table();
    std::set<std::string> used;
    for (int i = 0; i < t->scene_count; ++i) {
        for (int a = 0; a < t->scenes[i].area_count; ++a) used.insert(u8(t->scenes[i].areas[a].anime_nm));
    }
    int known = 0;
    for (const char* name : kTransitionNames) {
        EXPECT_TRUE(used.count(name)) << "transition " << name << " is never used";
        known += used.count(name) ? 1 : 0;
    }
    std::set<std::string> names(std::begin(kTransitionNames), std::end(kTransitionNames));
    names.insert("");
    bool unknown = false;
    for (const std::string& n : used) unknown = unknown || !names.count(n);
    EXPECT_TRUE(unknown) << "no link names an unknown transition";
    EXPECT_EQ(known, 12);
}

TEST(DemoScript, BalloonsVaryInPagesFacesAndSizes) {
    auto t = load_demo_table();
    bool one_page = false, ten_pages = false, line_break = false, size_changes_mid_balloon = false;
    std::set<std::string> faces;
    std::set<int> sizes;
    for (int i = 0; i < t->scene_count; ++i) {
        for (int a = 0; a < t->scenes[i].area_count; ++a) {
            const Area& area = t->scenes[i].areas[a];
            if (area.fukidasi_count == 0) continue;
            one_page = one_page || area.fukidasi_count == 1;
            ten_pages = ten_pages || area.fukidasi_count == 10;
            for (int p = 0; p < area.fukidasi_count; ++p) {
                faces.insert(u8(area.fukidasi_fnt_nm[p]));
                sizes.insert(area.fukidasi_fnt_sz[p]);
                line_break = line_break || has_line_break(area.fukidasi[p]);
                if (p > 0 && area.fukidasi_fnt_sz[p] != area.fukidasi_fnt_sz[0]) size_changes_mid_balloon = true;
                EXPECT_LE(area.fukidasi[p].size(), 502u) << "scene " << i << " area " << a << " page " << p;
            }
        }
    }
    EXPECT_TRUE(one_page);
    EXPECT_TRUE(ten_pages);
    EXPECT_TRUE(line_break) << "no page breaks its line with a one-byte backslash";
    EXPECT_TRUE(size_changes_mid_balloon);
    for (const char* face : {"ＭＳ ゴシック", "ＭＳ Ｐゴシック", "ＭＳ 明朝", "ＭＳ Ｐ明朝"}) {
        EXPECT_TRUE(faces.count(face)) << "face " << face << " is never used";
    }
    EXPECT_GE(sizes.size(), 4u);
    EXPECT_TRUE(sizes.count(33)) << "the default size";
}

TEST(DemoScript, FixedEntriesShortcutStaffRollAndSoundLinks) {
    auto t = load_demo_table();
    // Entry 26, area 0: an ordinary link until scene 86 is reached, which then leads there.
    const Area& shortcut = t->scenes[26].areas[0];
    EXPECT_EQ(shortcut.fukidasi_count, 0) << "entry 26 area 0 must be a scene link";
    EXPECT_NE(shortcut.next_seq, 86);
    EXPECT_GT(t->scenes[26].area_count, 0);
    // Entry 103, area 0 starts the staff roll: it must be a balloon area.
    EXPECT_GT(t->scenes[103].area_count, 0);
    EXPECT_GT(t->scenes[103].areas[0].fukidasi_count, 0) << "entry 103 area 0 must be a balloon area";

    bool to_86_with_sound = false, back_to_26_after_86 = false, self_link_with_sound = false;
    bool link_without_sound = false, link_with_sound = false;
    for (int i = 0; i < t->scene_count; ++i) {
        for (int a = 0; a < t->scenes[i].area_count; ++a) {
            const Area& area = t->scenes[i].areas[a];
            if (area.fukidasi_count > 0) continue;
            link_with_sound = link_with_sound || !area.snd_nm.empty();
            link_without_sound = link_without_sound || area.snd_nm.empty();
            if (area.next_seq == 86 && !area.snd_nm.empty()) to_86_with_sound = true;
            if (area.next_seq == i && !area.snd_nm.empty()) self_link_with_sound = true;
            if (i > 86 && i < 103 && area.next_seq == 26) back_to_26_after_86 = true;
        }
    }
    EXPECT_TRUE(to_86_with_sound) << "the shortcut copies the sound of the link that reached 86";
    EXPECT_TRUE(back_to_26_after_86) << "the player can return to the crossroads after 86";
    EXPECT_TRUE(self_link_with_sound) << "no link replays its sound on the scene it is on";
    EXPECT_TRUE(link_with_sound);
    EXPECT_TRUE(link_without_sound);
}

TEST(DemoScript, EverySceneIsReachedFromSceneZeroAndLinksStayInside) {
    auto t = load_demo_table();
    std::vector<bool> reached(static_cast<size_t>(t->scene_count), false);
    std::vector<int> queue{0};
    reached[0] = true;
    while (!queue.empty()) {
        int s = queue.back();
        queue.pop_back();
        for (int a = 0; a < t->scenes[s].area_count; ++a) {
            const Area& area = t->scenes[s].areas[a];
            for (int r = 0; r < area.rect_count; ++r) {
                const HitRect& rect = area.rects[r];
                EXPECT_TRUE(rect.left >= 0 && rect.top >= 0 && rect.right <= 799 && rect.bottom <= 599 &&
                            rect.left <= rect.right && rect.top <= rect.bottom)
                    << "scene " << s << " area " << a << " rect " << r;
            }
            if (area.fukidasi_count > 0) continue;
            ASSERT_GE(area.next_seq, 0);
            ASSERT_LT(area.next_seq, t->scene_count) << "scene " << s << " area " << a;
            if (!reached[area.next_seq]) {
                reached[area.next_seq] = true;
                queue.push_back(area.next_seq);
            }
        }
    }
    for (int i = 0; i < t->scene_count; ++i) EXPECT_TRUE(reached[i]) << "scene " << i << " is unreachable";
}

TEST(DemoScript, EveryBalloonPageFitsTheBalloon) {
    auto t = load_demo_table();
    for (int i = 0; i < t->scene_count; ++i) {
        for (int a = 0; a < t->scenes[i].area_count; ++a) {
            const Area& area = t->scenes[i].areas[a];
            for (int p = 0; p < area.fukidasi_count; ++p) {
                // The balloon breaks lines at a one-byte backslash; measure each line alone.
                const std::string& page = area.fukidasi[p];
                int total = 0, widest = 0;
                size_t start = 0;
                for (size_t k = 0; k <= page.size();) {
                    bool end = k == page.size();
                    if (end || static_cast<unsigned char>(page[k]) == 0x5C) {
                        std::string part = page.substr(start, k - start);
                        int w = 0, h = 0;
                        ASSERT_GE(measure_text(area.fukidasi_fnt_nm[p].c_str(), area.fukidasi_fnt_sz[p],
                                               part.empty() ? " " : part.c_str(), &w, &h), 0);
                        widest = std::max(widest, w);
                        total += h;
                        start = k + 1;
                        if (end) break;
                        ++k;
                        continue;
                    }
                    k += static_cast<size_t>(sjis_char_bytes(static_cast<unsigned char>(page[k])));
                }
                EXPECT_LE(widest, 792) << "scene " << i << " area " << a << " page " << p << ": " << u8(page);
                EXPECT_LE(total, 196) << "scene " << i << " area " << a << " page " << p << ": " << u8(page);
            }
        }
    }
}
