// The script as authors on Linux write it (UTF-8, LF line ends) and as the game reads it
// (Shift-JIS, CR LF line ends), and the test that tells the one from the other.
#pragma once
#include <string>
#include <vector>

// The stored file name of the script, wherever it stands in a folder.
constexpr const char* kScriptFileName = "GAME42297263";

// UTF-8 text with LF (or CR LF) line ends to Shift-JIS with CR LF. A leading byte-order mark is
// dropped. False when a character has no Shift-JIS form or the text is not UTF-8; *error then
// says where ("line L, column C: ...", columns counted in characters from 1).
// When notes is given it gets one line for each line holding a character that Shift-JIS stores
// as the code of another ("line L: "—" (U+2014) is stored as Shift-JIS 815C, which reads back as
// "―" (U+2015)"): the game draws the stored character, and unpack gives back the other.
bool script_utf8_to_sjis(const std::string& utf8, std::string* sjis, std::string* error,
                         std::vector<std::string>* notes = nullptr);

// Shift-JIS text with CR LF line ends to UTF-8 with LF. Bytes that are not Shift-JIS become
// U+FFFD; *bad_line (when given) gets the first line holding one, else 0.
std::string script_sjis_to_utf8(const std::string& sjis, int* bad_line);

// True when bytes hold non-ASCII characters and all of them are well-formed UTF-8: a script
// written as UTF-8 and stored without conversion.
bool looks_like_utf8(const std::string& bytes);
