// Fixtures for the scenario and tool tests: temporary folders, files written byte for byte,
// scrambled data files and Shift-JIS text.
#pragma once
#include <string>

// A fresh folder under the system's temporary folder, removed with everything in it.
struct TempFolder {
    std::string path;
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
};

// Makes dir the current directory for the guard's lifetime.
struct CurrentDirectory {
    std::string saved;
    explicit CurrentDirectory(const std::string& dir);
    ~CurrentDirectory();
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;
};

// Writes bytes to path, making the folders above it.
void write_file(const std::string& path, const std::string& bytes);
// The whole file, or "" when it cannot be read.
std::string read_file(const std::string& path);
// bytes XORed with the data-file key from position 0 (the stored form of a plain file).
std::string scrambled(std::string bytes);
// UTF-8 text in Shift-JIS; the test fails when it has no Shift-JIS form.
std::string sjis(const std::string& utf8);
// Script lines joined with CR LF after each.
std::string script(std::initializer_list<std::string> lines);
