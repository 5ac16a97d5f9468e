// Start-up textures: creation that reports a failure with the start-up message for its cause.
#pragma once
#include "platform/video/texture.h"

// Creates one start-up texture; on failure shows the start-up message for the cause. 0 or -1.
int create_or_report(int width, int height, PixelFormat format, Texture** out);
