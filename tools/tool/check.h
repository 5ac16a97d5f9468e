// poromina-tool check, inside: the report one check builds, and the two halves that fill it (the
// story as the game reads it, and the files it names).
#pragma once
#include <string>
#include <vector>

#include "scenario/scenario.h"
#include "scenario/script_lines.h"

struct Finding {
    std::string file;  // as printed: "data/GAME42297263", "data/GAME39651497"...
    int line;          // script line; 0 when the finding is about a file as a whole
    bool warning;      // plays, but probably not as meant; else an error: cannot play as written
    std::string text;  // UTF-8
};

struct CheckReport {
    std::string data;         // the data folder as printed: "data/" or "" (a data folder given)
    std::string script_file;  // data + "GAME42297263"
    long long script_size = -1;  // bytes of the stored script; -1 when it is not there
    std::vector<Finding> findings;
    // Summary
    int entries = 0;
    int links = 0;
    int balloons = 0;
    std::vector<std::pair<std::string, int>> transitions;  // name (UTF-8) and links using it
    std::string staff_roll;                                // where the roll starts, or why it cannot
    std::vector<std::string> pictures;                     // "name: format" lines, pointer first
    std::vector<std::string> sounds;                       // "name (key): format" lines

    void error(int line, std::string text) { findings.push_back({script_file, line, false, std::move(text)}); }
    void warn(int line, std::string text) { findings.push_back({script_file, line, true, std::move(text)}); }
    void file_error(const std::string& name, std::string text) {
        findings.push_back({data + name, 0, false, std::move(text)});
    }
    void file_warning(const std::string& name, std::string text) {
        findings.push_back({data + name, 0, true, std::move(text)});
    }
};

// Size of a game file found by the game's lookup rule; -1 when it is not there.
long long game_file_size(const std::string& game_path);

// A script name for the output: UTF-8 in quotes.
std::string quoted(const std::string& sjis_name);

// What the script does as the game reads it: the line where loading stops and why, links,
// numbering, reachability, transitions, balloons, the staff roll and lines the game ignores.
// script_text is the stored (Shift-JIS, CR LF) script; loaded says whether it loaded whole.
void check_story(const SceneTable& table, const ScriptLines& lines, const std::string& script_text, bool loaded,
                 CheckReport* report);

// Every file the table names (pictures, sounds) and the pointer image, read and decoded by the
// game's own code from the current directory's data folder.
void check_files(const SceneTable& table, const ScriptLines& lines, CheckReport* report);
