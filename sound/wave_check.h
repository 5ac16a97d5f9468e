// The authoring tool's check of a sound file: does the game's reader open it, and can it fade.
#pragma once
#include <string>

struct WaveCheck {
    bool opens = false;    // the reader opens it and the output takes its format
    bool fadable = false;  // 16-bit PCM with one or two channels: the fade-out ramps it
    std::string reason;    // one line: what the file is, or why it will not play
};

// Checks the WAVE file at `path` (a path on this filesystem, or a game path such as
// "data\\bell.wav"). Its payload is not descrambled; only its structure and format matter.
WaveCheck check_wave_file(const char* path);
