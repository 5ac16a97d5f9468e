// Looping PCM buffers played by an SDL audio device (converted to the device's rate and format in
// the audio callback) or by the manually clocked test output. One mutex guards every buffer.
//
// What a buffer's play position says on a device: the frame being heard now. The audio callback
// gives the device one period of audio at a time, and the device plays it out in real time; so
// the position is where the last period began plus what the clock says has played of it since.
// Nothing else lies between a buffer and the device: rate conversion reads the buffer itself
// (a few frames ahead), and format conversion at the device rate holds no audio back. So a byte
// that is written more than one period ahead of the play position is heard as written. The device
// is opened with a fixed period of about 23 ms, whatever its rate, so that holds for a fade's lead.
#include "platform/audio/audio.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>

#include "platform/audio/resampler.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kMaxLocks = 4;                  // outstanding locks per buffer
constexpr int kDeviceRate = 44100;            // asked of the device, Hz
constexpr int kDeviceSamples = 1024;          // device period, sample frames (23 ms)
constexpr int kLongestPeriodMs = 30;          // a longer period is asked again at the device's rate
constexpr int kScratchBytes = 16384;          // mixing and conversion scratch
constexpr int kResampleFrames = 256;          // output frames resampled at a time
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
    uint32_t take = 0;                       // oldest byte the output still reads; notifications
                                             // fire as it passes their offsets
    bool playing = false;
    AudioNotify notify[kMaxAudioNotifications];
    int notify_count = 0;
    PendingLock locks[kMaxLocks];
    SDL_AudioStream* converter = nullptr;    // format and channels to the device's, at the device
                                             // rate (holds nothing back); null when the same
    bool resampled = false;                  // the rate differs from the device's
    Resampler resampler;                     // to the device rate, when resampled
    // The run of playback since the last start, on a device:
    uint32_t run_start = 0;                  // byte offset where it began (whole frames)
    uint64_t run_pos = 0;                    // resampled: source position of the next output
                                             // frame, frames from run_start, 32.32
    int64_t run_oldest = 0;                  // resampled: oldest source frame still read
    uint64_t run_frames = 0;                 // device frames made
    uint64_t heard_base = 0;                 // device frames made before the last period
    uint32_t last_frames = 0;                // device frames of the last period
    Clock::time_point last_time;             // when the last period was handed to the device
    // Where the sound ends (set by audio_buffer_rewrite_ahead, cleared by a start): the output
    // takes nothing past it, plays silence there, and the play position stands.
    bool ending = false;
    uint32_t end_left = 0;                   // while ending: bytes the output may still take

    AudioBuffer() = default;
    AudioBuffer(const AudioBuffer&) = delete;
    AudioBuffer& operator=(const AudioBuffer&) = delete;
    ~AudioBuffer() {
        if (converter) SDL_FreeAudioStream(converter);
    }
};

namespace {

// Everything below is guarded by audio_mutex: the audio callback, the manual output and every
// thread that calls the buffer operations share it.
std::mutex audio_mutex;
std::condition_variable state_cv;            // woken by every start and stop
AudioBuffer* buffers[kMaxAudioBuffers];      // alive buffers
SDL_AudioDeviceID device = 0;                // the open SDL device, or 0
SDL_AudioSpec device_format;                 // what the device plays
int device_frame_bytes = 4;                  // bytes of one device frame
int64_t stopped_run_frames = -1;             // device frames the buffer that stopped last gave
int opens_to_fail = 0;                       // test seam: device opens that fail
bool device_lost = false;                    // the device went away and none took its place
bool manual = false;                         // the manual output takes the device's place
bool manual_open = false;                    // audio_open succeeded on the manual output
std::vector<unsigned char> manual_played;    // bytes played since the last take
AudioManualSnapshot manual_stop;             // the buffer at its last stop
int locks_to_fail = 0;
bool device_removed = false;                 // test seam: the device acts as one that went away
bool subsystem_up = false;                   // audio_open initialised SDL's audio (UI thread only)
unsigned char scratch[kScratchBytes];        // audio callback only: mixing
unsigned char convert_in[kScratchBytes];     // audio callback only: samples for the converter
float resample_out[kResampleFrames * 8];     // audio callback only: resampled frames

bool is_open() { return device != 0 || manual_open; }

unsigned char silence_byte(const WaveFormatEx& f) { return f.wBitsPerSample == 8 ? 0x80 : 0x00; }

// Fires the notifications at `offset`.
void fire_at(AudioBuffer* b, uint32_t offset) {
    for (int i = 0; i < b->notify_count; ++i)
        if (b->notify[i].offset == offset) event_set(b->notify[i].event);
}

// Takes n bytes from the take position (wrapping), copying them to dst when it is not null, and
// fires every notification whose offset the position reaches or passes.
void pull(AudioBuffer* b, unsigned char* dst, uint32_t n) {
    while (n > 0) {
        uint32_t step = std::min(n, b->size - b->take);
        if (dst) {
            std::memcpy(dst, b->ring.get() + b->take, step);
            dst += step;
        }
        uint32_t from = b->take;
        b->take = (b->take + step) % b->size;
        n -= step;
        if (b->ending) b->end_left -= std::min(b->end_left, step);
        for (int i = 0; i < b->notify_count; ++i) {
            uint32_t o = b->notify[i].offset;
            if (o == kAudioOffsetStop) continue;
            bool passed = o == 0 ? b->take == 0 : (o > from && o <= from + step);
            if (passed) event_set(b->notify[i].event);
        }
    }
}

// Fills `frames` device frames at `out` from a buffer at the device rate: copied, or converted in
// format and channels (which gives as many frames as it takes).
void render_same_rate(AudioBuffer* b, unsigned char* out, int frames) {
    const uint32_t block = b->format.nBlockAlign;
    if (!b->converter) {
        pull(b, out, static_cast<uint32_t>(frames) * block);
        return;
    }
    const int piece = kScratchBytes / static_cast<int>(block);
    for (int done = 0; done < frames;) {
        int n = std::min(frames - done, piece);
        pull(b, convert_in, static_cast<uint32_t>(n) * block);
        SDL_AudioStreamPut(b->converter, convert_in, n * static_cast<int>(block));
        int want = n * device_frame_bytes;
        int got = SDL_AudioStreamGet(b->converter, out + done * device_frame_bytes, want);
        if (got < want) std::memset(out + done * device_frame_bytes + std::max(got, 0), device_format.silence, static_cast<size_t>(want - std::max(got, 0)));
        done += n;
    }
}

// Fills `frames` device frames at `out` from a buffer at another rate: resampled from the buffer
// itself, then converted in format and channels. The take position follows the oldest frame the
// resampler still reads.
void render_resampled(AudioBuffer* b, unsigned char* out, int frames) {
    const ResampleSource src{b->ring.get(), b->size / b->format.nBlockAlign, b->run_start / b->format.nBlockAlign,
                             b->format.nChannels, b->format.wBitsPerSample == 8};
    for (int done = 0; done < frames;) {
        int n = std::min(frames - done, kResampleFrames);
        resample(b->resampler, src, b->run_pos, resample_out, n);
        SDL_AudioStreamPut(b->converter, resample_out, n * b->format.nChannels * static_cast<int>(sizeof(float)));
        int want = n * device_frame_bytes;
        int got = SDL_AudioStreamGet(b->converter, out + done * device_frame_bytes, want);
        if (got < want) std::memset(out + done * device_frame_bytes + std::max(got, 0), device_format.silence, static_cast<size_t>(want - std::max(got, 0)));
        done += n;
    }
    int64_t oldest = std::max<int64_t>(0, resampler_oldest_frame(b->resampler, b->run_pos));
    // The buffer is at least two seconds long and a period far shorter, so the step fits.
    if (oldest > b->run_oldest) pull(b, nullptr, static_cast<uint32_t>(oldest - b->run_oldest) * b->format.nBlockAlign);
    b->run_oldest = oldest;
}

// Whether `frames` device frames can be made without reading a byte past the end of the sound.
bool fits_before_end(const AudioBuffer* b, int frames) {
    if (!b->ending) return true;
    const uint64_t block = b->format.nBlockAlign;
    uint64_t reach = static_cast<uint64_t>(frames) * block;  // bytes from the take to the last one read
    if (b->resampled) {
        int64_t newest = static_cast<int64_t>((b->run_pos + static_cast<uint64_t>(frames) * b->resampler.step) >> 32) +
                         b->resampler.taps / 2;
        reach = static_cast<uint64_t>(std::max<int64_t>(0, newest - b->run_oldest + 1)) * block;
    }
    return reach <= b->end_left;
}

// Fills one period of `frames` device frames from a playing buffer, and notes when it went to the
// device for the play position. Past the end of the sound it gives silence and the position stands
// (the end lies in the silence a fade wrote, so nothing is cut).
void render(AudioBuffer* b, unsigned char* out, int frames, Clock::time_point now) {
    if (!fits_before_end(b, frames)) {
        std::memset(out, device_format.silence, static_cast<size_t>(frames) * static_cast<size_t>(device_frame_bytes));
        b->heard_base = b->run_frames;
        b->last_frames = 0;
        b->last_time = now;
        return;
    }
    b->heard_base = b->run_frames;
    b->last_frames = static_cast<uint32_t>(frames);
    b->last_time = now;
    b->run_frames += static_cast<uint64_t>(frames);
    if (b->resampled)
        render_resampled(b, out, frames);
    else
        render_same_rate(b, out, frames);
}

// SDL's audio thread: every playing buffer, the first written straight, the others mixed in.
void audio_callback(void*, Uint8* stream, int len) {
    std::memset(stream, device_format.silence, static_cast<size_t>(len));
    std::lock_guard<std::mutex> lock(audio_mutex);
    const int frames = len / device_frame_bytes;
    if (device_removed) return;  // as SDL does for a removed device: nothing is taken
    const Clock::time_point now = Clock::now();
    const int piece = kScratchBytes / device_frame_bytes;
    bool first = true;
    for (AudioBuffer* b : buffers) {
        if (!b || !b->playing) continue;
        if (first) {
            render(b, stream, frames, now);
            first = false;
            continue;
        }
        // Mixed in pieces; all of them belong to this one period.
        uint64_t base = b->run_frames;
        for (int done = 0; done < frames;) {
            int n = std::min(frames - done, piece);
            render(b, scratch, n, now);
            SDL_MixAudioFormat(stream + done * device_frame_bytes, scratch, device_format.format,
                               static_cast<Uint32>(n * device_frame_bytes), SDL_MIX_MAXVOLUME);
            done += n;
        }
        b->heard_base = base;
        b->last_frames = static_cast<uint32_t>(b->run_frames - base);
    }
}

// The play position of a buffer on the device: the start of its run, moved on by the source
// frames of what the device has played: every earlier period, and of the last one what the
// clock says has passed since it was handed over.
uint32_t heard_position(const AudioBuffer* b, Clock::time_point now) {
    double since = std::chrono::duration<double>(now - b->last_time).count();
    uint64_t played = since <= 0 ? 0 : static_cast<uint64_t>(since * device_format.freq);
    uint64_t frames = b->heard_base + std::min<uint64_t>(b->last_frames, played);
    uint64_t source = b->resampled ? resampler_source_frames(b->resampler, frames) : frames;
    uint32_t ring_frames = b->size / b->format.nBlockAlign;
    return static_cast<uint32_t>((b->run_start + (source % ring_frames) * b->format.nBlockAlign) % b->size);
}

}  // namespace

const char* audio_format_problem(const WaveFormatEx& f) {
    if (wave_format_kind(f) != kWaveFormatPcm) return "not plain PCM";
    if (f.wBitsPerSample != 8 && f.wBitsPerSample != 16) return "not 8 or 16 bits per sample";
    if (f.nChannels < 1 || f.nChannels > 8) return "channel count outside 1..8";
    if (f.nSamplesPerSec < 100 || f.nSamplesPerSec > 200000) return "sample rate outside 100..200000 Hz";
    if (f.nBlockAlign != f.nChannels * f.wBitsPerSample / 8) return "block align does not match the format";
    if (f.nAvgBytesPerSec != f.nSamplesPerSec * f.nBlockAlign) return "bytes per second do not match the format";
    return nullptr;
}

namespace {

// Opens SDL's default device, paused, for 16-bit stereo at `freq` with a period of `samples`
// frames. The device may change the rate, format and channels (buffers are converted to them),
// but not the period: a longer one would take the bytes a fade writes 60 ms ahead before they are
// written. 0 when it does not open.
SDL_AudioDeviceID open_sdl_device(int freq, int samples, SDL_AudioSpec* have) {
    SDL_AudioSpec want{};
    want.freq = freq;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = static_cast<Uint16>(samples);
    want.callback = audio_callback;
    return SDL_OpenAudioDevice(nullptr, 0, &want, have,
                               SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_FORMAT_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
}

// Opens SDL's default device into `device`. Called without audio_mutex: SDL may start the
// callback at once.
HRESULT open_device() {
    {
        std::lock_guard<std::mutex> lock(audio_mutex);
        if (opens_to_fail > 0) {
            --opens_to_fail;
            return E_FAIL;
        }
    }
    SDL_AudioSpec have{};
    SDL_AudioDeviceID id = open_sdl_device(kDeviceRate, kDeviceSamples, &have);
    // A device that keeps its own, lower rate plays the same frames for longer: ask it again for
    // a period of about the same duration.
    if (id != 0 && static_cast<int64_t>(have.samples) * 1000 > static_cast<int64_t>(have.freq) * kLongestPeriodMs) {
        int samples = 64;
        while (static_cast<int64_t>(samples) * 2 * kDeviceRate <= static_cast<int64_t>(have.freq) * kDeviceSamples) samples *= 2;
        int freq = have.freq;
        SDL_CloseAudioDevice(id);
        id = open_sdl_device(freq, samples, &have);
    }
    if (id == 0) return E_FAIL;
    {
        std::lock_guard<std::mutex> lock(audio_mutex);
        device_format = have;
        device_frame_bytes = std::max(1, SDL_AUDIO_BITSIZE(have.format) / 8 * have.channels);
        stopped_run_frames = -1;
        device = id;
        device_removed = false;
        device_lost = false;
    }
    SDL_PauseAudioDevice(id, 0);
    return S_OK;
}

// True when the device went away (SDL reports a removed device as stopped) or a device that went
// away could not be replaced. Under audio_mutex.
bool removed_locked() {
    if (device == 0) return device_lost;
    return device_removed || SDL_GetAudioDeviceStatus(device) == SDL_AUDIO_STOPPED;
}

// Replaces a device that went away by the default device of now, while no buffer is alive. When
// that fails, the next call tries again, so sound comes back once a device is there.
void reopen_if_removed() {
    std::unique_lock<std::mutex> lock(audio_mutex);
    if (manual_open || !removed_locked()) return;
    for (AudioBuffer* b : buffers)
        if (b) return;
    SDL_AudioDeviceID old = device;
    device = 0;
    device_removed = false;
    device_lost = true;
    lock.unlock();
    if (old != 0) SDL_CloseAudioDevice(old);  // waits for a running callback
    open_device();  // clears device_lost; on failure buffers are refused until a later try works
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
    device_lost = false;
    opens_to_fail = 0;
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

void audio_fail_next_opens(int count) {
    std::lock_guard<std::mutex> lock(audio_mutex);
    opens_to_fail = count;
}

int64_t audio_device_frames_of_last_stop() {
    std::lock_guard<std::mutex> lock(audio_mutex);
    return stopped_run_frames;
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
        // SDL converts format and channels at the device rate; the rate is converted here, as
        // SDL's own rate conversion holds back hundreds of frames that a fade could not reach.
        SDL_AudioFormat src = format->wBitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
        b->resampled = static_cast<int>(format->nSamplesPerSec) != device_format.freq;
        if (b->resampled) {
            if (!resampler_init(b->resampler, format->nSamplesPerSec, static_cast<uint32_t>(device_format.freq)))
                return E_FAIL;
            src = AUDIO_F32SYS;
        }
        bool same = src == device_format.format && format->nChannels == device_format.channels;
        if (!same) {
            b->converter = SDL_NewAudioStream(src, static_cast<Uint8>(format->nChannels), device_format.freq,
                                              device_format.format, device_format.channels, device_format.freq);
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
    buffer->run_start = buffer->take;
    buffer->run_pos = 0;
    buffer->run_oldest = 0;
    buffer->run_frames = 0;
    buffer->heard_base = 0;
    buffer->last_frames = 0;
    buffer->last_time = Clock::now();
    buffer->ending = false;
    fire_at(buffer, buffer->take);
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
    if (device != 0) stopped_run_frames = static_cast<int64_t>(buffer->run_frames);
    if (manual_open) {
        manual_stop.content.assign(buffer->ring.get(), buffer->ring.get() + buffer->size);
        manual_stop.play_position = buffer->take;
    }
    ++manual_stop.stops;
    state_cv.notify_all();
    return S_OK;
}

namespace {

// The play position. Under audio_mutex.
uint32_t position_locked(const AudioBuffer* b) {
    // The manual output plays what it takes; a device plays what it was given in real time.
    return device != 0 && b->playing ? heard_position(b, Clock::now()) : b->take;
}

}  // namespace

HRESULT audio_buffer_position(AudioBuffer* buffer, uint32_t* play) {
    if (!buffer || !play) return E_INVALIDARG;
    std::lock_guard<std::mutex> lock(audio_mutex);
    *play = position_locked(buffer);
    return S_OK;
}

HRESULT audio_buffer_rewrite_ahead(AudioBuffer* buffer, uint32_t ahead, uint32_t bytes, uint32_t* play,
                                   const std::function<void(const AudioLock&)>& rewrite) {
    if (!buffer || !play || !rewrite || bytes == 0 || bytes > buffer->size) return E_INVALIDARG;
    std::lock_guard<std::mutex> lock(audio_mutex);
    *play = position_locked(buffer);
    if (locks_to_fail > 0) {
        --locks_to_fail;
        return E_FAIL;
    }
    // The output waits on audio_mutex: the range is rewritten in the buffer itself, in one go.
    const uint64_t size = buffer->size;
    const uint32_t start = static_cast<uint32_t>((*play + static_cast<uint64_t>(ahead)) % size);
    AudioLock range;
    range.region1 = buffer->ring.get() + start;
    range.bytes1 = std::min(bytes, buffer->size - start);
    if (bytes > range.bytes1) {
        range.region2 = buffer->ring.get();
        range.bytes2 = bytes - range.bytes1;
    }
    rewrite(range);
    const uint64_t end = (start + static_cast<uint64_t>(bytes)) % size;
    buffer->ending = true;
    buffer->end_left = static_cast<uint32_t>((end + size - buffer->take) % size);
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
            if (b->ending && b->end_left == 0) {
                // Past the end of the sound: silence, and the position stands.
                manual_played.insert(manual_played.end(), bytes, silence_byte(b->format));
                return;
            }
            if (b->ending) step = std::min(step, b->end_left);
            // Go no further than the next notification offset.
            for (int i = 0; i < b->notify_count; ++i) {
                uint32_t o = b->notify[i].offset;
                if (o == kAudioOffsetStop) continue;
                uint32_t distance = (o + b->size - b->take) % b->size;
                if (distance == 0) distance = b->size;
                step = std::min(step, distance);
            }
            size_t at = manual_played.size();
            manual_played.resize(at + step);
            pull(b, manual_played.data() + at, step);
            for (int i = 0; i < b->notify_count; ++i)
                if (b->notify[i].offset != kAudioOffsetStop && b->notify[i].offset == b->take)
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
