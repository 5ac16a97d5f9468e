// Face lookup in the browser build: there is no fontconfig, so the faces named by data map to
// the IPA fonts packaged with the page under /fonts (cut down to the characters the story and the
// program use); every other name gets IPAGothic.
#include "platform/text/text_faces.h"

#include <cstring>

#include "platform/text/sjis.h"

namespace {

constexpr int kMaxFaceFiles = 8;
constexpr const char* kFallbackFile = "/fonts/ipag.ttf";

struct FaceFile {
    std::string path;
    FT_Face face = nullptr;  // opened once, kept for the run
};

struct FaceCache {
    FT_Library library = nullptr;
    FaceFile files[kMaxFaceFiles];
    int file_count = 0;
};
FaceCache cache;  // user-interface thread only

// The MS faces as the script and the program write them (UTF-8, spaces and full-width letters
// folded by normalise_name) and the packaged file standing in for each.
struct FaceAlias {
    const char* name;
    const char* file;
};
const FaceAlias kAliases[] = {
    {"ms\xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF", "/fonts/ipag.ttf"},     // ＭＳ ゴシック
    {"msp\xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF", "/fonts/ipagp.ttf"},   // ＭＳ Ｐゴシック
    {"ms\xE6\x98\x8E\xE6\x9C\x9D", "/fonts/ipam.ttf"},                             // ＭＳ 明朝
    {"msp\xE6\x98\x8E\xE6\x9C\x9D", "/fonts/ipamp.ttf"},                           // ＭＳ Ｐ明朝
    {"msuigothic", "/fonts/ipagp.ttf"},
    {"msgothic", "/fonts/ipag.ttf"},
    {"mspgothic", "/fonts/ipagp.ttf"},
    {"msmincho", "/fonts/ipam.ttf"},
    {"mspmincho", "/fonts/ipamp.ttf"},
    {"ipagothic", "/fonts/ipag.ttf"},
    {"ipapgothic", "/fonts/ipagp.ttf"},
    {"ipamincho", "/fonts/ipam.ttf"},
    {"ipapmincho", "/fonts/ipamp.ttf"},
};

// A face name folded for comparison: full-width ASCII to ASCII, lower case, spaces dropped.
std::string normalise_name(const std::string& utf8) {
    std::string out;
    size_t i = 0;
    while (i < utf8.size()) {
        const unsigned char b = static_cast<unsigned char>(utf8[i]);
        const size_t n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        if (i + n > utf8.size()) break;
        // Full-width ASCII (U+FF01..U+FF5E: EF BC 81..EF BD 9E) becomes ASCII.
        if (n == 3 && b == 0xEF) {
            const unsigned char b1 = static_cast<unsigned char>(utf8[i + 1]);
            const unsigned char b2 = static_cast<unsigned char>(utf8[i + 2]);
            const int cp = 0xF000 | ((b1 & 0x3F) << 6) | (b2 & 0x3F);
            if (cp >= 0xFF01 && cp <= 0xFF5E) {
                char c = static_cast<char>(cp - 0xFEE0);
                if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 'a' - 'A');
                out += c;
                i += n;
                continue;
            }
        }
        // The ideographic space (E3 80 80) and the ASCII space are dropped.
        if ((n == 1 && b == ' ') || (n == 3 && utf8.compare(i, 3, "\xE3\x80\x80") == 0)) {
            i += n;
            continue;
        }
        if (n == 1 && b >= 'A' && b <= 'Z') out += static_cast<char>(b + 'a' - 'A');
        else out.append(utf8, i, n);
        i += n;
    }
    return out;
}

}  // namespace

std::string text_face_path_for_name(const char* face_sjis) {
    const std::string folded = normalise_name(sjis_to_utf8(face_sjis ? face_sjis : ""));
    for (const FaceAlias& alias : kAliases)
        if (folded == alias.name) return alias.file;
    return kFallbackFile;
}

FT_Face text_face_for_name(const char* face_sjis) {
    const std::string path = text_face_path_for_name(face_sjis);
    for (int i = 0; i < cache.file_count; ++i)
        if (cache.files[i].path == path) return cache.files[i].face;
    if (!cache.library && FT_Init_FreeType(&cache.library) != 0) {
        cache.library = nullptr;
        return nullptr;
    }
    if (cache.file_count == kMaxFaceFiles) return nullptr;
    FT_Face face = nullptr;
    if (FT_New_Face(cache.library, path.c_str(), 0, &face) != 0) return nullptr;
    if (!FT_IS_SCALABLE(face) || FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0) {
        FT_Done_Face(face);
        return nullptr;
    }
    cache.files[cache.file_count++] = FaceFile{path, face};
    return face;
}
