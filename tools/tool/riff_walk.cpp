// A bounds-checked walk over the chunks of a RIFF WAVE file held in memory, to find the sample
// payload that the data folder stores scrambled.
#include <cstdint>
#include <cstring>

#include "tools/tool/tool.h"

namespace {

uint32_t le32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

}  // namespace

WaveKind find_wave_payload(const unsigned char* bytes, size_t size, size_t* offset, size_t* length) {
    if (size < 12 || std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0)
        return WaveKind::not_wave;
    // Chunks follow the form type: id, 32-bit little-endian size, payload, a pad byte when odd.
    uint64_t pos = 12;
    while (pos + 8 <= size) {
        const unsigned char* chunk = bytes + pos;
        uint64_t payload = pos + 8;
        uint64_t chunk_size = le32(chunk + 4);
        if (std::memcmp(chunk, "data", 4) == 0) {
            uint64_t room = size - payload;
            *offset = static_cast<size_t>(payload);
            *length = static_cast<size_t>(chunk_size < room ? chunk_size : room);
            return WaveKind::wave;
        }
        pos = payload + chunk_size + (chunk_size & 1);
    }
    return WaveKind::no_data;
}
