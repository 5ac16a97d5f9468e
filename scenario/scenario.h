// The scenario script and the scene table built from it.
#pragma once
#include <cstdint>
#include <string>

constexpr int kMaxScenes = 200;
constexpr int kMaxAreas = 10;
constexpr int kMaxRects = 40;
constexpr int kMaxPages = 10;
constexpr int kLineBufferBytes = 512;

// Path of the scenario script in the data folder.
constexpr const char* kScenarioPath = "data\\GAME42297263";

struct HitRect {
    int32_t left, top, right, bottom;  // canvas pixels, all four edges inclusive
};

struct Area {
    int32_t rect_count;                          // 0..40
    HitRect rects[kMaxRects];
    std::string snd_nm;                          // sound of a scene link; "" for none
    int32_t fukidasi_count;                      // balloon pages 0..10; 0 = scene link
    std::string fukidasi_fnt_nm[kMaxPages];      // font face of each page
    int32_t fukidasi_fnt_sz[kMaxPages];          // font size of each page, points
    std::string fukidasi[kMaxPages];             // text of each page (Shift-JIS)
    std::string anime_nm;                        // transition name; "" or unknown = instant
    int32_t next_seq;                            // scene a click leads to
};

struct Scene {
    int32_t seq;                                 // the scene's number
    std::string img_nm;                          // picture file name
    int32_t area_count;                          // committed areas 0..10
    Area areas[kMaxAreas];
};

struct SceneTable {
    std::string opening_snd_nm;                  // sound at start and after the staff roll
    std::string ending_snd_nm;                   // sound of the staff roll
    int32_t scene_count;                         // filled entries 0..200
    Scene scenes[kMaxScenes];
    int32_t current_scene;                       // scene number now shown
};

// The one scene table of the game.
extern SceneTable scene_table;

// Why a load failed: the 1-based script line and a short reason; line 0 when the file itself
// could not be read.
struct ScenarioError {
    int line;
    std::string reason;     // English
    std::string reason_ja;  // the same in Japanese (UTF-8)
};

// Empties the table, reads and descrambles the script (kScenarioPath) and fills the table. From
// a plain folder (set_plain_folder) a UTF-8 script is first made Shift-JIS with CR LF ends.
// Returns 0, or -1 at the first failing line (whose number and reason scenario_error gives).
int load_scenario(SceneTable* table);

// Parses a script already in memory (descrambled) into the table; same result as load_scenario.
int parse_scenario(SceneTable* table, const char* text, int32_t size);

// The reason of the last failed load or parse.
const ScenarioError& scenario_error();
