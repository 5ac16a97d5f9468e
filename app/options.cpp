// The command line: poromina [--scene N] [--author] [--plain DIR] [STORY-FOLDER]. Without
// arguments the game starts as it always did: in the current folder, at entry 0, keys for players.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/app.h"
#include "platform/system/files.h"
#include "scenario/data_file.h"
#include "scenario/scenario.h"
#include "scene/author.h"

AppOptions app_options;

namespace {

constexpr const char* kUsage =
    "usage: poromina [--scene N] [--author] [--plain DIR] [STORY-FOLDER]\n"
    "  STORY-FOLDER  the folder that holds the story's data folder (default: the current one)\n"
    "  --scene N     start at entry N (0..199; entries count by their order in the script)\n"
    "  --author      F2 shows the hot-spots, F5 reloads the script and pictures from disk\n"
    "  --plain DIR   read the script, pictures and pointer unscrambled from DIR, as\n"
    "                poromina-tool pack takes them (UTF-8 or Shift-JIS script); sounds still\n"
    "                come from the data folder\n";

int usage_error(const std::string& line) {
    std::fprintf(stderr, "poromina: %s\n%s", line.c_str(), kUsage);
    return kUsageExitCode;
}

// A whole decimal number 0..199.
bool parse_scene(const char* text, int* out) {
    if (!text || !*text) return false;
    char* end = nullptr;
    const long n = std::strtol(text, &end, 10);
    if (*end != '\0' || n < 0 || n >= kMaxScenes) return false;
    *out = static_cast<int>(n);
    return true;
}

}  // namespace

int parse_command_line(int argc, char** argv) {
    app_options = AppOptions{};
    const char* story = nullptr;
    const char* plain = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--author") {
            app_options.author = true;
        } else if (arg == "--scene" || arg == "--plain") {
            if (i + 1 >= argc) return usage_error(arg + " needs a value");
            const char* value = argv[++i];
            if (arg == "--plain") {
                plain = value;
            } else if (!parse_scene(value, &app_options.start_scene)) {
                return usage_error("--scene " + std::string(value) + ": not an entry number 0..199");
            }
        } else if (arg.rfind("-", 0) == 0 && arg != "-") {
            return usage_error(arg + ": unknown option");
        } else if (story) {
            return usage_error(arg + ": only one story folder");
        } else {
            story = argv[i];
        }
    }
    // The plain folder is taken relative to where the game was started, before it enters the
    // story folder.
    if (plain) {
        app_options.plain_folder = absolute_folder(plain);
        if (app_options.plain_folder.empty())
            return usage_error("--plain " + std::string(plain) + ": no such folder / そのフォルダはありません");
    }
    if (story && !enter_folder(story))
        return usage_error(std::string(story) + ": no such story folder / その物語のフォルダはありません");
    set_plain_folder(app_options.plain_folder);
    set_author_keys(app_options.author);
    return -1;
}
