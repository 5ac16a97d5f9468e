// The heartbeat: the idle step with the lost-device recovery, the frame step in its fixed order,
// and the windowed-mode pacing.
#include "app/app.h"
#include "common/flags.h"
#include "gfx/device.h"
#include "platform/system/clock.h"
#include "platform/video/renderer.h"
#include "platform/video/sprite.h"
#include "scene/author.h"
#include "scene/balloon.h"
#include "scene/credits.h"
#include "scene/hotspot.h"
#include "scene/menu_overlay.h"
#include "scene/transition.h"

// Finishes a display-mode switch whose reset came back lost (app/window_proc.cpp).
void finish_late_switch();

namespace {

constexpr uint32_t kClearWhite = 0xFFFFFFFF;
constexpr uint32_t kClearBlack = 0xFF000000;

// A lost device: 1 when it is usable again, 0 to try again later, -1 when it is gone for good.
int recover_device() {
    clock_sleep_ms(kLostPollMs);
    HRESULT hr = renderer_test_cooperative_level();
    if (hr == D3DERR_DEVICELOST) return 0;
    if (hr == D3DERR_DEVICENOTRESET) {
        if (sprite_on_lost_device() != 0) return -1;
        hr = renderer_reset(present_params.windowed);
        if (hr == D3DERR_NOTAVAILABLE) {
            // The window can no longer cover the screen: the game goes on windowed.
            windowed_mode = 1;
            present_params = present_params_windowed;
            hr = renderer_reset(1);
        }
        if (hr == D3DERR_DEVICELOST) return 0;
        if (failed(hr)) return -1;
        apply_render_states();
        if (sprite_on_reset_device() != 0) return -1;
        finish_late_switch();
    } else if (failed(hr)) {
        return -1;
    }
    device_lost = 0;
    return 1;
}

}  // namespace

int idle_step() {
    if (!renderer_exists() || !batch_exists()) {
        fatal_error = 1;
        return 0;
    }
    if (device_lost == 1) {
        int r = recover_device();
        if (r < 0) {
            fatal_error = 1;
            return 0;
        }
        if (r == 0) return 1;
    }
    int result = frame_step();
    if (result == -1) {
        fatal_error = 1;
        return 0;
    }
    return result == 1 ? 0 : 1;
}

int frame_step() {
    // A click of the last frame asked for the staff roll: it starts in this frame.
    begin_credits_if_requested();
    // Clear to white, or black while the staff roll says so.
    renderer_clear(clear_to_black ? kClearBlack : kClearWhite);
    bool quit_requested = false;
    bool switch_requested = false;
    // A scene that cannot begin draws nothing and leaves the clicks for the next frame.
    if (succeeded(renderer_begin_scene())) {
        // The batch blends by alpha; its draws sample texel for texel (the renderer's copies use
        // nearest sampling), so there is no sampler state to set.
        batch_begin();
        // A right press toggles the overlay unless it is moving; it is used up either way.
        if (right_click_pending == 1) {
            if (menu_animating != 1) {
                menu_animating = 1;
                menu_open = menu_open ? 0 : 1;
                menu_anim_counter = kMenuPanelWidth;
            }
            right_click_pending = 0;
        }
        // A left press: overlay, balloon or hot-spots; it hands back this frame's requests.
        ClickRequests requests = dispatch_click();
        quit_requested = requests.quit != 0;
        switch_requested = requests.switch_mode != 0;
        // Picture or staff roll, balloon, overlay, pointer. During the staff roll at
        // full-screen the pointer shows only while the overlay is open or moving.
        if (credits_mode == 0) {
            draw_scene_image();
            draw_author_overlay();  // the hot-spots, when the author asked for them
        } else {
            draw_credits();
        }
        draw_balloon();
        draw_menu();
        bool hide_cursor = credits_mode == 1 && present_params.windowed == 0 && menu_animating != 1 &&
                           menu_open != 1;
        if (!hide_cursor) draw_cursor();
        // Flush the batch's draws, then close the scene.
        batch_end();
        renderer_end_scene();
    }
    // Windowed frames wait for their pacing gap, then the canvas goes to the screen.
    pace_frame();
    HRESULT hr = renderer_present();
    last_present_time = clock_now_ms();
    // A lost device is nursed back by the idle step; the frame's requests still count.
    if (hr == D3DERR_DEVICELOST) device_lost = 1;
    else if (failed(hr)) return -1;
    // Quit, or switch between windowed and full-screen, only after the frame is shown.
    if (quit_requested) return 1;
    if (switch_requested) toggle_display_mode();
    return 0;
}

uint32_t picture_still_for_ms() {
    // A lost device is polled back by the idle step, which waits between its polls.
    if (device_lost == 1) return 0;
    // A press or the staff roll's start waits for the next frame step.
    if (left_click_pending == 1 || right_click_pending == 1 || credits_start_pending == 1) return 0;
    // Transitions, the balloon and the overlay count drawn frames: every frame is drawn.
    if (transition_active == 1 || balloon_animating == 1 || menu_animating == 1) return 0;
    if (credits_mode == 1) {
        // The staff roll moves every frame, except while it waits for the ending music: that
        // wait is timed, and the picture stays until the frame that finds it over.
        return credits_still_for_ms();
    }
    return kStillUntilInput;
}

int pace_frame() {
    if (timer_period_set != 1 || present_params.windowed != 1) return 0;
    since_last_present = clock_now_ms() - last_present_time;
    while (since_last_present < kMinPresentGapMs) {
        clock_sleep_ms(1);
        since_last_present = clock_now_ms() - last_present_time;
    }
    return 0;
}
