// Fuzz target: arbitrary bytes through the line reader at several capacities. Each call moves the
// cursor on, copies at most capacity - 1 bytes and terminates them, the CR LF pairs it skips are
// real ones, and the walk ends exactly at the end of the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "scenario/data_file.h"

namespace {

void walk_lines(const char* text, int32_t size, int capacity) {
    LineReader reader{text, size, 0};
    std::vector<char> buf(static_cast<size_t>(capacity));
    int32_t lines = 0;
    for (;;) {
        int32_t before = reader.pos;
        char* line = next_line(&reader, buf.data(), capacity);
        if (!line) break;
        ++lines;
        int32_t moved = reader.pos - before;
        if (line != buf.data() || moved <= 0 || reader.pos > size) std::abort();
        bool crlf = moved >= 2 && text[reader.pos - 2] == '\r' && text[reader.pos - 1] == '\n';
        int32_t length = crlf ? moved - 2 : moved;
        if (length > capacity - 1 || buf[static_cast<size_t>(length)] != '\0') std::abort();
        for (int32_t i = 0; i < length; ++i)
            if (buf[static_cast<size_t>(i)] != text[before + i]) std::abort();
    }
    if (capacity >= 2 && reader.pos != size) std::abort();
    if (capacity < 2 && lines != 0) std::abort();
    if (next_line(&reader, buf.data(), capacity) != nullptr) std::abort();  // the end stays the end
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > static_cast<size_t>(kDataBufferBytes)) return 0;
    const char* text = reinterpret_cast<const char*>(data);
    for (int capacity : {1, 2, 3, 16, 512}) walk_lines(text, static_cast<int32_t>(size), capacity);
    return 0;
}
