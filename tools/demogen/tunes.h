// Additive synthesis of the demo story's music: tones with envelopes and two little tunes in a
// major pentatonic scale (an opening one and a long one for the staff roll).
#pragma once
#include <vector>

// A stereo buffer of float samples in -1..1 (louder before finish_track scales it).
struct Track {
    int rate;                  // samples per second
    std::vector<float> left;   // one value per frame
    std::vector<float> right;  // same length as left
};

// A tone colour: up to four partials (frequency ratio, level, decay time in seconds).
struct Timbre {
    double ratio[4];
    double level[4];
    double decay[4];
    double attack;  // seconds
};

extern const Timbre kBell;   // music box / celesta
extern const Timbre kPiano;  // soft piano-like
extern const Timbre kBass;   // round low notes

Track make_track(int rate, float seconds);
// Adds a struck tone that rings out by its own decay; pan -1 (left) .. 1 (right).
void add_tone(Track& t, double start, double freq, double amp, double pan, const Timbre& timbre);
// Adds a soft held sine tone with slow attack and release.
void add_pad(Track& t, double start, double length, double freq, double amp);
// Scales the track so that its loudest sample is `peak`, with short fades at both ends.
void finish_track(Track& t, float peak);

void opening_tune(Track& t);
void ending_tune(Track& t);
