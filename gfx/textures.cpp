// Start-up textures: creation that reports a failure with the start-up message for its cause.
#include "gfx/textures.h"

#include "common/messages.h"

int create_or_report(int width, int height, PixelFormat format, Texture** out) {
    const HRESULT hr = texture_create(width, height, format, out);
    if (failed(hr)) {
        show_creation_failure(hr);
        return -1;
    }
    return 0;
}
