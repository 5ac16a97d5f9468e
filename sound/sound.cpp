// The sound player: one sound at a time streamed through a looping two-second buffer by a worker
// thread that descrambles as it copies, and a 100 ms fade-out ended by a short-lived worker.
#include "sound/sound.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <system_error>
#include <thread>

#include "common/flags.h"
#include "platform/audio/audio.h"
#include "platform/system/threads.h"
#include "scenario/data_file.h"
#include "sound/fade.h"
#include "sound/wave_reader.h"

namespace {

constexpr int kStreamEventCount = 3;  // [0] offset 0 passed, [1] middle passed, [2] stopped

// The player. Threads: the user-interface thread (UI) calls every operation; the streaming
// thread (ST) and the fade thread (FT) run beside it. A field a worker reads is written by UI
// only before that worker starts or after it has ended (seen through its running flag).
struct SoundPlayer {
    bool device_open = false;                   // UI: init_sound opened the audio device
    AudioBuffer* stream_buffer = nullptr;       // UI writes; ST and FT use it while they run
    WaveReader reader;                          // ST reads the payload; UI reads the format
    int event_count = kStreamEventCount;        // always 3
    EventHandle stream_events[kStreamEventCount];  // UI makes and closes; ST waits on them
    std::thread stream_thread;                  // UI only (start, join)
    std::atomic<bool> stream_running{false};    // set by UI before the start; cleared by ST as
                                                // its last act
    uint32_t stream_buffer_bytes = 0;           // two seconds of the sound, bytes
    std::thread fade_thread;                    // UI only (start, join)
    std::atomic<bool> fade_running{false};      // set by UI before the start; cleared by FT as
                                                // its last act
    int first_half_pending = 0;                 // ST: 1 while the first half still takes data
    int second_half_pending = 0;                // ST: the same for the second half
    uint32_t descramble_position = 0;           // ST: payload bytes descrambled; key index mod 16
    std::string loaded_name;                    // UI only: name of the sound now loaded
};

SoundPlayer player;

// Reads into one locked region, descrambling in place; pads a short read with silence.
// Lowers *result to 0 when nothing arrived.
void fill_region(unsigned char* region, uint32_t bytes, unsigned char silence, int* result) {
    uint32_t got = 0;
    player.reader.read(bytes, region, &got);  // a failed read counts as the end of the payload
    // Sample byte i of a sound is stored XORed with key byte i mod 16.
    uint32_t k = player.descramble_position % kScrambleKeyBytes;
    for (uint32_t i = 0; i < got; ++i) {
        region[i] ^= scramble_key[k];
        k = (k + 1) % kScrambleKeyBytes;
    }
    player.descramble_position += got;
    if (got < bytes) std::memset(region + got, silence, bytes - got);
    if (got == 0) *result = 0;
}

// Refills half h (0 first, 1 second) from the sound. Returns the half's new pending flag: 0 once
// it got no data at all, else 1 (also when the lock failed: the half is tried at its next turn).
int fill_half(int h) {
    uint32_t half = player.stream_buffer_bytes / 2;
    AudioLock range;
    if (failed(audio_buffer_lock(player.stream_buffer, static_cast<uint32_t>(h) * half, half, &range))) return 1;
    // Silence is 0 for 16-bit samples and the mid value 0x80 for unsigned 8-bit ones.
    unsigned char silence = player.reader.format()->wBitsPerSample == 8 ? 0x80 : 0x00;
    int result = 1;
    fill_region(range.region1, range.bytes1, silence, &result);
    if (range.bytes2 != 0) fill_region(range.region2, range.bytes2, silence, &result);
    audio_buffer_unlock(player.stream_buffer, range);
    return result;
}

// The streaming thread: fills the first half, plays, and refills each half once the play position
// has left it, until the buffer stops.
void stream_thread_main() {
    player.first_half_pending = fill_half(0);
    // The second half gets its first data from the offset-0 event that the start fires.
    player.second_half_pending = 1;
    audio_buffer_play(player.stream_buffer);
    Event* events[kStreamEventCount];
    for (int i = 0; i < kStreamEventCount; ++i) events[i] = player.stream_events[i].get();
    for (;;) {
        int which = event_wait_any(events, player.event_count);
        if (which == 0) {
            if (player.second_half_pending == 1) player.second_half_pending = fill_half(1);
        } else if (which == 1) {
            if (player.first_half_pending == 1) player.first_half_pending = fill_half(0);
        } else {
            break;
        }
    }
    player.stream_running.store(false, std::memory_order_release);
}

// Rewrites the 400 ms from 60 ms ahead of the play position into a 100 ms ramp and silence, in
// one step the output cannot overtake, and ends the sound there: whenever the stop comes, the
// output plays the ramp whole and then silence. False when nothing was faded (not 16-bit, or the
// lock failed); else *play is the play position it started from and *heard_at how far past it the
// stop may come, in bytes.
bool fade_samples(uint32_t* play, uint32_t* heard_at) {
    const WaveFormatEx& f = *player.reader.format();
    if (f.wBitsPerSample != 16) return false;
    const FadeSpans s = fade_spans(f);
    auto ramp = [&f, &s](const AudioLock& range) { fade_ramp(range, f, s.ramp); };
    if (audio_buffer_rewrite_ahead(player.stream_buffer, s.ahead, s.span, play, ramp) != S_OK) return false;
    *heard_at = fade_heard_bytes(f);
    return true;
}

// Waits until the play position has moved `bytes` past `from`. The position follows the output,
// not the clock: a busy machine or a device that plays late leaves it behind, and a stop before it
// gets there would cut the ramp. Gives up when it stands still for kFadeStallMs (an output that no
// longer plays) or after kFadeHeardWaitMs in all.
void wait_until_heard(uint32_t from, uint32_t bytes) {
    using Clock = std::chrono::steady_clock;
    const auto until = Clock::now() + std::chrono::milliseconds(kFadeHeardWaitMs);
    auto moved_at = Clock::now();
    uint32_t last = from;
    for (;;) {
        uint32_t now = 0;
        if (audio_buffer_position(player.stream_buffer, &now) != S_OK) return;
        uint32_t moved = (now + player.stream_buffer_bytes - from) % player.stream_buffer_bytes;
        if (moved >= bytes) return;
        const auto t = Clock::now();
        if (now != last) {
            last = now;
            moved_at = t;
        }
        if (t - moved_at >= std::chrono::milliseconds(kFadeStallMs) || t >= until) return;
        sleep_real_ms(1);
    }
}

// Test seam: while set, a fade thread waits at its start.
std::atomic<bool> hold_fade_threads{false};

// The fade thread: given the fade that fade_out_sound wrote, waits until the play position has
// passed the ramp into the silence, and stops.
void fade_thread_main(bool faded, uint32_t play, uint32_t heard_at) {
    while (hold_fade_threads.load(std::memory_order_acquire)) sleep_real_ms(1);
    if (faded) {
        sleep_real_ms(kFadeStopDelayMs);
        wait_until_heard(play, heard_at);
        audio_buffer_stop(player.stream_buffer);  // its stop event ends the streaming thread
    }
    player.fade_running.store(false, std::memory_order_release);
}

// Joins a worker that has cleared its running flag (or never ran).
void join_finished(std::thread& t) {
    if (t.joinable()) t.join();
}

// Releases what play_sound made, in reverse order; each step works on partly built state.
void release_stream() {
    player.loaded_name.clear();
    audio_buffer_release(player.stream_buffer);
    for (int i = kStreamEventCount - 1; i >= 0; --i) player.stream_events[i].reset();
    player.reader.close();
}

}  // namespace

int init_sound() {
    sound_available = 0;
    if (!player.device_open) {
        if (failed(audio_open())) return -1;
        player.device_open = true;
    }
    sound_available = 1;
    return 0;
}

int play_sound(const char* name) {
    if (!sound_available) return 0;
    stop_sound();
    if (!name) return -1;
    std::string path = std::string("data\\") + name;
    if (failed(player.reader.open(path.c_str()))) return -1;

    player.event_count = kStreamEventCount;
    for (EventHandle& e : player.stream_events) {
        e = event_create();
        if (!e) {
            release_stream();
            return -1;
        }
    }
    const WaveFormatEx* f = player.reader.format();
    player.stream_buffer_bytes = 2 * f->nAvgBytesPerSec;
    if (failed(audio_buffer_create(f, player.stream_buffer_bytes, &player.stream_buffer))) {
        release_stream();
        return -1;
    }
    const AudioNotify notify[kStreamEventCount] = {
        {0, player.stream_events[0].get()},
        {player.stream_buffer_bytes / 2, player.stream_events[1].get()},
        {kAudioOffsetStop, player.stream_events[2].get()},
    };
    if (audio_buffer_set_notifications(player.stream_buffer, notify, kStreamEventCount) != S_OK) {
        release_stream();
        return -1;
    }
    player.descramble_position = 0;
    player.stream_running.store(true, std::memory_order_release);
    try {
        player.stream_thread = std::thread(stream_thread_main);
    } catch (const std::system_error&) {
        player.stream_running.store(false);
        release_stream();
        return -1;
    }
    player.loaded_name = name;
    return 0;
}

int fade_out_sound() {
    if (!sound_available || !player.stream_buffer) return 0;
    if (player.fade_running.load(std::memory_order_acquire)) return 0;
    join_finished(player.fade_thread);  // an earlier fade that has ended
    // The ramp is written here, at the request, so what is heard does not wait for the thread.
    uint32_t play = 0, heard_at = 0;
    const bool faded = fade_samples(&play, &heard_at);
    player.fade_running.store(true, std::memory_order_release);
    try {
        player.fade_thread = std::thread(fade_thread_main, faded, play, heard_at);
    } catch (const std::system_error&) {
        player.fade_running.store(false);
        return -1;
    }
    return 0;
}

int stop_sound() {
    if (!sound_available) return 0;
    if (player.stream_buffer) {
        while (player.fade_running.load(std::memory_order_acquire)) sleep_real_ms(1);
        join_finished(player.fade_thread);
        audio_buffer_stop(player.stream_buffer);
        // Stop again until the streaming thread has seen it: it may not have started playing yet.
        while (player.stream_running.load(std::memory_order_acquire)) {
            audio_buffer_stop(player.stream_buffer);
            sleep_real_ms(1);
        }
        join_finished(player.stream_thread);
    }
    release_stream();
    return 0;
}

void shutdown_sound() {
    if (sound_available) {
        fade_out_sound();
        stop_sound();
    }
    if (player.device_open) audio_close();
    player.device_open = false;
    sound_available = 0;
}

const char* loaded_sound_name() { return player.loaded_name.c_str(); }

void hold_fade_thread(bool hold) { hold_fade_threads.store(hold, std::memory_order_release); }
