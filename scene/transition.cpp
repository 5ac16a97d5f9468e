// Scene pictures and their twelve transitions: loading a picture into current_image and drawing
// the outgoing and incoming pictures frame by frame.
#include "scene/transition.h"

#include <cstring>
#include <string>

#include "common/flags.h"
#include "gfx/text.h"
#include "gfx/textures.h"
#include "platform/image/image.h"
#include "platform/video/sprite.h"
#include "platform/video/texture.h"
#include "scenario/data_file.h"

SceneTransition scene_transition;

namespace {

constexpr uint32_t kOpaque = 0xFFFFFFFF;

// One transition kind: its Shift-JIS name, the counter's start value and the step per frame.
// A start of -1 or -2 stands for the canvas height or width.
struct TransitionKind {
    const char* name;
    int start;
    int step;
};

constexpr int kStartHeight = -1;
constexpr int kStartWidth = -2;

const TransitionKind kKinds[kTransitionKinds] = {
    {"\x91\xa6\x8e\x9e\x95\x5c\x8e\xa6", 0, 1},                                  // 即時表示
    {"\x8f\xe3\x82\xa9\x82\xe7\x95\x5c\x8e\xa6", kStartHeight, 4},              // 上から表示
    {"\x89\xba\x82\xa9\x82\xe7\x95\x5c\x8e\xa6", kStartHeight, 4},              // 下から表示
    {"\x8d\xb6\x82\xa9\x82\xe7\x95\x5c\x8e\xa6", kStartWidth, 5},               // 左から表示
    {"\x89\x45\x82\xa9\x82\xe7\x95\x5c\x8e\xa6", kStartWidth, 5},               // 右から表示
    {"\x92\x86\x89\x9b\x82\xa9\x82\xe7\x8d\xb6\x89\x45\x82\xd6\x95\x5c\x8e\xa6",  // 中央から左右へ表示
     kStartWidth, 5},
    {"\x8d\xb6\x89\x45\x82\xa9\x82\xe7\x92\x86\x89\x9b\x82\xd6\x95\x5c\x8e\xa6",  // 左右から中央へ表示
     kStartWidth, 5},
    {"\x92\x86\x89\x9b\x82\xa9\x82\xe7\x92\x5b\x82\xd6\x95\x5c\x8e\xa6",          // 中央から端へ表示
     kStartWidth, 5},
    {"\x92\x5b\x82\xa9\x82\xe7\x92\x86\x89\x9b\x82\xd6\x95\x5c\x8e\xa6",          // 端から中央へ表示
     kStartWidth, 5},
    {"\x8d\xac\x8d\x87\x90\x46\x95\x5c\x8e\xa6", 255, 3},                       // 混合色表示
    // 白色混合色から白色そして表示: step 3 while the counter is above 255, then 14
    {"\x94\x92\x90\x46\x8d\xac\x8d\x87\x90\x46\x82\xa9\x82\xe7\x94\x92\x90\x46\x82\xbb\x82\xb5"
     "\x82\xc4\x95\x5c\x8e\xa6",
     510, 3},
    {"\x94\x92\x90\x46\x82\xa9\x82\xe7\x95\x5c\x8e\xa6", 255, 2},               // 白色から表示
};

constexpr int kKindFadeThroughWhite = 10;
constexpr int kFadeInStep = 14;  // kind 10 once its counter is 255 or below

// Owns a texture for the length of a scope.
struct TextureOwner {
    Texture* texture = nullptr;
    ~TextureOwner() { texture_release(texture); }
};

uint32_t with_alpha(int a) { return (static_cast<uint32_t>(a) << 24) | 0x00FFFFFF; }

void draw_full(Texture* texture, uint32_t colour) {
    SpriteRect src{0, 0, scene_transition.width, scene_transition.height};
    batch_draw(texture, &src, 0.0f, 0.0f, colour);
}

// Draws the part of texture under src at the same place on the canvas.
void draw_in_place(Texture* texture, int left, int top, int right, int bottom) {
    SpriteRect src{left, top, right, bottom};
    batch_draw(texture, &src, static_cast<float>(left), static_cast<float>(top), kOpaque);
}

}  // namespace

int transition_kind_from_name(const char* name) {
    if (!name) return 0;
    for (int kind = 0; kind < kTransitionKinds; ++kind)
        if (std::strcmp(name, kKinds[kind].name) == 0) return kind;
    return 0;
}

int show_scene_image(const char* transition_name, const char* image_name) {
    SceneTransition& st = scene_transition;
    st.transition_kind = transition_kind_from_name(transition_name);
    const int start = kKinds[st.transition_kind].start;
    st.transition_counter = start == kStartHeight ? st.height : start == kStartWidth ? st.width : start;
    transition_active = 1;

    // The new picture is read and decoded first; once it is there, the picture shown moves into
    // previous_image and the decoded one into current_image by exchanging pixel buffers, which
    // ends as copying both would, without the two full-picture copies. A load that fails copies
    // the picture shown out and leaves current_image as it was.
    std::string path = "data\\";
    path += image_name ? image_name : "";
    TextureOwner decoded;
    const int size = read_data_file(path.c_str());
    if (size <= 0 || failed(decode_image_to_texture(data_buffer, static_cast<size_t>(size), st.width, st.height,
                                                    PixelFormat::X8R8G8B8, 0, &decoded.texture))) {
        copy_texture_pixels(st.current_image, st.previous_image);  // the picture shown goes out
        return -1;
    }
    const bool moved = succeeded(texture_exchange_pixels(st.current_image, st.previous_image));
    if (!moved) copy_texture_pixels(st.current_image, st.previous_image);
    if (succeeded(texture_exchange_pixels(decoded.texture, st.current_image))) return 0;
    if (moved) copy_texture_pixels(st.previous_image, st.current_image);  // the picture shown stays
    return -1;
}

int draw_scene_image() {
    SceneTransition& st = scene_transition;
    const int w = st.width;
    const int h = st.height;
    int c = st.transition_counter;
    if (c < 0) {
        st.transition_counter = -1;
        transition_active = 0;
        c = 0;
    }
    Texture* cur = st.current_image;
    Texture* prev = st.previous_image;
    int step = kKinds[st.transition_kind].step;
    switch (st.transition_kind) {
        case 0:
            draw_full(cur, kOpaque);
            break;
        case 1:  // the new picture is revealed from the top down
            draw_full(cur, kOpaque);
            draw_in_place(prev, 0, h - c, w, h);
            break;
        case 2:  // from the bottom up
            draw_full(cur, kOpaque);
            draw_in_place(prev, 0, 0, w, c);
            break;
        case 3:  // from the left
            draw_full(cur, kOpaque);
            draw_in_place(prev, w - c, 0, w, h);
            break;
        case 4:  // from the right
            draw_full(cur, kOpaque);
            draw_in_place(prev, 0, 0, c, h);
            break;
        case 5:  // a band of the new picture widens from the centre
            draw_full(prev, kOpaque);
            draw_in_place(cur, w / 2 - (w - c) / 2, 0, w / 2 + (w - c) / 2, h);
            break;
        case 6:  // a band of the old picture narrows to the centre
            draw_full(cur, kOpaque);
            draw_in_place(prev, w / 2 - c / 2, 0, c / 2 + w - w / 2, h);
            break;
        case 7: {  // a centred box of the new picture grows to the edges
            const int bh = (h - (w > 0 ? h * c / w : 0)) / 2;
            draw_full(prev, kOpaque);
            draw_in_place(cur, w / 2 - (w - c) / 2, h / 2 - bh, w / 2 + (w - c) / 2, h / 2 + bh);
            break;
        }
        case 8: {  // a centred box of the old picture shrinks to the centre
            const int bh = (w > 0 ? h * c / w : 0) / 2;
            draw_full(cur, kOpaque);
            draw_in_place(prev, w / 2 - c / 2, h / 2 - bh, c / 2 + w - w / 2, bh + h - h / 2);
            break;
        }
        case 9:  // cross-fade
            draw_full(cur, with_alpha(255 - c));
            draw_full(prev, with_alpha(c));
            break;
        case kKindFadeThroughWhite:  // the old picture fades out, then the new one fades in
            if (c > 255) {
                draw_full(prev, with_alpha(c - 255));
            } else {
                draw_full(cur, with_alpha(255 - c));
                step = kFadeInStep;
            }
            break;
        default:  // 11: the new picture fades in from the background
            draw_full(cur, with_alpha(255 - c));
            break;
    }
    st.transition_counter -= step;
    return 0;
}

int create_scene_textures() {
    SceneTransition& st = scene_transition;
    release_scene_textures();
    st.width = kCanvasWidth;
    st.height = kCanvasHeight;
    if (create_or_report(st.width, st.height, PixelFormat::X8R8G8B8, &st.previous_image) != 0) return -1;
    if (create_or_report(st.width, st.height, PixelFormat::X8R8G8B8, &st.current_image) != 0) return -1;
    return 0;
}

void release_scene_textures() {
    texture_release(scene_transition.previous_image);
    texture_release(scene_transition.current_image);
}
