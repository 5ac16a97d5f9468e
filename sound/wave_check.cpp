// Sound-file check for the authoring tool, through the same reader and format rules as the game.
#include "sound/wave_check.h"

#include <cstdio>
#include <cstring>
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

// The first bytes of the file (a game path first, then a host path); fewer when it is shorter.
std::vector<unsigned char> first_bytes(const char* path, size_t count) {
    std::vector<unsigned char> head(count);
    if (RiffHandle s = riff_open_file(path)) {
        int64_t n = riff_read(s.get(), head.data(), static_cast<int64_t>(count));
        head.resize(n > 0 ? static_cast<size_t>(n) : 0);
        return head;
    }
    FILE* f = std::fopen(path, "rb");
    if (!f) return {};
    head.resize(std::fread(head.data(), 1, count, f));
    std::fclose(f);
    return head;
}

}  // namespace

std::string sound_file_kind(const unsigned char* bytes, size_t size) {
    const std::vector<unsigned char> h(bytes, bytes + (size < 16 ? size : 16));
    auto starts = [&](const char* magic) {
        const size_t n = std::strlen(magic);
        return h.size() >= n && std::memcmp(h.data(), magic, n) == 0;
    };
    if (starts("ID3") || (h.size() >= 2 && h[0] == 0xFF && (h[1] & 0xE0) == 0xE0)) return "an MP3 file";
    if (starts("OggS")) return "an Ogg file (Vorbis or Opus)";
    if (starts("fLaC")) return "a FLAC file";
    if (starts("FORM") && h.size() >= 12 && (std::memcmp(h.data() + 8, "AIFF", 4) == 0 ||
                                             std::memcmp(h.data() + 8, "AIFC", 4) == 0))
        return "an AIFF file";
    if (starts("RIFF") && h.size() >= 12 && std::memcmp(h.data() + 8, "WAVE", 4) != 0) return "a RIFF file but no WAVE";
    return "";
}

namespace {

// The name of a WAVE's sample format that the game does not play, or "" when it is PCM.
std::string foreign_format(const WaveFormatEx& f) {
    const uint16_t kind = wave_format_kind(f);
    char text[96];
    switch (kind) {
        case kWaveFormatPcm:
            if (f.wBitsPerSample == 8 || f.wBitsPerSample == 16) return "";
            std::snprintf(text, sizeof text, "%u-bit PCM", f.wBitsPerSample);
            return text;
        case kWaveFormatIeeeFloat:
            std::snprintf(text, sizeof text, "%u-bit floating point", f.wBitsPerSample);
            return text;
        case kWaveFormatMpegLayer3: return "MP3 inside a WAVE";
        case kWaveFormatAdpcm: return "ADPCM";
        case 0x11: return "IMA ADPCM";
        case 6: return "A-law";
        case 7: return "mu-law";
        default:
            std::snprintf(text, sizeof text, "compressed (format 0x%04X)", kind);
            return text;
    }
}

}  // namespace

WaveCheck check_wave_file(const char* path) {
    WaveCheck check;
    if (!path || !*path) {
        check.reason = "no file name";
        return check;
    }
    constexpr const char* kConvert = "; the game plays RIFF WAVE, PCM 8 or 16 bits, 1 to 8 channels";
    std::vector<unsigned char> bytes;  // a host file's copy; outlives the reader's stream over it
    WaveReader reader;
    if (failed(reader.open(path)) && failed(open_host_file(reader, path, bytes))) {
        const std::vector<unsigned char> head = first_bytes(path, 16);
        check.format = sound_file_kind(head.data(), head.size());
        if (!check.format.empty())
            check.reason = check.format + ", not a RIFF WAVE" + kConvert;
        else
            check.reason = "missing, unreadable or not a usable RIFF WAVE file (needs \"fmt \" and \"data\" chunks)";
        return check;
    }
    const WaveFormatEx& f = *reader.format();
    const bool extensible = f.wFormatTag == kWaveFormatExtensible;
    const double seconds =
        f.nAvgBytesPerSec ? static_cast<double>(reader.data_remaining) / f.nAvgBytesPerSec : 0.0;
    char line[200];
    std::string foreign = foreign_format(f);
    std::snprintf(line, sizeof line, "%s %u Hz, %u-bit, %u channel%s, %.2f s%s",
                  foreign.empty() ? "PCM" : "WAVE", f.nSamplesPerSec, f.wBitsPerSample, f.nChannels,
                  f.nChannels == 1 ? "" : "s", seconds, extensible ? " (extensible header)" : "");
    check.format = line;
    if (!foreign.empty()) {
        check.format = foreign + " WAVE, " + std::to_string(f.nSamplesPerSec) + " Hz, " +
                       std::to_string(f.nChannels) + " channel" + (f.nChannels == 1 ? "" : "s");
        check.reason = "a " + check.format + kConvert;
        return check;
    }
    if (const char* problem = audio_format_problem(f)) {
        check.reason = check.format + ": will not play: " + problem;
        return check;
    }
    check.opens = true;
    check.fadable = f.wBitsPerSample == 16 && (f.nChannels == 1 || f.nChannels == 2);
    check.reason = check.format + (check.fadable ? "" : "; no fade-out (only 16-bit mono or stereo fades)");
    return check;
}
