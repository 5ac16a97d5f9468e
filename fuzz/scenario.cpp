// Fuzz target: arbitrary bytes through the line reader at several capacities and through the
// scenario parser, whose table must stay within its limits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "scenario/data_file.h"
#include "scenario/scenario.h"

namespace {

// Walks every line at one capacity: each call moves the cursor on, copies at most capacity - 1
// bytes and terminates them, and the walk ends exactly at the end of the text.
void walk_lines(const char* text, int32_t size, int capacity) {
    LineReader reader{text, size, 0};
    std::vector<char> buf(static_cast<size_t>(capacity));
    for (;;) {
        int32_t before = reader.pos;
        char* line = next_line(&reader, buf.data(), capacity);
        if (!line) break;
        int32_t moved = reader.pos - before;
        if (line != buf.data() || moved <= 0 || reader.pos > size) std::abort();
        bool crlf = moved >= 2 && text[reader.pos - 2] == '\r' && text[reader.pos - 1] == '\n';
        int32_t length = crlf ? moved - 2 : moved;
        if (length > capacity - 1 || buf[static_cast<size_t>(length)] != '\0') std::abort();
    }
    if (capacity >= 2 && reader.pos != size) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > static_cast<size_t>(kDataBufferBytes)) return 0;
    const char* text = reinterpret_cast<const char*>(data);
    int32_t n = static_cast<int32_t>(size);
    for (int capacity : {1, 2, 3, 16, 512}) walk_lines(text, n, capacity);

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
