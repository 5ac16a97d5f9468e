// Finds the sample payload of a WAVE held in memory the way the game's WAVE reader does (through
// the platform RIFF reader), so that pack scrambles exactly the bytes the game descrambles.
#include "platform/audio/riff.h"
#include "tools/tool/tool.h"

WaveKind find_wave_payload(const unsigned char* bytes, size_t size, size_t* offset, size_t* length) {
    RiffHandle stream = riff_open_memory(bytes ? bytes : reinterpret_cast<const unsigned char*>(""), size);
    if (!stream) return WaveKind::not_wave;
    RiffChunk riff;
    if (riff_descend(stream.get(), &riff, nullptr, RiffFind::Next) != 0 || riff.id != kFourccRiff ||
        riff.form_type != riff_fourcc('W', 'A', 'V', 'E'))
        return WaveKind::not_wave;
    // The "data" chunk is searched inside the RIFF chunk's declared size, from its first chunk.
    RiffChunk data;
    data.id = riff_fourcc('d', 'a', 't', 'a');
    if (riff_descend(stream.get(), &data, &riff, RiffFind::Chunk) != 0) return WaveKind::no_data;
    *offset = static_cast<size_t>(data.data_offset);
    *length = data.available;  // a payload cut off by the file's end stops there
    return WaveKind::wave;
}
