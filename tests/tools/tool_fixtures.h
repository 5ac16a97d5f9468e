// Helpers of the tool tests: captured output streams, WAVE files and command lines.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

#include "tools/tool/tool.h"

// A FILE* whose output the test reads back.
struct Capture {
    char* buffer = nullptr;
    size_t size = 0;
    FILE* file = open_memstream(&buffer, &size);
    ~Capture() {
        std::fclose(file);
        std::free(buffer);
    }
    std::string text() {
        std::fflush(file);
        return std::string(buffer ? buffer : "", size);
    }
};

inline std::string le32(uint32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(v >> (8 * i));
    return s;
}

// A PCM WAVE (mono 8 kHz, 8 or 16 bits) with the given samples; a JUNK chunk holding `junk`
// (padded when odd) stands between "fmt " and "data" when junk is not empty.
inline std::string make_wave(const std::string& samples, const std::string& junk = "", int bits = 8) {
    int align = bits / 8;
    std::string fmt = std::string("\x01\x00\x01\x00", 4) + le32(8000) + le32(8000 * align) +
                      std::string(1, static_cast<char>(align)) + std::string(1, '\0') +
                      std::string(1, static_cast<char>(bits)) + std::string(1, '\0');
    std::string body = "WAVE" + std::string("fmt ") + le32(16) + fmt;
    if (!junk.empty()) body += "JUNK" + le32(static_cast<uint32_t>(junk.size())) + junk +
                               (junk.size() % 2 ? std::string(1, '\0') : "");
    body += "data" + le32(static_cast<uint32_t>(samples.size())) + samples;
    return "RIFF" + le32(static_cast<uint32_t>(body.size())) + body;
}

// Runs poromina-tool's command line with the given arguments.
inline int run(Capture& out, Capture& err, std::initializer_list<const char*> args) {
    std::vector<std::string> words{"poromina-tool"};
    for (const char* a : args) words.emplace_back(a);
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    return run_tool(static_cast<int>(words.size()), argv.data(), out.file, err.file);
}
