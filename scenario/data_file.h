// The data folder: scrambled files, the one whole-file buffer, descrambling and the line reader.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

constexpr int kDataBufferBytes = 0x200000;  // 2 MiB: the largest data file
constexpr int kScrambleKeyBytes = 16;

// The 16-byte key every data file is scrambled with (byte 0 first).
extern const unsigned char scramble_key[kScrambleKeyBytes];

// The one buffer every whole-file read lands in; valid until the next read.
extern unsigned char data_buffer[kDataBufferBytes];

// XORs the first count bytes of buf with the key, byte i with key[i mod 16]. Its own inverse.
void descramble(unsigned char* buf, size_t count);

// Reads the whole file at path ("data\\name", see resolve_game_path) into data_buffer and
// descrambles it. Returns its size (1 to 2,097,152), or -1 for a file that cannot be opened,
// is empty, larger than the buffer or not read whole.
int read_data_file(const char* path);

// Why the last read_data_file failed.
enum class DataFileFailure {
    none,        // it was read
    missing,     // no file of that name (or a name that would leave the folder, or an empty one)
    not_a_file,  // the name is a folder or something else that is not a file
    empty,       // 0 bytes
    too_large,   // over kDataBufferBytes
    unreadable,  // it could not be opened or read whole
};
struct DataFileStatus {
    DataFileFailure failure;  // of the last read
    long size;                // its size in bytes when known, else -1
};
const DataFileStatus& data_file_status();

// A plain story folder: while set (absolute, or relative to the current directory),
// read_data_file reads "data\name" as the unscrambled file name in that folder and descrambles
// nothing. "" (the start) reads the data folder as stored.
void set_plain_folder(const std::string& folder);
const std::string& plain_folder();

// A cursor over descrambled text held in memory.
struct LineReader {
    const char* data;  // first byte; not owned
    int32_t size;      // bytes
    int32_t pos;       // index of the next unread byte
};

// Copies the next CR LF-terminated line (at most capacity - 1 bytes) into buf, NUL-terminated,
// and returns buf; returns null at the end of the text (and for a capacity below 2, which has
// no room for a byte).
char* next_line(LineReader* reader, char* buf, int capacity);
