// Textures: a 32-bit pixel buffer we own plus its copy in the renderer, uploaded again whenever
// the buffer changed or the renderer was reset, so a texture is never lost (the managed pool).
#pragma once
#include <cstdint>

#include "platform/system/hresult.h"

enum class PixelFormat { X8R8G8B8, A8R8G8B8 };

struct Texture {
    int width = 0;                           // pixels
    int height = 0;                          // pixels
    PixelFormat format = PixelFormat::X8R8G8B8;
    int pitch = 0;                           // bytes per row (width * 4)
    uint32_t* pixels = nullptr;              // width x height, 0xAARRGGBB; owned
    bool locked = false;                     // between texture_lock and texture_unlock
    uint32_t version = 0;                    // new at creation and at every unlock, never reused; the
                                             // renderer re-uploads on change
    void* native = nullptr;                  // the renderer's copy (owned by the renderer)
    uint32_t native_version = 0;             // version the renderer's copy holds
};

struct LockedRect {
    int pitch;   // bytes per row
    void* bits;  // first pixel of the top row
};

// Creates a width x height texture (1 level) filled with zero. D3DERR_OUTOFVIDEOMEMORY when the
// memory cannot be had, E_INVALIDARG for a size of 0 or above 8192.
HRESULT texture_create(int width, int height, PixelFormat format, Texture** out);
// Releases a texture and its renderer copy; null-safe; sets the pointer to null.
void texture_release(Texture*& texture);
// Frees the large pixel buffers kept from released textures for reuse by the next texture of the
// same size (at most two; they are freed at exit in any case).
void texture_free_spare_buffers();
// Locks the whole top level for writing. D3DERR_INVALIDCALL when already locked or null.
HRESULT texture_lock(Texture* texture, LockedRect* out);
// Unlocks and marks the pixels changed. D3DERR_INVALIDCALL when not locked.
HRESULT texture_unlock(Texture* texture);

// Moves the pixels of one texture into another of the same size and format by exchanging their
// buffers (each then holds the other's old pixels; both count as changed): a full picture changes
// hands without being copied. D3DERR_INVALIDCALL when the sizes or formats differ or either
// texture cannot be locked.
HRESULT texture_exchange_pixels(Texture* a, Texture* b);

// Test seam: the next `count` creations fail with `result` (0 = none). Lets tests reach the
// out-of-video-memory and other failure paths.
void texture_fail_next_creations(int count, HRESULT result);
// Test seam: the next `count` locks fail with D3DERR_INVALIDCALL.
void texture_fail_next_locks(int count);

// Hook the renderer installs to free its copy when a texture is released.
using TextureNativeRelease = void (*)(Texture*);
void texture_set_native_release(TextureNativeRelease fn);
// Hook the renderer installs to hear that a texture's pixels are about to change or go (at lock,
// and so at exchange, and at release): draws of it that it still holds back are carried out first.
using TextureChange = void (*)(const Texture*);
void texture_set_change_hook(TextureChange fn);
