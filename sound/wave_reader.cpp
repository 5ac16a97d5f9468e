// The WAVE reader: chunk search over the RIFF stream, the format record and payload reads.
#include "sound/wave_reader.h"

#include <strings.h>

#include <cstring>
#include <new>

namespace {

constexpr uint32_t kFourccWave = riff_fourcc('W', 'A', 'V', 'E');
constexpr uint32_t kFourccFmt = riff_fourcc('f', 'm', 't', ' ');
constexpr uint32_t kFourccData = riff_fourcc('d', 'a', 't', 'a');
constexpr uint32_t kFormatHeaderBytes = 16;  // the "fmt " fields before cbSize
constexpr uint32_t kFormatRecordBytes = sizeof(WaveFormatEx);

const WaveResource* resources = nullptr;  // user-interface thread only
int resource_count = 0;

// The resource `name` of `type`, or null.
const WaveResource* find_resource(const char* name, const char* type) {
    for (int i = 0; i < resource_count; ++i) {
        const WaveResource& r = resources[i];
        if (r.name && r.type && strcasecmp(r.name, name) == 0 && strcasecmp(r.type, type) == 0) return &r;
    }
    return nullptr;
}

}  // namespace

void wave_reader_use_resources(const WaveResource* table, int count) {
    resources = table;
    resource_count = table ? count : 0;
}

HRESULT WaveReader::open(const char* name) {
    if (!name) return E_INVALIDARG;
    format_record.reset();
    close();
    stream = riff_open_file(name);
    if (!stream) {
        const WaveResource* res = find_resource(name, "WAVE");
        if (!res) res = find_resource(name, "WAV");
        if (!res || !res->data || res->size == 0) return E_FAIL;
        resource_copy.reset(new (std::nothrow) unsigned char[res->size]);
        if (!resource_copy) return E_FAIL;
        std::memcpy(resource_copy.get(), res->data, res->size);
        stream = riff_open_memory(resource_copy.get(), res->size);
        if (!stream) {
            close();
            return E_FAIL;
        }
    }
    HRESULT hr = parse_format();
    if (succeeded(hr)) hr = seek_data();
    // Nothing stays open after a failed open, not even when only the payload is missing.
    if (failed(hr)) close();
    return hr;
}

HRESULT WaveReader::parse_format() {
    format_record.reset();
    if (!stream) return CO_E_NOTINITIALIZED;
    riff_chunk = RiffChunk{};
    if (riff_descend(stream.get(), &riff_chunk, nullptr, RiffFind::Next) != 0) return E_FAIL;
    if (riff_chunk.id != kFourccRiff || riff_chunk.form_type != kFourccWave) return E_FAIL;

    RiffChunk fmt;
    fmt.id = kFourccFmt;
    if (riff_descend(stream.get(), &fmt, &riff_chunk, RiffFind::Chunk) != 0) return E_FAIL;
    // The whole declared chunk must be there and hold at least the 16 header bytes.
    if (fmt.size < kFormatHeaderBytes || fmt.available < fmt.size) return E_FAIL;
    unsigned char header[kFormatHeaderBytes];
    if (riff_read(stream.get(), header, kFormatHeaderBytes) != kFormatHeaderBytes) return E_FAIL;

    uint16_t tag = static_cast<uint16_t>(header[0] | header[1] << 8);
    uint16_t extra = 0;
    // A non-PCM format with a 16-byte chunk has no extra-byte count; cbSize is then 0, never
    // read from the next chunk. A count must fit inside the chunk.
    if (tag != kWaveFormatPcm && fmt.size > kFormatHeaderBytes) {
        unsigned char count[2];
        if (fmt.size < kFormatRecordBytes || riff_read(stream.get(), count, 2) != 2) return E_FAIL;
        extra = static_cast<uint16_t>(count[0] | count[1] << 8);
        if (extra > fmt.size - kFormatRecordBytes) return E_FAIL;
    }
    std::unique_ptr<unsigned char[]> record(new (std::nothrow) unsigned char[kFormatRecordBytes + extra]);
    if (!record) return E_FAIL;
    std::memcpy(record.get(), header, kFormatHeaderBytes);
    record[16] = static_cast<unsigned char>(extra & 0xFF);
    record[17] = static_cast<unsigned char>(extra >> 8);
    if (extra > 0 && riff_read(stream.get(), record.get() + kFormatRecordBytes, extra) != extra) return E_FAIL;
    if (riff_ascend(stream.get(), &fmt) != 0) return E_FAIL;
    format_record = std::move(record);
    return S_OK;
}

HRESULT WaveReader::seek_data() {
    if (!stream) return CO_E_NOTINITIALIZED;
    if (riff_seek(stream.get(), riff_chunk.data_offset + 4) < 0) return E_FAIL;
    data_chunk = RiffChunk{};
    data_chunk.id = kFourccData;
    if (riff_descend(stream.get(), &data_chunk, &riff_chunk, RiffFind::Chunk) != 0) return E_FAIL;
    // A payload that claims more than the file holds (a cut-off file) plays what is there.
    data_remaining = data_chunk.available;
    return S_OK;
}

HRESULT WaveReader::read(uint32_t count, unsigned char* destination, uint32_t* bytes_read) {
    if (!stream) return CO_E_NOTINITIALIZED;
    if (!destination || !bytes_read) return E_INVALIDARG;
    *bytes_read = 0;
    uint32_t n = count < data_remaining ? count : data_remaining;
    data_remaining -= n;
    if (n > 0 && riff_read(stream.get(), destination, n) != n) return E_FAIL;
    *bytes_read = n;
    return S_OK;
}

HRESULT WaveReader::close() {
    stream.reset();
    resource_copy.reset();
    return S_OK;
}
