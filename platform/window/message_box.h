// Modal message boxes (one OK button). Texts are Shift-JIS; shown through SDL as UTF-8.
#pragma once
#include <string>
#include <vector>

enum class MessageIcon { Error, Warning, Information };

// Shows a message box with the given caption and text and waits for OK.
void message_box(const char* caption_sjis, const char* text_sjis, MessageIcon icon);

// Test seam: while a log is set, message boxes are appended to it (as Shift-JIS text) instead of
// being shown. Pass null to show them again.
struct MessageRecord {
    std::string caption;
    std::string text;
    MessageIcon icon;
};
void message_box_record_to(std::vector<MessageRecord>* log);
