// The read-only RIFF WAVE reader: opens a sound by name (a game file first, then a "WAVE" or
// "WAV" resource), hands out its format record and pulls the payload in order.
#pragma once
#include <cstdint>
#include <memory>

#include "platform/system/hresult.h"
#include "platform/audio/riff.h"
#include "platform/audio/wave_format.h"

struct WaveReader {
    std::unique_ptr<unsigned char[]> format_record;  // WaveFormatEx + cbSize extra bytes; null
                                                     // until parsed; survives close
    RiffHandle stream;                               // the open RIFF stream; null when closed
    RiffChunk data_chunk;                            // the "data" chunk found by seek_data
    uint32_t data_remaining = 0;                     // payload bytes not yet read (clamped to
                                                     // what the stream holds)
    RiffChunk riff_chunk;                            // the outer "RIFF"/"WAVE" chunk
    std::unique_ptr<unsigned char[]> resource_copy;  // heap copy of a resource while it is open

    // Opens `name` (a game path) and stands at the first payload byte. E_INVALIDARG for null,
    // E_FAIL when neither a file nor a resource of that name opens or it is not a usable WAVE.
    // A failed open leaves the reader closed.
    HRESULT open(const char* name);
    // Copies up to count payload bytes to destination; *bytes_read gets the count copied
    // (0 at the end of the payload, with S_OK).
    HRESULT read(uint32_t count, unsigned char* destination, uint32_t* bytes_read);
    // Goes back to the first payload byte. CO_E_NOTINITIALIZED when closed.
    HRESULT seek_data();
    // Reads the "RIFF" header and the "fmt " chunk into format_record.
    HRESULT parse_format();
    // Closes the stream and frees the resource copy. Always S_OK.
    HRESULT close();
    // The format record, or null before the first successful parse.
    const WaveFormatEx* format() const {
        return reinterpret_cast<const WaveFormatEx*>(format_record.get());
    }

    ~WaveReader() { close(); }
};

// A sound carried inside the program (the stand-in for "WAVE"/"WAV" module resources).
struct WaveResource {
    const char* name;           // looked up case-insensitively, as resource names are
    const char* type;           // "WAVE" or "WAV"
    const unsigned char* data;  // the whole RIFF file
    uint32_t size;              // bytes
};

// Test seam: the resources the reader looks in (the program itself carries none). Null, 0 for none.
void wave_reader_use_resources(const WaveResource* table, int count);
