// The game-path lookup rule: separators, Shift-JIS names and case-insensitive matching.
#include "platform/system/files.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cctype>
#include <string>
#include <vector>

#include "platform/text/sjis.h"

namespace {

bool is_sjis_lead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Splits at '\' and '/' that are not the trail byte of a two-byte Shift-JIS character.
std::vector<std::string> split_components(const std::string& path) {
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < path.size(); ++i) {
        unsigned char b = static_cast<unsigned char>(path[i]);
        if (is_sjis_lead(b) && i + 1 < path.size()) {
            parts.back() += path[i];
            parts.back() += path[++i];
        } else if (b == '\\' || b == '/') {
            parts.emplace_back();
        } else {
            parts.back() += path[i];
        }
    }
    return parts;
}

bool exists(const std::string& p) {
    struct stat st;
    return ::stat(p.c_str(), &st) == 0;
}

std::string fold(const std::string& s) {
    std::string out = s;
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Finds the entry of folder `dir` that names `component`.
std::string find_entry(const std::string& dir, const std::string& component) {
    std::string prefix = dir.empty() ? "" : dir + "/";
    if (exists(prefix + component)) return component;
    std::string utf8 = sjis_to_utf8(component);
    if (utf8 != component && exists(prefix + utf8)) return utf8;
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return "";
    std::string want_raw = fold(component), want_utf8 = fold(utf8), found;
    while (dirent* e = ::readdir(d)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        std::string f = fold(name);
        if (f == want_raw || f == want_utf8) {
            found = name;
            break;
        }
    }
    ::closedir(d);
    return found;
}

}  // namespace

std::string resolve_game_path(const char* path) {
    if (!path || !*path) return "";
    std::string p = path;
    if (p[0] == '\\' || p[0] == '/') return "";                                        // absolute
    if (p.size() >= 2 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':') return "";  // drive
    std::string resolved;
    for (const std::string& part : split_components(p)) {
        if (part == "..") return "";
        if (part.empty() || part == ".") continue;
        std::string entry = find_entry(resolved, part);
        if (entry.empty()) return "";
        resolved = resolved.empty() ? entry : resolved + "/" + entry;
    }
    return resolved;
}

FILE* open_game_file(const char* path) {
    std::string resolved = resolve_game_path(path);
    if (resolved.empty()) return nullptr;
    struct stat st;
    if (::stat(resolved.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
    return std::fopen(resolved.c_str(), "rb");
}
