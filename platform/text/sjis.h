// Shift-JIS (code page 932) <-> UTF-8 conversion through the C library's iconv.
#pragma once
#include <string>

// Converts Shift-JIS bytes to UTF-8. Bytes that do not convert become U+FFFD; never fails.
std::string sjis_to_utf8(const std::string& sjis);
// Converts UTF-8 to Shift-JIS. Returns false (and leaves *out empty) when a character has no
// Shift-JIS form or the input is not valid UTF-8.
bool utf8_to_sjis(const std::string& utf8, std::string* out);
// Converts one Shift-JIS character (1 or 2 bytes) to a Unicode code point; 0xFFFD when it has none.
char32_t sjis_char_to_unicode(const unsigned char* bytes, int count);
