// Inside the game-path lookup: what each target's files stand-in gives the shared walk
// (platform/system/game_path.cpp).
#pragma once
#include <string>

// True for the first byte of a two-byte Shift-JIS character.
bool is_sjis_lead(unsigned char b);
// The entry of folder dir ("" for the current one) that names component (Shift-JIS bytes): as
// its bytes, as its UTF-8 form, or matched without case. "" when there is none.
std::string find_game_path_entry(const std::string& dir, const std::string& component);
