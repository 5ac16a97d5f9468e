// Shift-JIS conversions on Windows, through code page 932, with the results of the desktop's
// iconv ("CP932"): a byte that starts no character of the table (0x80, 0xA0, 0xFD to 0xFF, where
// Windows has private-use stand-ins) and a pair the table lacks become one U+FFFD per byte, and
// nine characters without a code of their own take the one iconv gives them (¥ ‾ 〜 − — ‖ ¢ £ ¬)
// instead of failing; Windows' "best fit" guesses are never used.
#include "platform/text/sjis.h"

#include <windows.h>

namespace {

constexpr UINT kCodePage = 932;
constexpr char32_t kReplacement = 0xFFFD;

bool is_lead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// The characters iconv's table sends to another character's code.
struct Extra {
    wchar_t ch;
    unsigned char bytes[2];
    int count;
};
const Extra kExtras[] = {
    {0x00A5, {0x5C, 0}, 1},    {0x203E, {0x7E, 0}, 1},    {0x301C, {0x81, 0x60}, 2},
    {0x2212, {0x81, 0x7C}, 2}, {0x2014, {0x81, 0x5C}, 2}, {0x2016, {0x81, 0x61}, 2},
    {0x00A2, {0x81, 0x91}, 2}, {0x00A3, {0x81, 0x92}, 2}, {0x00AC, {0x81, 0xCA}, 2},
};

// One character of 1 or 2 bytes to UTF-16 (one unit for all of code page 932); 0 when the
// table has none.
wchar_t decode_one(const unsigned char* bytes, int count) {
    if (count == 1 && (bytes[0] == 0x80 || bytes[0] == 0xA0 || bytes[0] >= 0xFD || is_lead(bytes[0]))) return 0;
    wchar_t out[2] = {0, 0};
    int n = MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(bytes), count, out, 2);
    return n == 1 ? out[0] : 0;
}

void append_utf8(std::string* out, char32_t cp) {
    if (cp < 0x80) {
        *out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        *out += static_cast<char>(0xC0 | (cp >> 6));
        *out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *out += static_cast<char>(0xE0 | (cp >> 12));
        *out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

std::string sjis_to_utf8(const std::string& sjis) {
    std::string out;
    const auto* p = reinterpret_cast<const unsigned char*>(sjis.data());
    const size_t n = sjis.size();
    for (size_t i = 0; i < n;) {
        if (p[i] < 0x80) {
            out += static_cast<char>(p[i++]);
            continue;
        }
        const int count = is_lead(p[i]) && i + 1 < n ? 2 : 1;
        const wchar_t ch = decode_one(p + i, count);
        if (ch) {
            append_utf8(&out, ch);
            i += static_cast<size_t>(count);
        } else {
            append_utf8(&out, kReplacement);  // the byte that does not convert
            ++i;
        }
    }
    return out;
}

bool utf8_to_sjis(const std::string& utf8, std::string* out) {
    out->clear();
    if (utf8.empty()) return true;
    const int wn = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (wn <= 0) return false;
    std::wstring wide(static_cast<size_t>(wn), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), wide.data(), wn);
    for (wchar_t ch : wide) {
        if (ch < 0x80) {
            *out += static_cast<char>(ch);
            continue;
        }
        const Extra* extra = nullptr;
        for (const Extra& e : kExtras)
            if (e.ch == ch) extra = &e;
        if (extra) {
            out->append(reinterpret_cast<const char*>(extra->bytes), static_cast<size_t>(extra->count));
            continue;
        }
        char bytes[4];
        BOOL used_default = FALSE;
        const int bn = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, &ch, 1, bytes, sizeof bytes, nullptr, &used_default);
        // The code must read back as the same character: this drops Windows' private-use
        // stand-ins and U+0080, which iconv's table does not have.
        if (bn <= 0 || used_default || decode_one(reinterpret_cast<unsigned char*>(bytes), bn) != ch) {
            out->clear();
            return false;
        }
        out->append(bytes, static_cast<size_t>(bn));
    }
    return true;
}

char32_t sjis_char_to_unicode(const unsigned char* bytes, int count) {
    if (count == 1 && bytes[0] < 0x80) return bytes[0];
    if (count != 1 && count != 2) return kReplacement;
    const wchar_t ch = decode_one(bytes, count);
    return ch ? ch : kReplacement;
}
