// The game-path lookup rule: separators, Shift-JIS names and case-insensitive matching.
#include "platform/system/files.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

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

char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// A Shift-JIS name with its one-byte ASCII letters in lower case. The trail byte of a two-byte
// character stays as it is: 0x83 0x41 (ア) must not become 0x83 0x61 (チ).
std::string fold_sjis(const std::string& s) {
    std::string out = s;
    for (size_t i = 0; i < out.size(); ++i) {
        if (is_sjis_lead(static_cast<unsigned char>(out[i])))
            ++i;
        else
            out[i] = ascii_lower(out[i]);
    }
    return out;
}

// A UTF-8 name with its ASCII letters in lower case (bytes of other characters are never ASCII).
std::string fold_utf8(const std::string& s) {
    std::string out = s;
    for (char& c : out) c = ascii_lower(c);
    return out;
}

void (*open_observer)(const char* path) = nullptr;

// Finds the entry of folder `dir` that names `component`.
std::string find_entry(const std::string& dir, const std::string& component) {
    std::string prefix = dir.empty() ? "" : dir + "/";
    if (exists(prefix + component)) return component;
    std::string utf8 = sjis_to_utf8(component);
    if (utf8 != component && exists(prefix + utf8)) return utf8;
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return "";
    const std::string want_raw = fold_sjis(component), want_utf8 = fold_utf8(utf8);
    std::string found;
    while (dirent* e = ::readdir(d)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        if (fold_sjis(name) == want_raw || fold_utf8(name) == want_utf8) {
            found = name;
            break;
        }
    }
    ::closedir(d);
    return found;
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
        std::string entry = find_entry(resolved, part);
        if (entry.empty()) return "";
        resolved = resolved.empty() ? entry : resolved + "/" + entry;
    }
    return resolved == base ? "" : resolved;
}

FILE* open_game_file(const char* path) { return open_game_file_in("", path); }

FILE* open_game_file_in(const std::string& base, const char* path) {
    if (open_observer) open_observer(path ? path : "");
    std::string resolved = resolve_game_path_in(base, path);
    if (resolved.empty()) return nullptr;
    struct stat st;
    if (::stat(resolved.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
    return std::fopen(resolved.c_str(), "rb");
}

void observe_game_file_opens(void (*observer)(const char* path)) { open_observer = observer; }

std::string current_folder() {
    char buf[PATH_MAX];
    return ::getcwd(buf, sizeof buf) ? std::string(buf) : std::string(".");
}

std::string absolute_folder(const char* path) {
    char buf[PATH_MAX];
    struct stat st;
    if (!path || !::realpath(path, buf) || ::stat(buf, &st) != 0 || !S_ISDIR(st.st_mode)) return "";
    return buf;
}

bool enter_folder(const char* path) { return path && ::chdir(path) == 0; }
