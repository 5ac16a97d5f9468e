// Fuzz target: the WAVE reader over a memory block (parse, find the payload, read it in pieces).
#include <cstddef>
#include <cstdint>

#include "sound/wave_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WaveReader reader;
    reader.stream = riff_open_memory(data, size);
    if (succeeded(reader.parse_format()) && succeeded(reader.seek_data())) {
        const WaveFormatEx* f = reader.format();
        volatile uint32_t sink = f->nChannels + f->cbSize;
        if (f->cbSize > 0) sink = sink + reader.format_record[18 + f->cbSize - 1];
        unsigned char piece[333];
        uint32_t got = 0;
        for (int i = 0; i < 1000; ++i) {
            if (failed(reader.read(sizeof piece, piece, &got)) || got == 0) break;
            sink = sink + piece[got - 1];
        }
        reader.seek_data();
        (void)sink;
    }
    reader.close();
    return 0;
}
