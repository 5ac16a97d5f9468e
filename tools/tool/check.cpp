// check: loads a game folder's script with the game's own parser, reads every file it names with
// the game's own readers, and reports each thing the game would get wrong with its file and line,
// as an error (the story cannot play as written) or a warning (it plays, but probably not as
// meant), then a summary of the story.
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
#include "scenario/script_text.h"
#include "tools/tool/check.h"
#include "tools/tool/game_folder.h"
#include "tools/tool/tool.h"

namespace fs = std::filesystem;

std::string quoted(const std::string& sjis_name) { return "\"" + sjis_to_utf8(sjis_name) + "\""; }

namespace {

// The script's text as a whole: the game reads Shift-JIS with CR LF line ends.
void check_script_text(const std::string& text, CheckReport* r) {
    const std::string name = "GAME42297263";
    if (looks_like_utf8(text))
        r->file_error(name, "the script looks like UTF-8 text, not Shift-JIS: balloon texts and file names would "
                            "come out garbled. Store a UTF-8 script with \"poromina-tool pack --utf8\"");
    if (text.find('\n') != std::string::npos && text.find("\r\n") == std::string::npos)
        r->file_error(name, "the script has LF line ends only: the game splits lines at CR LF and reads it as one "
                            "line. Store it with \"poromina-tool pack --utf8\"");
}

std::string json_string(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') out += '\\', out += static_cast<char>(c);
        else if (c == '\n') out += "\\n";
        else if (c < 0x20) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        } else out += static_cast<char>(c);
    }
    return out + "\"";
}

std::string json_list(const std::vector<std::string>& items) {
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i) out += (i ? ", " : "") + json_string(items[i]);
    return out + "]";
}

void print_text(const CheckReport& r, int errors, int warnings, FILE* out) {
    for (const Finding& f : r.findings) {
        std::fprintf(out, "%s:", f.file.c_str());
        if (f.line > 0) std::fprintf(out, "%d:", f.line);
        std::fprintf(out, " %s: %s\n", f.warning ? "warning" : "error", f.text.c_str());
    }
    std::fprintf(out, "entries: %d, links: %d, balloons: %d, staff roll: %s\n", r.entries, r.links, r.balloons,
                 r.staff_roll.empty() ? "not checked" : r.staff_roll.c_str());
    std::string kinds;
    for (const auto& t : r.transitions) kinds += (kinds.empty() ? "" : ", ") + t.first + " x" + std::to_string(t.second);
    std::fprintf(out, "transitions: %s\n", kinds.empty() ? "none" : kinds.c_str());
    for (const std::string& p : r.pictures) std::fprintf(out, "picture %s\n", p.c_str());
    for (const std::string& s : r.sounds) std::fprintf(out, "sound %s\n", s.c_str());
    std::fprintf(out, "%d error%s, %d warning%s\n", errors, errors == 1 ? "" : "s", warnings, warnings == 1 ? "" : "s");
    std::fprintf(out, "%s\n", errors == 0 ? "playable" : "not playable");
}

void print_json(const CheckReport& r, int errors, int warnings, FILE* out) {
    std::fprintf(out, "{\n  \"playable\": %s,\n  \"errors\": %d,\n  \"warnings\": %d,\n  \"findings\": [",
                 errors == 0 ? "true" : "false", errors, warnings);
    for (size_t i = 0; i < r.findings.size(); ++i) {
        const Finding& f = r.findings[i];
        std::fprintf(out, "%s\n    {\"file\": %s, \"line\": %d, \"severity\": \"%s\", \"message\": %s}", i ? "," : "",
                     json_string(f.file).c_str(), f.line, f.warning ? "warning" : "error", json_string(f.text).c_str());
    }
    std::fprintf(out, "%s],\n  \"entries\": %d,\n  \"links\": %d,\n  \"balloons\": %d,\n  \"staff_roll\": %s,\n",
                 r.findings.empty() ? "" : "\n  ", r.entries, r.links, r.balloons, json_string(r.staff_roll).c_str());
    std::fprintf(out, "  \"transitions\": {");
    for (size_t i = 0; i < r.transitions.size(); ++i)
        std::fprintf(out, "%s%s: %d", i ? ", " : "", json_string(r.transitions[i].first).c_str(), r.transitions[i].second);
    std::fprintf(out, "},\n  \"pictures\": %s,\n  \"sounds\": %s\n}\n", json_list(r.pictures).c_str(),
                 json_list(r.sounds).c_str());
}

}  // namespace

int check_folder(const std::string& dir, FILE* out, FILE* err, bool json) {
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

    CheckReport report;
    report.data = link ? "" : "data/";
    report.script_file = report.data + "GAME42297263";
    report.script_size = game_file_size(kScenarioPath);
    std::string script_text;
    const int size = read_data_file(kScenarioPath);
    if (size > 0) script_text.assign(reinterpret_cast<const char*>(data_buffer), static_cast<size_t>(size));
    check_script_text(script_text, &report);
    const bool loaded = load_scenario(&scene_table) == 0;
    check_story(scene_table, script_lines(), script_text, loaded, &report);
    check_files(scene_table, script_lines(), &report);

    std::stable_sort(report.findings.begin(), report.findings.end(), [](const Finding& a, const Finding& b) {
        return a.file != b.file ? a.file < b.file : a.line < b.line;
    });
    const int errors = static_cast<int>(std::count_if(report.findings.begin(), report.findings.end(),
                                                      [](const Finding& f) { return !f.warning; }));
    const int warnings = static_cast<int>(report.findings.size()) - errors;
    if (json) print_json(report, errors, warnings, out);
    else print_text(report, errors, warnings, out);
    return errors == 0 ? kToolOk : kToolFailed;
}
