// The script as authors on Linux write it (UTF-8, LF line ends) and as the game reads it
// (Shift-JIS, CR LF line ends), and the test that tells the one from the other.
#pragma once
#include <string>

// The stored file name of the script, wherever it stands in a folder.
constexpr const char* kScriptFileName = "GAME42297263";

// UTF-8 text with LF (or CR LF) line ends to Shift-JIS with CR LF. A leading byte-order mark is
// dropped. False when a character has no Shift-JIS form or the text is not UTF-8; *error then
// says where ("line L, column C: ...", columns counted in characters from 1).
bool script_utf8_to_sjis(const std::string& utf8, std::string* sjis, std::string* error);

// Shift-JIS text with CR LF line ends to UTF-8 with LF. Bytes that are not Shift-JIS become
// U+FFFD; *bad_line (when given) gets the first line holding one, else 0.
std::string script_sjis_to_utf8(const std::string& sjis, int* bad_line);

// True when bytes hold non-ASCII characters and all of them are well-formed UTF-8: a script
// written as UTF-8 and stored without conversion.
bool looks_like_utf8(const std::string& bytes);
