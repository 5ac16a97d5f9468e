// The textures made at start-up for the scene pictures and the speech balloon, and their release.
#include "gfx/textures.h"

#include "app/messages.h"
#include "gfx/text.h"
#include "scene/balloon.h"
#include "scene/transition.h"

// Creates one texture; on failure shows the start-up message for the cause. 0 or -1.
int create_or_report(int width, int height, PixelFormat format, Texture** out) {
    const HRESULT hr = texture_create(width, height, format, out);
    if (failed(hr)) {
        show_creation_failure(hr);
        return -1;
    }
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

void release_scene_textures() {
    texture_release(scene_transition.previous_image);
    texture_release(scene_transition.current_image);
}

void release_balloon_textures() {
    texture_release(speech_balloon.text_texture);
    texture_release(speech_balloon.scratch_texture);
    texture_release(speech_balloon.panel_texture);
}
