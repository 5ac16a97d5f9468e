// RIFF reading over a stdio file (buffered by stdio) or a memory block, bounded by the stream's
// real size so that no declared chunk size can make it read past the end.
#include "platform/audio/riff.h"

#include <sys/types.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/system/files.h"

constexpr int kRiffFileBufferBytes = 8192;  // stdio buffer of a file stream

struct RiffStream {
    FILE* file = nullptr;                 // file source, or null
    const unsigned char* memory = nullptr;  // memory source, or null
    int64_t size = 0;                     // bytes in the source
    int64_t pos = 0;                      // offset of the next byte to read; may lie past size
    int64_t file_pos = 0;                 // where the FILE stands, to skip needless seeks
};

void RiffCloser::operator()(RiffStream* stream) const {
    if (!stream) return;
    if (stream->file) std::fclose(stream->file);
    delete stream;
}

RiffHandle riff_open_file(const char* game_path) {
    FILE* f = open_game_file(game_path);
    if (!f) return nullptr;
    RiffHandle s(new (std::nothrow) RiffStream);
    if (!s) {
        std::fclose(f);
        return nullptr;
    }
    s->file = f;
    std::setvbuf(f, nullptr, _IOFBF, kRiffFileBufferBytes);
    if (fseeko(f, 0, SEEK_END) != 0) return nullptr;
    off_t end = ftello(f);
    if (end < 0 || fseeko(f, 0, SEEK_SET) != 0) return nullptr;
    s->size = end;
    return s;
}

RiffHandle riff_open_memory(const void* data, size_t size) {
    if (!data) return nullptr;
    RiffHandle s(new (std::nothrow) RiffStream);
    if (!s) return nullptr;
    s->memory = static_cast<const unsigned char*>(data);
    s->size = static_cast<int64_t>(size);
    return s;
}

int64_t riff_size(const RiffStream* stream) { return stream ? stream->size : 0; }

int64_t riff_seek(RiffStream* stream, int64_t offset) {
    if (!stream || offset < 0) return -1;
    stream->pos = offset;
    return offset;
}

int64_t riff_read(RiffStream* stream, void* destination, int64_t count) {
    if (!stream || !destination || count < 0) return -1;
    int64_t n = std::min(count, std::max<int64_t>(0, stream->size - stream->pos));
    if (n == 0) return 0;
    if (stream->memory) {
        std::memcpy(destination, stream->memory + stream->pos, static_cast<size_t>(n));
    } else {
        if (stream->file_pos != stream->pos) {
            if (fseeko(stream->file, stream->pos, SEEK_SET) != 0) return -1;
            stream->file_pos = stream->pos;
        }
        size_t got = std::fread(destination, 1, static_cast<size_t>(n), stream->file);
        stream->file_pos += static_cast<int64_t>(got);
        if (got != static_cast<size_t>(n) && std::ferror(stream->file)) {
            std::clearerr(stream->file);
            stream->pos = stream->file_pos;
            return -1;
        }
        n = static_cast<int64_t>(got);  // the file shrank under us
    }
    stream->pos += n;
    return n;
}

namespace {

// Reads a little-endian 32-bit value; false at the end of the stream.
bool read_u32(RiffStream* stream, uint32_t* value) {
    unsigned char b[4];
    if (riff_read(stream, b, 4) != 4) return false;
    *value = static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
             static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
    return true;
}

// Reads the chunk header at the current position, which must leave its 8 bytes (and the form
// type of a "RIFF"/"LIST") before `end`.
bool read_header(RiffStream* stream, RiffChunk* chunk, int64_t end) {
    int64_t start = stream->pos;
    if (start + 8 > end) return false;
    if (!read_u32(stream, &chunk->id) || !read_u32(stream, &chunk->size)) return false;
    chunk->data_offset = start + 8;
    chunk->form_type = 0;
    int64_t declared_end = chunk->data_offset + chunk->size;
    chunk->available = static_cast<uint32_t>(std::max<int64_t>(0, std::min(declared_end, end) - chunk->data_offset));
    if (chunk->id == kFourccRiff || chunk->id == kFourccList) {
        if (chunk->available < 4 || !read_u32(stream, &chunk->form_type)) return false;
    }
    return true;
}

}  // namespace

int riff_descend(RiffStream* stream, RiffChunk* chunk, const RiffChunk* parent, RiffFind find) {
    if (!stream || !chunk) return -1;
    int64_t end = stream->size;
    if (parent) end = std::min(end, parent->data_offset + static_cast<int64_t>(parent->size));
    const uint32_t want_id = find == RiffFind::Riff ? kFourccRiff : chunk->id;
    const uint32_t want_form = chunk->form_type;
    RiffChunk found;
    for (;;) {
        if (!read_header(stream, &found, end)) return -1;
        bool match = find == RiffFind::Next ||
                     (found.id == want_id && (find != RiffFind::Riff || found.form_type == want_form));
        if (match) {
            *chunk = found;
            return 0;
        }
        // Skip the chunk and its pad byte; a chunk that claims more than is there ends the search.
        int64_t next = found.data_offset + found.size + (found.size & 1);
        if (found.available < found.size || next > end) return -1;
        riff_seek(stream, next);
    }
}

int riff_ascend(RiffStream* stream, const RiffChunk* chunk) {
    if (!stream || !chunk) return -1;
    int64_t next = chunk->data_offset + chunk->size + (chunk->size & 1);
    return riff_seek(stream, next) < 0 ? -1 : 0;
}
