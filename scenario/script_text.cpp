// Script text conversion for pack --utf8, unpack --utf8, check and the game's plain folder,
// through the platform's Shift-JIS conversion.
#include "scenario/script_text.h"

#include <cstdio>

#include "platform/text/sjis.h"

namespace {

// Length of the UTF-8 sequence starting at s[i] (1..4), or 0 when it is not well formed.
size_t utf8_length(const std::string& s, size_t i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    size_t n = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return 0;
    for (size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 0;
    if (n == 2 && c < 0xC2) return 0;  // overlong
    return n;
}

char32_t code_point(const std::string& s, size_t i, size_t n) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    char32_t cp = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
    for (size_t k = 1; k < n; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    return cp;
}

// Why one line does not convert, with its column.
std::string line_fault(const std::string& line, int line_number) {
    int column = 1;
    for (size_t i = 0; i < line.size(); ++column) {
        const size_t n = utf8_length(line, i);
        std::string where = "line " + std::to_string(line_number) + ", column " + std::to_string(column) + ": ";
        if (n == 0) return where + "a byte that is not UTF-8";
        std::string one = line.substr(i, n), unused;
        if (!utf8_to_sjis(one, &unused)) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(code_point(line, i, n)));
            return where + "\"" + one + "\" (" + hex + ") has no Shift-JIS form";
        }
        i += n;
    }
    return "line " + std::to_string(line_number) + ": does not convert to Shift-JIS";
}

// The first character of a converted line that does not read back as itself, as a note.
std::string changed_character(const std::string& line, int line_number) {
    for (size_t i = 0; i < line.size();) {
        const size_t n = utf8_length(line, i);
        if (n == 0) return "";
        const std::string one = line.substr(i, n);
        std::string stored;
        if (n > 1 && utf8_to_sjis(one, &stored) && sjis_to_utf8(stored) != one) {
            const std::string back = sjis_to_utf8(stored);
            std::string hex;
            for (unsigned char b : stored) {
                char h[4];
                std::snprintf(h, sizeof h, "%02X", b);
                hex += h;
            }
            const size_t back_n = utf8_length(back, 0);
            char text[200];
            std::snprintf(text, sizeof text,
                          "line %d: \"%s\" (U+%04X) is stored as Shift-JIS %s, which the game draws as its own "
                          "character and unpack gives back as \"%s\" (U+%04X)",
                          line_number, one.c_str(), static_cast<unsigned>(code_point(line, i, n)), hex.c_str(),
                          back.c_str(), back_n ? static_cast<unsigned>(code_point(back, 0, back_n)) : 0u);
            return text;
        }
        i += n;
    }
    return "";
}

}  // namespace

bool script_utf8_to_sjis(const std::string& utf8, std::string* sjis, std::string* error,
                         std::vector<std::string>* notes) {
    sjis->clear();
    size_t start = utf8.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    int line_number = 1;
    while (start <= utf8.size()) {
        size_t end = utf8.find('\n', start);
        const bool last = end == std::string::npos;
        if (last) end = utf8.size();
        std::string line = utf8.substr(start, end - start);
        if (!last && !line.empty() && line.back() == '\r') line.pop_back();
        std::string converted;
        if (!utf8_to_sjis(line, &converted)) {
            *error = line_fault(line, line_number);
            sjis->clear();
            return false;
        }
        if (notes && sjis_to_utf8(converted) != line) {
            std::string note = changed_character(line, line_number);
            if (!note.empty()) notes->push_back(note);
        }
        *sjis += converted;
        if (last) break;
        *sjis += "\r\n";
        start = end + 1;
        ++line_number;
    }
    return true;
}

std::string script_sjis_to_utf8(const std::string& sjis, int* bad_line) {
    if (bad_line) *bad_line = 0;
    std::string out;
    size_t start = 0;
    int line_number = 1;
    while (true) {
        size_t end = sjis.find("\r\n", start);
        const bool last = end == std::string::npos;
        std::string line = sjis.substr(start, last ? std::string::npos : end - start);
        std::string converted = sjis_to_utf8(line);
        if (bad_line && *bad_line == 0 && converted.find("\xEF\xBF\xBD") != std::string::npos &&
            line.find("\xEF\xBF\xBD") == std::string::npos)
            *bad_line = line_number;
        out += converted;
        if (last) break;
        out += '\n';
        start = end + 2;
        ++line_number;
    }
    return out;
}

bool looks_like_utf8(const std::string& bytes) {
    bool wide = false;
    for (size_t i = 0; i < bytes.size();) {
        const size_t n = utf8_length(bytes, i);
        if (n == 0) return false;
        if (n > 1) wide = true;
        i += n;
    }
    return wide;
}
