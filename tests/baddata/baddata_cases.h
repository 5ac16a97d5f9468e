// The bad-data matrix: a small good game folder, the damaged versions of each of its files, and
// the table of what the game did with each of them.
#pragma once
#include <string>
#include <vector>

// The four kinds of file the game reads from its data folder.
enum class GameFile { Script, Pointer, Picture, Sound };

constexpr const char* kScriptName = "GAME42297263";
constexpr const char* kPointerName = "GAME39651497";
constexpr const char* kPictureA = "a.png";  // scene 0, always good
constexpr const char* kPictureB = "b.png";  // scene 1: the picture under test
constexpr const char* kSoundName = "s.wav"; // opening sound and the sound of scene 0's right half
constexpr uint32_t kColourA = 0xFF2040C0;   // scene 0's picture, opaque
constexpr uint32_t kColourB = 0xFFC08020;   // scene 1's picture when it is good
constexpr uint32_t kSoundRate = 8000;       // Hz, 8-bit mono: one byte per sample
constexpr uint32_t kSoundBytes = 8000;      // one second of payload

// One version of a file as it lies in the data folder (already in its stored, scrambled form).
struct FileVersion {
    std::string defect;   // what is wrong with it, for the table
    bool missing = false; // no file at all
    std::string stored;   // the file's bytes
};

// The good file, stored.
std::string good_file(GameFile file);
// The plain good script (before scrambling).
std::string good_script_text();
// The sound's payload as the game should play it (descrambled).
std::string good_sound_payload();
// Missing, empty, one byte over 2 MiB, cut in the middle, and the hostile headers of each kind.
std::vector<FileVersion> bad_versions(GameFile file);

// Writes the whole good game folder (data/ with every file) under dir, with `replace` in place of
// the good version of `file` (or without it when missing).
void write_game_folder(const std::string& dir, GameFile file, const FileVersion& replace);
void write_good_game_folder(const std::string& dir);

// One row of the table.
struct MatrixRow {
    std::string file;      // which file
    std::string defect;    // what is wrong with it
    std::string expected;  // what the game must do
    std::string observed;  // what it did
    bool ok;               // observed matches expected, with no crash and no sanitizer report
};
// Prints the rows as a Markdown table and keeps them in <binary dir>/baddata/<name>.md.
void publish_matrix(const std::string& name, const std::vector<MatrixRow>& rows);
