// Face names as data writes them: the folding under which two spellings name the same face, and
// the IPA family that stands in for each MS face. Shared by the desktop and the page's face lookup.
#pragma once
#include <string>

// A face name (UTF-8) folded for comparison: full-width ASCII to ASCII, lower case, spaces
// (ASCII and ideographic) dropped.
std::string fold_face_name(const std::string& utf8);
// The IPA family ("IPAGothic", "IPAPGothic", "IPAMincho", "IPAPMincho") standing in for a
// folded MS face name, or null for any other name.
const char* ipa_family_for(const std::string& folded);
