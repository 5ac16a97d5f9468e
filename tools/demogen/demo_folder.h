// Makes the whole demo story as a plain (unscrambled) data folder.
#pragma once
#include <string>

struct DemoSummary {
    int scenes = 0;    // scenes in the script
    int files = 0;     // files written, the script and the pointer image included
    long bytes = 0;    // their total size
};

// Writes into outdir (made when missing) the scenario script GAME42297263, the pointer image
// GAME39651497, every picture and every sound. False with *error at the first failure.
bool make_demo_folder(const std::string& outdir, DemoSummary* summary, std::string* error);
