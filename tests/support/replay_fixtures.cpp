// Fixtures for the replay tests: the tour story written as a game folder, and program runs.
#include "support/replay_fixtures.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "support/scenario_fixtures.h"
#include "support/scene_fixtures.h"
#include "support/sound_fixtures.h"

const char* const kTourTransitionNames[12] = {
    "即時表示", "上から表示", "下から表示", "左から表示", "右から表示", "中央から左右へ表示",
    "左右から中央へ表示", "中央から端へ表示", "端から中央へ表示", "混合色表示",
    "白色混合色から白色そして表示", "白色から表示",
};

namespace {

void write_scrambled(const std::string& path, const std::string& bytes) { write_file(path, scrambled(bytes)); }

std::string link(const std::string& rect, int next, const std::string& anime, const std::string& snd) {
    std::string s = "rect=" + rect + "\n";
    if (!anime.empty()) s += "anime_nm=" + anime + "\n";
    if (!snd.empty()) s += "snd_nm=" + snd + "\n";
    return s + "next_seq=" + std::to_string(next) + "\n";
}

std::string balloon(const std::string& rect, int pages, int self) {
    std::string s = "rect=" + rect + "\n";
    for (int p = 1; p <= pages; ++p) s += "fukidasi=ページ " + std::to_string(p) + " / " + std::to_string(pages) + "\n";
    return s + "next_seq=" + std::to_string(self) + "\n";
}

// The script in UTF-8 with LF line ends.
std::string story_script() {
    std::string s = "; the tour story\nopening_snd_nm=opening.wav\nending_snd_nm=ending.wav\n";
    for (int i = 0; i < kTourStoryScenes; ++i) {
        s += "seq=" + std::to_string(i) + "\nimg_nm=pic" + std::to_string(i % 4) + ".bmp\n";
        // Area 0: the next scene (entry 26's is the shortcut area); entry 103's starts the roll.
        if (i < kTourStoryScenes - 1)
            s += link("720,0,799,79", i + 1, kTourTransitionNames[i % 12], i % 5 == 0 ? "chime.wav" : "");
        else
            s += balloon("300,200,499,399", 2, i);
        if (i > 0) s += link("0,0,79,79", 0, "", "");  // home, instant and silent
        if (i == 0) {
            s += balloon("100,400,299,550", 10, i);
            s += link("400,200,499,299", 26, kTourTransitionNames[9], "chime.wav");
        }
        if (i == 1) s += link("10,10,40,40", 50, "", "");  // wholly under "home": never hit
        if (i == 26) s += link("400,200,499,299", 80, kTourTransitionNames[11], "");
        if (i == 86) {
            s += link("400,200,499,299", 26, kTourTransitionNames[3], "");
            s += link("400,300,499,399", 100, kTourTransitionNames[4], "");
        }
        if (i == 103) s += balloon("600,400,699,499", 1, i);
    }
    return s;
}

std::string wave(double seconds, uint32_t seed) {
    WaveFileFormat wave;
    wave.rate = 22050;
    Bytes payload = pattern_bytes(static_cast<size_t>(bytes_per_second(wave) * seconds) & ~size_t{3}, seed);
    Bytes file = make_wave(wave, scramble_payload(payload));
    return std::string(file.begin(), file.end());
}

}  // namespace

void write_tour_story(const std::string& dir) {
    const std::string data = dir + "/data/";
    std::string text;
    for (char c : story_script()) {
        if (c == '\n') text += "\r\n";
        else text += c;
    }
    write_scrambled(data + "GAME42297263", sjis(text));
    for (int k = 0; k < 4; ++k)
        write_scrambled(data + "pic" + std::to_string(k) + ".bmp", make_solid_bmp(800, 600, kTourStoryColours[k]));
    write_scrambled(data + "GAME39651497", make_bmp(24, 24, [](int x, int y) {
                        return (x < 4 || y < 4) ? 0x0000FFu : 0xFFFFFFu;  // blue is transparent
                    }));
    write_file(data + "opening.wav", wave(0.5, 1));
    write_file(data + "chime.wav", wave(0.3, 2));
    write_file(data + "ending.wav", wave(0.5, 3));
}

int run_in(const std::string& dir, const std::string& command, const std::string& out_path,
           const std::string& err_path) {
#ifdef _WIN32
    // cmd.exe: double quotes, and the exit code as std::system's result.
    const std::string line = "cd /d \"" + dir + "\" && " + command + " >\"" + out_path + "\" 2>\"" + err_path + "\"";
    return std::system(line.c_str());
#else
    const std::string line = "cd '" + dir + "' && " + command + " >'" + out_path + "' 2>'" + err_path + "'";
    int status = std::system(line.c_str());
    if (status == -1 || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
#endif
}
