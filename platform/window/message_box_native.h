// The system's own message box, on the targets that have one for the game to use (the page:
// the browser's alert; Windows: MessageBoxW). Inside the message-box stand-in only.
#pragma once
#include <string>

#include "platform/window/message_box.h"

// Shows the box and waits until it is answered. false where the game draws its boxes itself.
bool message_box_native(const std::string& caption_utf8, const std::string& text_utf8, MessageIcon icon);
