// The good game folder of the bad-data matrix and the damaged versions of its files.
#include "baddata_cases.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/image/image_write.h"
#include "scenario/data_file.h"
#include "support/image_fixtures.h"
#include "support/scenario_fixtures.h"

namespace {

constexpr size_t kOverLimit = static_cast<size_t>(kDataBufferBytes) + 1;  // one byte too many

std::string to_string(const std::vector<unsigned char>& v) { return std::string(v.begin(), v.end()); }

std::string solid_png(int w, int h, uint32_t argb) {
    std::vector<uint32_t> pixels(static_cast<size_t>(w) * h, argb);
    return to_string(encode_png(pixels.data(), w, h, false));
}

void put_le(std::string& s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

void put_be(std::string& s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * (3 - i))) & 0xFF);
}

// An 8-bit mono WAVE header (44 bytes) for `payload_bytes` of samples.
std::string wave_header(uint32_t payload_bytes) {
    std::string h = std::string("RIFF") + std::string(4, '\0') + "WAVEfmt " + std::string(4, '\0') +
                    std::string(16, '\0') + "data" + std::string(4, '\0');
    put_le(h, 4, 36 + payload_bytes);
    put_le(h, 16, 16);
    h[20] = 1;                   // PCM
    h[22] = 1;                   // one channel
    put_le(h, 24, kSoundRate);   // samples per second
    put_le(h, 28, kSoundRate);   // bytes per second
    h[32] = 1;                   // block align
    h[34] = 8;                   // bits per sample
    put_le(h, 40, payload_bytes);
    return h;
}

// A payload of n bytes: a slow ramp, so that every byte is told apart from silence (0x80).
std::string sound_payload(size_t n) {
    std::string p(n, '\0');
    for (size_t i = 0; i < n; ++i) p[i] = static_cast<char>(0x90 + (i / 7) % 96);
    return p;
}

// A sound as stored: plain header, scrambled samples.
std::string stored_sound(const std::string& header, const std::string& payload) {
    return header + scrambled(payload);
}

// The good picture of a kind, plain.
std::string plain_picture(GameFile file) {
    return file == GameFile::Pointer ? solid_png(24, 24, 0xFFFFFFFF) : solid_png(800, 600, kColourB);
}

// The hostile picture headers, plain.
std::vector<FileVersion> hostile_pictures(const std::string& png) {
    std::vector<FileVersion> out;
    // PNG whose header claims 2^31-1 pixels each way, followed by the good picture's chunks.
    std::vector<unsigned char> head = png_head(0x7FFFFFFF, 0x7FFFFFFF, 8, 2);
    out.push_back({"PNG header: 2147483647 x 2147483647 pixels", false,
                   scrambled(to_string(head) + png.substr(33))});
    // PNG whose first data chunk claims 2 GiB more than the file holds.
    std::string long_chunk = png;
    size_t idat = long_chunk.find("IDAT");
    put_be(long_chunk, idat - 4, 0x7FFFFFF0);
    out.push_back({"PNG chunk length 0x7FFFFFF0, past the end", false, scrambled(long_chunk)});
    // BMP whose header claims 30000 x 30000 pixels with its pixel data past the end.
    std::string bmp = "BM" + std::string(52, '\0') + std::string(64, '\x55');
    put_le(bmp, 2, 0xFFFFFFFF);
    put_le(bmp, 10, 54);
    put_le(bmp, 14, 40);
    put_le(bmp, 18, 30000);
    put_le(bmp, 22, 30000);
    bmp[26] = 1;
    bmp[28] = 24;
    out.push_back({"BMP header: 30000 x 30000 pixels, data past the end", false, scrambled(bmp)});
    // JPEG whose frame claims 65500 x 65500 pixels (a 16 x 16 picture's data behind it).
    std::vector<uint32_t> pixels(16 * 16, 0xFF808080);
    std::string jpeg = to_string(encode_jpeg(pixels.data(), 16, 16, 90));
    size_t sof = jpeg.find("\xFF\xC0", 2);
    if (sof != std::string::npos) {
        jpeg[sof + 5] = jpeg[sof + 7] = static_cast<char>(0xFF);
        jpeg[sof + 6] = jpeg[sof + 8] = static_cast<char>(0xDC);
    }
    out.push_back({"JPEG frame: 65500 x 65500 pixels", false, scrambled(jpeg)});
    return out;
}

}  // namespace

std::string good_script_text() {
    return script({"opening_snd_nm=s.wav", "seq=0", "img_nm=a.png", "rect=0,0,399,599", "next_seq=1",
                   "rect=400,0,799,599", "snd_nm=s.wav", "next_seq=0", "seq=1", "img_nm=b.png",
                   "rect=0,0,799,599", "next_seq=0"});
}

std::string good_sound_payload() { return sound_payload(kSoundBytes); }

std::string good_file(GameFile file) {
    switch (file) {
        case GameFile::Script: return scrambled(good_script_text());
        case GameFile::Pointer:
        case GameFile::Picture: return scrambled(plain_picture(file));
        case GameFile::Sound: return stored_sound(wave_header(kSoundBytes), good_sound_payload());
    }
    return "";
}

std::vector<FileVersion> bad_versions(GameFile file) {
    std::vector<FileVersion> out;
    out.push_back({"missing", true, ""});
    out.push_back({"empty", false, ""});
    const std::string good = good_file(file);
    switch (file) {
        case GameFile::Script: {
            // The good script padded with comment lines to one byte over the limit.
            std::string text = good_script_text();
            while (text.size() + 66 < kOverLimit) text += ";" + std::string(63, '-') + "\r\n";
            text += ";" + std::string(kOverLimit - text.size() - 1, '=');
            out.push_back({"2,097,153 bytes (good script plus comments)", false, scrambled(text)});
            break;
        }
        case GameFile::Pointer:
        case GameFile::Picture: {
            // The good picture with zeros behind its end, one byte over the limit.
            std::string plain = plain_picture(file);
            plain.resize(kOverLimit, '\0');
            out.push_back({"2,097,153 bytes (good picture plus zeros)", false, scrambled(plain)});
            break;
        }
        case GameFile::Sound: {
            const uint32_t n = static_cast<uint32_t>(kOverLimit - 44);
            out.push_back({"2,097,153 bytes (a longer good sound)", false,
                           stored_sound(wave_header(n), sound_payload(n))});
            break;
        }
    }
    out.push_back({"cut in the middle", false, good.substr(0, good.size() / 2)});
    switch (file) {
        case GameFile::Script: {
            std::string numbers = script({"opening_snd_nm=" + std::string(600, 'n'), "seq=99999999999999999999",
                                          "img_nm=" + std::string(3000, 'i'),
                                          "rect=-2147483649,-1,4294967296,99999999999999999999",
                                          "fukidasi_fnt_sz=99999999999", "fukidasi=" + std::string(5000, 'f'),
                                          "next_seq=2147483648", "seq=-7", "rect=0,0,799,599", "next_seq=-2147483648"});
            out.push_back({"numbers past every limit, lines past 512 bytes", false, scrambled(numbers)});
            std::string one_line = "seq=0" + std::string(static_cast<size_t>(kDataBufferBytes) - 5, 'x');
            out.push_back({"one 2 MiB line without a line end", false, scrambled(one_line)});
            std::string noise(65536, '\0');
            uint32_t r = 12345;
            for (char& c : noise) {
                r = r * 1103515245u + 12345u;
                c = static_cast<char>(r >> 24);
            }
            out.push_back({"64 KiB of random bytes", false, scrambled(noise)});
            break;
        }
        case GameFile::Pointer:
        case GameFile::Picture:
            for (FileVersion& v : hostile_pictures(plain_picture(file))) out.push_back(v);
            break;
        case GameFile::Sound: {
            std::string header = wave_header(kSoundBytes);
            put_le(header, 16, 0x7FFFFFF0);
            out.push_back({"fmt chunk size 0x7FFFFFF0, past the end", false,
                           stored_sound(header, good_sound_payload())});
            header = wave_header(kSoundBytes);
            put_le(header, 4, 0xFFFFFFFF);
            put_le(header, 40, 0x7FFFFFF0);
            out.push_back({"RIFF and data sizes past the end", false, stored_sound(header, good_sound_payload())});
            header = wave_header(kSoundBytes);
            header[22] = header[23] = static_cast<char>(0xFF);  // 65535 channels
            put_le(header, 24, 0xFFFFFFFF);
            put_le(header, 28, 0xFFFFFFFF);
            header[32] = header[33] = static_cast<char>(0xFF);
            out.push_back({"65535 channels at 4294967295 Hz", false, stored_sound(header, good_sound_payload())});
            break;
        }
    }
    return out;
}

void write_game_folder(const std::string& dir, GameFile file, const FileVersion& replace) {
    const std::string data = dir + "/data/";
    std::filesystem::create_directories(data);
    const struct {
        GameFile kind;
        const char* name;
    } files[] = {{GameFile::Script, kScriptName}, {GameFile::Pointer, kPointerName},
                 {GameFile::Picture, kPictureB}, {GameFile::Sound, kSoundName}};
    std::vector<uint32_t> a(800 * 600, kColourA);
    write_file(data + kPictureA, scrambled(to_string(encode_png(a.data(), 800, 600, false))));
    for (const auto& f : files) {
        std::filesystem::remove(data + f.name);
        if (f.kind != file) write_file(data + f.name, good_file(f.kind));
        else if (!replace.missing) write_file(data + f.name, replace.stored);
    }
}

void write_good_game_folder(const std::string& dir) {
    // A "version" of the script that is the good one.
    write_game_folder(dir, GameFile::Script, FileVersion{"good", false, good_file(GameFile::Script)});
}

void publish_matrix(const std::string& name, const std::vector<MatrixRow>& rows) {
    std::string table = "| file | defect | expected | observed | ok |\n|---|---|---|---|---|\n";
    for (const MatrixRow& r : rows)
        table += "| " + r.file + " | " + r.defect + " | " + r.expected + " | " + r.observed + " | " +
                 (r.ok ? "yes" : "NO") + " |\n";
    std::printf("%s", table.c_str());
    const char* bin = std::getenv("POROMINA_BINARY_DIR");
    if (!bin) return;
    std::error_code ec;
    std::filesystem::create_directories(std::string(bin) + "/baddata", ec);
    write_file(std::string(bin) + "/baddata/" + name + ".md", table);
}
