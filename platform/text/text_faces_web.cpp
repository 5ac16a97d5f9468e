// Face lookup in the browser build: there is no fontconfig, so the faces named by data map to
// the IPA fonts packaged with the page under /fonts (cut down to the characters the story and the
// program use); every other name gets IPAGothic.
#include "platform/text/text_faces.h"

#include <cstring>

#include "platform/text/face_names.h"
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

// The packaged file of each IPA family (the family's own name folded names it too).
struct FamilyFile {
    const char* family;
    const char* file;
};
const FamilyFile kFamilyFiles[] = {
    {"IPAGothic", "/fonts/ipag.ttf"},
    {"IPAPGothic", "/fonts/ipagp.ttf"},
    {"IPAMincho", "/fonts/ipam.ttf"},
    {"IPAPMincho", "/fonts/ipamp.ttf"},
};

}  // namespace

std::string text_face_path_for_name(const char* face_sjis) {
    const std::string folded = fold_face_name(sjis_to_utf8(face_sjis ? face_sjis : ""));
    const char* family = ipa_family_for(folded);
    for (const FamilyFile& f : kFamilyFiles)
        if ((family && std::strcmp(family, f.family) == 0) || folded == fold_face_name(f.family)) return f.file;
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
