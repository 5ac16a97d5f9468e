// Speech balloons: page state, page rendering and the opening and closing animation.
#include "scene/balloon.h"

#include "common/flags.h"
#include "common/messages.h"
#include "gfx/text.h"
#include "gfx/textures.h"
#include "platform/video/sprite.h"

SpeechBalloon speech_balloon;

namespace {
constexpr uint32_t kHalfOpaque = 0x7FFFFFFF;
constexpr uint32_t kOpaque = 0xFFFFFFFF;
}  // namespace

int open_balloon(int page_count, const std::string* font_names, const int32_t* font_sizes,
                 const std::string* texts) {
    SpeechBalloon& b = speech_balloon;
    if (page_count < 1 || page_count > kMaxPages) return -1;
    balloon_open = 1;
    b.page_count = page_count;
    for (int i = 0; i < page_count; ++i) {
        b.page_font_names[i] = font_names[i];
        b.page_font_sizes[i] = font_sizes[i];
        b.page_texts[i] = texts[i];
    }
    b.balloon_anim_counter = b.balloon_width;
    b.page_index = 0;
    balloon_animating = 1;
    return render_balloon_page(0) < 0 ? -1 : 0;
}

int advance_balloon() {
    SpeechBalloon& b = speech_balloon;
    ++b.page_index;
    if (b.page_index < b.page_count) return render_balloon_page(b.page_index) < 0 ? -1 : 0;
    b.balloon_anim_counter = b.balloon_width;
    balloon_open = 0;
    balloon_animating = 1;
    return 0;
}

int render_balloon_page(int index) {
    SpeechBalloon& b = speech_balloon;
    if (index < 0 || index >= b.page_count || index >= kMaxPages) return -1;
    return render_alpha_text(b.text_texture, b.scratch_texture, b.text_colour,
                             b.page_font_names[index].c_str(), b.page_font_sizes[index],
                             b.page_texts[index].c_str());
}

int draw_balloon() {
    SpeechBalloon& b = speech_balloon;
    const int a = b.balloon_anim_counter;
    const int w = b.balloon_width;
    const int h = b.balloon_height;
    const int x = b.balloon_x;
    const int y = b.balloon_y;
    if (a < 0) {
        b.balloon_anim_counter = -1;
        if (balloon_open == 1) {
            batch_draw(b.panel_texture, nullptr, static_cast<float>(x), static_cast<float>(y), kHalfOpaque);
            batch_draw(b.text_texture, nullptr, static_cast<float>(x), static_cast<float>(y), kOpaque);
        }
        balloon_animating = 0;
        return 0;
    }
    SpriteRect src;
    if (balloon_open == 1) {  // a centred part that grows from nothing to the full panel
        const int half_w = (w - a) / 2;
        const int half_h = (h - (w > 0 ? h * a / w : 0)) / 2;
        src = {w / 2 - half_w, h / 2 - half_h, w / 2 + half_w, h / 2 + half_h};
    } else {  // a centred part that shrinks from the full panel to nothing
        const int half_h = (w > 0 ? h * a / w : 0) / 2;
        src = {w / 2 - a / 2, h / 2 - half_h, a / 2 + w - w / 2, half_h + h - h / 2};
    }
    batch_draw(b.panel_texture, &src, static_cast<float>(x + src.left), static_cast<float>(y + src.top),
               kHalfOpaque);
    b.balloon_anim_counter -= kBalloonAnimStep;
    return 0;
}

int create_balloon_textures() {
    SpeechBalloon& b = speech_balloon;
    release_balloon_textures();
    b.text_colour = kBalloonTextColour;
    b.panel_colour = kBalloonPanelColour;
    b.balloon_width = kBalloonWidth;
    b.balloon_height = kBalloonHeight;
    b.balloon_x = kBalloonX;
    b.balloon_y = kBalloonY;
    if (create_or_report(b.balloon_width, b.balloon_height, PixelFormat::A8R8G8B8, &b.text_texture) != 0 ||
        create_or_report(b.balloon_width, b.balloon_height, PixelFormat::X8R8G8B8, &b.scratch_texture) != 0 ||
        create_or_report(b.balloon_width, b.balloon_height, PixelFormat::X8R8G8B8, &b.panel_texture) != 0)
        return -1;
    if (fill_texture(b.panel_texture, b.panel_colour) != 0) {
        show_error(kMsgStartupFailed);
        return -1;
    }
    return 0;
}

void release_balloon_textures() {
    texture_release(speech_balloon.text_texture);
    texture_release(speech_balloon.scratch_texture);
    texture_release(speech_balloon.panel_texture);
}
