// The game window's procedure: input recorded for the frame step, Esc, Alt+Enter, the menu
// commands and dialogs, and the switch between windowed and full-screen presentation.
#include "app/app.h"

#include "common/flags.h"
#include "common/messages.h"
#include "gfx/device.h"
#include "platform/window/dialog.h"
#include "platform/system/instance.h"
#include "platform/video/renderer.h"
#include "platform/video/sprite.h"
#include "resources/resources.h"
#include "scene/author.h"
#include "scene/hotspot.h"
#include "scene/menu_overlay.h"

namespace {

// The window's place on the desktop, saved when going full-screen.
struct WindowPlace {
    int x, y;    // desktop pixels of the window's top-left corner
    bool saved;  // a full-screen switch saved it
};
WindowPlace window_place{0, 0, false};
// A switch whose reset came back lost: the recovery finishes it.
bool switch_unfinished = false;

// Where the game's pointer is drawn: the system pointer's canvas place.
int pointer_position(int* x, int* y) { return window_pointer_in_canvas(x, y) ? 0 : -1; }

void paint_main_window() {
    if (frame_step() == 1) destroy_main_window();
}

void dialog_idle() {
    if (instance_raise_requested()) window_raise();
}

// The window's side of a switch once the renderer runs in the new mode.
void finish_switch(bool move_pointer, int px, int py) {
    switch_unfinished = false;
    if (windowed_mode && window_place.saved) window_set_position(window_place.x, window_place.y);
    if (move_pointer) window_warp_pointer_to_canvas(px, py);
}

}  // namespace

int create_main_window() {
    if (window_create(title_text) != 0) return -1;
    window_set_menu(build_menu_bar());
    set_pointer_position_query(pointer_position);
    static uint32_t icon[48 * 48];  // the largest of the icon's sizes
    make_icon(48, icon);
    window_set_icon(icon, 48);
    window_place.saved = false;
    switch_unfinished = false;
    return 0;
}

void escape_key_pressed() {
    if (menu_animating == 1) return;
    if (menu_visible()) close_menu();
    else open_menu();
}

void author_key_pressed(int function_key) {
    if (!author_keys()) return;
    if (function_key == kOverlayKey) toggle_hotspot_overlay();
    if (function_key == kReloadKey) reload_story();
}

void main_window_proc(const WindowEvent& e) {
    switch (e.kind) {
        case WindowEventKind::Close: destroy_main_window(); break;
        case WindowEventKind::Paint: paint_main_window(); break;
        case WindowEventKind::PointerEnter: cursor_in_client = 1; break;
        case WindowEventKind::PointerLeave: cursor_in_client = 0; break;
        case WindowEventKind::EscapeKey: escape_key_pressed(); break;
        case WindowEventKind::AltEnter: toggle_display_mode(); break;
        case WindowEventKind::LeftPress:
            click_x = e.x;
            click_y = e.y;
            left_click_pending = 1;
            break;
        case WindowEventKind::RightPress:
            click_x = e.x;
            click_y = e.y;
            right_click_pending = 1;
            break;
        case WindowEventKind::Command:
            switch (e.command) {
                case kCmdAbout: run_info_dialog(kDialogAbout); break;
                case kCmdExit: destroy_main_window(); break;
                case kCmdToggleMode: toggle_display_mode(); break;
                case kCmdHowToPlay: run_info_dialog(kDialogHowToPlay); break;
                default: break;
            }
            break;
        case WindowEventKind::FunctionKey: author_key_pressed(e.command); break;
        case WindowEventKind::None: break;
    }
}

void toggle_display_mode() {
    windowed_mode = windowed_mode ? 0 : 1;
    sprite_on_lost_device();  // result ignored here
    // The pointer keeps its canvas place; from outside the canvas it goes to the centre.
    int px = kPointerFallbackX, py = kPointerFallbackY;
    if (!window_pointer_in_canvas(&px, &py)) {
        px = kPointerFallbackX;
        py = kPointerFallbackY;
    }
    if (windowed_mode) {
        present_params = present_params_windowed;
    } else {
        present_params = present_params_fullscreen;
        window_get_position(&window_place.x, &window_place.y);
        window_place.saved = true;
    }
    HRESULT hr = renderer_reset(present_params.windowed);
    const bool refused = hr == D3DERR_NOTAVAILABLE;
    if (refused) {
        // The window cannot cover the screen: the game stays windowed, where it was.
        windowed_mode = 1;
        present_params = present_params_windowed;
        hr = S_OK;
    }
    present_params.back_buffer_width = kBackBufferWidth;
    present_params.back_buffer_height = kBackBufferHeight;
    if (hr == D3DERR_DEVICELOST) {
        device_lost = 1;
        switch_unfinished = true;
        return;
    }
    if (failed(hr)) {
        fatal_error = 1;
        destroy_main_window();
        return;
    }
    apply_render_states();
    if (sprite_on_reset_device() != 0) {
        fatal_error = 1;
        destroy_main_window();
        return;
    }
    finish_switch(!refused, px, py);
}

// Called by the recovery after its reset succeeded.
void finish_late_switch() {
    if (switch_unfinished) finish_switch(false, 0, 0);
}

int run_info_dialog(int id) {
    const DialogResource* res = find_dialog(id);
    if (!res) return -1;
    Texture* picture = nullptr;
    make_bitmap(res->bitmap, &picture);
    Texture* text = res->text ? make_text_label(res->text, res->font, res->font_points) : nullptr;
    Texture* ok = make_text_label(res->ok, res->font, res->font_points);
    DialogContent content{res->title, picture, text, ok};
    cursor_in_client = 0;
    window_forget_pointer();
    // The closed menu's pop-up must not stay on screen behind the dialog.
    paint_main_window();
    int result = dialog_run(content, DialogHooks{paint_main_window, dialog_idle});
    texture_release(picture);
    texture_release(text);
    texture_release(ok);
    return result;
}
