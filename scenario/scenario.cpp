// The scenario script parser: keyed lines of the script into the one scene table, with the line
// and reason of the first line that fails.
#include "scenario/scenario.h"

#include <cstdio>
#include <cstring>

#include "scenario/data_file.h"
#include "scenario/script_lines.h"
#include "scenario/script_text.h"

SceneTable scene_table;

namespace {

// "ＭＳ ゴシック" (full-width ＭＳ, an ASCII space, ゴシック) in Shift-JIS: the balloon font of an
// area until a font line of that area says otherwise.
constexpr const char* kDefaultFontName = "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e";
constexpr int32_t kDefaultFontSize = 33;  // points

enum class Key { comment, seq, rect, next_seq, img_nm, snd_nm, fnt_nm, fnt_sz, fukidasi, anime_nm,
                 opening_snd_nm, ending_snd_nm };

struct KeyText {
    const char* text;  // what the line begins with
    Key key;
};

// Matched in this order; the first key a line begins with decides.
constexpr KeyText kKeys[] = {
    {";", Key::comment},
    {"seq=", Key::seq},
    {"rect=", Key::rect},
    {"next_seq=", Key::next_seq},
    {"img_nm=", Key::img_nm},
    {"snd_nm=", Key::snd_nm},
    {"fukidasi_fnt_nm=", Key::fnt_nm},
    {"fukidasi_fnt_sz=", Key::fnt_sz},
    {"fukidasi=", Key::fukidasi},
    {"anime_nm=", Key::anime_nm},
    {"opening_snd_nm=", Key::opening_snd_nm},
    {"ending_snd_nm=", Key::ending_snd_nm},
};

// What the parser carries from one line to the next.
struct ParserState {
    SceneTable* table;
    int scene = 0;                              // current scene index
    int area = 0;                               // current area index, set by every "rect=" line
    bool new_area = false;                      // the next "rect=" line opens a new area
    bool rect_seen = false;                     // a "rect=" line has been read in this script
    std::string font_name = kDefaultFontName;   // font of the next balloon page
    int32_t font_size = kDefaultFontSize;       // size of the next balloon page, points
    int32_t line = 0;                           // 1-based script line being parsed
    std::string reason;                         // why the line failed
    std::string reason_ja;                      // the same in Japanese
};

ScenarioError last_error;
ScriptLines recorded_lines;

void clear_area(Area* a) {
    a->rect_count = 0;
    std::memset(a->rects, 0, sizeof a->rects);
    a->snd_nm.clear();
    a->fukidasi_count = 0;
    for (int p = 0; p < kMaxPages; ++p) {
        a->fukidasi_fnt_nm[p].clear();
        a->fukidasi_fnt_sz[p] = 0;
        a->fukidasi[p].clear();
    }
    a->anime_nm.clear();
    a->next_seq = 0;
}

void clear_table(SceneTable* t) {
    t->opening_snd_nm.clear();
    t->ending_snd_nm.clear();
    t->scene_count = 0;
    t->current_scene = 0;
    for (Scene& s : t->scenes) {
        s.seq = 0;
        s.img_nm.clear();
        s.area_count = 0;
        for (Area& a : s.areas) clear_area(&a);
    }
}

// Reads one integer after the key with the scan format "<key>%d".
bool scan_one(const char* line, const char* key, int32_t* value) {
    char format[64];
    std::snprintf(format, sizeof format, "%s%%d", key);
    int v = 0;
    if (std::sscanf(line, format, &v) != 1) return false;
    *value = v;
    return true;
}

// Reads four integers after the key with the scan format "<key>%d,%d,%d,%d".
bool scan_four(const char* line, const char* key, HitRect* r) {
    char format[64];
    std::snprintf(format, sizeof format, "%s%%d,%%d,%%d,%%d", key);
    int l = 0, t = 0, rt = 0, b = 0;
    if (std::sscanf(line, format, &l, &t, &rt, &b) != 4) return false;
    *r = HitRect{l, t, rt, b};
    return true;
}

bool fail(ParserState& st, std::string reason, std::string reason_ja) {
    st.reason = std::move(reason);
    st.reason_ja = std::move(reason_ja);
    return false;
}

// Applies one line (or one 511-byte piece of a longer line) to the table; false when it fails.
bool apply_line(ParserState& st, const char* line) {
    const KeyText* match = nullptr;
    for (const KeyText& k : kKeys) {
        if (std::strncmp(line, k.text, std::strlen(k.text)) == 0) {
            match = &k;
            break;
        }
    }
    if (!match) return true;  // empty, unknown or indented: ignored
    const char* value = line + std::strlen(match->text);
    SceneTable* t = st.table;
    Scene& scene = t->scenes[st.scene];
    Area& area = scene.areas[st.area];
    int32_t n = 0;
    switch (match->key) {
    case Key::comment:
        return true;
    case Key::seq:
        if (!scan_one(line, match->text, &n)) return fail(st, "seq= without a number", "seq= に数がありません");
        if (t->scene_count >= kMaxScenes) return fail(st, "more than 200 scenes", "シーンが 200 を超えます");
        st.scene = t->scene_count++;
        t->scenes[st.scene].seq = n;
        t->scenes[st.scene].area_count = 0;
        st.new_area = true;
        recorded_lines.seq[st.scene] = st.line;
        return true;
    case Key::rect: {
        HitRect r{};
        if (!scan_four(line, match->text, &r)) {
            // A space before a comma ends the numbers there: say so, it is the usual slip.
            const bool space_comma = std::strstr(value, " ,") != nullptr;
            return fail(st, space_comma ? "rect= without four numbers (a space stands before a comma)"
                                        : "rect= without four numbers",
                        space_comma ? "rect= に数が四つありません（コンマの前に空白があります）"
                                    : "rect= に数が四つありません");
        }
        if (scene.area_count >= kMaxAreas) return fail(st, "more than 10 areas in one scene", "一つのシーンの領域が 10 を超えます");
        st.area = scene.area_count;
        st.rect_seen = true;
        Area& a = scene.areas[st.area];
        if (st.new_area) {
            a.rect_count = 0;
            a.fukidasi_count = 0;
            st.font_name = kDefaultFontName;
            st.font_size = kDefaultFontSize;
            st.new_area = false;
        }
        if (a.rect_count >= kMaxRects) return fail(st, "more than 40 rectangles in one area", "一つの領域の矩形が 40 を超えます");
        recorded_lines.rect[st.scene][st.area][a.rect_count] = st.line;
        a.rects[a.rect_count++] = r;
        return true;
    }
    case Key::next_seq:
        if (!scan_one(line, match->text, &n)) return fail(st, "next_seq= without a number", "next_seq= に数がありません");
        if (!st.rect_seen) return fail(st, "next_seq= before any rect= line", "最初の rect= 行より前に next_seq= があります");
        if (n < 0 || n >= kMaxScenes)
            return fail(st, "next_seq=" + std::to_string(n) + " is outside 0..199",
                        "next_seq=" + std::to_string(n) + " が 0〜199 の外です");
        if (scene.area_count >= kMaxAreas) return fail(st, "next_seq= would commit an 11th area", "next_seq= が 11 番目の領域を作ります");
        area.next_seq = n;
        recorded_lines.next_seq[st.scene][scene.area_count] = st.line;
        scene.area_count++;
        st.new_area = true;
        return true;
    case Key::img_nm:
        scene.img_nm = value;
        recorded_lines.img_nm[st.scene] = st.line;
        return true;
    case Key::snd_nm:
        if (!st.rect_seen) return fail(st, "snd_nm= before any rect= line", "最初の rect= 行より前に snd_nm= があります");
        area.snd_nm = value;
        recorded_lines.snd_nm[st.scene][st.area] = st.line;
        return true;
    case Key::fnt_nm:
        st.font_name = value;
        return true;
    case Key::fnt_sz:
        if (!scan_one(line, match->text, &n)) return fail(st, "fukidasi_fnt_sz= without a number", "fukidasi_fnt_sz= に数がありません");
        st.font_size = n;
        return true;
    case Key::fukidasi: {
        if (!st.rect_seen) return fail(st, "fukidasi= before any rect= line", "最初の rect= 行より前に fukidasi= があります");
        int k = area.fukidasi_count;
        if (k >= kMaxPages) return fail(st, "more than 10 fukidasi= pages in one area", "一つの領域の fukidasi= ページが 10 を超えます");
        area.fukidasi_fnt_nm[k] = st.font_name;
        area.fukidasi_fnt_sz[k] = st.font_size;
        area.fukidasi[k] = value;
        area.fukidasi_count = k + 1;
        recorded_lines.fukidasi[st.scene][st.area][k] = st.line;
        return true;
    }
    case Key::anime_nm:
        if (!st.rect_seen) return fail(st, "anime_nm= before any rect= line", "最初の rect= 行より前に anime_nm= があります");
        area.anime_nm = value;
        recorded_lines.anime_nm[st.scene][st.area] = st.line;
        return true;
    case Key::opening_snd_nm:
        t->opening_snd_nm = value;
        recorded_lines.opening_snd_nm = st.line;
        return true;
    case Key::ending_snd_nm:
        t->ending_snd_nm = value;
        recorded_lines.ending_snd_nm = st.line;
        return true;
    }
    return true;
}

// Walks the text line by line into a table that is already cleared.
int parse_lines(SceneTable* table, const char* text, int32_t size) {
    recorded_lines.text_bytes = size;
    ParserState st;
    st.table = table;
    st.line = 1;
    LineReader reader{text, size, 0};
    char line[kLineBufferBytes];
    bool continued = false;  // the previous piece was cut off by the buffer's size
    for (;;) {
        int32_t start = reader.pos;
        if (!next_line(&reader, line, sizeof line)) break;
        // A piece ends its script line when it took the CR LF with it; the pieces of a longer
        // line are parsed one by one but share the line's number.
        bool ended = reader.pos - start >= 2 && text[reader.pos - 2] == '\r' &&
                     text[reader.pos - 1] == '\n';
        bool cut = !ended && reader.pos < size;
        if (cut && !continued) {
            if (recorded_lines.long_line_count++ == 0) recorded_lines.first_long_line = st.line;
        }
        if (!apply_line(st, line)) {
            last_error = ScenarioError{st.line, st.reason, st.reason_ja};
            return -1;
        }
        continued = cut;
        if (ended) st.line++;
    }
    return 0;
}

// True when every byte belongs to a well-formed UTF-8 sequence (plain ASCII included).
bool well_formed_utf8(const std::string& text) {
    for (unsigned char c : text)
        if (c >= 0x80) return looks_like_utf8(text);
    return true;
}

void reset_records() {
    last_error = ScenarioError{0, "", ""};
    std::memset(&recorded_lines, 0, sizeof recorded_lines);
}

}  // namespace

int load_scenario(SceneTable* table) {
    clear_table(table);
    reset_records();
    int size = read_data_file(kScenarioPath);
    if (size < 0) {
        last_error = ScenarioError{0, "cannot read the script (missing, empty or over 2,097,152 bytes)",
                                   "シナリオを読めません（ないか、空か、2,097,152 バイトを超えます）"};
        return -1;
    }
    if (!plain_folder().empty()) {
        // A plain folder holds the script as the author wrote it: UTF-8 (LF or CR LF ends) is
        // made into the Shift-JIS CR LF text that pack would store; anything else is taken as
        // Shift-JIS. The text parsed stays in data_buffer as a stored script's would.
        const std::string text(reinterpret_cast<const char*>(data_buffer), static_cast<size_t>(size));
        std::string sjis, why;
        if (well_formed_utf8(text)) {
            if (!script_utf8_to_sjis(text, &sjis, &why)) {
                last_error = ScenarioError{0, "the UTF-8 script does not convert: " + why,
                                           "UTF-8 のシナリオを変換できません: " + why};
                return -1;
            }
            if (sjis.size() > static_cast<size_t>(kDataBufferBytes)) {
                last_error = ScenarioError{0, "the script is over 2,097,152 bytes in Shift-JIS",
                                           "シナリオが Shift-JIS で 2,097,152 バイトを超えます"};
                return -1;
            }
            std::memcpy(data_buffer, sjis.data(), sjis.size());
            size = static_cast<int>(sjis.size());
        }
    }
    return parse_lines(table, reinterpret_cast<const char*>(data_buffer), size);
}

int parse_scenario(SceneTable* table, const char* text, int32_t size) {
    clear_table(table);
    reset_records();
    return parse_lines(table, text, size);
}

const ScenarioError& scenario_error() { return last_error; }

const ScriptLines& script_lines() { return recorded_lines; }
