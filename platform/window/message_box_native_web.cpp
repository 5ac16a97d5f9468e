// A page has one canvas, and its main loop cannot wait inside a window of its own: the
// browser's own alert shows the text.
#include "platform/window/message_box_native.h"

#include <SDL.h>

bool message_box_native(const std::string& caption_utf8, const std::string& text_utf8, MessageIcon icon) {
    const Uint32 kind = icon == MessageIcon::Error     ? SDL_MESSAGEBOX_ERROR
                        : icon == MessageIcon::Warning ? SDL_MESSAGEBOX_WARNING
                                                       : SDL_MESSAGEBOX_INFORMATION;
    SDL_ShowSimpleMessageBox(kind, caption_utf8.c_str(), text_utf8.c_str(), nullptr);
    return true;
}
