// The game-path lookup rule: separators, Shift-JIS names and case-insensitive matching.
#include "platform/system/files.h"
#include "platform/system/files_entry.h"

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

}  // namespace

std::string find_game_path_entry(const std::string& dir, const std::string& component) {
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
