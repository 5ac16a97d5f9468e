// Modal message boxes (one OK button), drawn by the game itself: the icon, the text in the
// game's Japanese face and the OK button in a modal window, so they read alike on any X server.
// Texts are Shift-JIS. A copy of every message goes to standard error.
#pragma once
#include <string>
#include <vector>

enum class MessageIcon { Error, Warning, Information };

// Writes "caption: text" to standard error, then shows the box and waits until it is answered:
// OK, Enter, Esc, the close box or a termination request (SIGTERM, SIGINT). Without a display
// (SDL's dummy or offscreen driver, no X server) or without a Japanese face, and once a
// termination was requested, only the copy on standard error remains.
void message_box(const char* caption_sjis, const char* text_sjis, MessageIcon icon);

// Test seam: while a log is set, message boxes are appended to it (as Shift-JIS text) instead of
// being shown. Pass null to show them again.
struct MessageRecord {
    std::string caption;
    std::string text;
    MessageIcon icon;
};
void message_box_record_to(std::vector<MessageRecord>* log);
