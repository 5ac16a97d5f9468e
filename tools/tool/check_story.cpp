// poromina-tool check: the story as the game reads it. Where loading stops, links that lead
// nowhere, entries numbered against their order, entries no link reaches, transition names the
// game does not know, balloon pages larger than the balloon, the staff roll's entry, and lines
// the game ignores because a space stands before their key.
#include <cstdio>
#include <cstring>
#include <vector>

#include "gfx/text.h"
#include "scenario/data_file.h"
#include "platform/text/sjis.h"
#include "scene/balloon.h"
#include "scene/hotspot.h"
#include "scene/transition.h"
#include "tools/tool/check.h"

namespace {

// The keys a script line may begin with (the game's own list, for the lines it ignores).
constexpr const char* kScriptKeys[] = {"seq=", "rect=", "next_seq=", "img_nm=", "snd_nm=", "fukidasi_fnt_nm=",
                                       "fukidasi_fnt_sz=", "fukidasi=", "anime_nm=", "opening_snd_nm=",
                                       "ending_snd_nm="};

// "the 2nd seq= line" and the like.
std::string ordinal(int n) {
    const int tens = n % 100;
    const char* suffix = tens >= 11 && tens <= 13 ? "th" : n % 10 == 1 ? "st" : n % 10 == 2 ? "nd" : n % 10 == 3 ? "rd" : "th";
    return std::to_string(n) + suffix;
}

// The script's lines as the game numbers them: split at CR LF.
std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        size_t end = text.find("\r\n", start);
        out.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return out;
        start = end + 2;
    }
}

// What the game does with the line where loading stopped, in the author's terms.
std::string explain_stop(const std::string& reason, const std::string& line) {
    std::string text = "the script stops loading here: " + reason;
    if (line.rfind("rect=", 0) == 0 && reason.rfind("rect= without", 0) == 0) {
        // The reader's own short word on it gives way to the longer one here.
        text = "the script stops loading here: rect= without four numbers";
        std::string mended;
        for (size_t i = 0; i < line.size(); ++i) {
            if (line[i] == ' ' && line.find_first_not_of(' ', i) != std::string::npos &&
                line[line.find_first_not_of(' ', i)] == ',')
                continue;
            mended += line[i];
        }
        if (mended != line)
            text += ": a space stands before a comma, and the game reads the numbers only up to it, so it "
                    "refuses the line; write " + sjis_to_utf8(mended);
        else
            text += ": the game needs rect=left,top,right,bottom";
    }
    return text + ". The game does not start (start-up failed)";
}

// Lines whose key stands after spaces: the game ignores them whole.
void check_ignored_lines(const std::vector<std::string>& lines, CheckReport* r) {
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& l = lines[i];
        size_t at = 0;
        while (at < l.size()) {
            if (l[at] == ' ' || l[at] == '\t') ++at;
            else if (l.compare(at, 2, "\x81\x40") == 0) at += 2;  // the full-width space
            else break;
        }
        if (at == 0 || at == l.size()) continue;
        for (const char* key : kScriptKeys) {
            if (l.compare(at, std::strlen(key), key) == 0) {
                r->warn(static_cast<int>(i + 1), std::string("\"") + key + "\" stands after a space at the start "
                        "of the line: the game ignores the whole line");
                break;
            }
        }
    }
}

bool on_canvas(const HitRect& h) {
    return h.right >= 0 && h.bottom >= 0 && h.left < kCanvasWidth && h.top < kCanvasHeight;
}

std::string rect_text(const HitRect& h) {
    return std::to_string(h.left) + "," + std::to_string(h.top) + "," + std::to_string(h.right) + "," +
           std::to_string(h.bottom);
}

// Rectangles, uncommitted areas, links, and entries numbered against their order.
void check_areas(const SceneTable& t, const ScriptLines& lines, CheckReport* r) {
    std::vector<bool> numbered(kMaxScenes, false);  // some entry carries this scene number
    for (int i = 0; i < t.scene_count; ++i)
        if (t.scenes[i].seq >= 0 && t.scenes[i].seq < kMaxScenes) numbered[t.scenes[i].seq] = true;
    for (int i = 0; i < t.scene_count; ++i) {
        const Scene& s = t.scenes[i];
        const std::string entry = "entry " + std::to_string(i);
        if (s.seq != i)
            r->error(lines.seq[i], "seq=" + std::to_string(s.seq) + " starts " + entry + " (the " + ordinal(i + 1) +
                                       " seq= line): entries count by their order in the script, not by the number "
                                       "after seq=, so a link to it says next_seq=" + std::to_string(i) +
                                       "; the number only says in which scene its hot-spots answer (" +
                                       std::to_string(s.seq) + ", never while it is shown). Write seq=" +
                                       std::to_string(i));
        for (int a = 0; a < s.area_count; ++a) {
            const Area& area = s.areas[a];
            const std::string where = entry + " area " + std::to_string(a);
            for (int k = 0; k < area.rect_count; ++k) {
                const HitRect& h = area.rects[k];
                const int line = lines.rect[i][a][k];
                if (h.left > h.right)
                    r->error(line, where + ": rect=" + rect_text(h) + " has left " + std::to_string(h.left) +
                                       " greater than right " + std::to_string(h.right) + ": it holds no point");
                else if (h.top > h.bottom)
                    r->error(line, where + ": rect=" + rect_text(h) + " has top " + std::to_string(h.top) +
                                       " greater than bottom " + std::to_string(h.bottom) + ": it holds no point");
                else if (!on_canvas(h))
                    r->error(line, where + ": rect=" + rect_text(h) + " lies outside the 800x600 canvas");
            }
            if (area.rect_count == 0)
                r->warn(lines.next_seq[i][a], where + " has no rect= line and can never be clicked");
            if (area.fukidasi_count > 0) continue;
            const int next = area.next_seq;
            const int line = lines.next_seq[i][a];
            if (next >= t.scene_count)
                r->error(line, where + " leads to entry " + std::to_string(next) + ", which the script does not "
                                   "define: it has " + std::to_string(t.scene_count) + " entr" +
                                   (t.scene_count == 1 ? "y" : "ies") + ", counted by the order of their seq= lines from 0");
            else if (!numbered[next])
                r->error(line, where + " leads to entry " + std::to_string(next) + ", whose line says seq=" +
                                   std::to_string(t.scenes[next].seq) + ": its picture shows, but none of its "
                                   "hot-spots answer there");
        }
        if (s.area_count < kMaxAreas && s.areas[s.area_count].rect_count > 0)
            r->error(lines.rect[i][s.area_count][0], entry + " area " + std::to_string(s.area_count) +
                                                         " has rect= lines but no next_seq= line; it is never counted");
    }
}

// Entries that no chain of clicks reaches from the first: they play, but nobody sees them.
void check_reachable(const SceneTable& t, const ScriptLines& lines, CheckReport* r) {
    std::vector<bool> reached(kMaxScenes, false);  // by scene number
    std::vector<int> queue{0};
    reached[0] = true;
    while (!queue.empty()) {
        const int number = queue.back();
        queue.pop_back();
        // Clicks while scene N is shown hit the areas of every entry numbered N.
        for (int i = 0; i < t.scene_count; ++i) {
            const Scene& s = t.scenes[i];
            if (s.seq != number) continue;
            for (int a = 0; a < s.area_count; ++a) {
                const Area& area = s.areas[a];
                // A balloon only opens (the staff roll leads back to scene 0, reached already).
                if (area.fukidasi_count > 0) continue;
                const int next = area.next_seq;
                if (next >= 0 && next < kMaxScenes && !reached[next]) {
                    reached[next] = true;
                    queue.push_back(next);
                }
            }
        }
    }
    // One warning for each run of consecutive entries (room left for scenes to come, say).
    for (int i = 0; i < t.scene_count; ++i) {
        if (reached[i]) continue;
        int last = i;
        while (last + 1 < t.scene_count && !reached[last + 1]) ++last;
        if (last == i)
            r->warn(lines.seq[i], "entry " + std::to_string(i) + " is reached by no link from entry 0: "
                                  "it plays, but the player never sees it");
        else
            r->warn(lines.seq[i], "entries " + std::to_string(i) + " to " + std::to_string(last) +
                                      " are reached by no link from entry 0: they play, but the player never "
                                      "sees them");
        i = last;
    }
}

// Transition names: the game knows twelve, matched byte for byte; any other name cuts at once.
void check_transitions(const SceneTable& t, const ScriptLines& lines, CheckReport* r) {
    std::string instant;
    utf8_to_sjis("即時表示", &instant);
    std::vector<std::pair<std::string, int>>& used = r->transitions;
    for (int i = 0; i < t.scene_count; ++i) {
        const Scene& s = t.scenes[i];
        for (int a = 0; a < s.area_count; ++a) {
            const Area& area = s.areas[a];
            if (area.fukidasi_count > 0) continue;
            const std::string& name = area.anime_nm;
            const bool known = name.empty() || name == instant || transition_kind_from_name(name.c_str()) != 0;
            std::string label = name.empty() ? "none (cuts at once)" : sjis_to_utf8(name);
            if (!known) {
                std::string hint;
                if (name.find_last_not_of(" \t") != name.size() - 1) hint = " (it ends in a space)";
                r->warn(lines.anime_nm[i][a], "entry " + std::to_string(i) + " area " + std::to_string(a) +
                                                  ": anime_nm " + quoted(name) + hint + " is not one of the twelve "
                                                  "transition names: the link cuts at once");
                label = "unknown " + quoted(name);
            }
            bool counted = false;
            for (auto& u : used)
                if (u.first == label) ++u.second, counted = true;
            if (!counted) used.emplace_back(label, 1);
        }
    }
}

// A page as the balloon lays it out: a one-byte backslash breaks the line as a line feed does.
std::string balloon_layout_text(const std::string& page) {
    std::string text = page;
    for (size_t i = 0; i < text.size();) {
        const int n = sjis_char_bytes(static_cast<unsigned char>(text[i]));
        if (n == 1 && text[i] == '\\') text[i] = '\n';
        i += static_cast<size_t>(n);
    }
    return text;
}

// Balloon pages larger than the balloon's 792x196 text area are cut at its edges.
void check_balloons(const SceneTable& t, const ScriptLines& lines, CheckReport* r) {
    for (int i = 0; i < t.scene_count; ++i) {
        const Scene& s = t.scenes[i];
        for (int a = 0; a < s.area_count; ++a) {
            const Area& area = s.areas[a];
            for (int p = 0; p < area.fukidasi_count; ++p) {
                const std::string text = balloon_layout_text(area.fukidasi[p]);
                int w = 0, h = 0;
                const std::string where = "entry " + std::to_string(i) + " area " + std::to_string(a) +
                                          " balloon page " + std::to_string(p + 1);
                const std::string font = sjis_to_utf8(area.fukidasi_fnt_nm[p]) + " " +
                                         std::to_string(area.fukidasi_fnt_sz[p]) + " pt";
                if (measure_text(area.fukidasi_fnt_nm[p].c_str(), area.fukidasi_fnt_sz[p], text.c_str(), &w, &h) < 0) {
                    r->warn(lines.fukidasi[i][a][p], where + ": its text cannot be laid out in " + font +
                                                         "; the balloon would show no text");
                    continue;
                }
                if (w > kBalloonWidth || h > kBalloonHeight)
                    r->warn(lines.fukidasi[i][a][p], where + " is " + std::to_string(w) + "x" + std::to_string(h) +
                                                         " pixels in " + font + ", larger than the balloon's " +
                                                         std::to_string(kBalloonWidth) + "x" +
                                                         std::to_string(kBalloonHeight) + ": the rest is cut off "
                                                         "(break lines with \\, or use a smaller size)");
            }
        }
    }
}

// The staff roll starts only from a balloon in area 0 of entry 103.
void check_staff_roll(const SceneTable& t, const ScriptLines& lines, CheckReport* r) {
    const std::string entry = "entry " + std::to_string(kCreditsEntry);
    if (t.scene_count <= kCreditsEntry) {
        r->staff_roll = "none (the script has no " + entry + ")";
        if (!t.ending_snd_nm.empty())
            r->warn(lines.ending_snd_nm, "ending_snd_nm= is set, but the staff roll starts only from area 0 of " +
                                             entry + " (the 104th seq= line), and the script has " +
                                             std::to_string(t.scene_count) + " entries: the roll never plays");
        return;
    }
    const Scene& s = t.scenes[kCreditsEntry];
    if (s.area_count == 0) {
        r->staff_roll = "never (" + entry + " has no area)";
        r->warn(lines.seq[kCreditsEntry], entry + " has no area: the staff roll starts from a balloon in its area 0, "
                                                  "so it can never start");
    } else if (s.areas[0].fukidasi_count == 0) {
        r->staff_roll = "never (" + entry + " area 0 is a link)";
        r->warn(lines.next_seq[kCreditsEntry][0], entry + " area 0 is a link, not a balloon: the staff roll starts "
                                                          "only from a balloon there, so it can never start (give "
                                                          "the area a fukidasi= line)");
    } else {
        r->staff_roll = "from " + entry + " area 0";
    }
}

}  // namespace

void check_story(const SceneTable& t, const ScriptLines& lines, const std::string& script_text, bool loaded,
                 CheckReport* r) {
    const std::vector<std::string> text_lines = split_lines(script_text);
    check_ignored_lines(text_lines, r);
    if (!loaded) {
        const ScenarioError& e = scenario_error();
        if (e.line == 0) {
            const std::string why = r->script_size < 0  ? "is missing"
                                    : r->script_size == 0 ? "is empty"
                                    : r->script_size > kDataBufferBytes
                                        ? "is " + std::to_string(r->script_size) + " bytes, over the 2,097,152 the game reads"
                                        : e.reason;
            r->findings.push_back({r->script_file, 0, false, "the script " + why + ". The game does not start (start-up failed)"});
        } else {
            const std::string line = e.line <= static_cast<int>(text_lines.size()) ? text_lines[e.line - 1] : "";
            r->error(e.line, explain_stop(e.reason, line));
        }
    }
    if (lines.long_line_count > 0)
        r->warn(lines.first_long_line, std::to_string(lines.long_line_count) +
                                           " line(s) over 511 bytes, from here on; each 511-byte piece is read as a "
                                           "line of its own");
    r->entries = t.scene_count;
    for (int i = 0; i < t.scene_count; ++i)
        for (int a = 0; a < t.scenes[i].area_count; ++a)
            ++(t.scenes[i].areas[a].fukidasi_count > 0 ? r->balloons : r->links);
    if (!loaded) return;
    if (t.scene_count == 0) {
        r->error(0, "the script defines no scene (no seq= line): there is nothing to show");
        return;
    }
    check_areas(t, lines, r);
    check_reachable(t, lines, r);
    check_transitions(t, lines, r);
    check_balloons(t, lines, r);
    check_staff_roll(t, lines, r);
}
