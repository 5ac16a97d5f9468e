// Process entry: single instance, the start-up sequence, the message loop and the shutdown
// sequence, each in its fixed order.
#include "app/app.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "common/flags.h"
#include "common/messages.h"
#include "gfx/device.h"
#include "platform/system/clock.h"
#include "platform/system/instance.h"
#include "platform/system/memory.h"
#include "platform/system/signals.h"
#include "resources/resources.h"
#include "scenario/load_reasons.h"
#include "scenario/scenario.h"
#include "scene/author.h"
#include "scene/balloon.h"
#include "scene/credits.h"
#include "scene/hotspot.h"
#include "scene/menu_overlay.h"
#include "scene/transition.h"
#include "sound/sound.h"

int timer_period_set = 0;
uint32_t last_present_time = 0;
uint32_t since_last_present = 0;

namespace {
std::vector<std::string>* trace_log = nullptr;  // test seam; user-interface thread only
bool quit_posted = false;                       // the loop ends at its next turn
IdleHook idle_hook = nullptr;                   // harness seam; null in the game
int startup_exit_code = 0;                      // kUsageExitCode after a refused --scene

// What a start-up step says before its failure box when the step's own code says no more.
struct StepCause {
    const char* english;
    const char* japanese;
};
constexpr StepCause kLockCause{
    "the lock that keeps a second copy from starting cannot be taken (is XDG_RUNTIME_DIR writable?)",
    "二重起動を防ぐロックを取得できません（XDG_RUNTIME_DIR に書き込めますか）"};
constexpr StepCause kWindowCause{"the window cannot be made", "ウィンドウを作れません"};
constexpr StepCause kDeviceCause{"the renderer (graphics device) cannot be made", "描画デバイスを作れません"};
constexpr StepCause kTexturesCause{"the scene and balloon textures cannot be made",
                                   "シーンと吹き出しのテクスチャを作れません"};
constexpr StepCause kMenuCause{
    "the in-game menu cannot be made (its labels need a Japanese font: install fonts-ipafont-gothic)",
    "ゲーム内メニューを作れません（ラベルに日本語フォントが要ります: fonts-ipafont-gothic を入れてください）"};
constexpr StepCause kCreditsCause{
    "the staff roll cannot be laid out (its text needs a Japanese font: install fonts-ipafont-gothic)",
    "スタッフロールを組めません（日本語フォントが要ります: fonts-ipafont-gothic を入れてください）"};
constexpr StepCause kCursorCause{"the pointer picture data\\GAME39651497 cannot be loaded",
                                 "マウスポインタの画像 data\\GAME39651497 を読み込めません"};
constexpr StepCause kSpriteCause{"the sprite batch cannot be reset", "スプライトを再設定できません"};

// The window system's failures add its own words, as it has them at the failure.
void set_step_cause(const StepCause& cause, bool system_words = false) {
    set_failure_cause(cause.english, cause.japanese, system_words);
}

// Refuses --scene N for an entry the script lacks, with a line as for any command line the game
// cannot follow (no box).
bool start_scene_defined() {
    if (app_options.start_scene < scene_table.scene_count) return true;
    const std::string n = std::to_string(app_options.start_scene);
    const std::string last = std::to_string(scene_table.scene_count - 1);
    report_line("--scene " + n + ": the script defines entries 0 to " + last + " (counted by their order in the script)",
                "--scene " + n + ": シナリオのエントリは 0〜" + last + " です（シナリオ内の順番で数えます）");
    startup_exit_code = kUsageExitCode;
    return false;
}

// With POROMINA_STARTUP_REPORT set: one line on standard error once the first frame is presented,
// with the CPU time of the whole process so far (loading its libraries included) and the time
// start-up took.
void report_first_frame(int64_t start_up_began_ns) {
    if (!std::getenv("POROMINA_STARTUP_REPORT")) return;
    std::fprintf(stderr, "poromina: first frame presented: cpu_ms=%.3f start_up_ms=%.3f\n",
                 static_cast<double>(clock_process_cpu_ns()) / 1e6,
                 static_cast<double>(clock_now_ns() - start_up_began_ns) / 1e6);
    std::fflush(stderr);
}
}  // namespace

void app_set_idle_hook(IdleHook hook) { idle_hook = hook; }

void app_trace_to(std::vector<std::string>* log) { trace_log = log; }
void app_trace(const char* step) {
    if (trace_log) trace_log->push_back(step);
}
bool app_quit_posted() { return quit_posted; }
void app_reset_quit() { quit_posted = false; }

void destroy_main_window() {
    if (!window_exists()) return;
    window_close();
    quit_posted = true;
}

int start_up() {
    const int64_t began_ns = clock_now_ns();
    // Before any picture is made: large blocks stay out of the main heap (no creep over hours).
    settle_heap_policy();
    // The 1 ms clock period: without it frames are not paced.
    timer_period_set = 0;
    if (clock_has_1ms_period()) {
        timer_period_set = 1;
        last_present_time = clock_now_ms();
        since_last_present = 0;
    }
    // No input method: the window switches text input off as it is made (below).
    // The window, hidden until the end of start-up.
    app_trace("window");
    set_step_cause(kWindowCause, true);
    if (create_main_window() != 0) {
        show_error(kMsgStartupFailed);
        return 0;
    }
    // Renderer, render states, viewport, sprite batch (create_device shows its own message).
    app_trace("device");
    set_step_cause(kDeviceCause, true);
    if (create_device() != 0) return 0;
    // The scenario.
    app_trace("scenario");
    if (load_scenario(&scene_table) != 0) {
        const FailureText why = scenario_failure_text();
        set_failure_cause(why.english, why.japanese);
        show_error(kMsgStartupFailed);
        return 0;
    }
    // A script that gives the player nothing to see or click would start to a black window.
    FailureText nothing;
    if (script_plays_nothing(scene_table, &nothing)) {
        set_failure_cause(nothing.english, nothing.japanese);
        show_error(kMsgStartupFailed);
        return 0;
    }
    // --scene N: the entry must be there.
    if (!start_scene_defined()) return 0;
    forget_stranded_links();
    // The shortcut's original target, put back when the staff roll ends.
    take_shortcut_backups();
    // The textures made once (each shows its own message on failure).
    app_trace("textures");
    set_step_cause(kTexturesCause);
    if (create_scene_textures() != 0) return 0;
    if (create_balloon_textures() != 0) return 0;
    set_step_cause(kMenuCause);
    if (create_menu_overlay() != 0) return 0;
    // The staff roll's layout.
    app_trace("credits");
    set_step_cause(kCreditsCause);
    if (setup_credits() != 0) {
        show_error(kMsgStartupFailed);
        return 0;
    }
    // The game's own pointer (shows its own message on failure, with the file's own cause).
    app_trace("cursor");
    set_step_cause(kCursorCause);
    if (load_cursor() != 0) return 0;
    // The sprite batch's reset hook once every resource exists.
    app_trace("sprite reset");
    set_step_cause(kSpriteCause);
    if (sprite_on_reset_device() != 0) {
        show_error(kMsgStartupFailed);
        return 0;
    }
    clear_failure_cause();
    // Sound: a failure only warns; the game goes on silent.
    app_trace("sound");
    if (init_sound() != 0) show_warning(kMsgSoundFailed);
    // Told to end while starting (SIGTERM, SIGINT): the window is never shown.
    if (termination_requested()) return 0;
    // The first scene's picture (entry 0, or the one --scene named), without a transition.
    const int first = app_options.start_scene;
    scene_table.current_scene = first;
    if (show_scene_image(nullptr, scene_table.scenes[first].img_nm.c_str()) != 0)
        report_picture_failure(scene_table.scenes[first].img_nm.c_str());
    // The opening sound.
    play_sound(scene_table.opening_snd_nm.c_str());
    // Show the window; its first paint draws a frame.
    app_trace("show");
    window_show();
    main_window_proc(WindowEvent{WindowEventKind::Paint, 0, 0, false, 0});
    report_first_frame(began_ns);
    return 1;
}

void shut_down() {
    // The sprite batch lets go of the device first.
    app_trace("sprite lost");
    sprite_on_lost_device();
    // The textures: scene pictures, balloon, overlay, pointer.
    app_trace("textures");
    release_scene_textures();
    release_balloon_textures();
    release_menu_overlay();
    release_cursor();
    release_author_overlay();
    // Sound: fade, stop, end of the sound threads, close of the device.
    app_trace("sound");
    shutdown_sound();
    // Sprite batch and renderer; then the window they drew into.
    app_trace("device");
    release_device();
    window_release();
    // The clock period has nothing to hand back on this platform.
    timer_period_set = 0;
    // The menu bar's labels (held aside while full-screen, or on the window).
    app_trace("menu");
    release_menu_labels();
    // The message about a device that could not be brought back, once the window is gone.
    if (fatal_error == 1) {
        app_trace("fatal message");
        show_error(kMsgUnrecoverable);
    }
    // The single-instance lock.
    app_trace("instance");
    instance_release();
}

// The loop draws a frame whenever the queue is empty and either an event was taken since the
// last frame (input, pointer motion, an expose, any window change) or picture_still_for_ms says
// the picture moves on by itself. Otherwise the picture on screen is still what a frame would
// draw, and the loop sleeps in the window system's queue until an event comes, at most until the
// next listen for a later copy (kRestPollMs) or the end of the staff roll's timed wait. The
// replay harness (idle hook) draws a frame at every idle moment, as it counts them.
int run_message_loop() {
    uint32_t last_raise_poll = clock_now_ms();
    bool frame_due = true;  // an event was taken since the last idle step
    while (!quit_posted) {
        if (termination_requested()) {  // SIGTERM or SIGINT: the window goes, then the usual shutdown
            destroy_main_window();
            break;
        }
        uint32_t since_raise_poll = clock_now_ms() - last_raise_poll;
        if (since_raise_poll >= kRaisePollMs) {
            last_raise_poll = clock_now_ms();
            since_raise_poll = 0;
            if (instance_raise_requested()) window_raise();
        }
        WindowEvent event;
        if (window_poll_event(&event)) {
            main_window_proc(event);
            frame_due = true;
            continue;
        }
        if (idle_hook) {
            int hook = idle_hook();
            if (hook == 1) continue;
            if (hook < 0 || !idle_step()) destroy_main_window();
            continue;
        }
        if (!frame_due) {
            const uint32_t still = picture_still_for_ms();
            if (still > 0) {
                if (window_wait_event(&event, std::min(still, kRestPollMs - since_raise_poll))) {
                    main_window_proc(event);
                    frame_due = true;
                }
                continue;
            }
        }
        frame_due = false;
        if (!idle_step()) destroy_main_window();
    }
    return 0;
}

void load_window_names() {
    load_string(kStringTitle, title_text, sizeof title_text);
    load_string(kStringClass, class_name, sizeof class_name);
}

int app_main() {
    load_window_names();
    fatal_error = 0;
    quit_posted = false;
    int exit_code = 0;
    startup_exit_code = 0;
    switch (instance_acquire(kInstanceName)) {
        case InstanceRole::Failed:
            set_step_cause(kLockCause);
            show_error(kMsgStartupFailed);
            break;
        case InstanceRole::Second: {  // the first copy was asked to come to the front
            const RunningCopy& first = instance_running_copy();
            std::fprintf(stderr, "poromina: already running in %s (process %ld); asked it to come to the front\n",
                         first.folder[0] ? first.folder : "an unknown folder", first.pid);
            break;
        }
        case InstanceRole::First:
            windowed_mode = 1;
            if (start_up()) exit_code = run_message_loop();
            else exit_code = startup_exit_code;
            break;
    }
    shut_down();
    return exit_code;
}
