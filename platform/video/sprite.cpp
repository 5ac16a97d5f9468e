// The sprite batch: forwards draws to the renderer's sink and records them for tests.
#include "platform/video/sprite.h"

namespace {
bool exists = false;                        // user-interface thread only
bool in_batch = false;
BatchSink sink = nullptr;
std::vector<DrawCall>* recording = nullptr;
bool fail_lost = false;
bool fail_reset = false;
}  // namespace

HRESULT batch_create() {
    exists = true;
    in_batch = false;
    return S_OK;
}

void batch_release() {
    exists = false;
    in_batch = false;
}

bool batch_exists() { return exists; }

HRESULT batch_begin() {
    if (!exists || in_batch) return D3DERR_INVALIDCALL;
    in_batch = true;
    return S_OK;
}

HRESULT batch_end() {
    if (!exists || !in_batch) return D3DERR_INVALIDCALL;
    in_batch = false;
    return S_OK;
}

HRESULT batch_on_lost_device() {
    if (fail_lost) {
        fail_lost = false;
        return E_FAIL;
    }
    in_batch = false;
    return S_OK;
}

HRESULT batch_on_reset_device() {
    if (fail_reset) {
        fail_reset = false;
        return E_FAIL;
    }
    return S_OK;
}

HRESULT batch_draw(Texture* texture, const SpriteRect* src, float x, float y, uint32_t colour) {
    if (!texture) return D3DERR_INVALIDCALL;
    SpriteRect r = src ? *src : SpriteRect{0, 0, texture->width, texture->height};
    if (recording) recording->push_back({texture, src == nullptr, r, x, y, colour});
    if (r.right <= r.left || r.bottom <= r.top) return S_OK;
    if (sink) sink(texture, r, x, y, colour);
    return S_OK;
}

void batch_set_sink(BatchSink s) { sink = s; }
void batch_record_to(std::vector<DrawCall>* log) { recording = log; }
void batch_fail_next_lost(bool fail) { fail_lost = fail; }
void batch_fail_next_reset(bool fail) { fail_reset = fail; }
