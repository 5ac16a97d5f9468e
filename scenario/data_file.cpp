// The data folder: the scramble key, the whole-file buffer, the whole-file reader and the CR LF
// line reader the script parser walks.
#include "scenario/data_file.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/system/files.h"

const unsigned char scramble_key[kScrambleKeyBytes] = {
    0x5a, 0x13, 0xc7, 0x08, 0x9e, 0x41, 0xb2, 0x6d, 0x33, 0xf0, 0x7c, 0x25, 0xa8, 0x1e, 0xd4, 0x69,
};

unsigned char data_buffer[kDataBufferBytes];

namespace {

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using FileHandle = std::unique_ptr<FILE, FileCloser>;

// Size of an open file by seeking to its end, back at its start afterwards; -1 when it cannot
// be measured.
long measure_file(FILE* f) {
    if (std::fseek(f, 0, SEEK_END) != 0) return -1;
    const long size = std::ftell(f);
    if (std::fseek(f, 0, SEEK_SET) != 0) return -1;
    return size;
}

DataFileStatus last_status{DataFileFailure::none, -1};  // of the last read; UI thread only
std::string plain_data_folder;                            // "" : the stored data folder

int fail_read(DataFileFailure failure, long size) {
    last_status = DataFileStatus{failure, size};
    return -1;
}

}  // namespace

void descramble(unsigned char* buf, size_t count) {
    // Whole key-length blocks as two 64-bit words each (a picture's megabyte in tens of
    // microseconds), then the tail byte by byte.
    static_assert(kScrambleKeyBytes == 16, "the block loop XORs two 8-byte words");
    uint64_t k0, k1;
    std::memcpy(&k0, scramble_key, 8);
    std::memcpy(&k1, scramble_key + 8, 8);
    size_t i = 0;
    for (; count - i >= kScrambleKeyBytes; i += kScrambleKeyBytes) {
        uint64_t a, b;
        std::memcpy(&a, buf + i, 8);
        std::memcpy(&b, buf + i + 8, 8);
        a ^= k0;
        b ^= k1;
        std::memcpy(buf + i, &a, 8);
        std::memcpy(buf + i + 8, &b, 8);
    }
    for (; i < count; ++i) buf[i] ^= scramble_key[i % kScrambleKeyBytes];
}

const DataFileStatus& data_file_status() { return last_status; }

void set_plain_folder(const std::string& folder) { plain_data_folder = folder; }
const std::string& plain_folder() { return plain_data_folder; }

int read_data_file(const char* path) {
    const bool plain = !plain_data_folder.empty();
    // In a plain folder the name after "data\" is looked up in that folder.
    const char* name = path ? path : "";
    if (plain && std::strncmp(name, "data", 4) == 0 && (name[4] == '\\' || name[4] == '/')) name += 5;
    FileHandle f(plain ? open_game_file_in(plain_data_folder, name) : open_game_file(name));
    if (!f) {
        const std::string resolved = plain ? resolve_game_path_in(plain_data_folder, name) : resolve_game_path(name);
        return fail_read(resolved.empty() ? DataFileFailure::missing : DataFileFailure::not_a_file, -1);
    }
    const long size = measure_file(f.get());
    if (size < 0) return fail_read(DataFileFailure::unreadable, -1);
    if (size == 0) return fail_read(DataFileFailure::empty, 0);
    if (size > kDataBufferBytes) return fail_read(DataFileFailure::too_large, size);
    // One block of the whole size: an empty file reads no block and is refused with the rest.
    if (std::fread(data_buffer, static_cast<size_t>(size), 1, f.get()) != 1)
        return fail_read(DataFileFailure::unreadable, size);
    f.reset();
    if (!plain) descramble(data_buffer, static_cast<size_t>(size));
    last_status = DataFileStatus{DataFileFailure::none, size};
    return static_cast<int>(size);
}

char* next_line(LineReader* reader, char* buf, int capacity) {
    // A capacity below 2 has no room for a byte: no line could ever move the cursor on.
    if (buf && capacity >= 1) buf[0] = '\0';
    if (!reader || !buf || capacity < 2 || reader->pos < 0 || reader->pos >= reader->size)
        return nullptr;
    const char* data = reader->data;
    int32_t pos = reader->pos;
    const int32_t size = reader->size;
    int copied = 0;
    for (;;) {
        // The terminator is looked for before the room, so a line that fills the buffer exactly
        // still takes its CR LF with it.
        if (pos + 1 < size && data[pos] == '\r' && data[pos + 1] == '\n') {
            pos += 2;
            break;
        }
        if (copied == capacity - 1 || pos >= size) break;
        buf[copied++] = data[pos++];
    }
    buf[copied] = '\0';
    reader->pos = pos;
    return buf;
}
