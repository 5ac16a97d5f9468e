// Sound-file check for the authoring tool, through the same reader and format rules as the game.
#include "sound/wave_check.h"

#include <cstdio>
#include <vector>

#include "platform/audio/audio.h"
#include "sound/wave_reader.h"

namespace {

// Opens a path outside the game's folder rules (absolute, '/'-separated) through a memory copy.
HRESULT open_host_file(WaveReader& reader, const char* path, std::vector<unsigned char>& bytes) {
    FILE* f = std::fopen(path, "rb");
    if (!f) return E_FAIL;
    unsigned char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    if (!ok) return E_FAIL;
    reader.stream = riff_open_memory(bytes.data(), bytes.size());
    HRESULT hr = reader.parse_format();
    if (succeeded(hr)) hr = reader.seek_data();
    return hr;
}

}  // namespace

WaveCheck check_wave_file(const char* path) {
    WaveCheck check;
    if (!path || !*path) {
        check.reason = "no file name";
        return check;
    }
    std::vector<unsigned char> bytes;  // a host file's copy; outlives the reader's stream over it
    WaveReader reader;
    if (failed(reader.open(path)) && failed(open_host_file(reader, path, bytes))) {
        check.reason = "missing, unreadable or not a usable RIFF WAVE file (needs \"fmt \" and \"data\" chunks)";
        return check;
    }
    const WaveFormatEx& f = *reader.format();
    if (const char* problem = audio_format_problem(f)) {
        check.reason = std::string("format will not play: ") + problem;
        return check;
    }
    check.opens = true;
    check.fadable = f.wBitsPerSample == 16 && (f.nChannels == 1 || f.nChannels == 2);
    double seconds = static_cast<double>(reader.data_remaining) / f.nAvgBytesPerSec;
    char line[160];
    std::snprintf(line, sizeof line, "PCM %u Hz, %u-bit, %u channel%s, %.2f s%s", f.nSamplesPerSec,
                  f.wBitsPerSample, f.nChannels, f.nChannels == 1 ? "" : "s", seconds,
                  check.fadable ? "" : "; no fade-out (only 16-bit mono or stereo fades)");
    check.reason = line;
    return check;
}
