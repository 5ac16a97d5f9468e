// The graphics device: the renderer with its two presentation sets, the sprite batch and the
// render states; plus the hooks the device-loss recovery and the mode switch call.
#pragma once

struct PresentParams {
    int back_buffer_width;   // 0 in the windowed set (the canvas size, 800, is taken)
    int back_buffer_height;  // 0 in the windowed set (600)
    int windowed;            // 1 windowed, 0 full-screen (desktop full-screen, letterboxed)
};

extern PresentParams present_params_windowed;
extern PresentParams present_params_fullscreen;
extern PresentParams present_params;  // the set of the active mode

// Creates the renderer (accelerated, then software), applies the render states, sets the
// viewport and creates the sprite batch. 0, or -1 after showing the failure message.
int create_device();
// Fixed device states after creation and every reset.
void apply_render_states();
// Tell the sprite batch of a loss or a reset: 0, or -1 when it refused.
int sprite_on_lost_device();
int sprite_on_reset_device();
// Releases the sprite batch, then the renderer. Null-safe.
void release_device();
