// The sprite batch: every visible thing is drawn through batch_draw between batch_begin and
// batch_end, with alpha blending, colour/alpha modulation and point sampling. Draws go to the
// renderer's sink and, in tests, to a recording of every call.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/system/hresult.h"
#include "platform/video/texture.h"

struct SpriteRect {
    int left, top, right, bottom;  // texels; right and bottom excluded
};

// One recorded draw call.
struct DrawCall {
    const Texture* texture;  // the texture drawn
    bool whole;              // no source rectangle was given
    SpriteRect src;          // the source rectangle (the whole texture when `whole`)
    float x, y;              // canvas position of the source's top-left texel
    uint32_t colour;         // modulating ARGB colour
};

HRESULT batch_create();     // the sprite batch object (D3DXCreateSprite's stand-in)
void batch_release();
bool batch_exists();
HRESULT batch_begin();      // begin a frame's batch with alpha blending
HRESULT batch_end();
HRESULT batch_on_lost_device();
HRESULT batch_on_reset_device();

// Draws texture (src null: the whole texture) with its source top-left at (x, y), colour
// modulating the texels. A source rectangle of zero or negative width or height draws nothing.
HRESULT batch_draw(Texture* texture, const SpriteRect* src, float x, float y, uint32_t colour);

// Where draws go besides the recording: the renderer installs its sink when it is created.
using BatchSink = void (*)(Texture* texture, const SpriteRect& src, float x, float y, uint32_t colour);
void batch_set_sink(BatchSink sink);

// Test seam: while a log is set, every batch_draw call (also an empty one) is appended to it.
void batch_record_to(std::vector<DrawCall>* log);
// Test seam: make the next on-lost / on-reset call fail with E_FAIL.
void batch_fail_next_lost(bool fail);
void batch_fail_next_reset(bool fail);
