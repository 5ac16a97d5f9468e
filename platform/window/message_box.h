// Modal message boxes (one OK button), drawn by the game itself: the icon, the text in the
// game's Japanese face and the OK button in a modal window, so they read alike on any X server.
// Texts are Shift-JIS. A copy of every message goes to standard error.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

enum class MessageIcon { Error, Warning, Information };

// Writes "caption: text" to standard error, then shows the box and waits until it is answered:
// OK, Enter, Esc, the close box or a termination request (SIGTERM, SIGINT). Without a display
// (SDL's dummy or offscreen driver, no X server) or without a Japanese face, and once a
// termination was requested, only the copy on standard error remains.
void message_box(const char* caption_sjis, const char* text_sjis, MessageIcon icon);

// The inside of a box as it is drawn, the OK button aside: white above, a grey strip below.
struct MessagePicture {
    int width = 0;                 // pixels
    int height = 0;                // pixels
    std::vector<uint32_t> pixels;  // width x height, 0xAARRGGBB, opaque
    int button_x = 0, button_y = 0, button_w = 0, button_h = 0;  // where the OK button goes
};
// Lays out and draws a box's inside: the icon at the left, the text beside it, broken into
// lines no wider than the box allows. False when no Japanese face can be had.
bool message_box_picture(const char* text_sjis, MessageIcon icon, MessagePicture* out);

// Test seam: while a log is set, message boxes are appended to it (as Shift-JIS text) instead of
// being shown. Pass null to show them again.
struct MessageRecord {
    std::string caption;
    std::string text;
    MessageIcon icon;
};
void message_box_record_to(std::vector<MessageRecord>* log);
