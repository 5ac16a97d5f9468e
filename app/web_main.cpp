// The page's entry (browser build): the same start-up as the desktop game in the packaged game
// folder, then the browser's main loop runs one turn of the message loop per animation frame,
// and the shutdown sequence once the game ends. Single instance does not apply to a page.
#include <emscripten.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "app/app.h"
#include "common/flags.h"
#include "common/messages.h"
#include "platform/window/dialog_web.h"
#include "scenario/data_file.h"
#include "scenario/scenario.h"
#include "scene/balloon.h"

namespace {

constexpr const char* kGameFolder = "/game";  // the story's data/ is packaged under it

bool first_frame_shown = false;
unsigned frames_drawn = 0;          // idle steps run since start-up
bool page_was_full_screen = false;  // the browser showed the canvas full screen at the last turn

// The browser leaves full screen by itself (Esc, its own controls): the game follows back to
// windowed presentation, as after Alt+Enter.
void follow_browser_full_screen() {
    const bool full = EM_ASM_INT({ return document.fullscreenElement ? 1 : 0; }) != 0;
    if (page_was_full_screen && !full && windowed_mode == 0) toggle_display_mode();
    page_was_full_screen = full;
}

// Tells the page that the game has ended (the page shows a line instead of the canvas).
void page_game_over() {
    EM_ASM({
        if (Module.onGameOver) Module.onGameOver();
    });
}

void end_game() {
    emscripten_cancel_main_loop();
    shut_down();
    page_game_over();
}

// One turn: every waiting event through the window procedure, then the idle step, as the
// desktop message loop does between two waits. While a dialog box is open it has the input and
// the game stands still.
void turn() {
    if (web_dialog_open()) {
        web_dialog_turn();
        return;
    }
    follow_browser_full_screen();
    WindowEvent event;
    while (!app_quit_posted() && !web_dialog_open() && window_poll_event(&event)) main_window_proc(event);
    if (web_dialog_open()) {
        web_dialog_turn();
        return;
    }
    if (!app_quit_posted()) {
        ++frames_drawn;
        if (!idle_step()) destroy_main_window();
    }
    if (app_quit_posted()) {
        end_game();
        return;
    }
    if (!first_frame_shown) {
        first_frame_shown = true;
        EM_ASM({
            if (Module.onFirstFrame) Module.onFirstFrame();
        });
    }
}

}  // namespace

// For the page's test: the scene, whether anything moves (transition, balloon, overlay), the
// balloon's page and the frames drawn so far.
extern "C" EMSCRIPTEN_KEEPALIVE const char* web_game_state() {
    static char line[160];
    std::snprintf(line, sizeof line,
                  "{\"scene\":%d,\"transition\":%d,\"balloon\":%d,\"balloonMoving\":%d,\"page\":%d,"
                  "\"menu\":%d,\"menuMoving\":%d,\"frames\":%u,\"dialog\":%d}",
                  scene_table.current_scene, transition_active, balloon_open, balloon_animating,
                  speech_balloon.page_index, menu_open, menu_animating, frames_drawn, web_dialog_open() ? 1 : 0);
    return line;
}

// The page brings its sounds over the wire compressed and writes each back as the RIFF WAVE file
// of the desktop's game folder with its samples in the clear; this scrambles the payload of
// such a file (length bytes from offset) as the data folder stores it. Returns 1 when done, 0
// when the file cannot be read or written or the range does not lie in it.
extern "C" EMSCRIPTEN_KEEPALIVE int web_scramble_payload(const char* path, int offset, int length) {
    FILE* file = std::fopen(path, "r+b");
    if (!file) return 0;
    std::vector<unsigned char> bytes;
    bool ok = offset >= 0 && length >= 0 && std::fseek(file, 0, SEEK_END) == 0;
    const long size = ok ? std::ftell(file) : -1;
    ok = ok && size >= 0 && static_cast<long>(offset) + length <= size;
    if (ok) {
        bytes.resize(static_cast<size_t>(length));
        ok = std::fseek(file, offset, SEEK_SET) == 0 && std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    }
    if (ok) {
        descramble(bytes.data(), bytes.size());
        ok = std::fseek(file, offset, SEEK_SET) == 0 && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    }
    return std::fclose(file) == 0 && ok ? 1 : 0;
}

int main() {
    EM_ASM({
        if (Module.onStartUp) Module.onStartUp();
    });
    if (chdir(kGameFolder) != 0) return 0;
    load_window_names();
    fatal_error = 0;
    windowed_mode = 1;
    if (!start_up()) {
        shut_down();
        page_game_over();
        return 0;
    }
    // The browser calls turn() before each repaint; main returns to it now.
    emscripten_set_main_loop(turn, 0, false);
    return 0;
}
