// Fixtures for the scene tests: a temporary game folder with a data folder, scrambled data files,
// BMP pictures made in memory and scripts parsed from text.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

// Makes a fresh folder with an empty "data" folder in it and makes it the current directory;
// goes back and removes it on destruction.
class SceneDataDir {
public:
    SceneDataDir();
    ~SceneDataDir();
    SceneDataDir(const SceneDataDir&) = delete;
    SceneDataDir& operator=(const SceneDataDir&) = delete;
    // Writes bytes scrambled as data/<name>.
    void write(const std::string& name, const std::string& bytes) const;
    const std::string& path() const { return dir_; }

private:
    std::string dir_;
    std::string previous_;
};

// A 24-bit bottom-up BMP of width x height whose pixel (x, y) is pixel(x, y) as 0x00RRGGBB.
std::string make_bmp(int width, int height, const std::function<uint32_t(int x, int y)>& pixel);
// A BMP of one colour.
std::string make_solid_bmp(int width, int height, uint32_t rgb);

// Parses a script written with "\n" line ends (turned into CR LF) into scene_table. 0 or -1.
int load_test_script(const std::string& text);
