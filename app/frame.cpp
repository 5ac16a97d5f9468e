// The heartbeat: the idle step with the lost-device recovery, the frame step in its fixed order,
// and the windowed-mode pacing.
#include "app/app.h"
#include "app/flags.h"
#include "gfx/device.h"
#include "platform/clock.h"
#include "platform/renderer.h"
#include "platform/sprite.h"

// Finishes a display-mode switch whose reset came back lost (app/window_proc.cpp).
void finish_late_switch();

namespace {

constexpr int kOverlayPanelWidth = 640;  // the overlay's open/close animation starts here
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
    // 1. Seam: `begin_credits_if_requested();` (scene/credits.h) — a click of the last frame
    //    asked for the staff roll: it starts in this frame.
    // 2. Clear to white, or black while the staff roll says so.
    renderer_clear(clear_to_black ? kClearBlack : kClearWhite);
    bool quit_requested = false;
    bool switch_requested = false;
    // 3. A scene that cannot begin draws nothing and leaves the clicks for the next frame.
    if (succeeded(renderer_begin_scene())) {
        // 4, 5. The batch blends by alpha; its draws sample texel for texel (the renderer's
        //       copies use nearest sampling), so there is no sampler state to set.
        batch_begin();
        // 6. A right press toggles the overlay unless it is moving; it is used up either way.
        if (right_click_pending == 1) {
            if (menu_animating != 1) {
                menu_animating = 1;
                menu_open = menu_open ? 0 : 1;
                menu_anim_counter = kOverlayPanelWidth;
            }
            right_click_pending = 0;
        }
        // 7. Seam: `ClickRequests requests = dispatch_click();` (scene/hotspot.h), then
        //    `quit_requested = requests.quit; switch_requested = requests.switch_mode;`.
        // 8. Seam, in this order: `credits_mode ? draw_credits() : draw_scene_image();`
        //    (scene/credits.h, scene/transition.h), `draw_balloon();` (scene/balloon.h),
        //    `draw_menu();` (scene/menu_overlay.h), and `draw_cursor();` (scene/hotspot.h)
        //    unless the staff roll runs full-screen with the overlay closed and still.
        // 9, 10.
        batch_end();
        renderer_end_scene();
    }
    // 11-13.
    pace_frame();
    HRESULT hr = renderer_present();
    last_present_time = clock_now_ms();
    // 14. A lost device is nursed back by the idle step; the frame's requests still count.
    if (hr == D3DERR_DEVICELOST) device_lost = 1;
    else if (failed(hr)) return -1;
    // 15, 16.
    if (quit_requested) return 1;
    if (switch_requested) toggle_display_mode();
    return 0;
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
