// Finding and entering the game folder a tool works on.
#include "tools/tool/game_folder.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/system/files.h"

namespace fs = std::filesystem;

EnterFolder::EnterFolder(const std::string& dir) {
    std::error_code ec;
    saved = fs::current_path(ec).string();
    entered = !ec && ::chdir(dir.c_str()) == 0;
}

EnterFolder::~EnterFolder() {
    if (entered && ::chdir(saved.c_str()) != 0) std::perror("poromina-tool: cannot return");
}

LinkedGameFolder::LinkedGameFolder(const std::string& data_folder) {
    std::string pattern = (fs::temp_directory_path() / "poromina-check-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return;
    path = pattern;
    std::error_code ec;
    fs::create_directory_symlink(data_folder, fs::path(path) / "data", ec);
    if (ec) path.clear();
}

LinkedGameFolder::~LinkedGameFolder() {
    std::error_code ec;
    if (!path.empty()) fs::remove_all(path, ec);
}

std::string game_folder_for(const std::string& dir, std::unique_ptr<LinkedGameFolder>* link) {
    std::error_code ec;
    std::string full = fs::absolute(dir, ec).string();
    EnterFolder in(dir);
    if (!in.entered) return "";
    std::string data = resolve_game_path("data");
    if (!data.empty() && fs::is_directory(data, ec)) return dir;
    std::string script = resolve_game_path("GAME42297263");
    struct stat st;
    if (script.empty() || ::stat(script.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return "";
    *link = std::make_unique<LinkedGameFolder>(full);
    return (*link)->path;
}
