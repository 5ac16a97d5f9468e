// Synthesis of the demo story's sounds (additive tones with envelopes, filtered noise) and
// their writing as RIFF WAVE PCM files.
#include "tools/demogen/sounds.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "tools/demogen/raster.h"
#include "tools/demogen/tunes.h"

namespace {

constexpr double kTwoPi = 6.283185307179586;

const DemoSound kSounds[kSoundCount] = {
    {"snd\\opening.wav", 22050, 1, 16, 19.0f},
    {"snd\\ending.wav", 11025, 1, 16, 155.0f},
    {"snd\\chime.wav", 44100, 2, 16, 2.5f},
    {"snd\\meow.wav", 22050, 1, 16, 0.9f},
    {"snd\\steps.wav", 22050, 2, 16, 1.8f},
    {"snd\\door.wav", 11025, 1, 8, 1.3f},
    {"snd\\splash.wav", 44100, 1, 16, 1.4f},
    {"音\\ことり.wav", 22050, 2, 16, 1.6f},
    {"snd\\twinkle.wav", 44100, 2, 16, 3.5f},
};

void chime(Track& t) {
    const double notes[4] = {1046.5, 1318.5, 1568.0, 2093.0};
    for (int i = 0; i < 4; ++i) add_tone(t, 0.12 * i, notes[i], 0.5, -0.6 + 0.4 * i, kBell);
}

void twinkle(Track& t) {
    Rng rng{0x7B1Cu};
    const int semis[5] = {0, 2, 4, 7, 9};
    for (int i = 0; i < 14; ++i) {
        double f = 1046.5 * std::pow(2.0, (semis[rng.next() % 5] + 12 * (rng.next() % 2)) / 12.0);
        add_tone(t, rng.uniform(0.0f, 2.5f), f, 0.3, rng.uniform(-0.8f, 0.8f), kBell);
    }
    for (double f : {261.6, 329.6, 392.0}) add_pad(t, 0.0, 3.3, f, 0.12);
}

void meow(Track& t) {
    double phase = 0.0;
    size_t n = t.left.size();
    for (size_t i = 0; i < n; ++i) {
        double s = static_cast<double>(i) / t.rate;
        double f0 = s < 0.25 ? 480 + 340 * std::sin(s / 0.25 * kTwoPi / 4)
                             : 820 - 300 * std::sin((s - 0.25) / 0.65 * kTwoPi / 4);
        f0 *= 1.0 + 0.015 * std::sin(kTwoPi * 6 * s);
        double formant = 1700 - 800 * std::min(1.0, s / 0.6);
        double env = std::min(1.0, s / 0.06) * std::min(1.0, (0.9 - s) / 0.25);
        phase += f0 / t.rate;
        double v = 0.0;
        for (int k = 1; k <= 12; ++k) {
            double fk = f0 * k;
            if (fk > t.rate * 0.45) break;
            double w = std::exp(-std::pow((fk - formant) / 700.0, 2)) +
                       0.3 * std::exp(-std::pow((fk - 2 * formant) / 900.0, 2));
            v += w * std::sin(kTwoPi * phase * k) / std::sqrt(k);
        }
        t.left[i] += static_cast<float>(v * env);
        t.right[i] += static_cast<float>(v * env);
    }
}

void steps(Track& t) {
    Rng rng{0x51E9u};
    for (int k = 0; k < 4; ++k) {
        double pan = (k % 2 == 0) ? -0.35 : 0.35;
        size_t start = static_cast<size_t>(0.42 * k * t.rate);
        float low = 0.0f;
        for (size_t i = 0; i < static_cast<size_t>(0.25 * t.rate) && start + i < t.left.size(); ++i) {
            double s = static_cast<double>(i) / t.rate;
            low += 0.15f * (rng.uniform(-1, 1) - low);  // soft, lowpassed noise: a shoe on earth
            double v = low * std::exp(-s / 0.025) * 2.5 + 0.8 * std::exp(-s / 0.05) * std::sin(kTwoPi * 95 * s);
            t.left[start + i] += static_cast<float>(v * (1 - pan));
            t.right[start + i] += static_cast<float>(v * (1 + pan));
        }
    }
}

void door(Track& t) {
    Rng rng{0xD002u};
    double phase = 0.0, grain = 1.0;
    size_t n = t.left.size();
    for (size_t i = 0; i < n; ++i) {
        double s = static_cast<double>(i) / t.rate;
        double v = 0.0;
        if (s < 0.9) {  // the creak: a rough, wavering buzz
            double f = 170 + 60 * std::sin(kTwoPi * 1.3 * s) + 15 * std::sin(kTwoPi * 7 * s);
            double before = phase;
            phase += f / t.rate;
            if (std::floor(phase) != std::floor(before)) grain = rng.uniform(0.4f, 1.0f);
            double frac = phase - std::floor(phase);
            v = (1.0 - 2.0 * frac) * grain * 0.5 * std::sin(s / 0.9 * kTwoPi / 2);
        }
        if (s >= 1.0) {  // the door closes: a thump
            double u = s - 1.0;
            v += 0.9 * std::exp(-u / 0.08) * std::sin(kTwoPi * 70 * u) + 0.3 * std::exp(-u / 0.015) * rng.uniform(-1, 1);
        }
        t.left[i] += static_cast<float>(v);
        t.right[i] += static_cast<float>(v);
    }
}

void splash(Track& t) {
    Rng rng{0x5A1Au};
    double low = 0.0, band = 0.0;
    size_t n = t.left.size();
    for (size_t i = 0; i < n; ++i) {  // noise through a falling resonant band-pass
        double s = static_cast<double>(i) / t.rate;
        double centre = 600 + 1900 * std::exp(-s / 0.3);
        double f = 2 * std::sin(kTwoPi / 2 * centre / t.rate);
        double in = rng.uniform(-1, 1);
        low += f * band;
        double high = in - low - 0.5 * band;
        band += f * high;
        double env = std::min(1.0, s / 0.01) * std::exp(-s / 0.35);
        t.left[i] += static_cast<float>(band * env);
        t.right[i] += static_cast<float>(band * env);
    }
    for (int k = 0; k < 12; ++k) {  // droplets
        double at = rng.uniform(0.1f, 1.1f);
        double phase = 0.0;
        size_t start = static_cast<size_t>(at * t.rate);
        for (size_t i = 0; i < static_cast<size_t>(0.05 * t.rate) && start + i < n; ++i) {
            double u = static_cast<double>(i) / t.rate;
            phase += (800 + 16000 * u) / t.rate;
            float v = static_cast<float>(0.25 * std::exp(-u / 0.012) * std::sin(kTwoPi * phase));
            t.left[start + i] += v;
            t.right[start + i] += v;
        }
    }
}

void chirp(Track& t) {
    const double starts[4] = {0.0, 0.25, 0.5, 0.95};
    for (int k = 0; k < 4; ++k) {
        double phase = 0.0, pan = (k % 2 == 0) ? -0.3 : 0.3;
        size_t start = static_cast<size_t>(starts[k] * t.rate);
        double d = 0.12;
        for (size_t i = 0; i < static_cast<size_t>(d * t.rate) && start + i < t.left.size(); ++i) {
            double u = static_cast<double>(i) / t.rate;
            double f = 2800 + 1400 * u / d + 200 * std::sin(kTwoPi * 40 * u);
            phase += f / t.rate;
            double v = std::sin(kTwoPi / 2 * u / d) * (std::sin(kTwoPi * phase) + 0.2 * std::sin(2 * kTwoPi * phase));
            t.left[start + i] += static_cast<float>(v * (1 - pan));
            t.right[start + i] += static_cast<float>(v * (1 + pan));
        }
    }
}

void put16(std::vector<unsigned char>& out, uint32_t v) {
    out.push_back(static_cast<unsigned char>(v & 0xFF));
    out.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
}

void put32(std::vector<unsigned char>& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

void put_id(std::vector<unsigned char>& out, const char* id) {
    out.insert(out.end(), id, id + 4);
}

// The WAVE bytes of a finished track; with an info chunk between "fmt " and "data" when asked.
std::vector<unsigned char> wave_bytes(const Track& t, const DemoSound& sound, bool with_info) {
    const int block = sound.channels * sound.bits / 8;
    const uint32_t frames = static_cast<uint32_t>(t.left.size());
    const uint32_t data_bytes = frames * static_cast<uint32_t>(block);
    static const char kInfo[] = "INFOICMT\x10\0\0\0poromina demo\0\0\0";
    const uint32_t info_bytes = with_info ? sizeof(kInfo) - 1 : 0;
    std::vector<unsigned char> out;
    out.reserve(44 + info_bytes + 8 + data_bytes + 1);
    put_id(out, "RIFF");
    put32(out, 4 + 24 + (with_info ? 8 + info_bytes : 0) + 8 + data_bytes + (data_bytes & 1));
    put_id(out, "WAVE");
    put_id(out, "fmt ");
    put32(out, 16);
    put16(out, 1);  // PCM
    put16(out, static_cast<uint32_t>(sound.channels));
    put32(out, static_cast<uint32_t>(sound.rate));
    put32(out, static_cast<uint32_t>(sound.rate * block));
    put16(out, static_cast<uint32_t>(block));
    put16(out, static_cast<uint32_t>(sound.bits));
    if (with_info) {
        put_id(out, "LIST");
        put32(out, info_bytes);
        out.insert(out.end(), kInfo, kInfo + info_bytes);
    }
    put_id(out, "data");
    put32(out, data_bytes);
    for (uint32_t i = 0; i < frames; ++i) {
        float ch[2] = {t.left[i], t.right[i]};
        if (sound.channels == 1) ch[0] = (t.left[i] + t.right[i]) * 0.5f;
        for (int c = 0; c < sound.channels; ++c) {
            float v = std::clamp(ch[c], -1.0f, 1.0f);
            if (sound.bits == 8) {
                out.push_back(static_cast<unsigned char>(std::lround(128.0f + v * 127.0f)));
            } else {
                put16(out, static_cast<uint32_t>(static_cast<int16_t>(std::lround(v * 32767.0f))) & 0xFFFF);
            }
        }
    }
    if (data_bytes & 1) out.push_back(0);  // chunks keep an even length
    return out;
}

}  // namespace

const DemoSound& demo_sound(int id) {
    return kSounds[id];
}

long write_sound(int id, const std::string& outdir, std::string* error) {
    const DemoSound& sound = kSounds[id];
    Track t = make_track(sound.rate, sound.seconds);
    switch (id) {
        case kOpening: opening_tune(t); break;
        case kEnding: ending_tune(t); break;
        case kChime: chime(t); break;
        case kMeow: meow(t); break;
        case kSteps: steps(t); break;
        case kDoor: door(t); break;
        case kSplash: splash(t); break;
        case kChirp: chirp(t); break;
        case kTwinkle: twinkle(t); break;
    }
    finish_track(t, 0.85f);
    std::vector<unsigned char> bytes = wave_bytes(t, sound, id == kChirp);
    std::string rel = sound.name;
    std::replace(rel.begin(), rel.end(), '\\', '/');
    std::filesystem::path path = std::filesystem::path(outdir) / rel;
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    FILE* f = std::fopen(path.string().c_str(), "wb");
    bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f && std::fclose(f) != 0) ok = false;
    if (!ok) {
        *error = "cannot write " + path.string();
        return -1;
    }
    return static_cast<long>(bytes.size());
}
