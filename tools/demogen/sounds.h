// The demo story's sounds, synthesised: an opening tune, a long ending tune for the staff roll
// and short hot-spot sounds, written as plain RIFF WAVE PCM files.
#pragma once
#include <string>

enum SoundId { kOpening, kEnding, kChime, kMeow, kSteps, kDoor, kSplash, kChirp, kTwinkle,
               kSoundCount };

struct DemoSound {
    const char* name;  // file name in the script: UTF-8, '\' between folders
    int rate;          // samples per second
    int channels;      // 1 or 2
    int bits;          // 8 or 16
    float seconds;     // length
};

const DemoSound& demo_sound(int id);

// Synthesises and writes sound `id` under outdir (its name with '\' as '/'); returns the file's
// size in bytes, or -1 with *error set.
long write_sound(int id, const std::string& outdir, std::string* error);
