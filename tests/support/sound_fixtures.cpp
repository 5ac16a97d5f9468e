// WAVE fixtures and the temporary game folder for the sound tests.
#include "sound_fixtures.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

const unsigned char kTestKey[16] = {0x5a, 0x13, 0xc7, 0x08, 0x9e, 0x41, 0xb2, 0x6d,
                                    0x33, 0xf0, 0x7c, 0x25, 0xa8, 0x1e, 0xd4, 0x69};

namespace {

void put_u16(Bytes& b, uint32_t v) {
    b.push_back(static_cast<unsigned char>(v & 0xFF));
    b.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
}

void put_u32(Bytes& b, uint32_t v) {
    put_u16(b, v & 0xFFFF);
    put_u16(b, v >> 16);
}

void put_id(Bytes& b, const char* id) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(id[i]));
}

}  // namespace

uint32_t bytes_per_second(const WaveFileFormat& wave) { return wave.rate * wave.channels * (wave.bits / 8); }

Bytes make_wave(const WaveFileFormat& wave, const Bytes& payload) {
    Bytes fmt_body;
    uint16_t align = static_cast<uint16_t>(wave.channels * (wave.bits / 8));
    put_u16(fmt_body, wave.format_tag);
    put_u16(fmt_body, wave.channels);
    put_u32(fmt_body, wave.rate);
    put_u32(fmt_body, wave.rate * align);
    put_u16(fmt_body, align);
    put_u16(fmt_body, wave.bits);
    if (wave.format_tag != 1) {
        put_u16(fmt_body, static_cast<uint32_t>(wave.extra.size()));
        fmt_body.insert(fmt_body.end(), wave.extra.begin(), wave.extra.end());
    }
    if (wave.fmt_size >= 0) fmt_body.resize(static_cast<size_t>(wave.fmt_size));

    Bytes fmt;
    put_id(fmt, "fmt ");
    put_u32(fmt, static_cast<uint32_t>(fmt_body.size()));
    fmt.insert(fmt.end(), fmt_body.begin(), fmt_body.end());
    if (fmt_body.size() & 1) fmt.push_back(0);

    Bytes data;
    if (!wave.omit_data) {
        put_id(data, "data");
        put_u32(data, static_cast<uint32_t>(wave.data_size >= 0 ? wave.data_size : payload.size()));
        data.insert(data.end(), payload.begin(), payload.end());
        if ((payload.size() & 1) && wave.data_size < 0) data.push_back(0);
    }

    Bytes junk;
    if (wave.junk_between) {
        put_id(junk, "LIST");
        put_u32(junk, 10);
        put_id(junk, "INFO");
        for (int i = 0; i < 6; ++i) junk.push_back(static_cast<unsigned char>('a' + i));
    }

    Bytes body;
    put_id(body, "WAVE");
    const Bytes& first = wave.data_first ? data : fmt;
    const Bytes& second = wave.data_first ? fmt : data;
    body.insert(body.end(), first.begin(), first.end());
    body.insert(body.end(), junk.begin(), junk.end());
    body.insert(body.end(), second.begin(), second.end());

    Bytes file;
    put_id(file, "RIFF");
    put_u32(file, static_cast<uint32_t>(wave.riff_size >= 0 ? wave.riff_size : body.size()));
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

Bytes sine_payload(const WaveFileFormat& wave, double seconds, double hz, int amplitude) {
    size_t frames = static_cast<size_t>(seconds * wave.rate);
    Bytes out;
    out.reserve(frames * wave.channels * 2);
    for (size_t i = 0; i < frames; ++i) {
        double v = amplitude * std::sin(2.0 * 3.14159265358979323846 * hz * static_cast<double>(i) / wave.rate);
        int16_t s = static_cast<int16_t>(std::lround(v));
        for (int c = 0; c < wave.channels; ++c) {
            out.push_back(static_cast<unsigned char>(static_cast<uint16_t>(s) & 0xFF));
            out.push_back(static_cast<unsigned char>(static_cast<uint16_t>(s) >> 8));
        }
    }
    return out;
}

Bytes pattern_bytes(size_t n, uint32_t seed) {
    Bytes out(n);
    uint32_t x = seed * 2654435761u + 12345u;
    for (size_t i = 0; i < n; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        out[i] = static_cast<unsigned char>(x >> 24);
    }
    return out;
}

Bytes scramble_payload(Bytes payload) {
    for (size_t i = 0; i < payload.size(); ++i) payload[i] ^= kTestKey[i % 16];
    return payload;
}

bool write_bytes(const std::string& path, const Bytes& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

Bytes read_bytes(const std::string& path) {
    Bytes out;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return out;
    unsigned char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
    std::fclose(f);
    return out;
}

TempGameDir::TempGameDir() {
    old_cwd = std::filesystem::current_path().string();
    std::string templ = (std::filesystem::temp_directory_path() / "poromina-sound-XXXXXX").string();
    if (char* made = mkdtemp(templ.data())) path = made;
    std::filesystem::create_directory(path + "/data");
    std::filesystem::current_path(path);
}

TempGameDir::~TempGameDir() {
    std::error_code ec;
    std::filesystem::current_path(old_cwd, ec);
    if (!path.empty()) std::filesystem::remove_all(path, ec);
}

bool TempGameDir::put(const std::string& name, const Bytes& bytes) const {
    return write_bytes(path + "/data/" + name, bytes);
}

DiskDevice::DiskDevice(const std::string& path) : output(path) {
    const char* d = std::getenv("SDL_AUDIODRIVER");
    had_driver = d != nullptr;
    if (d) saved_driver = d;
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
}

DiskDevice::~DiskDevice() {
    if (had_driver)
        setenv("SDL_AUDIODRIVER", saved_driver.c_str(), 1);
    else
        unsetenv("SDL_AUDIODRIVER");
    unsetenv("SDL_DISKAUDIOFILE");
}

namespace {

// Polls `done` every 10 ms until it holds or timeout_ms of real time have passed.
template <typename Done>
bool poll_until(uint32_t timeout_ms, Done done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

}  // namespace

bool DiskDevice::wait_for_size(uint64_t bytes, uint32_t timeout_ms) const {
    if (timeout_ms == 0) timeout_ms = static_cast<uint32_t>(bytes * 2000 / kDiskBytesPerSecond + 1000);
    return poll_until(timeout_ms, [&] {
        struct stat st;
        return ::stat(output.c_str(), &st) == 0 && static_cast<uint64_t>(st.st_size) >= bytes;
    });
}

bool DiskDevice::wait_for_samples(const Bytes& plain, uint32_t timeout_ms) const {
    return poll_until(timeout_ms, [&] {
        Bytes out = read_bytes(output);
        return std::search(out.begin(), out.end(), plain.begin(), plain.end()) != out.end();
    });
}
