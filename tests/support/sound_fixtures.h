// Helpers for the sound tests: WAVE files built in memory, scrambled payloads and a temporary
// game folder with data/ inside that the test runs in.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

// The data-file key, written out here on its own so the tests check the player against it.
extern const unsigned char kTestKey[16];

// What a built WAVE file looks like; the defaults give a plain PCM file.
struct WaveFileFormat {
    uint16_t format_tag = 1;
    uint16_t channels = 2;
    uint32_t rate = 44100;     // Hz
    uint16_t bits = 16;
    Bytes extra;               // non-PCM: bytes behind cbSize (cbSize written when not PCM)
    int fmt_size = -1;         // declared "fmt " size; -1 = what the fields need
    bool data_first = false;   // "data" before "fmt "
    bool junk_between = false; // a "LIST" chunk between the two
    int64_t data_size = -1;    // declared "data" size; -1 = the payload's size
    int64_t riff_size = -1;    // declared "RIFF" size; -1 = the true size
    bool omit_data = false;    // no "data" chunk at all
};

// Bytes per second of a wave's format.
uint32_t bytes_per_second(const WaveFileFormat& wave);
// A RIFF WAVE file holding `payload` as stored (scramble it first for the game).
Bytes make_wave(const WaveFileFormat& wave, const Bytes& payload);
// `seconds` of a sine of `hz` with peak `amplitude`, the same in every channel (16-bit formats).
Bytes sine_payload(const WaveFileFormat& wave, double seconds, double hz, int amplitude);
// n bytes of a repeatable pseudo-random pattern.
Bytes pattern_bytes(size_t n, uint32_t seed);
// XORs payload byte i with kTestKey[i mod 16] (scrambles and descrambles).
Bytes scramble_payload(Bytes payload);
// Writes a whole file; false on failure.
bool write_bytes(const std::string& path, const Bytes& bytes);
// Reads a whole file (empty when missing).
Bytes read_bytes(const std::string& path);

// A temporary folder with data/ inside, made the current directory for the life of the object.
struct TempGameDir {
    std::string path;      // absolute path of the folder
    std::string old_cwd;   // restored by the destructor
    TempGameDir();
    ~TempGameDir();
    TempGameDir(const TempGameDir&) = delete;
    TempGameDir& operator=(const TempGameDir&) = delete;
    // Writes data/<name>.
    bool put(const std::string& name, const Bytes& bytes) const;
};

// Points SDL at its disk audio driver (writing to `output`) for the life of the object, restoring
// the environment after. The driver writes one device period, then sleeps for as long as the
// period lasts, so the file grows at about the pace of real time (a little slower on a busy
// machine); the waits poll it for at most timeout_ms of real time.
constexpr uint32_t kDiskBytesPerSecond = 44100 * 4;  // the format the player asks of a device
struct DiskDevice {
    std::string output, saved_driver;
    bool had_driver;
    explicit DiskDevice(const std::string& path);
    ~DiskDevice();
    DiskDevice(const DiskDevice&) = delete;
    DiskDevice& operator=(const DiskDevice&) = delete;
    // Until the output holds at least `bytes`; by default, twice the time those bytes last, and
    // a second more.
    bool wait_for_size(uint64_t bytes, uint32_t timeout_ms = 0) const;
    // Until the output holds `plain` somewhere, in order.
    bool wait_for_samples(const Bytes& plain, uint32_t timeout_ms) const;
};
