// Inside the font stand-in: face names resolved through fontconfig and faces opened once per
// file for the run. Only platform/text*.cpp include this. User-interface thread only.
#pragma once
#include <string>

#include <ft2build.h>
#include FT_FREETYPE_H

// The face a Shift-JIS face name resolves to, opened on first use and kept for the run (the
// caller must not free it). Null when no face with Japanese glyphs can be found.
FT_Face text_face_for_name(const char* face_sjis);

// The file behind that face, "" when none.
std::string text_face_path_for_name(const char* face_sjis);
