// The replay run: the game's start-up, message loop and shutdown with the replay's input pushed
// into the window's event queue before the frames it names, a state line after every frame and
// the named frames written as PNG files.
#include "replay/replay.h"

#include <filesystem>
#include <system_error>

#include "app/app.h"
#include "common/flags.h"
#include "common/messages.h"
#include "platform/system/clock.h"
#include "platform/image/image_write.h"
#include "platform/window/message_box.h"
#include "platform/video/renderer.h"
#include "platform/text/sjis.h"
#include "platform/window/window.h"
#include "scenario/scenario.h"
#include "scene/balloon.h"
#include "scene/credits.h"
#include "scene/transition.h"
#include "sound/sound.h"

namespace {

// The run in progress; the message loop's idle hook works on it. User-interface thread only.
struct ReplayRun {
    const std::vector<ReplayEvent>* events = nullptr;
    const ReplayOptions* options = nullptr;
    FILE* out = nullptr;
    FILE* err = nullptr;
    size_t next_event = 0;      // first event not yet delivered
    int frame = 0;              // the frame step about to run, or just run when frame_done
    int last_frame = 0;         // the run ends after this frame
    bool input_delivered = false;  // this frame's events are in the queue (or were taken)
    bool frame_done = false;    // the idle step of `frame` ran; its report is due
    std::vector<std::string> shot_names;  // the shots of this frame, in file order ("" = numbered)
    bool write_failed = false;  // a picture could not be written
    std::vector<std::vector<uint32_t>> thumbs;  // shrunk shots for the contact sheet
    std::vector<uint32_t> canvas;               // read-back buffer
};

ReplayRun run;

// Pushes one event's input as the window system would deliver it.
void deliver(const ReplayEvent& e) {
    int wx = 0, wy = 0;
    switch (e.kind) {
        case ReplayKind::Left:
            window_canvas_to_window(e.x, e.y, &wx, &wy);
            window_inject(RawInput::Motion, wx, wy);
            window_inject(RawInput::LeftDown, wx, wy);
            window_inject(RawInput::LeftUp, wx, wy);
            break;
        case ReplayKind::Right:
            window_canvas_to_window(e.x, e.y, &wx, &wy);
            window_inject(RawInput::Motion, wx, wy);
            window_inject(RawInput::RightDown, wx, wy);
            break;
        case ReplayKind::Escape:
            window_inject(RawInput::KeyDown, 0, 0, kKeyEscape);
            window_inject(RawInput::KeyUp, 0, 0, kKeyEscape);
            break;
        case ReplayKind::AltEnter:
            window_inject(RawInput::KeyDown, 0, 0, kKeyReturn, true);
            window_inject(RawInput::KeyUp, 0, 0, kKeyReturn, true);
            break;
        case ReplayKind::Clock: clock_advance_ms(static_cast<uint32_t>(e.x)); break;
        case ReplayKind::Shot: run.shot_names.push_back(e.name); break;
        case ReplayKind::Scene:
            // The scene number is the entry's position, as links and start-up take it.
            if (e.x < scene_table.scene_count) {
                scene_table.current_scene = e.x;
                show_scene_image(nullptr, scene_table.scenes[e.x].img_nm.c_str());
            }
            break;
    }
}

std::string shot_path(int frame, const std::string& name) {
    char numbered[32];
    std::snprintf(numbered, sizeof numbered, "frame-%06d", frame);
    std::filesystem::path p = std::filesystem::path(run.options->out_dir) / ((name.empty() ? numbered : name) + ".png");
    return p.string();
}

// Writes the frame just drawn once for each shot that names it, and keeps a thumbnail of each.
void take_shots() {
    run.canvas.assign(static_cast<size_t>(kBackBufferWidth) * kBackBufferHeight, 0);
    if (!renderer_read_canvas(run.canvas.data())) {
        std::fprintf(run.err, "poromina-replay: frame %d could not be read back\n", run.frame);
        run.write_failed = true;
        for (size_t i = 0; i < run.shot_names.size(); ++i) run.thumbs.emplace_back();
        return;
    }
    const std::vector<uint32_t> thumb = shrink_frame(run.canvas.data(), kBackBufferWidth, kBackBufferHeight);
    for (const std::string& name : run.shot_names) {
        std::string path = shot_path(run.frame, name);
        if (!write_png(path, run.canvas.data(), kBackBufferWidth, kBackBufferHeight, false)) {
            std::fprintf(run.err, "poromina-replay: cannot write %s\n", path.c_str());
            run.write_failed = true;
        }
        run.thumbs.push_back(thumb);
    }
}

// Reports the frame that just ran: its state line and its picture when named.
void finish_frame() {
    if (!run.options->quiet) std::fprintf(run.out, "%s\n", replay_state_line(run.frame).c_str());
    if (!run.shot_names.empty()) take_shots();
    run.shot_names.clear();
    run.frame_done = false;
    run.input_delivered = false;
    ++run.frame;
}

// The message loop's idle hook: reports the last frame, delivers the next frame's input, and
// ends the loop after the last frame.
int replay_idle_hook() {
    if (run.frame_done) finish_frame();
    if (run.frame > run.last_frame) return -1;
    if (!run.input_delivered) {
        run.input_delivered = true;
        bool queued = false;
        const std::vector<ReplayEvent>& events = *run.events;
        while (run.next_event < events.size() && events[run.next_event].frame <= run.frame) {
            const ReplayEvent& e = events[run.next_event++];
            deliver(e);
            queued = queued || (e.kind != ReplayKind::Clock && e.kind != ReplayKind::Shot &&
                                e.kind != ReplayKind::Scene);
        }
        if (queued) return 1;
    }
    run.frame_done = true;
    return 0;
}

std::vector<MessageRecord> messages;  // message boxes of the game while it runs for a replay

void write_contact_sheet() {
    int w = 0, h = 0;
    std::vector<uint32_t> sheet = make_contact_sheet(run.thumbs, kBackBufferWidth / kThumbScale,
                                                     kBackBufferHeight / kThumbScale, &w, &h);
    if (sheet.empty()) {
        std::fprintf(run.err, "poromina-replay: no shots, so no contact sheet\n");
        return;
    }
    if (!write_png(run.options->contact_sheet, sheet.data(), w, h, false)) {
        std::fprintf(run.err, "poromina-replay: cannot write %s\n", run.options->contact_sheet.c_str());
        run.write_failed = true;
    }
}

}  // namespace

bool replay_start_game(FILE* err) {
    // The game's own entry, without the single-instance lock: a replay may run beside the game.
    messages.clear();
    message_box_record_to(&messages);
    renderer_set_offscreen_only(true);
    clock_use_virtual(true, kReplayClockStartMs);
    reset_shared_flags();
    app_reset_quit();
    load_window_names();
    fatal_error = 0;
    windowed_mode = 1;
    if (start_up()) return true;
    std::error_code ec;
    std::fprintf(err, "poromina-replay: the game could not start in %s\n",
                 std::filesystem::current_path(ec).string().c_str());
    return false;
}

void replay_stop_game(FILE* err) {
    shut_down();
    for (const MessageRecord& m : messages)
        std::fprintf(err, "poromina-replay: message box: %s\n", sjis_to_utf8(m.text).c_str());
    message_box_record_to(nullptr);
    messages.clear();
    renderer_set_offscreen_only(false);
    clock_use_virtual(false);
}

std::string replay_state_line(int frame) {
    const SpeechBalloon& b = speech_balloon;
    const std::string sound = loaded_sound_name();
    char line[512];
    std::snprintf(line, sizeof line,
                  "frame=%d scene=%d tr_kind=%d tr_counter=%d tr_active=%d bl_open=%d bl_anim=%d bl_page=%d "
                  "bl_pages=%d menu_open=%d menu_anim=%d menu_counter=%d cr_mode=%d cr_state=%d windowed=%d "
                  "clock=%u sound=%s",
                  frame, scene_table.current_scene, scene_transition.transition_kind,
                  scene_transition.transition_counter, transition_active, balloon_open, balloon_animating,
                  b.page_index, b.page_count, menu_open, menu_animating, menu_anim_counter, credits_mode,
                  credits_roll.state, windowed_mode, clock_now_ms(),
                  sound.empty() ? "-" : sjis_to_utf8(sound).c_str());
    return line;
}

int run_replay(const std::vector<ReplayEvent>& events, const ReplayOptions& options, FILE* out, FILE* err) {
    run = ReplayRun{};
    run.events = &events;
    run.options = &options;
    run.out = out;
    run.err = err;
    run.last_frame = (events.empty() ? 0 : events.back().frame) + std::max(options.frames_after, 0);

    std::error_code ec;
    std::filesystem::create_directories(options.out_dir, ec);

    int result = 0;
    if (replay_start_game(err)) {
        app_set_idle_hook(replay_idle_hook);
        run_message_loop();
        app_set_idle_hook(nullptr);
        if (run.frame_done) finish_frame();  // the game ended itself in that frame
        if (run.frame <= run.last_frame)
            std::fprintf(err, "poromina-replay: the game ended after frame %d\n", run.frame - 1);
    } else {
        result = 2;
    }
    replay_stop_game(err);
    if (result == 0 && !options.contact_sheet.empty()) write_contact_sheet();
    if (result == 0 && run.write_failed) result = 1;
    run = ReplayRun{};
    return result;
}
