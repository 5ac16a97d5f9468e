// The authoring tool's check of a sound file: does the game's reader open it, can it fade, and
// what the file is when it will not play.
#pragma once
#include <cstddef>
#include <string>

struct WaveCheck {
    bool opens = false;    // the reader opens it and the output takes its format
    bool fadable = false;  // 16-bit PCM with one or two channels: the fade-out ramps it
    std::string format;    // what the file is ("PCM 44100 Hz, 16-bit, 2 channels, 3.00 s",
                           // "an Ogg file", "24-bit PCM WAVE"...); "" when nothing is known
    std::string reason;    // one line: the format when it plays, or why it will not play
};

// Checks the WAVE file at `path` (a path on this filesystem, or a game path such as
// "data\\bell.wav"). Its payload is not descrambled; only its structure and format matter.
WaveCheck check_wave_file(const char* path);

// What a sound file that is no RIFF WAVE holds, told by its first bytes ("an MP3 file", "an Ogg
// file (Vorbis or Opus)"...); "" when they say nothing known.
std::string sound_file_kind(const unsigned char* bytes, size_t size);
