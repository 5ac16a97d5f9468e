// Why a data file or the script could not be used, in words for the author: English and
// Japanese (UTF-8), for the line start-up prints before its failure box.
#pragma once
#include <string>

#include "scenario/scenario.h"

struct FailureText {
    std::string english;
    std::string japanese;
};

// Why the last read_data_file(path) failed; what_en and what_ja name the file ("the script").
FailureText data_file_failure_text(const char* path, const char* what_en, const char* what_ja);

// Why the last load_scenario failed: the file, or the line and its reason.
FailureText scenario_failure_text();

// After a load that succeeded: true when the script gives the player nothing to see or click
// (no "seq=" line, or lines ended by LF alone, which the game reads as one line), with the reason
// and the likely slip (a UTF-8 script stored without --utf8, a file copied in unscrambled).
bool script_plays_nothing(const SceneTable& table, FailureText* why);

// The same words for a picture that was read but does not decode (the decoder's reason).
FailureText picture_failure_text(const char* path, const char* what_en, const char* what_ja);
