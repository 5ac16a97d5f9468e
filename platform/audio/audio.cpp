// Looping PCM buffers played by an SDL audio device (converted to the device's format in the
// audio callback) or by the manually clocked test output. One mutex guards every buffer.
#include "platform/audio/audio.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>

namespace {

constexpr int kMaxLocks = 4;                  // outstanding locks per buffer
constexpr int kDeviceRate = 44100;            // asked of the device, Hz
constexpr int kDeviceSamples = 2048;          // device buffer, sample frames (46 ms)
constexpr int kPullFrames = 1024;             // source frames fed to a converter at a time
constexpr int kScratchBytes = 16384;          // mixing scratch
constexpr uint32_t kSettleTimeoutMs = 2000;   // manual output: longest wait for a woken thread

// A range handed out by audio_buffer_lock; its staging copy goes back at unlock.
struct PendingLock {
    std::unique_ptr<unsigned char[]> staging;  // bytes of the range, region 1 then region 2
    uint32_t offset = 0;                       // start in the buffer
    uint32_t bytes = 0;                        // length of the range
};

}  // namespace

struct AudioBuffer {
    WaveFormatEx format;                     // the PCM format of the content
    uint32_t size = 0;                       // bytes
    std::unique_ptr<unsigned char[]> ring;   // the content
    uint32_t play = 0;                       // play position, bytes
    bool playing = false;
    AudioNotify notify[kMaxAudioNotifications];
    int notify_count = 0;
    PendingLock locks[kMaxLocks];
    SDL_AudioStream* converter = nullptr;    // to the device format; null when it is the same
};

namespace {

// Everything below is guarded by audio_mutex: the audio callback, the manual output and every
// thread that calls the buffer operations share it.
std::mutex audio_mutex;
std::condition_variable state_cv;            // woken by every start and stop
AudioBuffer* buffers[kMaxAudioBuffers];      // alive buffers
SDL_AudioDeviceID device = 0;                // the open SDL device, or 0
SDL_AudioSpec device_format;                   // what the device plays
bool manual = false;                         // the manual output takes the device's place
bool manual_open = false;                    // audio_open succeeded on the manual output
std::vector<unsigned char> manual_played;    // bytes played since the last take
AudioManualSnapshot manual_stop;             // the buffer at its last stop
int locks_to_fail = 0;
bool device_removed = false;                 // test seam: the device acts as one that went away
bool subsystem_up = false;                   // audio_open initialised SDL's audio (UI thread only)
unsigned char scratch[kScratchBytes];        // audio callback only

bool is_open() { return device != 0 || manual_open; }

unsigned char silence_byte(const WaveFormatEx& f) { return f.wBitsPerSample == 8 ? 0x80 : 0x00; }

// Fires the notifications at `offset`.
void fire_at(AudioBuffer* b, uint32_t offset) {
    for (int i = 0; i < b->notify_count; ++i)
        if (b->notify[i].offset == offset) event_set(b->notify[i].event);
}

// Takes n bytes from the play position (wrapping), copying them to dst when it is not null, and
// fires every notification whose offset the position reaches or passes.
void pull(AudioBuffer* b, unsigned char* dst, uint32_t n) {
    while (n > 0) {
        uint32_t step = std::min(n, b->size - b->play);
        if (dst) {
            std::memcpy(dst, b->ring.get() + b->play, step);
            dst += step;
        }
        uint32_t from = b->play;
        b->play = (b->play + step) % b->size;
        n -= step;
        for (int i = 0; i < b->notify_count; ++i) {
            uint32_t o = b->notify[i].offset;
            if (o == kAudioOffsetStop) continue;
            bool passed = o == 0 ? b->play == 0 : (o > from && o <= from + step);
            if (passed) event_set(b->notify[i].event);
        }
    }
}

// Fills `len` bytes of device-format audio from a playing buffer.
void render(AudioBuffer* b, unsigned char* out, int len) {
    if (!b->converter) {
        pull(b, out, static_cast<uint32_t>(len));
        return;
    }
    uint32_t chunk = static_cast<uint32_t>(kPullFrames) * b->format.nBlockAlign;
    while (SDL_AudioStreamAvailable(b->converter) < len) {
        uint32_t n = std::min(chunk, static_cast<uint32_t>(kScratchBytes));
        n -= n % b->format.nBlockAlign;
        unsigned char in[kScratchBytes];
        pull(b, in, n);
        if (SDL_AudioStreamPut(b->converter, in, static_cast<int>(n)) != 0) break;
    }
    int got = SDL_AudioStreamGet(b->converter, out, len);
    if (got < len) std::memset(out + std::max(got, 0), device_format.silence, static_cast<size_t>(len - std::max(got, 0)));
}

// SDL's audio thread: every playing buffer, the first copied, the others mixed in.
void audio_callback(void*, Uint8* stream, int len) {
    std::memset(stream, device_format.silence, static_cast<size_t>(len));
    std::lock_guard<std::mutex> lock(audio_mutex);
    if (device_removed) return;  // as SDL does for a removed device: nothing is taken
    bool first = true;
    for (AudioBuffer* b : buffers) {
        if (!b || !b->playing) continue;
        if (first) {
            render(b, stream, len);
            first = false;
            continue;
        }
        for (int done = 0; done < len;) {
            int n = std::min(len - done, kScratchBytes);
            render(b, scratch, n);
            SDL_MixAudioFormat(stream + done, scratch, device_format.format, static_cast<Uint32>(n), SDL_MIX_MAXVOLUME);
            done += n;
        }
    }
}

}  // namespace

const char* audio_format_problem(const WaveFormatEx& f) {
    if (f.wFormatTag != kWaveFormatPcm) return "not plain PCM";
    if (f.wBitsPerSample != 8 && f.wBitsPerSample != 16) return "not 8 or 16 bits per sample";
    if (f.nChannels < 1 || f.nChannels > 8) return "channel count outside 1..8";
    if (f.nSamplesPerSec < 100 || f.nSamplesPerSec > 200000) return "sample rate outside 100..200000 Hz";
    if (f.nBlockAlign != f.nChannels * f.wBitsPerSample / 8) return "block align does not match the format";
    if (f.nAvgBytesPerSec != f.nSamplesPerSec * f.nBlockAlign) return "bytes per second do not match the format";
    return nullptr;
}

namespace {

// Opens SDL's default device into `device`. Called without audio_mutex: SDL may start the
// callback at once.
HRESULT open_device() {
    SDL_AudioSpec want{};
    want.freq = kDeviceRate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = kDeviceSamples;
    want.callback = audio_callback;
    SDL_AudioSpec have{};
    SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_ANY_CHANGE);
    if (id == 0) return E_FAIL;
    {
        std::lock_guard<std::mutex> lock(audio_mutex);
        device_format = have;
        device = id;
        device_removed = false;
    }
    SDL_PauseAudioDevice(id, 0);
    return S_OK;
}

// True when the open device went away (SDL reports a removed device as stopped). Under audio_mutex.
bool removed_locked() {
    return device != 0 && (device_removed || SDL_GetAudioDeviceStatus(device) == SDL_AUDIO_STOPPED);
}

// Replaces a device that went away by the default device of now, while no buffer is alive.
void reopen_if_removed() {
    std::unique_lock<std::mutex> lock(audio_mutex);
    if (!removed_locked()) return;
    for (AudioBuffer* b : buffers)
        if (b) return;
    SDL_AudioDeviceID old = device;
    device = 0;
    device_removed = false;
    lock.unlock();
    SDL_CloseAudioDevice(old);  // waits for a running callback
    open_device();              // on failure no device is open: buffers are refused
}

}  // namespace

HRESULT audio_open() {
    std::unique_lock<std::mutex> lock(audio_mutex);
    if (is_open()) return S_OK;
    manual_stop = AudioManualSnapshot{};
    manual_played.clear();
    if (manual) {
        manual_open = true;
        return S_OK;
    }
    lock.unlock();
    if (!subsystem_up && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return E_FAIL;
    subsystem_up = true;
    if (failed(open_device())) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        subsystem_up = false;
        return E_FAIL;
    }
    return S_OK;
}

void audio_close() {
    std::unique_lock<std::mutex> lock(audio_mutex);
    manual_open = false;
    SDL_AudioDeviceID id = device;
    device = 0;
    device_removed = false;
    lock.unlock();
    if (id != 0) SDL_CloseAudioDevice(id);  // waits for a running callback
    if (subsystem_up) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    subsystem_up = false;
}

void audio_simulate_device_removed() {
    std::lock_guard<std::mutex> lock(audio_mutex);
    if (device != 0) device_removed = true;
}

bool audio_device_removed() {
    std::lock_guard<std::mutex> lock(audio_mutex);
    return removed_locked();
}

HRESULT audio_buffer_create(const WaveFormatEx* format, uint32_t bytes, AudioBuffer** out) {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    if (!format || audio_format_problem(*format) || bytes < 4 || bytes > kMaxAudioBufferBytes) return E_INVALIDARG;
    reopen_if_removed();
    std::lock_guard<std::mutex> lock(audio_mutex);
    if (!is_open()) return E_FAIL;
    int slot = 0;
    while (slot < kMaxAudioBuffers && buffers[slot]) ++slot;
    if (slot == kMaxAudioBuffers) return E_FAIL;
    std::unique_ptr<AudioBuffer> b(new (std::nothrow) AudioBuffer);
    if (!b) return E_FAIL;
    b->ring.reset(new (std::nothrow) unsigned char[bytes]);
    if (!b->ring) return E_FAIL;
    std::memcpy(&b->format, format, sizeof(WaveFormatEx));
    b->format.cbSize = 0;
    b->size = bytes;
    std::memset(b->ring.get(), silence_byte(b->format), bytes);
    if (device != 0) {
        SDL_AudioFormat src = format->wBitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
        bool same = src == device_format.format && format->nChannels == device_format.channels &&
                    static_cast<int>(format->nSamplesPerSec) == device_format.freq;
        if (!same) {
            b->converter = SDL_NewAudioStream(src, static_cast<Uint8>(format->nChannels),
                                              static_cast<int>(format->nSamplesPerSec), device_format.format,
                                              device_format.channels, device_format.freq);
            if (!b->converter) return E_INVALIDARG;
        }
    }
    buffers[slot] = b.release();
    *out = buffers[slot];
    return S_OK;
}

void audio_buffer_release(AudioBuffer*& buffer) {
    if (!buffer) return;
    {
        std::lock_guard<std::mutex> lock(audio_mutex);
        for (AudioBuffer*& slot : buffers)
            if (slot == buffer) slot = nullptr;
    }
    // No thread can reach it now: the callback and the manual output only see registered buffers.
    if (buffer->converter) SDL_FreeAudioStream(buffer->converter);
    delete buffer;
    buffer = nullptr;
}

HRESULT audio_buffer_set_notifications(AudioBuffer* buffer, const AudioNotify* list, int count) {
    if (!buffer || count < 0 || count > kMaxAudioNotifications || (count > 0 && !list)) return E_INVALIDARG;
    std::lock_guard<std::mutex> lock(audio_mutex);
    if (buffer->playing) return E_FAIL;
    for (int i = 0; i < count; ++i)
        if (!list[i].event || (list[i].offset != kAudioOffsetStop && list[i].offset >= buffer->size)) return E_INVALIDARG;
    std::copy(list, list + count, buffer->notify);
    buffer->notify_count = count;
    return S_OK;
}

void audio_fail_next_locks(int count) {
    std::lock_guard<std::mutex> lock(audio_mutex);
    locks_to_fail = count;
}

HRESULT audio_buffer_lock(AudioBuffer* buffer, uint32_t offset, uint32_t bytes, AudioLock* out) {
    if (!buffer || !out) return E_INVALIDARG;
    *out = AudioLock{};
    if (offset >= buffer->size || bytes == 0 || bytes > buffer->size) return E_INVALIDARG;
    std::lock_guard<std::mutex> lock(audio_mutex);
    if (locks_to_fail > 0) {
        --locks_to_fail;
        return E_FAIL;
    }
    PendingLock* slot = nullptr;
    for (PendingLock& l : buffer->locks)
        if (!l.staging && !slot) slot = &l;
    if (!slot) return E_FAIL;
    slot->staging.reset(new (std::nothrow) unsigned char[bytes]);
    if (!slot->staging) return E_FAIL;
    slot->offset = offset;
    slot->bytes = bytes;
    uint32_t first = std::min(bytes, buffer->size - offset);
    std::memcpy(slot->staging.get(), buffer->ring.get() + offset, first);
    std::memcpy(slot->staging.get() + first, buffer->ring.get(), bytes - first);
    out->region1 = slot->staging.get();
    out->bytes1 = first;
    if (bytes > first) {
        out->region2 = slot->staging.get() + first;
        out->bytes2 = bytes - first;
    }
    return S_OK;
}

HRESULT audio_buffer_unlock(AudioBuffer* buffer, const AudioLock& l) {
    if (!buffer || !l.region1) return E_INVALIDARG;
    std::lock_guard<std::mutex> lock(audio_mutex);
    for (PendingLock& p : buffer->locks) {
        if (p.staging.get() != l.region1) continue;
        uint32_t first = std::min(p.bytes, buffer->size - p.offset);
        std::memcpy(buffer->ring.get() + p.offset, p.staging.get(), first);
        std::memcpy(buffer->ring.get(), p.staging.get() + first, p.bytes - first);
        p.staging.reset();
        return S_OK;
    }
    return E_INVALIDARG;
}

HRESULT audio_buffer_play(AudioBuffer* buffer) {
    if (!buffer) return E_INVALIDARG;
    std::lock_guard<std::mutex> lock(audio_mutex);
    if (buffer->playing) return S_OK;
    buffer->playing = true;
    fire_at(buffer, buffer->play);
    state_cv.notify_all();
    return S_OK;
}

HRESULT audio_buffer_stop(AudioBuffer* buffer) {
    if (!buffer) return E_INVALIDARG;
    std::lock_guard<std::mutex> lock(audio_mutex);
    if (!buffer->playing) return S_OK;
    buffer->playing = false;
    if (buffer->converter) SDL_AudioStreamClear(buffer->converter);
    fire_at(buffer, kAudioOffsetStop);
    if (manual_open) {
        manual_stop.content.assign(buffer->ring.get(), buffer->ring.get() + buffer->size);
        manual_stop.play_position = buffer->play;
    }
    ++manual_stop.stops;
    state_cv.notify_all();
    return S_OK;
}

HRESULT audio_buffer_position(AudioBuffer* buffer, uint32_t* play) {
    if (!buffer || !play) return E_INVALIDARG;
    std::lock_guard<std::mutex> lock(audio_mutex);
    *play = buffer->play;
    return S_OK;
}

void audio_use_manual(bool on) {
    std::lock_guard<std::mutex> lock(audio_mutex);
    if (!is_open()) manual = on;
}

void audio_manual_advance(uint32_t bytes, bool settle) {
    while (bytes > 0) {
        Event* woken[kMaxAudioNotifications];
        int woken_count = 0;
        uint32_t step = bytes;
        {
            std::lock_guard<std::mutex> lock(audio_mutex);
            if (!manual_open) return;
            AudioBuffer* b = nullptr;
            for (AudioBuffer* c : buffers)
                if (c && c->playing && !b) b = c;
            if (!b) return;  // nothing plays: the output is silent
            // Go no further than the next notification offset.
            for (int i = 0; i < b->notify_count; ++i) {
                uint32_t o = b->notify[i].offset;
                if (o == kAudioOffsetStop) continue;
                uint32_t distance = (o + b->size - b->play) % b->size;
                if (distance == 0) distance = b->size;
                step = std::min(step, distance);
            }
            size_t at = manual_played.size();
            manual_played.resize(at + step);
            pull(b, manual_played.data() + at, step);
            for (int i = 0; i < b->notify_count; ++i)
                if (b->notify[i].offset != kAudioOffsetStop && b->notify[i].offset == b->play)
                    woken[woken_count++] = b->notify[i].event;
        }
        bytes -= step;
        if (settle && woken_count > 0) event_wait_idle(woken, woken_count, kSettleTimeoutMs);
    }
}

bool audio_manual_settle(uint32_t timeout_ms) {
    Event* events[kMaxAudioNotifications];
    int count = 0;
    {
        std::unique_lock<std::mutex> lock(audio_mutex);
        AudioBuffer* b = nullptr;
        auto find_playing = [&] {
            for (AudioBuffer* c : buffers)
                if (c && c->playing) b = c;
            return b != nullptr;
        };
        if (!state_cv.wait_for(lock, std::chrono::milliseconds(timeout_ms), find_playing)) return false;
        for (int i = 0; i < b->notify_count; ++i) events[count++] = b->notify[i].event;
    }
    return count == 0 || event_wait_idle(events, count, timeout_ms);
}

std::vector<unsigned char> audio_manual_take_played() {
    std::lock_guard<std::mutex> lock(audio_mutex);
    std::vector<unsigned char> out;
    out.swap(manual_played);
    return out;
}

AudioManualSnapshot audio_manual_last_stop() {
    std::lock_guard<std::mutex> lock(audio_mutex);
    return manual_stop;
}

bool audio_manual_wait_stops(int stops, uint32_t timeout_ms) {
    std::unique_lock<std::mutex> lock(audio_mutex);
    return state_cv.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                             [&] { return manual_stop.stops >= stops; });
}
