// The game-path lookup rule on Windows: the same rule as on the desktop (separators, Shift-JIS
// names, ASCII letters matched without case), with the folder read through the wide-character
// calls. The result is UTF-8 and spells each name as it is stored on disk (the system's own
// case-insensitive lookup would hand back the script's spelling, and match short 8.3 names).
#include "platform/system/files.h"
#include "platform/system/files_entry.h"

#include <windows.h>

#include <cctype>
#include <string>
#include <vector>

#include "platform/text/sjis.h"

namespace {

std::wstring wide(const std::string& utf8) {
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring w(n > 0 ? static_cast<size_t>(n - 1) : 0, L'\0');
    if (n > 1) MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, w.data(), n);
    return w;
}

std::string narrow(const wchar_t* w) {
    int n = WideCharToMultiByte(CP_UTF8, 0, w, -1, nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? static_cast<size_t>(n - 1) : 0, '\0');
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, w, -1, s.data(), n, nullptr, nullptr);
    return s;
}

bool valid_utf8(const std::string& s) {
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, s.data(), static_cast<int>(s.size()), nullptr, 0) > 0;
}

std::string fold_ascii(const std::string& s) {
    std::string out = s;
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

void (*open_observer)(const char* path) = nullptr;

}  // namespace

// The entry of folder dir (UTF-8, "" for the current folder) that names component (its bytes as
// UTF-8 when they are, else as Shift-JIS), spelt as stored.
std::string find_game_path_entry(const std::string& dir, const std::string& component) {
    std::vector<std::string> wanted;
    if (valid_utf8(component)) wanted.push_back(fold_ascii(component));
    const std::string from_sjis = sjis_to_utf8(component);
    if (from_sjis != component) wanted.push_back(fold_ascii(from_sjis));
    WIN32_FIND_DATAW entry;
    HANDLE h = FindFirstFileExW(wide(dir.empty() ? std::string("*") : dir + "\\*").c_str(), FindExInfoBasic, &entry,
                                FindExSearchNameMatch, nullptr, 0);
    if (h == INVALID_HANDLE_VALUE) return "";
    std::string found;
    do {
        const std::string name = narrow(entry.cFileName);
        if (name == "." || name == "..") continue;
        const std::string folded = fold_ascii(name);
        for (const std::string& w : wanted)
            if (folded == w) found = name;
    } while (found.empty() && FindNextFileW(h, &entry));
    FindClose(h);
    return found;
}

FILE* open_game_file(const char* path) { return open_game_file_in("", path); }

FILE* open_game_file_in(const std::string& base, const char* path) {
    if (open_observer) open_observer(path ? path : "");
    std::string resolved = resolve_game_path_in(base, path);
    if (resolved.empty()) return nullptr;
    const std::wstring w = wide(resolved);
    const DWORD attributes = GetFileAttributesW(w.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return nullptr;
    return _wfopen(w.c_str(), L"rb");
}

void observe_game_file_opens(void (*observer)(const char* path)) { open_observer = observer; }

std::string current_folder() {
    wchar_t buf[MAX_PATH * 4];
    const DWORD n = GetCurrentDirectoryW(MAX_PATH * 4, buf);
    return n > 0 && n < MAX_PATH * 4 ? narrow(buf) : std::string(".");
}

std::string absolute_folder(const char* path) {
    if (!path || !*path) return "";
    wchar_t buf[MAX_PATH * 4];
    const DWORD n = GetFullPathNameW(wide(path).c_str(), MAX_PATH * 4, buf, nullptr);
    if (n == 0 || n >= MAX_PATH * 4) return "";
    const DWORD attributes = GetFileAttributesW(buf);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return "";
    return narrow(buf);
}

bool enter_folder(const char* path) { return path && SetCurrentDirectoryW(wide(path).c_str()) != 0; }
