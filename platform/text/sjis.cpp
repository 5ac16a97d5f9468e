// Shift-JIS conversions through iconv ("CP932", the Windows flavour of Shift-JIS).
#include "platform/text/sjis.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <mutex>

namespace {

// One converter per direction, opened on first use. iconv_t is not thread-safe, so every use
// holds the mutex (text is converted on the user-interface thread and in tools; rarely contended).
struct Converter {
    const char* to;
    const char* from;
    iconv_t cd = reinterpret_cast<iconv_t>(-1);
    std::mutex lock;
};

Converter to_utf8{"UTF-8", "CP932", reinterpret_cast<iconv_t>(-1), {}};
Converter to_sjis{"CP932", "UTF-8", reinterpret_cast<iconv_t>(-1), {}};
Converter to_ucs4{"UTF-32LE", "CP932", reinterpret_cast<iconv_t>(-1), {}};

// A C library without the Windows flavour (musl, in the browser build) has plain Shift-JIS,
// which reads every character the Windows flavour shares with it.
const char* plain_sjis(const char* name) { return std::strcmp(name, "CP932") == 0 ? "SHIFT_JIS" : name; }

bool ensure_open(Converter& c) {
    if (c.cd == reinterpret_cast<iconv_t>(-1)) c.cd = iconv_open(c.to, c.from);
    if (c.cd == reinterpret_cast<iconv_t>(-1)) c.cd = iconv_open(plain_sjis(c.to), plain_sjis(c.from));
    return c.cd != reinterpret_cast<iconv_t>(-1);
}

// Runs one conversion of the whole input; returns false at the first byte that does not convert,
// with *consumed telling how many input bytes were converted.
bool convert(Converter& c, const char* in, size_t in_len, std::string* out, size_t* consumed) {
    iconv(c.cd, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in);
    size_t left = in_len;
    char buf[1024];
    while (left > 0) {
        char* dst = buf;
        size_t room = sizeof buf;
        size_t r = iconv(c.cd, &src, &left, &dst, &room);
        out->append(buf, static_cast<size_t>(dst - buf));
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            *consumed = in_len - left;
            return false;
        }
    }
    char* dst = buf;
    size_t room = sizeof buf;
    iconv(c.cd, nullptr, nullptr, &dst, &room);
    out->append(buf, static_cast<size_t>(dst - buf));
    *consumed = in_len;
    return true;
}

}  // namespace

std::string sjis_to_utf8(const std::string& sjis) {
    std::lock_guard<std::mutex> guard(to_utf8.lock);
    std::string out;
    if (!ensure_open(to_utf8)) return out;
    size_t pos = 0;
    while (pos < sjis.size()) {
        size_t consumed = 0;
        if (convert(to_utf8, sjis.data() + pos, sjis.size() - pos, &out, &consumed)) break;
        pos += consumed + 1;  // skip the byte that does not convert
        out += "\xEF\xBF\xBD";
    }
    return out;
}

bool utf8_to_sjis(const std::string& utf8, std::string* out) {
    std::lock_guard<std::mutex> guard(to_sjis.lock);
    out->clear();
    if (!ensure_open(to_sjis)) return false;
    size_t consumed = 0;
    if (!convert(to_sjis, utf8.data(), utf8.size(), out, &consumed)) {
        out->clear();
        return false;
    }
    return true;
}

char32_t sjis_char_to_unicode(const unsigned char* bytes, int count) {
    if (count == 1 && bytes[0] < 0x80) return bytes[0];
    std::lock_guard<std::mutex> guard(to_ucs4.lock);
    if (!ensure_open(to_ucs4)) return 0xFFFD;
    std::string out;
    size_t consumed = 0;
    if (!convert(to_ucs4, reinterpret_cast<const char*>(bytes), static_cast<size_t>(count), &out,
                 &consumed) ||
        out.size() != 4)
        return 0xFFFD;
    char32_t cp = 0;
    std::memcpy(&cp, out.data(), 4);
    return cp;
}
