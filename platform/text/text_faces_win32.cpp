// Face lookup on Windows, without fontconfig: the IPA fonts in the fonts folder beside the
// program first (the faces the data was laid out with), then the system's own MS faces, then Yu
// Gothic or Meiryo. Every other face name gets the default Gothic face. Files open through
// wide-character paths, so a program folder with a Japanese name works.
#include "platform/text/text_faces.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/text/face_names.h"
#include "platform/text/sjis.h"

namespace {

constexpr int kMaxFaceFiles = 8;

struct FaceFile {
    std::string path;  // UTF-8
    int index = 0;
    FT_Face face = nullptr;  // opened once, kept for the run
    FILE* file = nullptr;
    FT_StreamRec stream{};
};

struct FaceCache {
    FT_Library library = nullptr;
    FaceFile files[kMaxFaceFiles];
    int file_count = 0;
};
FaceCache cache;  // user-interface thread only

// Where a family may be found: a file beside the program, then a system font file and the
// face's index in it.
struct Candidate {
    const char* beside;  // in <program folder>\fonts
    const char* system;  // in the Windows fonts folder
    int index;
};
struct FamilyFiles {
    const char* family;
    Candidate candidates[4];
};
const FamilyFiles kFamilies[] = {
    {"IPAGothic", {{"ipag.ttf", "msgothic.ttc", 0}, {nullptr, "YuGothR.ttc", 0}, {nullptr, "meiryo.ttc", 0}, {}}},
    {"IPAPGothic", {{"ipagp.ttf", "msgothic.ttc", 2}, {nullptr, "YuGothR.ttc", 0}, {nullptr, "meiryo.ttc", 0}, {}}},
    {"IPAMincho", {{"ipam.ttf", "msmincho.ttc", 0}, {nullptr, "yumin.ttf", 0}, {"ipag.ttf", "msgothic.ttc", 0}, {}}},
    {"IPAPMincho", {{"ipamp.ttf", "msmincho.ttc", 1}, {nullptr, "yumin.ttf", 0}, {"ipagp.ttf", "msgothic.ttc", 2}, {}}},
};

std::wstring wide(const std::string& utf8) {
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring w(n > 0 ? static_cast<size_t>(n - 1) : 0, L'\0');
    if (n > 1) MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, w.data(), n);
    return w;
}

std::string utf8(const std::wstring& w) {
    int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? static_cast<size_t>(n - 1) : 0, '\0');
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, s.data(), n, nullptr, nullptr);
    return s;
}

std::string program_fonts_folder() {
    wchar_t path[MAX_PATH * 4];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    if (n == 0 || n >= MAX_PATH * 4) return "";
    std::wstring w(path, n);
    w.resize(w.find_last_of(L"\\/") + 1);
    return utf8(w + L"fonts\\");
}

std::string system_fonts_folder() {
    wchar_t path[MAX_PATH];
    UINT n = GetWindowsDirectoryW(path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return "";
    return utf8(std::wstring(path, n) + L"\\Fonts\\");
}

bool file_exists(const std::string& path) {
    DWORD a = GetFileAttributesW(wide(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// The file and index standing in for a face name; false when none is there.
bool resolve(const char* face_sjis, std::string* path, int* index) {
    const std::string folded = fold_face_name(sjis_to_utf8(face_sjis ? face_sjis : ""));
    const char* family = ipa_family_for(folded);
    for (const FamilyFiles& f : kFamilies)
        if (!family && folded == fold_face_name(f.family)) family = f.family;
    if (!family) family = "IPAGothic";
    const std::string beside = program_fonts_folder(), system = system_fonts_folder();
    for (const FamilyFiles& f : kFamilies) {
        if (std::strcmp(f.family, family) != 0) continue;
        for (const Candidate& c : f.candidates) {
            if (c.beside && file_exists(beside + c.beside)) {
                *path = beside + c.beside;
                *index = 0;
                return true;
            }
            if (c.system && file_exists(system + c.system)) {
                *path = system + c.system;
                *index = c.index;
                return true;
            }
        }
    }
    return false;
}

unsigned long read_stream(FT_Stream stream, unsigned long offset, unsigned char* buffer, unsigned long count) {
    FILE* f = static_cast<FILE*>(stream->descriptor.pointer);
    if (_fseeki64(f, static_cast<long long>(offset), SEEK_SET) != 0) return count == 0 ? 1 : 0;
    return count == 0 ? 0 : static_cast<unsigned long>(std::fread(buffer, 1, count, f));
}

void close_stream(FT_Stream) {}  // the file stays open with its face for the run

}  // namespace

std::string text_face_path_for_name(const char* face_sjis) {
    std::string path;
    int index = 0;
    return resolve(face_sjis, &path, &index) ? path : "";
}

FT_Face text_face_for_name(const char* face_sjis) {
    std::string path;
    int index = 0;
    if (!resolve(face_sjis, &path, &index)) return nullptr;
    for (int i = 0; i < cache.file_count; ++i)
        if (cache.files[i].path == path && cache.files[i].index == index) return cache.files[i].face;
    if (!cache.library && FT_Init_FreeType(&cache.library) != 0) {
        cache.library = nullptr;
        return nullptr;
    }
    if (cache.file_count == kMaxFaceFiles) return nullptr;
    FaceFile& slot = cache.files[cache.file_count];
    slot = FaceFile{};
    slot.file = _wfopen(wide(path).c_str(), L"rb");
    if (!slot.file) return nullptr;
    _fseeki64(slot.file, 0, SEEK_END);
    slot.stream.size = static_cast<unsigned long>(_ftelli64(slot.file));
    slot.stream.descriptor.pointer = slot.file;
    slot.stream.read = read_stream;
    slot.stream.close = close_stream;
    FT_Open_Args args{};
    args.flags = FT_OPEN_STREAM;
    args.stream = &slot.stream;
    FT_Face face = nullptr;
    if (FT_Open_Face(cache.library, &args, index, &face) != 0 || !FT_IS_SCALABLE(face) ||
        FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0) {
        if (face) FT_Done_Face(face);
        std::fclose(slot.file);
        slot = FaceFile{};
        return nullptr;
    }
    slot.path = path;
    slot.index = index;
    slot.face = face;
    ++cache.file_count;
    return face;
}
