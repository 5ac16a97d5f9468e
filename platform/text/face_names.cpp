// Face names as data writes them: folding for comparison and the IPA stand-ins of the MS faces.
#include "platform/text/face_names.h"

namespace {

// The MS faces, folded (see fold_face_name).
struct FaceAlias {
    const char* name;
    const char* family;
};
const FaceAlias kAliases[] = {
    {"ms\xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF", "IPAGothic"},     // ＭＳ ゴシック
    {"msp\xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF", "IPAPGothic"},   // ＭＳ Ｐゴシック
    {"ms\xE6\x98\x8E\xE6\x9C\x9D", "IPAMincho"},                             // ＭＳ 明朝
    {"msp\xE6\x98\x8E\xE6\x9C\x9D", "IPAPMincho"},                           // ＭＳ Ｐ明朝
    {"msuigothic", "IPAPGothic"},
    {"msgothic", "IPAGothic"},
    {"mspgothic", "IPAPGothic"},
    {"msmincho", "IPAMincho"},
    {"mspmincho", "IPAPMincho"},
};

// Appends code point cp to out as UTF-8.
void put_utf8(char32_t cp, std::string* out) {
    if (cp < 0x80) {
        *out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        *out += static_cast<char>(0xC0 | (cp >> 6));
        *out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out += static_cast<char>(0xE0 | (cp >> 12));
        *out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *out += static_cast<char>(0xF0 | (cp >> 18));
        *out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

std::string fold_face_name(const std::string& utf8) {
    std::string out;
    size_t i = 0;
    while (i < utf8.size()) {
        const unsigned char b = static_cast<unsigned char>(utf8[i]);
        int n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        if (i + n > utf8.size()) break;
        char32_t cp = n == 1 ? b : n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
        for (int k = 1; k < n; ++k) cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += n;
        if (cp >= 0xFF01 && cp <= 0xFF5E) cp -= 0xFEE0;
        if (cp == 0x20 || cp == 0x3000) continue;
        if (cp >= 'A' && cp <= 'Z') cp += 'a' - 'A';
        put_utf8(cp, &out);
    }
    return out;
}

const char* ipa_family_for(const std::string& folded) {
    for (const FaceAlias& alias : kAliases)
        if (folded == alias.name) return alias.family;
    return nullptr;
}
