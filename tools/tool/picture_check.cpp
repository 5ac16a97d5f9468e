// poromina-tool check: every scene picture and the pointer image go through the game's own
// reader and decoder; a picture the game could not show is reported with its entry.
#include "tools/tool/picture_check.h"

#include <map>

#include "platform/image/image.h"
#include "platform/video/texture.h"
#include "scenario/data_file.h"
#include "scene/hotspot.h"
#include "scene/transition.h"

namespace {

// "" when data\<name> decodes at width x height, else why not; "unreadable" when it cannot be
// read whole (reported elsewhere).
std::string decode_failure(const std::string& path, int width, int height, PixelFormat format, uint32_t key) {
    const int size = read_data_file(path.c_str());
    if (size <= 0) return "unreadable";
    Texture* texture = nullptr;
    const HRESULT hr = decode_image_to_texture(data_buffer, static_cast<size_t>(size), width, height, format,
                                               key, &texture);
    texture_release(texture);
    if (hr == D3DERR_OUTOFVIDEOMEMORY) return "does not decode: out of memory";
    if (failed(hr)) return "does not decode as a PNG, JPEG or BMP picture";
    return "";
}

}  // namespace

std::vector<PictureProblem> check_picture_decoding(const SceneTable& table) {
    std::vector<PictureProblem> problems;
    std::map<std::string, std::string> seen;  // picture name -> failure ("" for none)
    const int count = table.scene_count < 0 ? 0 : table.scene_count > kMaxScenes ? kMaxScenes : table.scene_count;
    for (int i = 0; i < count; ++i) {
        const std::string& name = table.scenes[i].img_nm;
        if (name.empty()) continue;
        auto it = seen.find(name);
        if (it == seen.end())
            it = seen.emplace(name, decode_failure("data\\" + name, kCanvasWidth, kCanvasHeight,
                                                   PixelFormat::X8R8G8B8, 0)).first;
        if (!it->second.empty() && it->second != "unreadable") problems.push_back({i, name, it->second});
    }
    const std::string pointer = decode_failure(kCursorPath, kCursorSize, kCursorSize, PixelFormat::A8R8G8B8,
                                               kCursorColourKey);
    if (!pointer.empty() && pointer != "unreadable") problems.push_back({-1, "GAME39651497", pointer});
    return problems;
}
