// The graphics device: the two presentation sets, creation of the renderer with its fall-back,
// the render states, the viewport, the sprite batch and its loss/reset hooks.
#include "gfx/device.h"

#include "common/flags.h"
#include "common/messages.h"
#include "platform/video/renderer.h"
#include "platform/video/sprite.h"

PresentParams present_params_windowed{};
PresentParams present_params_fullscreen{};
PresentParams present_params{};

int create_device() {
    release_device();
    // Windowed: the back buffer takes the canvas size; full-screen: 800x600 scaled to the desktop.
    present_params_windowed = PresentParams{0, 0, 1};
    present_params_fullscreen = PresentParams{kBackBufferWidth, kBackBufferHeight, 0};
    present_params = windowed_mode ? present_params_windowed : present_params_fullscreen;

    HRESULT hr = E_FAIL;
    if (renderer_offscreen_only()) {
        hr = renderer_create(RendererKind::Offscreen);
    } else {
        // The GPU first, then the software renderer; running out of memory stops at once.
        for (RendererKind kind : {RendererKind::Accelerated, RendererKind::Software}) {
            hr = renderer_create(kind);
            if (succeeded(hr) || hr == D3DERR_OUTOFVIDEOMEMORY) break;
        }
    }
    if (failed(hr)) {
        show_creation_failure(hr);
        return -1;
    }
    if (!present_params.windowed && failed(renderer_reset(0))) {
        show_error(kMsgStartupFailed);
        return -1;
    }
    // The back buffer is the canvas in both modes.
    present_params.back_buffer_width = kBackBufferWidth;
    present_params.back_buffer_height = kBackBufferHeight;

    apply_render_states();
    if (failed(renderer_set_viewport(0, 0, present_params.back_buffer_width, present_params.back_buffer_height))) {
        show_error(kMsgStartupFailed);
        return -1;
    }
    if (failed(batch_create())) {
        show_error(kMsgStartupFailed);
        return -1;
    }
    return 0;
}

// Depth, culling, dithering and lighting have no counterpart on a 2D renderer, and texture
// colour times vertex colour is what every sprite draw does anyway (colour and alpha
// modulation). What remains is the renderer's own blend and sampling state.
void apply_render_states() { renderer_apply_states(); }

int sprite_on_lost_device() {
    if (!batch_exists()) return 0;
    return batch_on_lost_device() == S_OK ? 0 : -1;
}

int sprite_on_reset_device() {
    if (!batch_exists()) return 0;
    return batch_on_reset_device() == S_OK ? 0 : -1;
}

void release_device() {
    batch_release();
    renderer_release();
}
