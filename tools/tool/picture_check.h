// poromina-tool check: decoding of every scene picture and of the pointer image, done the way
// the game does it at a scene change and at start-up.
#pragma once
#include <string>
#include <vector>

#include "scenario/scenario.h"

struct PictureProblem {
    int entry;           // table entry whose img_nm names the picture; -1 for the pointer image
    std::string name;    // file name as the script gives it (Shift-JIS)
    std::string reason;  // what went wrong, in English
};

// Reads and decodes each picture the table names (800x600) and the pointer image (24x24, blue
// transparent) from the current directory's data folder. Files that cannot be read at all are
// left out (the folder check reports them already). One problem per entry whose picture fails.
std::vector<PictureProblem> check_picture_decoding(const SceneTable& table);
