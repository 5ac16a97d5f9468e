// check: loads a game folder's script with the game's own parser and reports, one line each with
// its script line, what would keep the story from playing.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

#include "platform/system/files.h"
#include "platform/text/sjis.h"
#include "scenario/data_file.h"
#include "scenario/scenario.h"
#include "scenario/script_lines.h"
#include "sound/wave_check.h"
#include "tools/tool/picture_check.h"
#include "scenario/script_text.h"
#include "tools/tool/tool.h"

namespace fs = std::filesystem;

namespace {

constexpr int kCanvasWidth = 800;   // pixels
constexpr int kCanvasHeight = 600;  // pixels
constexpr const char* kPointerPath = "data\\GAME39651497";

struct Finding {
    int line;         // script line; 0 for findings about the folder itself
    bool warning;     // reported, but the story still plays
    std::string text; // UTF-8
};

using Findings = std::vector<Finding>;

void report(Findings* f, int line, std::string text) { f->push_back({line, false, std::move(text)}); }
void warn(Findings* f, int line, std::string text) { f->push_back({line, true, std::move(text)}); }

// A script name for the output: UTF-8 in quotes.
std::string quoted(const std::string& sjis_name) { return "\"" + sjis_to_utf8(sjis_name) + "\""; }

// Makes dir the current directory while it lives (the game finds its data folder from there).
struct EnterFolder {
    std::string saved;
    bool entered = false;
    explicit EnterFolder(const std::string& dir) {
        std::error_code ec;
        saved = fs::current_path(ec).string();
        entered = !ec && ::chdir(dir.c_str()) == 0;
    }
    ~EnterFolder() {
        if (entered && ::chdir(saved.c_str()) != 0) std::perror("poromina-tool: cannot return");
    }
    EnterFolder(const EnterFolder&) = delete;
    EnterFolder& operator=(const EnterFolder&) = delete;
};

// A temporary game folder whose "data" links to a data folder given on its own.
struct LinkedGameFolder {
    std::string path;
    explicit LinkedGameFolder(const std::string& data_folder) {  // an absolute path
        std::string pattern = (fs::temp_directory_path() / "poromina-check-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) return;
        path = pattern;
        std::error_code ec;
        fs::create_directory_symlink(data_folder, fs::path(path) / "data", ec);
        if (ec) path.clear();
    }
    ~LinkedGameFolder() {
        std::error_code ec;
        if (!path.empty()) fs::remove_all(path, ec);  // removes the link, never what it names
    }
    LinkedGameFolder(const LinkedGameFolder&) = delete;
    LinkedGameFolder& operator=(const LinkedGameFolder&) = delete;
};

// Size of a game file found by the game's lookup rule; -1 when it is not there.
long long game_file_size(const std::string& game_path) {
    std::string resolved = resolve_game_path(game_path.c_str());
    struct stat st;
    if (resolved.empty() || ::stat(resolved.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    return static_cast<long long>(st.st_size);
}

// Checks of one picture file, read whole into the 2 MiB buffer by the game. Its decoding is
// checked by check_picture_decoding (picture_check.h).
void check_picture_file(const std::string& name, int line, const char* what, Findings* f) {
    long long size = game_file_size("data\\" + name);
    std::string subject = std::string(what) + " " + quoted(name);
    if (size < 0) return report(f, line, subject + " is missing");
    if (size == 0) return report(f, line, subject + " is empty");
    if (size > kDataBufferBytes) return report(f, line, subject + " is over 2,097,152 bytes");
}

// Checks of one sound file, streamed by the game from a WAVE whose RIFF structure is in the
// clear: the game's own reader must open it and the output take its format; a sound that is not
// 16-bit PCM with one or two channels plays but cannot fade (a warning).
void check_sound_file(const std::string& name, int line, const char* key, Findings* f) {
    std::string game_path = "data\\" + name;
    long long size = game_file_size(game_path);
    std::string subject = std::string("sound ") + quoted(name) + " (" + key + ")";
    if (size < 0) return report(f, line, subject + " is missing");
    if (size == 0) return report(f, line, subject + " is empty");
    WaveCheck wave = check_wave_file(game_path.c_str());
    if (!wave.opens) return report(f, line, subject + " will not play: " + wave.reason);
    if (!wave.fadable)
        warn(f, line, subject + ": " + wave.reason);
}

// Checks of the pointer image, read like a picture by the game at start-up.
void check_pointer_file(Findings* f) {
    int size = read_data_file(kPointerPath);
    if (size < 0)
        report(f, 0, "pointer image data\\GAME39651497 is missing, empty or over 2,097,152 bytes");
}

// The script's text as a whole: the game reads Shift-JIS with CR LF line ends.
void check_script_text(Findings* f) {
    const int size = read_data_file("data\\GAME42297263");
    if (size <= 0) return;  // reported by the load
    const std::string text(reinterpret_cast<const char*>(data_buffer), static_cast<size_t>(size));
    if (looks_like_utf8(text))
        report(f, 0, "script data\\GAME42297263 looks like UTF-8 text, not Shift-JIS: balloon texts and "
                     "file names would come out garbled. Store a UTF-8 script with \"poromina-tool pack --utf8\"");
    if (text.find('\n') != std::string::npos && text.find("\r\n") == std::string::npos)
        report(f, 0, "script data\\GAME42297263 has LF line ends only: the game splits lines at CR LF and "
                     "reads it as one line. Store it with \"poromina-tool pack --utf8\"");
}

// Every file the table names.
void check_named_files(const SceneTable& t, const ScriptLines& lines, Findings* f) {
    if (!t.opening_snd_nm.empty())
        check_sound_file(t.opening_snd_nm, lines.opening_snd_nm, "opening_snd_nm=", f);
    if (!t.ending_snd_nm.empty())
        check_sound_file(t.ending_snd_nm, lines.ending_snd_nm, "ending_snd_nm=", f);
    for (int i = 0; i < t.scene_count; ++i) {
        const Scene& s = t.scenes[i];
        if (s.img_nm.empty())
            report(f, lines.seq[i], "scene " + std::to_string(s.seq) + " has no img_nm= line");
        else
            check_picture_file(s.img_nm, lines.img_nm[i], "picture", f);
        for (int a = 0; a < s.area_count; ++a) {
            const Area& area = s.areas[a];
            if (area.fukidasi_count == 0 && !area.snd_nm.empty())
                check_sound_file(area.snd_nm, lines.snd_nm[i][a], "snd_nm=", f);
        }
    }
}

bool on_canvas(const HitRect& r) {
    return r.left <= r.right && r.top <= r.bottom && r.right >= 0 && r.bottom >= 0 &&
           r.left < kCanvasWidth && r.top < kCanvasHeight;
}

// Areas that can never be clicked and links that lead nowhere.
void check_areas(const SceneTable& t, const ScriptLines& lines, Findings* f) {
    std::vector<bool> numbered(kMaxScenes, false);  // some entry carries this scene number
    for (int i = 0; i < t.scene_count; ++i) {
        if (t.scenes[i].seq >= 0 && t.scenes[i].seq < kMaxScenes) numbered[t.scenes[i].seq] = true;
    }
    for (int i = 0; i < t.scene_count; ++i) {
        const Scene& s = t.scenes[i];
        std::string scene = "scene " + std::to_string(s.seq);
        if (s.seq != i)
            report(f, lines.seq[i], scene + " stands at entry " + std::to_string(i) +
                                        ": scenes must be numbered 0, 1, 2... in script order");
        for (int a = 0; a < s.area_count; ++a) {
            const Area& area = s.areas[a];
            std::string where = scene + " area " + std::to_string(a);
            for (int r = 0; r < area.rect_count; ++r) {
                if (!on_canvas(area.rects[r]))
                    report(f, lines.rect[i][a][r], where + ": rectangle lies outside the 800x600 canvas");
            }
            if (area.rect_count == 0)
                warn(f, lines.next_seq[i][a], where + " has no rect= line and can never be clicked");
            // The picture comes from entry next_seq, the areas from the entries numbered so.
            int next = area.next_seq;
            if (area.fukidasi_count == 0 && (next >= t.scene_count || !numbered[next]))
                report(f, lines.next_seq[i][a], where + " leads to scene " + std::to_string(area.next_seq) +
                                                    ", which the script does not define");
        }
        if (s.area_count < kMaxAreas && s.areas[s.area_count].rect_count > 0)
            report(f, lines.rect[i][s.area_count][0],
                   scene + " area " + std::to_string(s.area_count) +
                       " has rect= lines but no next_seq= line; it is never counted");
    }
}

// Scenes that no chain of links reaches from scene 0.
void check_reachable(const SceneTable& t, const ScriptLines& lines, Findings* f) {
    std::vector<bool> reached(kMaxScenes, false);
    std::vector<int> queue{0};
    reached[0] = true;
    while (!queue.empty()) {
        int number = queue.back();
        queue.pop_back();
        // Clicks in scene N hit the areas of every entry numbered N.
        for (int i = 0; i < t.scene_count; ++i) {
            const Scene& s = t.scenes[i];
            if (s.seq != number) continue;
            for (int a = 0; a < s.area_count; ++a) {
                const Area& area = s.areas[a];
                // A balloon area only opens its balloon (area 0 of entry 103 starts the staff
                // roll, which leads back to scene 0, reached already).
                if (area.fukidasi_count > 0) continue;
                int next = area.next_seq;
                if (next >= 0 && next < kMaxScenes && !reached[next]) {
                    reached[next] = true;
                    queue.push_back(next);
                }
            }
        }
    }
    for (int i = 0; i < t.scene_count; ++i) {
        int seq = t.scenes[i].seq;
        if (seq < 0 || seq >= kMaxScenes || !reached[seq])
            report(f, lines.seq[i], "scene " + std::to_string(seq) + " is reached by no link from scene 0");
    }
}

// Finds the game folder for dir: dir itself when it holds "data", else a folder made to hold dir
// as its "data" when dir holds the script. Returns "" when dir is neither.
std::string game_folder_for(const std::string& dir, std::unique_ptr<LinkedGameFolder>* link) {
    std::error_code ec;
    std::string full = fs::absolute(dir, ec).string();
    EnterFolder in(dir);
    if (!in.entered) return "";
    std::string data = resolve_game_path("data");
    if (!data.empty() && fs::is_directory(data, ec)) return dir;
    if (game_file_size("GAME42297263") < 0) return "";
    *link = std::make_unique<LinkedGameFolder>(full);
    return (*link)->path;  // "" when it could not be made
}

}  // namespace

int check_folder(const std::string& dir, FILE* out, FILE* err) {
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) {
        std::fprintf(err, "poromina-tool check: %s: not a folder\n", dir.c_str());
        return kToolBadUsage;
    }
    std::unique_ptr<LinkedGameFolder> link;
    std::string game = game_folder_for(dir, &link);
    if (game.empty()) {
        std::fprintf(err, "poromina-tool check: %s: %s\n", dir.c_str(),
                     link ? "cannot make a temporary game folder around this data folder"
                          : "holds neither a data folder nor GAME42297263");
        return kToolBadUsage;
    }
    EnterFolder in(game);
    if (!in.entered) {
        std::fprintf(err, "poromina-tool check: %s: cannot enter the folder\n", game.c_str());
        return kToolBadUsage;
    }

    Findings findings;
    check_script_text(&findings);
    int loaded = load_scenario(&scene_table);
    const ScriptLines& lines = script_lines();
    if (loaded != 0) {
        const ScenarioError& e = scenario_error();
        report(&findings, e.line, e.line == 0 ? "script data\\GAME42297263: " + e.reason
                                              : "the script stops loading here: " + e.reason);
    }
    if (lines.long_line_count > 0)
        warn(&findings, lines.first_long_line,
             std::to_string(lines.long_line_count) +
                 " line(s) over 511 bytes, from here on; each 511-byte piece is read as a line of its own");
    check_named_files(scene_table, lines, &findings);
    for (const PictureProblem& p : check_picture_decoding(scene_table))
        report(&findings, p.entry < 0 ? 0 : lines.img_nm[p.entry],
               (p.entry < 0 ? std::string("pointer image data\\GAME39651497") : "picture " + quoted(p.name)) + " " +
                   p.reason);
    if (loaded == 0) {
        if (scene_table.scene_count == 0) report(&findings, 0, "the script defines no scene");
        check_areas(scene_table, lines, &findings);
        check_reachable(scene_table, lines, &findings);
    }
    check_pointer_file(&findings);

    std::stable_sort(findings.begin(), findings.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    int problems = 0;
    for (const Finding& f : findings) {
        if (!f.warning) ++problems;
        if (f.line > 0) std::fprintf(out, "line %d: ", f.line);
        std::fprintf(out, "%s%s\n", f.warning ? "warning: " : "", f.text.c_str());
    }
    if (problems == 0)
        std::fprintf(out, "playable\n");
    else
        std::fprintf(out, "not playable: %d problem%s\n", problems, problems == 1 ? "" : "s");
    return problems == 0 ? kToolOk : kToolFailed;
}
