// Where a tool runs the game: a game folder given on the command line, or a data folder given
// alone (a temporary game folder is made around it).
#pragma once
#include <memory>
#include <string>

// Makes dir the current directory while it lives (the game finds its data folder from there).
struct EnterFolder {
    std::string saved;
    bool entered = false;
    explicit EnterFolder(const std::string& dir);
    ~EnterFolder();
    EnterFolder(const EnterFolder&) = delete;
    EnterFolder& operator=(const EnterFolder&) = delete;
};

// A temporary game folder whose "data" links to a data folder given on its own.
struct LinkedGameFolder {
    std::string path;  // "" when it could not be made
    explicit LinkedGameFolder(const std::string& data_folder);  // an absolute path
    ~LinkedGameFolder();  // removes the link, never what it names
    LinkedGameFolder(const LinkedGameFolder&) = delete;
    LinkedGameFolder& operator=(const LinkedGameFolder&) = delete;
};

// Finds the game folder for dir: dir itself when it holds "data", else a folder made to hold dir
// as its "data" (kept alive by *link) when dir holds the script. "" when dir is neither.
std::string game_folder_for(const std::string& dir, std::unique_ptr<LinkedGameFolder>* link);
