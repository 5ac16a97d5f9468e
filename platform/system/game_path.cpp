// The walk of a game path, the same on every target: separators ('\\' or '/', never the trail
// byte of a two-byte Shift-JIS character), no way out of the base folder, and each component
// found in its folder by the target's own find_game_path_entry.
#include "platform/system/files.h"
#include "platform/system/files_entry.h"

#include <cctype>
#include <string>
#include <vector>

bool is_sjis_lead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

namespace {

// Splits at '\\' and '/' that are not the trail byte of a two-byte Shift-JIS character.
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

}  // namespace

std::string resolve_game_path(const char* path) { return resolve_game_path_in("", path); }

std::string resolve_game_path_in(const std::string& base, const char* path) {
    if (!path || !*path) return "";
    std::string p = path;
    if (p[0] == '\\' || p[0] == '/') return "";                                        // absolute
    if (p.size() >= 2 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':') return "";  // drive
    std::string resolved = base;
    for (const std::string& part : split_components(p)) {
        if (part == "..") return "";
        if (part.empty() || part == ".") continue;
        std::string entry = find_game_path_entry(resolved, part);
        if (entry.empty()) return "";
        resolved = resolved.empty() ? entry : resolved + "/" + entry;
    }
    return resolved == base ? "" : resolved;
}
