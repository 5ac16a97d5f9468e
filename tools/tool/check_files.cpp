// poromina-tool check: the pictures, the sounds and the pointer image, each read the way the game
// reads it (whole into the 2 MiB buffer, decoded at the size the game asks for; sounds through
// the game's WAVE reader), with what each file is for the summary.
#include <sys/stat.h>

#include <algorithm>
#include <map>

#include "platform/image/image.h"
#include "platform/system/files.h"
#include "platform/video/texture.h"
#include "scenario/data_file.h"
#include "scene/hotspot.h"
#include "scene/transition.h"
#include "sound/wave_check.h"
#include "tools/tool/check.h"

long long game_file_size(const std::string& game_path) {
    std::string resolved = resolve_game_path(game_path.c_str());
    struct stat st;
    if (resolved.empty() || ::stat(resolved.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    return static_cast<long long>(st.st_size);
}

namespace {

struct Picture {
    std::string problem;   // why the game cannot show it; "" when it can
    std::string format;    // "PNG 800x600"; "" when not known
    int width = 0;         // the picture's own size
    int height = 0;
};

// Reads and decodes data\<name> as the game does: a scene picture at 800x600, the pointer at
// 24x24 with pure blue transparent.
Picture inspect_picture(const std::string& name, bool pointer) {
    Picture p;
    const std::string path = "data\\" + name;
    const long long size = game_file_size(path);
    if (size < 0) return p.problem = "is missing", p;
    if (size == 0) return p.problem = "is empty", p;
    if (size > kDataBufferBytes) return p.problem = "is " + std::to_string(size) + " bytes, over 2,097,152", p;
    const int read = read_data_file(path.c_str());
    if (read <= 0) return p.problem = "cannot be read", p;
    Texture* texture = nullptr;
    ImageReport info;
    const HRESULT hr = pointer ? decode_image_to_texture(data_buffer, static_cast<size_t>(read), kCursorSize, kCursorSize,
                                                         PixelFormat::A8R8G8B8, kCursorColourKey, &texture, &info)
                               : decode_image_to_texture(data_buffer, static_cast<size_t>(read), kCanvasWidth,
                                                         kCanvasHeight, PixelFormat::X8R8G8B8, 0, &texture, &info);
    texture_release(texture);
    p.width = info.width;
    p.height = info.height;
    if (info.kind) {
        p.format = info.kind;
        if (info.width > 0) p.format += " " + std::to_string(info.width) + "x" + std::to_string(info.height);
    }
    if (hr == D3DERR_OUTOFVIDEOMEMORY) p.problem = "does not decode: out of memory";
    else if (failed(hr) && info.refusal) p.problem = std::string("is ") + info.refusal;
    else if (failed(hr) && info.kind) p.problem = std::string("is a ") + info.kind + " file that does not decode (damaged or cut short)";
    else if (failed(hr)) p.problem = "does not decode as a PNG, JPEG or BMP picture";
    return p;
}

// What the game does with a picture of another size than it asks for.
std::string size_note(const Picture& p, int width, int height) {
    const std::string size = std::to_string(p.width) + "x" + std::to_string(p.height);
    const std::string wanted = std::to_string(width) + "x" + std::to_string(height);
    if (p.width >= width && p.height >= height)
        return "is " + size + ", not " + wanted + ": the game shows only its top-left " + wanted + " part";
    if (p.width <= width && p.height <= height)
        return "is " + size + ", not " + wanted + ": the game draws it at the top left on black";
    return "is " + size + ", not " + wanted + ": the game cuts it to " + wanted + " from the top left, on black";
}

void check_pictures(const SceneTable& t, const ScriptLines& lines, CheckReport* r) {
    std::map<std::string, Picture> seen;  // name -> what it is, read once
    for (int i = 0; i < t.scene_count; ++i) {
        const Scene& s = t.scenes[i];
        if (s.img_nm.empty()) {
            r->error(lines.seq[i], "entry " + std::to_string(i) + " has no img_nm= line: it shows no picture");
            continue;
        }
        auto it = seen.find(s.img_nm);
        const bool first = it == seen.end();
        if (first) it = seen.emplace(s.img_nm, inspect_picture(s.img_nm, false)).first;
        const Picture& p = it->second;
        const std::string subject = "picture " + quoted(s.img_nm) + " ";
        if (!p.problem.empty()) {
            r->error(lines.img_nm[i], subject + p.problem);
            continue;
        }
        if (!first) continue;
        r->pictures.push_back(quoted(s.img_nm) + ": " + p.format);
        if (p.width != kCanvasWidth || p.height != kCanvasHeight)
            r->warn(lines.img_nm[i], subject + size_note(p, kCanvasWidth, kCanvasHeight));
    }
}

// The pointer: start-up stops when it cannot be read or decoded.
void check_pointer(CheckReport* r) {
    const std::string name = "GAME39651497";
    Picture p = inspect_picture(name, true);
    if (!p.problem.empty()) {
        r->file_error(name, "pointer image " + p.problem + ": the game does not start without it");
        return;
    }
    r->pictures.insert(r->pictures.begin(), "pointer " + name + ": " + p.format);
    if (p.width != kCursorSize || p.height != kCursorSize)
        r->file_warning(name, "pointer image " + size_note(p, kCursorSize, kCursorSize));
    if (p.format.rfind("JPEG", 0) == 0)
        r->file_warning(name, "pointer image is a JPEG: its lossy colours are seldom exactly pure blue "
                              "(0, 0, 255), so its background shows; use a PNG or BMP");
}

// One sound: its format always goes to the summary; a sound that will not play is an error, one
// that cannot fade a warning.
void check_sound(const std::string& name, int line, const char* key, CheckReport* r) {
    const std::string path = "data\\" + name;
    const std::string subject = std::string("sound ") + quoted(name) + " (" + key + ")";
    const long long size = game_file_size(path);
    if (size < 0) return r->error(line, subject + " is missing");
    if (size == 0) return r->error(line, subject + " is empty");
    WaveCheck wave = check_wave_file(path.c_str());
    if (!wave.opens && wave.format.empty()) {
        // A file that is no WAVE is stored scrambled whole: look at its plain bytes.
        const int read = read_data_file(path.c_str());
        const std::string kind = read > 0 ? sound_file_kind(data_buffer, static_cast<size_t>(read)) : "";
        if (!kind.empty()) {
            wave.format = kind;
            wave.reason = kind + ", not a RIFF WAVE; the game plays RIFF WAVE, PCM 8 or 16 bits, 1 to 8 channels";
        }
    }
    const std::string listing = quoted(name) + ": " + (wave.format.empty() ? "not a sound the game knows" : wave.format);
    if (std::find(r->sounds.begin(), r->sounds.end(), listing) == r->sounds.end()) r->sounds.push_back(listing);
    if (!wave.opens) return r->error(line, subject + " will not play: " + wave.reason);
    if (!wave.fadable) r->warn(line, subject + ": " + wave.reason);
}

}  // namespace

void check_files(const SceneTable& t, const ScriptLines& lines, CheckReport* r) {
    check_pointer(r);
    check_pictures(t, lines, r);
    if (!t.opening_snd_nm.empty()) check_sound(t.opening_snd_nm, lines.opening_snd_nm, "opening_snd_nm=", r);
    if (!t.ending_snd_nm.empty()) check_sound(t.ending_snd_nm, lines.ending_snd_nm, "ending_snd_nm=", r);
    for (int i = 0; i < t.scene_count; ++i) {
        const Scene& s = t.scenes[i];
        for (int a = 0; a < s.area_count; ++a) {
            const Area& area = s.areas[a];
            if (area.fukidasi_count == 0 && !area.snd_nm.empty())
                check_sound(area.snd_nm, lines.snd_nm[i][a], "snd_nm=", r);
        }
    }
}
