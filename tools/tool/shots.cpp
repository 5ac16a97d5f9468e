// poromina-tool shots: a picture of every entry of a story and a contact sheet of them all, made
// by the replay harness running the game offscreen (each entry shown as start-up shows entry 0).
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

#include "replay/replay.h"
#include "scenario/scenario.h"
#include "tools/tool/game_folder.h"
#include "tools/tool/tool.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFramesPerEntry = 3;  // show, the first frame draws it, shoot

// The number of entries of the story in the current folder, read as the game reads it; -1 when
// the script does not load.
int entry_count() {
    if (load_scenario(&scene_table) != 0) return -1;
    return scene_table.scene_count;
}

}  // namespace

int write_shots(const std::string& story, const std::string& out_dir, FILE* out, FILE* err) {
    std::error_code ec;
    const fs::path target = fs::absolute(out_dir, ec);
    if (ec || !fs::create_directories(target, ec)) {
        if (ec || !fs::is_directory(target, ec)) {
            std::fprintf(err, "poromina-tool shots: %s: cannot make the folder\n", out_dir.c_str());
            return kToolBadUsage;
        }
    }
    if (!fs::is_directory(story, ec)) {
        std::fprintf(err, "poromina-tool shots: %s: not a folder\n", story.c_str());
        return kToolBadUsage;
    }
    std::unique_ptr<LinkedGameFolder> link;
    const std::string game = game_folder_for(story, &link);
    if (game.empty()) {
        std::fprintf(err, "poromina-tool shots: %s: holds neither a data folder nor GAME42297263\n", story.c_str());
        return kToolBadUsage;
    }
    EnterFolder in(game);
    if (!in.entered) {
        std::fprintf(err, "poromina-tool shots: %s: cannot enter the folder\n", game.c_str());
        return kToolBadUsage;
    }
    const int entries = entry_count();
    if (entries <= 0) {
        std::fprintf(err, "poromina-tool shots: %s: the script %s (\"poromina-tool check\" says why)\n", story.c_str(),
                     entries < 0 ? "does not load" : "defines no entry");
        return kToolFailed;
    }
    std::vector<ReplayEvent> events;
    for (int e = 0; e < entries; ++e) {
        ReplayEvent show;
        show.frame = 2 + e * kFramesPerEntry;
        show.kind = ReplayKind::Scene;
        show.x = e;
        ReplayEvent shot;
        shot.frame = show.frame + 1;
        shot.kind = ReplayKind::Shot;
        char name[32];
        std::snprintf(name, sizeof name, "entry-%03d", e);
        shot.name = name;
        events.push_back(show);
        events.push_back(shot);
    }
    ReplayOptions options;
    options.frames_after = 0;
    options.out_dir = target.string();
    options.contact_sheet = (target / "contact-sheet.png").string();
    options.quiet = true;
    // No window and no sound card: the game runs on SDL's dummy drivers.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const int result = run_replay(events, options, out, err);
    if (result == 2) return kToolFailed;
    std::fprintf(out, "shots: %d entr%s written to %s as entry-NNN.png, with contact-sheet.png%s\n", entries,
                 entries == 1 ? "y" : "ies", target.c_str(), result == 0 ? "" : " (some could not be written)");
    return result == 0 ? kToolOk : kToolFailed;
}
