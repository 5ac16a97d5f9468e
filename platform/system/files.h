// Finds the files the game names. Names come from a data folder authored where file names are
// case-insensitive, '\' separates folders and names are Shift-JIS; this is the one lookup rule
// every file the game opens goes through.
#pragma once
#include <cstdio>
#include <string>

// Resolves a game path such as "data\\GAME42297263" (Shift-JIS bytes, '\' or '/' separators,
// relative to the current directory) to a path on this filesystem. Each component is taken as
// its bytes, else as its UTF-8 form, else as a case-insensitive match among the folder's entries.
// Returns "" for a path that would leave the current directory (absolute, a drive letter, a ".."
// component) and for one that names nothing.
std::string resolve_game_path(const char* path);

// The same lookup below the folder base (absolute, or relative to the current directory; "" is
// the current directory itself): a plain story folder read in place of "data".
std::string resolve_game_path_in(const std::string& base, const char* path);

// Opens a resolved game path for reading in byte mode; only regular files open (a folder, such
// as the one an empty name gives, does not). Returns null when refused or missing.
FILE* open_game_file(const char* path);

// open_game_file below the folder base (see resolve_game_path_in).
FILE* open_game_file_in(const std::string& base, const char* path);

// The current directory as an absolute path ("." when it cannot be told).
std::string current_folder();
// The absolute form of an existing folder, or "" when path names no folder.
std::string absolute_folder(const char* path);
// Makes path the current directory. False when it cannot.
bool enter_folder(const char* path);

// Test seam: while set, open_game_file calls observer with each path it is asked to open, before
// it opens it, on the calling thread.
void observe_game_file_opens(void (*observer)(const char* path));
