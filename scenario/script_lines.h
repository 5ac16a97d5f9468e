// Where in the script each part of the scene table came from: line numbers that the parser records
// beside the table, for the authoring checks. The game itself never reads them.
#pragma once
#include <cstdint>

#include "scenario/scenario.h"

// 1-based script lines (CR LF lines: the pieces of a long line share its number); 0 = not given.
struct ScriptLines {
    int32_t opening_snd_nm;                          // last "opening_snd_nm=" line
    int32_t ending_snd_nm;                           // last "ending_snd_nm=" line
    int32_t seq[kMaxScenes];                         // the "seq=" line that started each entry
    int32_t img_nm[kMaxScenes];                      // last "img_nm=" line of each entry
    int32_t rect[kMaxScenes][kMaxAreas][kMaxRects];  // the "rect=" line of each rectangle
    int32_t next_seq[kMaxScenes][kMaxAreas];         // the "next_seq=" line that committed the area
    int32_t snd_nm[kMaxScenes][kMaxAreas];           // last "snd_nm=" line of each area
    int32_t anime_nm[kMaxScenes][kMaxAreas];         // last "anime_nm=" line of each area
    int32_t fukidasi[kMaxScenes][kMaxAreas][kMaxPages];  // the "fukidasi=" line of each page
    int32_t long_line_count;                         // lines longer than one 511-byte piece
    int32_t first_long_line;                         // the first of them; 0 for none
    int32_t text_bytes;                              // size of the text parsed (in data_buffer
                                                     // after load_scenario)
};

// The line numbers of the last load or parse.
const ScriptLines& script_lines();
