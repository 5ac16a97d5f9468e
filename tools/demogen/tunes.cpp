// Additive synthesis and the two tunes of the demo story (see tunes.h).
#include "tools/demogen/tunes.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kTableBits = 12;
constexpr int kTableSize = 1 << kTableBits;
constexpr double kTwoPi = 6.283185307179586;

// One cycle of a sine, for fast oscillators (phase in table steps).
const std::vector<float>& sine_table() {
    static const std::vector<float> table = [] {
        std::vector<float> t(kTableSize + 1);
        for (int i = 0; i <= kTableSize; ++i) t[i] = static_cast<float>(std::sin(kTwoPi * i / kTableSize));
        return t;
    }();
    return table;
}

// Melody notes: a degree of the major pentatonic scale (0 = the key note, 5 = an octave up)
// and a length in beats. A phrase is four bars of three beats.
struct Note {
    int degree;
    int beats;
};
struct Chord {
    int root;    // semitones above the key note
    bool minor;
};
struct Phrase {
    Note notes[9];
    Chord chords[4];
};

const Phrase kA = {{{2, 1}, {3, 1}, {4, 1}, {3, 2}, {2, 1}, {1, 1}, {2, 1}, {3, 1}, {2, 3}},
                   {{0, false}, {9, true}, {7, false}, {0, false}}};
const Phrase kA2 = {{{2, 1}, {3, 1}, {4, 1}, {5, 2}, {4, 1}, {3, 1}, {4, 1}, {3, 1}, {2, 3}},
                    {{0, false}, {9, true}, {7, false}, {0, false}}};
const Phrase kB = {{{4, 1}, {5, 1}, {6, 1}, {5, 2}, {4, 1}, {3, 1}, {2, 1}, {1, 1}, {0, 3}},
                   {{9, true}, {0, false}, {7, false}, {0, false}}};
const Phrase kC = {{{1, 1}, {2, 1}, {3, 1}, {4, 2}, {3, 1}, {2, 1}, {1, 1}, {0, 1}, {1, 3}},
                   {{7, false}, {9, true}, {4, true}, {7, false}}};

constexpr double kKey = 261.63;  // C4, Hz

double pitch(double base, int semitones) { return base * std::pow(2.0, semitones / 12.0); }

double degree_pitch(double base, int degree) {
    static const int kScale[5] = {0, 2, 4, 7, 9};
    int octave = (degree >= 0) ? degree / 5 : -((4 - degree) / 5);
    return pitch(base, kScale[degree - octave * 5] + 12 * octave);
}

enum class Backing { waltz, arpeggio };

struct Voice {
    const Timbre* lead;
    double lead_base;  // Hz of degree 0
    double lead_amp;
    Backing backing;
    double slow_to;    // beat length at the phrase's end, relative to its start (ritardando)
};

// Plays one phrase from `time`, returning the time after it.
double play_phrase(Track& t, double time, const Phrase& p, double beat, const Voice& v) {
    double at[13];  // start of each of the 12 beats, and the phrase's end
    at[0] = time;
    for (int i = 0; i < 12; ++i) at[i + 1] = at[i] + beat * (1.0 + (v.slow_to - 1.0) * i / 11.0);
    int b = 0;
    for (const Note& n : p.notes) {
        add_tone(t, at[b], degree_pitch(v.lead_base, n.degree), v.lead_amp, 0.1, *v.lead);
        b += n.beats;
    }
    for (int bar = 0; bar < 4; ++bar) {
        const Chord& c = p.chords[bar];
        int root = c.root > 5 ? c.root - 12 : c.root;
        int third = c.minor ? 3 : 4;
        add_tone(t, at[bar * 3], pitch(kKey / 2, root), 0.5, -0.2, kBass);
        if (v.backing == Backing::waltz) {
            for (int k = 1; k < 3; ++k) {
                add_tone(t, at[bar * 3 + k], pitch(kKey, root + third), 0.16, 0.3, kPiano);
                add_tone(t, at[bar * 3 + k], pitch(kKey, root + 7), 0.16, 0.35, kPiano);
            }
        } else {
            const int steps[6] = {0, 7, 12, third + 12, 12, 7};
            for (int k = 0; k < 6; ++k) {
                double start = at[bar * 3 + k / 2] + (k % 2) * (at[bar * 3 + k / 2 + 1] - at[bar * 3 + k / 2]) / 2;
                add_tone(t, start, pitch(kKey, root + steps[k]), 0.13, -0.4 + 0.15 * k, kPiano);
            }
        }
    }
    return at[12];
}

// A closing chord on the key note.
void final_chord(Track& t, double time) {
    add_tone(t, time, kKey / 4, 0.5, -0.2, kBass);
    add_tone(t, time, kKey / 2, 0.4, -0.1, kBass);
    for (int s : {0, 4, 7, 12}) add_tone(t, time + 0.03 * s / 4, pitch(kKey, s), 0.18, -0.3 + 0.05 * s, kPiano);
    add_tone(t, time + 0.2, pitch(kKey * 2, 12), 0.25, 0.2, kBell);
}

}  // namespace

const Timbre kBell = {{1.0, 2.0, 3.0, 4.16}, {1.0, 0.4, 0.18, 0.1}, {1.4, 0.8, 0.45, 0.25}, 0.004};
const Timbre kPiano = {{1.0, 2.0, 3.0, 4.0}, {1.0, 0.35, 0.12, 0.05}, {1.8, 1.0, 0.6, 0.4}, 0.008};
const Timbre kBass = {{1.0, 2.0, 3.0, 0.0}, {1.0, 0.25, 0.05, 0.0}, {2.2, 1.0, 0.5, 1.0}, 0.02};

Track make_track(int rate, float seconds) {
    size_t n = static_cast<size_t>(static_cast<double>(seconds) * rate);
    return {rate, std::vector<float>(n, 0.0f), std::vector<float>(n, 0.0f)};
}

void add_tone(Track& t, double start, double freq, double amp, double pan, const Timbre& timbre) {
    const std::vector<float>& table = sine_table();
    const size_t n = t.left.size();
    const size_t s0 = static_cast<size_t>(std::max(0.0, start) * t.rate);
    const float gl = static_cast<float>(amp * std::min(1.0, 1.0 - pan));
    const float gr = static_cast<float>(amp * std::min(1.0, 1.0 + pan));
    const double attack = timbre.attack * t.rate;
    for (int p = 0; p < 4; ++p) {
        double f = freq * timbre.ratio[p];
        if (timbre.level[p] <= 0.0 || f <= 0.0 || f > t.rate * 0.45) continue;
        size_t len = static_cast<size_t>(std::min(4.0 * timbre.decay[p], 5.0) * t.rate);
        double inc = f / t.rate * kTableSize, phase = 0.0;
        float level = static_cast<float>(timbre.level[p]);
        const float fall = static_cast<float>(std::exp(-1.0 / (timbre.decay[p] * t.rate)));
        for (size_t i = 0; i < len && s0 + i < n; ++i) {
            int k = static_cast<int>(phase);
            float frac = static_cast<float>(phase - k);
            float s = table[k] + (table[k + 1] - table[k]) * frac;
            float a = i < attack ? static_cast<float>(i / attack) : 1.0f;
            float v = s * level * a;
            t.left[s0 + i] += v * gl;
            t.right[s0 + i] += v * gr;
            level *= fall;
            phase += inc;
            if (phase >= kTableSize) phase -= kTableSize;
        }
    }
}

void add_pad(Track& t, double start, double length, double freq, double amp) {
    const size_t n = t.left.size();
    const size_t s0 = static_cast<size_t>(start * t.rate);
    const size_t len = static_cast<size_t>(length * t.rate);
    const double ramp = 0.5 * t.rate;
    for (size_t i = 0; i < len && s0 + i < n; ++i) {
        double env = std::min({1.0, i / ramp, (len - i) / ramp});
        float v = static_cast<float>(amp * env * std::sin(kTwoPi * freq * i / t.rate));
        t.left[s0 + i] += v;
        t.right[s0 + i] += v;
    }
}

void finish_track(Track& t, float peak) {
    float top = 1e-6f;
    for (size_t i = 0; i < t.left.size(); ++i) top = std::max({top, std::fabs(t.left[i]), std::fabs(t.right[i])});
    const float gain = peak / top;
    const size_t n = t.left.size();
    const size_t fade_in = static_cast<size_t>(0.003 * t.rate);
    const size_t fade_out = std::min(n / 20, static_cast<size_t>(1.5 * t.rate));
    for (size_t i = 0; i < n; ++i) {
        float g = gain;
        if (i < fade_in) g *= static_cast<float>(i) / fade_in;
        if (n - i <= fade_out) g *= static_cast<float>(n - i) / (fade_out + 1);
        t.left[i] *= g;
        t.right[i] *= g;
    }
}

void opening_tune(Track& t) {
    const double beat = 60.0 / 90.0;
    Voice v{&kBell, kKey * 2, 0.45, Backing::waltz, 1.0};
    double time = play_phrase(t, 0.3, kA, beat, v);
    v.slow_to = 1.4;
    time = play_phrase(t, time, kB, beat, v);
    final_chord(t, time);
}

void ending_tune(Track& t) {
    const double beat = 60.0 / 72.0;
    // Two bars of introduction, then fourteen phrases in four moods, slowing at the very end.
    for (int bar = 0; bar < 2; ++bar) {
        int root = bar == 0 ? 0 : -5;
        for (int k = 0; k < 6; ++k) {
            const int steps[6] = {0, 7, 12, 16, 19, 24};
            add_tone(t, 0.2 + bar * 3 * beat + k * beat / 2, pitch(kKey, root + steps[k]), 0.15, -0.5 + 0.2 * k, kBell);
        }
    }
    const Phrase* order[14] = {&kA, &kA2, &kB, &kA, &kC, &kB, &kA2, &kA, &kC, &kB, &kA, &kA2, &kB, &kA};
    double time = 0.2 + 6 * beat;
    for (int i = 0; i < 14; ++i) {
        Voice v{&kPiano, kKey * 2, 0.5, Backing::waltz, 1.0};
        if (i >= 4 && i < 8) v = {&kBell, kKey * 2, 0.4, Backing::arpeggio, 1.0};
        if (i >= 8 && i < 12) v = {&kBell, kKey * 4, 0.3, Backing::arpeggio, 1.0};
        if (i == 13) v.slow_to = 1.5;
        time = play_phrase(t, time, *order[i], beat, v);
    }
    final_chord(t, time);
}
