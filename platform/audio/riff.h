// Buffered sequential reading of RIFF data (the mmio stand-in): a game file or a read-only memory
// block, with chunk descend and search, ascend, seek and read. Never reads past either end.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

// Four-character code as stored in a RIFF file (first character in the lowest byte).
constexpr uint32_t riff_fourcc(char a, char b, char c, char d) {
    return static_cast<uint32_t>(static_cast<unsigned char>(a)) |
           static_cast<uint32_t>(static_cast<unsigned char>(b)) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(c)) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(d)) << 24;
}
constexpr uint32_t kFourccRiff = riff_fourcc('R', 'I', 'F', 'F');
constexpr uint32_t kFourccList = riff_fourcc('L', 'I', 'S', 'T');

struct RiffChunk {
    uint32_t id = 0;           // four-character code of the chunk
    uint32_t size = 0;         // chunk data bytes as declared (the form type included, pad byte not)
    uint32_t form_type = 0;    // "RIFF" and "LIST" chunks: the form type; else 0
    int64_t data_offset = 0;   // stream offset of the chunk data (of the form type for RIFF/LIST)
    uint32_t available = 0;    // bytes of the declared data that lie inside the parent and the
                               // stream (equals size unless the chunk claims more than is there)
};

// What riff_descend looks for.
enum class RiffFind {
    Next,   // the chunk at the current position, whatever it is
    Chunk,  // the first chunk with chunk->id, searching from the current position
    Riff,   // the first "RIFF" chunk with form type chunk->form_type
};

struct RiffStream;
struct RiffCloser {
    void operator()(RiffStream* stream) const;
};
using RiffHandle = std::unique_ptr<RiffStream, RiffCloser>;

// Opens a game path (see resolve_game_path) for reading. Null when it does not open.
RiffHandle riff_open_file(const char* game_path);
// Reads a memory block (not copied, not owned; must outlive the stream). Null for a null block.
RiffHandle riff_open_memory(const void* data, size_t size);

// Reads the header of a chunk at the current position, or searches for one (see RiffFind) that
// starts inside `parent` (the whole stream when null). Leaves the stream at the chunk's data (past
// the form type for "RIFF" and "LIST"). 0, or -1 when no such chunk lies there; a search does not
// go past a chunk whose declared size runs beyond the parent or the stream.
int riff_descend(RiffStream* stream, RiffChunk* chunk, const RiffChunk* parent, RiffFind find);
// Moves to the end of a chunk found by riff_descend (past its pad byte). 0, or -1.
int riff_ascend(RiffStream* stream, const RiffChunk* chunk);
// Moves to a byte offset from the start. Returns the new offset, or -1 when it is negative.
int64_t riff_seek(RiffStream* stream, int64_t offset);
// Copies up to count bytes from the current position. Returns the count copied (less only at the
// end of the stream), or -1 on a read error.
int64_t riff_read(RiffStream* stream, void* destination, int64_t count);
// Bytes in the stream.
int64_t riff_size(const RiffStream* stream);
