// Message texts and boxes.
#include "common/messages.h"

#include <cstdio>
#include <cstring>

#include "platform/window/message_box.h"
#include "platform/window/window.h"

const char kMsgStartupFailed[] =
    "\x8b\x4e\x93\xae\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42";
const char kMsgOutOfVideoMemory[] =
    "\x83\x72\x83\x66\x83\x49\x83\x81\x83\x82\x83\x8a\x82\xcc\x95\x73\x91\xab\x82\xc9\x82\xe6"
    "\x82\xe8\x8b\x4e\x93\xae\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42";
const char kMsgSoundFailed[] =
    "\x83\x54\x83\x45\x83\x93\x83\x68\x82\xcc\x8f\x89\x8a\xfa\x89\xbb\x82\xc9\x8e\xb8\x94\x73"
    "\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42\x89\xb9\x82\xcd\x96\xc2\x82\xe8\x82\xdc\x82\xb9"
    "\x82\xf1\x81\x42";
const char kMsgUnrecoverable[] =
    "\x83\x47\x83\x89\x81\x5b\x82\xa9\x82\xe7\x89\xf1\x95\x9c\x82\xc5\x82\xab\x82\xdc\x82\xb9"
    "\x82\xf1\x82\xc5\x82\xb5\x82\xbd\x81\x42\x8f\x49\x97\xb9\x82\xb5\x82\xdc\x82\xb7\x81\x42";

char title_text[100] = "\x82\xdb\x82\xeb\x82\xdd\x82\xc8";  // "ぽろみな"
char class_name[100] = "\x82\xdb\x82\xeb\x82\xdd\x82\xc8";

namespace {

struct FailureCause {
    std::string english;  // "" when none is set
    std::string japanese;
    bool system_words;    // the window system's words for its failure follow
};
FailureCause failure_cause;  // user-interface thread only

// A start-up failure box is about to be shown: its cause goes first.
void say_failure_cause(const char* text) {
    const bool memory = std::strcmp(text, kMsgOutOfVideoMemory) == 0;
    if (!memory && std::strcmp(text, kMsgStartupFailed) != 0) return;
    std::string english = failure_cause.english, japanese = failure_cause.japanese;
    if (english.empty()) {
        english = "the cause is not known";
        japanese = "原因は不明です";
    }
    if (failure_cause.system_words) {
        const std::string words = window_system_error();
        if (!words.empty()) {
            english += " (SDL: " + words + ")";
            japanese += "（SDL: " + words + "）";
        }
    }
    if (memory) {
        english = "not enough video memory: " + english;
        japanese = "ビデオメモリが足りません: " + japanese;
    }
    report_line("start-up failed: " + english, "起動に失敗しました: " + japanese);
    clear_failure_cause();
}

}  // namespace

void set_failure_cause(const std::string& english, const std::string& japanese, bool system_words) {
    failure_cause = FailureCause{english, japanese, system_words};
    if (system_words) clear_window_system_error();
}

void clear_failure_cause() { failure_cause = FailureCause{}; }

void report_line(const std::string& english, const std::string& japanese) {
    std::fprintf(stderr, "poromina: %s / %s\n", english.c_str(), japanese.c_str());
    std::fflush(stderr);
}

void show_error(const char* text) {
    say_failure_cause(text);
    message_box(title_text, text, MessageIcon::Error);
}

void show_warning(const char* text) { message_box(title_text, text, MessageIcon::Warning); }

void show_creation_failure(HRESULT hr) {
    show_error(hr == D3DERR_OUTOFVIDEOMEMORY ? kMsgOutOfVideoMemory : kMsgStartupFailed);
}
