// The yardstick for the frame step: SDL's software renderer by itself, on a fresh 800x600
// surface, making a given list of copies with no game code around it (benchmarks only).
#pragma once
#include <cstdint>
#include <vector>

#include "platform/video/sprite.h"

// Sets the yardstick up for one frame's copies (as the sprite batch recorded them): its own
// software renderer and canvas, and one renderer texture per distinct texture, filled once from
// the texture's pixels. Opaque (X8R8G8B8) textures are drawn unblended at full alpha and with
// surface-alpha blending below it; A8R8G8B8 textures blend by their pixels' alpha. false when SDL
// refused; baseline_renderer_end is due either way.
bool baseline_renderer_begin(const std::vector<DrawCall>& copies, uint32_t clear_argb);
// Draws the frame `frames` times: clear to the colour, every copy with its colour and alpha
// modulation, present.
void baseline_renderer_draw(int frames);
// Releases everything begin made. Null-safe.
void baseline_renderer_end();
