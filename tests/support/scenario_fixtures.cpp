// Fixtures for the scenario and tool tests.
#include "support/scenario_fixtures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/text/sjis.h"
#include "scenario/data_file.h"

namespace fs = std::filesystem;

namespace {

// A path written as UTF-8 (on Windows a narrow path would be read in the ANSI code page).
fs::path utf8_path(const std::string& path) { return fs::path(std::u8string(path.begin(), path.end())); }

}  // namespace

TempFolder::TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "poromina-test-XXXXXX").string();
    if (::mkdtemp(pattern.data())) path = pattern;
    EXPECT_FALSE(path.empty()) << "cannot make a temporary folder";
}

TempFolder::~TempFolder() {
    std::error_code ec;
    if (!path.empty()) fs::remove_all(path, ec);
}

CurrentDirectory::CurrentDirectory(const std::string& dir) {
    saved = fs::current_path().string();
    std::error_code ec;
    fs::current_path(dir, ec);
    EXPECT_FALSE(ec) << "cannot enter " << dir;
}

CurrentDirectory::~CurrentDirectory() {
    std::error_code ec;
    fs::current_path(saved, ec);
    if (ec) ADD_FAILURE() << "cannot return to " << saved;
}

void write_file(const std::string& path, const std::string& bytes) {
    fs::path p = utf8_path(path);
    if (p.has_parent_path()) fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    EXPECT_TRUE(out.good()) << "cannot write " << path;
}

std::string read_file(const std::string& path) {
    std::ifstream in(utf8_path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string scrambled(std::string bytes) {
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(bytes[i] ^ scramble_key[i % kScrambleKeyBytes]);
    return bytes;
}

std::string sjis(const std::string& utf8) {
    std::string out;
    EXPECT_TRUE(utf8_to_sjis(utf8, &out)) << "no Shift-JIS form: " << utf8;
    return out;
}

std::string script(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& l : lines) text += l + "\r\n";
    return text;
}
