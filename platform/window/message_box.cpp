// Message boxes through SDL_ShowSimpleMessageBox; a recorder replaces them in tests.
#include "platform/window/message_box.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "platform/text/sjis.h"

namespace {
std::vector<MessageRecord>* recorder = nullptr;  // user-interface thread only
}

void message_box_record_to(std::vector<MessageRecord>* log) { recorder = log; }

void message_box(const char* caption_sjis, const char* text_sjis, MessageIcon icon) {
    std::string caption = caption_sjis ? caption_sjis : "";
    std::string text = text_sjis ? text_sjis : "";
    if (recorder) {
        recorder->push_back({caption, text, icon});
        return;
    }
    std::string caption_utf8 = sjis_to_utf8(caption), text_utf8 = sjis_to_utf8(text);
    // Without a display (the dummy driver, a headless run) the box cannot be shown: say it on
    // standard error instead, so the message is never lost.
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* env = std::getenv("SDL_VIDEODRIVER");
    bool headless = (driver && SDL_strcmp(driver, "dummy") == 0) || (env && SDL_strcmp(env, "dummy") == 0);
    Uint32 flags = icon == MessageIcon::Error     ? SDL_MESSAGEBOX_ERROR
                   : icon == MessageIcon::Warning ? SDL_MESSAGEBOX_WARNING
                                                  : SDL_MESSAGEBOX_INFORMATION;
    if (headless || SDL_ShowSimpleMessageBox(flags, caption_utf8.c_str(), text_utf8.c_str(), nullptr) != 0)
        std::fprintf(stderr, "%s: %s\n", caption_utf8.c_str(), text_utf8.c_str());
}
