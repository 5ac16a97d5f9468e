// Texture pixel buffers, locking and the failure seams.
#include "platform/video/texture.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "platform/image/image_decode.h"
#include "platform/video/compositor.h"
#include "platform/system/memory.h"

namespace {
int creations_to_fail = 0;                // user-interface thread only
HRESULT creation_failure = S_OK;
int locks_to_fail = 0;
TextureNativeRelease native_release = nullptr;
TextureChange change_hook = nullptr;

// Versions are never reused, not even by another texture at the same address, so that a drawing
// of (texture, version) stands for the same pixels from frame to frame. Any thread.
std::atomic<uint32_t> last_version{0};
uint32_t fresh_version() {
    uint32_t v = ++last_version;
    return v != 0 ? v : ++last_version;  // 0 stands for no copy
}

// Large pixel buffers lately released, kept for the next texture of the same size. A scene change
// makes and frees one full picture; memory the process has not touched yet costs more to fault in
// than the decode itself, and a heap that hands such blocks out and back fragments.
struct SpareBuffer {
    size_t bytes = 0;
    uint32_t* pixels = nullptr;  // owned
    void reset(uint32_t* p = nullptr, size_t b = 0) {
        pixel_buffer_free(pixels, bytes, PixelBufferKind::Picture);
        pixels = p;
        bytes = b;
    }
    ~SpareBuffer() { reset(); }
};
constexpr int kSpareBuffers = 2;
SpareBuffer spare_buffers[kSpareBuffers];  // user-interface thread only

uint32_t* take_spare(size_t bytes) {
    for (SpareBuffer& spare : spare_buffers) {
        if (spare.pixels && spare.bytes == bytes) {
            uint32_t* p = spare.pixels;
            spare.pixels = nullptr;
            spare.bytes = 0;
            return p;
        }
    }
    return nullptr;
}

// Keeps a large buffer for later, or frees it when it is small or no place is free.
void give_back(uint32_t* pixels, size_t bytes) {
    if (!pixels) return;
    if (bytes >= static_cast<size_t>(kLargeBlockBytes)) {
        for (SpareBuffer& spare : spare_buffers) {
            if (!spare.pixels) {
                spare.reset(pixels, bytes);
                return;
            }
        }
    }
    pixel_buffer_free(pixels, bytes, PixelBufferKind::Picture);
}
}  // namespace

void texture_free_spare_buffers() {
    for (SpareBuffer& spare : spare_buffers) spare.reset();
}

void texture_fail_next_creations(int count, HRESULT result) {
    creations_to_fail = count;
    creation_failure = result;
}

void texture_fail_next_locks(int count) { locks_to_fail = count; }

void texture_set_native_release(TextureNativeRelease fn) { native_release = fn; }
void texture_set_change_hook(TextureChange fn) { change_hook = fn; }

namespace {

// A new texture; its pixels are zero when `zero`, else whatever the allocator hands out.
HRESULT create(int width, int height, PixelFormat format, bool zero, Texture** out) {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    if (creations_to_fail > 0) {
        --creations_to_fail;
        return creation_failure;
    }
    if (width <= 0 || height <= 0 || width > 8192 || height > 8192) return E_INVALIDARG;
    auto* t = new (std::nothrow) Texture;
    if (!t) return D3DERR_OUTOFVIDEOMEMORY;
    const size_t bytes = static_cast<size_t>(width) * height * 4;
    t->pixels = take_spare(bytes);
    if (t->pixels && zero) std::memset(t->pixels, 0, bytes);
    for (int attempt = 0; !t->pixels && attempt < 2; ++attempt) {
        if (attempt == 1) texture_free_spare_buffers();  // short of memory: the kept buffers go first
        t->pixels = pixel_buffer_alloc(bytes, PixelBufferKind::Picture, zero);
    }
    if (!t->pixels) {
        delete t;
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    t->width = width;
    t->height = height;
    t->format = format;
    t->pitch = width * 4;
    t->version = fresh_version();
    *out = t;
    return S_OK;
}

}  // namespace

HRESULT texture_create(int width, int height, PixelFormat format, Texture** out) {
    return create(width, height, format, true, out);
}

HRESULT texture_create_unfilled(int width, int height, PixelFormat format, Texture** out) {
    return create(width, height, format, false, out);
}

void texture_release(Texture*& texture) {
    if (!texture) return;
    if (change_hook) change_hook(texture);
    if (texture->native && native_release) native_release(texture);
    give_back(texture->pixels, static_cast<size_t>(texture->pitch) * texture->height);
    delete texture;
    texture = nullptr;
}

HRESULT texture_lock(Texture* texture, LockedRect* out) {
    if (!texture || !out || texture->locked) return D3DERR_INVALIDCALL;
    if (locks_to_fail > 0) {
        --locks_to_fail;
        return D3DERR_INVALIDCALL;
    }
    if (change_hook) change_hook(texture);
    texture->locked = true;
    out->pitch = texture->pitch;
    out->bits = texture->pixels;
    return S_OK;
}

HRESULT texture_unlock(Texture* texture) {
    if (!texture || !texture->locked) return D3DERR_INVALIDCALL;
    texture->locked = false;
    texture->version = fresh_version();
    return S_OK;
}

HRESULT texture_exchange_pixels(Texture* a, Texture* b) {
    if (!a || !b || a == b || a->width != b->width || a->height != b->height || a->format != b->format ||
        a->pitch != b->pitch)
        return D3DERR_INVALIDCALL;
    LockedRect ra{}, rb{};
    if (failed(texture_lock(a, &ra))) return D3DERR_INVALIDCALL;
    if (failed(texture_lock(b, &rb))) {
        texture_unlock(a);
        return D3DERR_INVALIDCALL;
    }
    std::swap(a->pixels, b->pixels);
    texture_unlock(a);
    texture_unlock(b);
    return S_OK;
}
