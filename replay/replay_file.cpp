// Replay files: reading and writing the one-event-per-line text, and the contact sheet of frames.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sstream>

#include "replay/replay.h"

namespace {

struct KindName {
    ReplayKind kind;
    const char* name;
};
constexpr KindName kKindNames[] = {
    {ReplayKind::Left, "left"},   {ReplayKind::Right, "right"}, {ReplayKind::Escape, "esc"},
    {ReplayKind::AltEnter, "altenter"}, {ReplayKind::Clock, "clock"}, {ReplayKind::Shot, "shot"},
    {ReplayKind::Scene, "scene"},
};

const char* kind_name(ReplayKind kind) {
    for (const KindName& k : kKindNames)
        if (k.kind == kind) return k.name;
    return "?";
}

// A whole decimal integer in [low, high]; false for anything else.
bool read_int(const std::string& word, long long low, long long high, long long* value) {
    if (word.empty()) return false;
    errno = 0;
    char* end = nullptr;
    long long v = std::strtoll(word.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < low || v > high) return false;
    *value = v;
    return true;
}

// Parses the words of one event line; "" on success, else the reason.
std::string parse_words(const std::vector<std::string>& words, ReplayEvent* e) {
    long long v = 0;
    if (!read_int(words[0], 0, kMaxReplayFrame, &v)) return "frame number expected, 0.." + std::to_string(kMaxReplayFrame);
    e->frame = static_cast<int>(v);
    if (words.size() < 2) return "event kind expected after the frame number";
    const KindName* found = nullptr;
    for (const KindName& k : kKindNames)
        if (words[1] == k.name) found = &k;
    if (!found) return "unknown event kind \"" + words[1] + "\" (left, right, esc, altenter, clock, shot, scene)";
    e->kind = found->kind;
    const size_t args = words.size() - 2;
    switch (e->kind) {
        case ReplayKind::Left:
        case ReplayKind::Right: {
            long long x = 0, y = 0;
            if (args != 2) return std::string(found->name) + " takes canvas x and y";
            if (!read_int(words[2], 0, 799, &x) || !read_int(words[3], 0, 599, &y))
                return "canvas x must be 0..799 and y 0..599";
            e->x = static_cast<int>(x);
            e->y = static_cast<int>(y);
            return "";
        }
        case ReplayKind::Escape:
        case ReplayKind::AltEnter:
            // Coordinates may follow (every line may carry x y); they mean nothing here.
            if (args != 0 && args != 2) return std::string(found->name) + " takes no arguments";
            return "";
        case ReplayKind::Clock:
            if (args != 1 || !read_int(words[2], 0, INT_MAX, &v)) return "clock takes milliseconds, 0..2147483647";
            e->x = static_cast<int>(v);
            return "";
        case ReplayKind::Scene:
            if (args != 1 || !read_int(words[2], 0, 199, &v)) return "scene takes an entry number, 0..199";
            e->x = static_cast<int>(v);
            return "";
        case ReplayKind::Shot:
            if (args > 1) return "shot takes at most a name";
            if (args == 1) {
                const std::string& n = words[2];
                for (char c : n)
                    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_'))
                        return "a shot name holds only letters, digits, '-' and '_'";
                e->name = n;
            }
            return "";
    }
    return "";
}

}  // namespace

bool parse_replay(const std::string& text, std::vector<ReplayEvent>* events, std::string* error) {
    events->clear();
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words_in(line);
        std::vector<std::string> words;
        for (std::string w; words_in >> w;) words.push_back(w);
        if (words.empty() || words[0][0] == '#') continue;
        ReplayEvent e;
        std::string reason = parse_words(words, &e);
        if (!reason.empty()) {
            *error = "line " + std::to_string(number) + ": " + reason;
            events->clear();
            return false;
        }
        events->push_back(e);
    }
    std::stable_sort(events->begin(), events->end(),
                     [](const ReplayEvent& a, const ReplayEvent& b) { return a.frame < b.frame; });
    return true;
}

std::string format_replay(const std::vector<ReplayEvent>& events) {
    std::string out = "# poromina replay: <frame> <kind> [canvas x y | milliseconds | shot name]\n";
    for (const ReplayEvent& e : events) {
        if (!e.note.empty()) {
            out += "# ";
            for (char c : e.note) out += c == '\n' ? std::string("\n# ") : std::string(1, c);
            out += "\n";
        }
        out += std::to_string(e.frame) + " " + kind_name(e.kind);
        switch (e.kind) {
            case ReplayKind::Left:
            case ReplayKind::Right: out += " " + std::to_string(e.x) + " " + std::to_string(e.y); break;
            case ReplayKind::Clock:
            case ReplayKind::Scene: out += " " + std::to_string(e.x); break;
            case ReplayKind::Shot:
                if (!e.name.empty()) out += " " + e.name;
                break;
            default: break;
        }
        out += "\n";
    }
    return out;
}

std::vector<uint32_t> shrink_frame(const uint32_t* pixels, int w, int h) {
    const int tw = w / kThumbScale, th = h / kThumbScale;
    std::vector<uint32_t> out(static_cast<size_t>(tw) * th);
    constexpr int n = kThumbScale * kThumbScale;
    for (int ty = 0; ty < th; ++ty) {
        for (int tx = 0; tx < tw; ++tx) {
            uint32_t sum[3] = {0, 0, 0};
            for (int dy = 0; dy < kThumbScale; ++dy) {
                const uint32_t* row = pixels + static_cast<size_t>(ty * kThumbScale + dy) * w + tx * kThumbScale;
                for (int dx = 0; dx < kThumbScale; ++dx) {
                    sum[0] += (row[dx] >> 16) & 0xFF;
                    sum[1] += (row[dx] >> 8) & 0xFF;
                    sum[2] += row[dx] & 0xFF;
                }
            }
            out[static_cast<size_t>(ty) * tw + tx] =
                0xFF000000u | ((sum[0] + n / 2) / n) << 16 | ((sum[1] + n / 2) / n) << 8 | (sum[2] + n / 2) / n;
        }
    }
    return out;
}

std::vector<uint32_t> make_contact_sheet(const std::vector<std::vector<uint32_t>>& thumbs, int tw, int th,
                                         int* sheet_w, int* sheet_h) {
    *sheet_w = *sheet_h = 0;
    if (thumbs.empty() || tw <= 0 || th <= 0) return {};
    const int count = static_cast<int>(thumbs.size());
    const int columns = std::min(count, kSheetColumns);
    const int rows = (count + columns - 1) / columns;
    *sheet_w = columns * (tw + kSheetGap) + kSheetGap;
    *sheet_h = rows * (th + kSheetGap) + kSheetGap;
    std::vector<uint32_t> sheet(static_cast<size_t>(*sheet_w) * *sheet_h, kSheetBackground);
    for (int i = 0; i < count; ++i) {
        const int left = kSheetGap + (i % columns) * (tw + kSheetGap);
        const int top = kSheetGap + (i / columns) * (th + kSheetGap);
        const std::vector<uint32_t>& t = thumbs[i];
        if (t.size() != static_cast<size_t>(tw) * th) continue;  // a frame that could not be read
        for (int y = 0; y < th; ++y)
            std::copy(t.begin() + static_cast<ptrdiff_t>(y) * tw, t.begin() + static_cast<ptrdiff_t>(y + 1) * tw,
                      sheet.begin() + static_cast<ptrdiff_t>(top + y) * *sheet_w + left);
    }
    return sheet;
}
