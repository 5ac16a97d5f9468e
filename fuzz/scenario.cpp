// Fuzz target: arbitrary bytes through the scenario parser, whose table must stay within its
// limits (the line reader has a target of its own, fuzz/lines.cpp).
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "scenario/data_file.h"
#include "scenario/scenario.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > static_cast<size_t>(kDataBufferBytes)) return 0;
    const char* text = reinterpret_cast<const char*>(data);
    int32_t n = static_cast<int32_t>(size);
    if (parse_scenario(&scene_table, text, n) != 0 && scenario_error().line < 1) std::abort();
    const SceneTable& t = scene_table;
    if (t.scene_count < 0 || t.scene_count > kMaxScenes) std::abort();
    for (const Scene& s : t.scenes) {
        if (s.area_count < 0 || s.area_count > kMaxAreas) std::abort();
        for (int a = 0; a < s.area_count; ++a) {
            const Area& area = s.areas[a];
            if (area.rect_count < 0 || area.rect_count > kMaxRects) std::abort();
            if (area.fukidasi_count < 0 || area.fukidasi_count > kMaxPages) std::abort();
            if (area.next_seq < 0 || area.next_seq >= kMaxScenes) std::abort();
            if (area.snd_nm.size() >= static_cast<size_t>(kLineBufferBytes)) std::abort();
        }
    }
    return 0;
}
