// Sound output (the DirectSound stand-in): one SDL audio device and looping PCM buffers with
// byte-range locks, a play position and events fired as the play position passes given offsets.
// A manually clocked output can take the device's place for tests.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/system/hresult.h"
#include "platform/system/threads.h"
#include "platform/audio/wave_format.h"

constexpr uint32_t kAudioOffsetStop = 0xFFFFFFFFu;  // notification offset: the buffer stopped
constexpr int kMaxAudioNotifications = 8;           // per buffer
constexpr int kMaxAudioBuffers = 8;                 // alive at once
constexpr uint32_t kMaxAudioBufferBytes = 0x0FFFFFFF;

struct AudioBuffer;

// One notification: `event` is set when the play position passes `offset` (kAudioOffsetStop:
// when the buffer stops).
struct AudioNotify {
    uint32_t offset;  // byte offset in the buffer, or kAudioOffsetStop
    Event* event;     // not owned; must outlive the buffer's notifications
};

// A locked byte range: one region, or two when the range wraps past the end of the buffer.
// Writes reach the buffer at unlock.
struct AudioLock {
    unsigned char* region1 = nullptr;
    uint32_t bytes1 = 0;
    unsigned char* region2 = nullptr;  // null when the range does not wrap
    uint32_t bytes2 = 0;
};

// Opens the default audio device (or the manual output). S_OK, or E_FAIL when no device opens
// (no audio driver, SDL_AUDIODRIVER naming one that cannot work).
HRESULT audio_open();
// Closes the device; buffers must be released first. Safe when not open.
void audio_close();

// Why audio_buffer_create would refuse a format (a short phrase), or null when it plays it.
const char* audio_format_problem(const WaveFormatEx& format);

// Creates a stopped looping buffer of `bytes` (4 to kMaxAudioBufferBytes) filled with silence,
// for 8-bit unsigned or 16-bit signed PCM of 1 to 8 channels at 100 to 200,000 Hz, with
// nBlockAlign and nAvgBytesPerSec matching those figures.
// E_INVALIDARG for any other format, E_FAIL when no device is open or no room is left.
HRESULT audio_buffer_create(const WaveFormatEx* format, uint32_t bytes, AudioBuffer** out);
// Stops and frees a buffer; null-safe; clears the pointer. No notification fires after it.
void audio_buffer_release(AudioBuffer*& buffer);
// Sets the notifications (offsets below the buffer size, or kAudioOffsetStop); only while stopped.
HRESULT audio_buffer_set_notifications(AudioBuffer* buffer, const AudioNotify* list, int count);
// Locks `bytes` from `offset` for writing; the regions hold the buffer's current content.
HRESULT audio_buffer_lock(AudioBuffer* buffer, uint32_t offset, uint32_t bytes, AudioLock* out);
// Writes a locked range back into the buffer and ends the lock.
HRESULT audio_buffer_unlock(AudioBuffer* buffer, const AudioLock& lock);
// Starts looping playback from the current position. A start at a notification offset fires
// that notification at once, so a start at 0 fires the offset-0 event as playback begins.
HRESULT audio_buffer_play(AudioBuffer* buffer);
// Stops playback where it is, firing the stop notifications if it was playing.
HRESULT audio_buffer_stop(AudioBuffer* buffer);
// The play position: the offset of the byte being heard now. On a device that is where the
// device's last period began plus what has played of it since, by the clock; a byte written one
// device period (23 ms) or more ahead of it is heard as written. On the manual output it is the
// next byte the output takes.
HRESULT audio_buffer_position(AudioBuffer* buffer, uint32_t* play);
// Ends the sound with a rewrite that the output cannot overtake: reads the play position into
// *play, hands `rewrite` the `bytes` from (*play + ahead) mod the buffer size as a locked range (two
// regions when it wraps) and keeps them as rewritten, all before the output takes another byte.
// From then on the output takes nothing past the range's end: it plays silence there and the play
// position stands, until the next audio_buffer_play. `rewrite` runs with the output held: it must
// be short and call no audio_ operation. E_INVALIDARG for bad arguments; E_FAIL as a failed lock
// (nothing is rewritten then, and the output goes on).
HRESULT audio_buffer_rewrite_ahead(AudioBuffer* buffer, uint32_t ahead, uint32_t bytes, uint32_t* play,
                                   const std::function<void(const AudioLock&)>& rewrite);

// A device that went away (unplugged, its sound server gone) plays nothing more: play positions
// stand still and no notification fires, but every buffer operation still works. The next
// audio_buffer_create made while no buffer is alive opens the default device again in its place;
// when that fails, it refuses the buffer (E_FAIL), and each later audio_buffer_create tries once
// more, so sound comes back when a device does.

// Test seam: the open device behaves from now on as one that went away.
void audio_simulate_device_removed();
// True while the open device is one that went away, or none could be opened in its place.
bool audio_device_removed();
// Test seam: the next `count` attempts to open a device fail.
void audio_fail_next_opens(int count);
// Test seam: how many device frames the buffer that stopped last had given the open device from
// its start to its stop (what it made heard), or -1 when none stopped since the device opened.
int64_t audio_device_frames_of_last_stop();

// Test seam: the next `count` locks (and rewrites) fail with E_FAIL.
void audio_fail_next_locks(int count);

// Test seam, the manually clocked output: while on (switch only while the device is closed),
// audio_open opens no device and play positions move only through audio_manual_advance.
void audio_use_manual(bool on);
// Moves the play position of every playing buffer by `bytes`, recording what passes (past the end
// that audio_buffer_rewrite_ahead marks: silence, and the position stands). It stops at each
// notification it fires and, when `settle` is set, waits until the thread woken by it went
// back to waiting (at most 2 s of real time), so that thread is always in time.
void audio_manual_advance(uint32_t bytes, bool settle = true);
// Waits, at most timeout_ms of real time, until a buffer plays and the thread that waits on its
// notifications is waiting with nothing left to handle. True when so.
bool audio_manual_settle(uint32_t timeout_ms);
// Returns and forgets the bytes played since the last call (raw buffer bytes, in order).
std::vector<unsigned char> audio_manual_take_played();
// What a buffer held when it last stopped, and how many stops there were since audio_open.
struct AudioManualSnapshot {
    std::vector<unsigned char> content;  // the whole buffer
    uint32_t play_position = 0;          // bytes
    int stops = 0;                       // playing-to-stopped changes so far
};
AudioManualSnapshot audio_manual_last_stop();
// Waits, at most timeout_ms of real time, until `stops` stops have happened. True when so.
bool audio_manual_wait_stops(int stops, uint32_t timeout_ms);
