// Face lookup for the font stand-in: the MS faces named by data map to their IPA equivalents,
// found first where Debian's font packages put them, any other name goes through fontconfig, and
// a face without Japanese glyphs is never chosen.
#include "platform/text/text_faces.h"

#include <fontconfig/fontconfig.h>

#include <cstring>

#include "platform/text/face_names.h"
#include "platform/text/sjis.h"

namespace {

constexpr int kMaxFaceFiles = 16;   // distinct font files opened in one run
constexpr int kMaxFaceNames = 32;   // distinct face names remembered
constexpr const char* kFallbackFamily = "IPAGothic";  // for names that resolve to nothing usable

struct FaceFile {
    std::string path;         // font file
    int index = 0;            // face inside a collection
    FT_Face face = nullptr;   // opened once, kept for the run
};

struct FaceName {
    std::string name_sjis;    // as the caller named it
    std::string path;         // "" when nothing would do
    int index = 0;
};

// Everything lives for the run; touched only from the user-interface thread.
struct FaceCache {
    FT_Library library = nullptr;
    bool fontconfig_ready = false;
    FaceFile files[kMaxFaceFiles];
    int file_count = 0;
    FaceName names[kMaxFaceNames];
    int name_count = 0;
};
FaceCache cache;

// Where the IPA families lie on Debian (fonts-ipafont-gothic, fonts-ipafont-mincho). A face found
// there spares fontconfig's start, which reads every configuration file and cache (a few
// milliseconds before the first text, most of the game's start-up text cost).
struct KnownFile {
    const char* family;
    const char* path;
};
const KnownFile kKnownFiles[] = {
    {"IPAGothic", "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf"},
    {"IPAPGothic", "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf"},
    {"IPAMincho", "/usr/share/fonts/opentype/ipafont-mincho/ipam.ttf"},
    {"IPAPMincho", "/usr/share/fonts/opentype/ipafont-mincho/ipamp.ttf"},
};

// True when the matched font is scalable and has kana and kanji.
bool usable_for_japanese(FcPattern* font) {
    FcBool scalable = FcFalse;
    if (FcPatternGetBool(font, FC_SCALABLE, 0, &scalable) != FcResultMatch || !scalable) return false;
    FcCharSet* chars = nullptr;
    if (FcPatternGetCharSet(font, FC_CHARSET, 0, &chars) != FcResultMatch) return false;
    return FcCharSetHasChar(chars, 0x3042) && FcCharSetHasChar(chars, 0x30A2) &&
           FcCharSetHasChar(chars, 0x65E5);
}

bool fontconfig_up() {
    if (!cache.fontconfig_ready) cache.fontconfig_ready = FcInit() == FcTrue;
    return cache.fontconfig_ready;
}

// True when a face of the family is installed (fontconfig would otherwise match a stand-in of
// its own choosing, whichever face its configuration ranks first).
bool family_installed(const char* family_utf8) {
    if (!fontconfig_up()) return false;
    FcPattern* want = FcPatternCreate();
    FcObjectSet* fields = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* found = nullptr;
    if (want && fields) {
        FcPatternAddString(want, FC_FAMILY, reinterpret_cast<const FcChar8*>(family_utf8));
        found = FcFontList(nullptr, want, fields);
    }
    const bool installed = found && found->nfont > 0;
    if (found) FcFontSetDestroy(found);
    if (fields) FcObjectSetDestroy(fields);
    if (want) FcPatternDestroy(want);
    return installed;
}

// Asks fontconfig for the best Japanese face, of the family when one is given.
bool fontconfig_match(const char* family_utf8, std::string* path, int* index) {
    if (!fontconfig_up()) return false;
    FcPattern* want = FcPatternCreate();
    if (!want) return false;
    if (family_utf8) FcPatternAddString(want, FC_FAMILY, reinterpret_cast<const FcChar8*>(family_utf8));
    FcPatternAddString(want, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
    FcPatternAddBool(want, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, want, FcMatchPattern);
    FcDefaultSubstitute(want);
    FcResult result = FcResultNoMatch;
    FcPattern* got = FcFontMatch(nullptr, want, &result);
    FcPatternDestroy(want);
    bool ok = false;
    FcChar8* file = nullptr;
    if (got && usable_for_japanese(got) && FcPatternGetString(got, FC_FILE, 0, &file) == FcResultMatch) {
        *path = reinterpret_cast<const char*>(file);
        if (FcPatternGetInteger(got, FC_INDEX, 0, index) != FcResultMatch) *index = 0;
        ok = true;
    }
    if (got) FcPatternDestroy(got);
    return ok;
}

// The face in a font file, opened once and kept for the run; null when it cannot be opened or is
// not a scalable face with a Unicode map.
FT_Face open_face(const std::string& path, int index) {
    for (int i = 0; i < cache.file_count; ++i)
        if (cache.files[i].path == path && cache.files[i].index == index) return cache.files[i].face;
    if (!cache.library && FT_Init_FreeType(&cache.library) != 0) {
        cache.library = nullptr;
        return nullptr;
    }
    if (cache.file_count == kMaxFaceFiles) return nullptr;  // fonts may still use every open face
    FT_Face face = nullptr;
    if (FT_New_Face(cache.library, path.c_str(), index, &face) != 0) return nullptr;
    if (!FT_IS_SCALABLE(face) || FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0) {
        FT_Done_Face(face);
        return nullptr;
    }
    cache.files[cache.file_count++] = FaceFile{path, index, face};
    return face;
}

// The family's file at its Debian place when it is there and is that family with kana and kanji.
bool known_file(const char* family, std::string* path) {
    for (const KnownFile& known : kKnownFiles) {
        if (std::strcmp(known.family, family) != 0) continue;
        FT_Face face = open_face(known.path, 0);
        if (!face || !face->family_name || std::strcmp(face->family_name, family) != 0) return false;
        if (!FT_Get_Char_Index(face, 0x3042) || !FT_Get_Char_Index(face, 0x30A2) || !FT_Get_Char_Index(face, 0x65E5))
            return false;
        *path = known.path;
        return true;
    }
    return false;
}

// Resolves a name (remembered for the run); null when nothing would do.
const FaceName* resolve(const char* face_sjis) {
    const char* name = face_sjis ? face_sjis : "";
    for (int i = 0; i < cache.name_count; ++i)
        if (cache.names[i].name_sjis == name) return &cache.names[i];

    static FaceName spare;  // used when the table is full
    FaceName* entry = cache.name_count < kMaxFaceNames ? &cache.names[cache.name_count++] : &spare;
    *entry = FaceName{};
    entry->name_sjis = name;
    const char* ipa_family = ipa_family_for(fold_face_name(sjis_to_utf8(name)));
    const bool aliased = ipa_family != nullptr;
    const std::string family = aliased ? ipa_family : sjis_to_utf8(name);
    // A name that is not installed, or a face without Japanese glyphs, gets the face the default
    // balloon face maps to (its metrics are the ones the data was laid out for), else any
    // Japanese face.
    if (aliased && known_file(ipa_family, &entry->path)) return entry;
    const bool usable = !family.empty() && (aliased || family_installed(family.c_str())) &&
                        fontconfig_match(family.c_str(), &entry->path, &entry->index);
    if (!usable && !fontconfig_match(kFallbackFamily, &entry->path, &entry->index))
        fontconfig_match(nullptr, &entry->path, &entry->index);
    return entry;
}

}  // namespace

std::string text_face_path_for_name(const char* face_sjis) { return resolve(face_sjis)->path; }

FT_Face text_face_for_name(const char* face_sjis) {
    const FaceName* name = resolve(face_sjis);
    return name->path.empty() ? nullptr : open_face(name->path, name->index);
}

// fontconfig 2.14 loses a few bytes while it parses its configuration, once per process; leak
// checking builds (address sanitizer, fuzzing) would otherwise report it in every program that
// draws text. libdbus (which SDL opens when a display is named) loses one block the same way.
// Only the leak checker calls this.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\nleak:libdbus-1.so\n"; }
