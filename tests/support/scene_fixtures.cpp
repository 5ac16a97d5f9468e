// Fixtures for the scene tests: temporary data folders, BMP pictures and scripts.
#include "support/scene_fixtures.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "scenario/data_file.h"
#include "scenario/scenario.h"

SceneDataDir::SceneDataDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "poromina-scene-XXXXXX").string();
    const char* made = mkdtemp(tmpl.data());
    dir_ = made ? made : "";
    std::filesystem::create_directory(dir_ + "/data");
    previous_ = std::filesystem::current_path().string();
    std::filesystem::current_path(dir_);
}

SceneDataDir::~SceneDataDir() {
    std::error_code ec;
    std::filesystem::current_path(previous_, ec);
    std::filesystem::remove_all(dir_, ec);
}

void SceneDataDir::write(const std::string& name, const std::string& bytes) const {
    std::string scrambled = bytes;
    descramble(reinterpret_cast<unsigned char*>(scrambled.data()), scrambled.size());
    FILE* f = std::fopen((dir_ + "/data/" + name).c_str(), "wb");
    if (!f) return;
    std::fwrite(scrambled.data(), 1, scrambled.size(), f);
    std::fclose(f);
}

namespace {
void put16(std::string& s, uint32_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
void put32(std::string& s, uint32_t v) {
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
}
}  // namespace

std::string make_bmp(int width, int height, const std::function<uint32_t(int x, int y)>& pixel) {
    const int row_bytes = (width * 3 + 3) & ~3;
    const uint32_t image_bytes = static_cast<uint32_t>(row_bytes) * height;
    std::string s;
    s += "BM";
    put32(s, 54 + image_bytes);
    put32(s, 0);
    put32(s, 54);
    put32(s, 40);  // BITMAPINFOHEADER
    put32(s, static_cast<uint32_t>(width));
    put32(s, static_cast<uint32_t>(height));  // positive: bottom-up
    put16(s, 1);
    put16(s, 24);
    put32(s, 0);  // BI_RGB
    put32(s, image_bytes);
    put32(s, 2835);
    put32(s, 2835);
    put32(s, 0);
    put32(s, 0);
    for (int y = height - 1; y >= 0; --y) {
        std::string row;
        for (int x = 0; x < width; ++x) {
            const uint32_t rgb = pixel(x, y);
            row += static_cast<char>(rgb & 0xFF);
            row += static_cast<char>((rgb >> 8) & 0xFF);
            row += static_cast<char>((rgb >> 16) & 0xFF);
        }
        row.resize(row_bytes, '\0');
        s += row;
    }
    return s;
}

std::string make_solid_bmp(int width, int height, uint32_t rgb) {
    return make_bmp(width, height, [rgb](int, int) { return rgb; });
}

int load_test_script(const std::string& text) {
    std::string crlf;
    for (char c : text) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    return parse_scenario(&scene_table, crlf.data(), static_cast<int32_t>(crlf.size()));
}
