// The program's own texts (Shift-JIS) and the start-up failure messages.
#pragma once
#include <string>

#include "platform/system/hresult.h"

// "起動に失敗しました。" start-up failed
extern const char kMsgStartupFailed[];
// "ビデオメモリの不足により起動に失敗しました。" start-up failed for lack of video memory
extern const char kMsgOutOfVideoMemory[];
// "サウンドの初期化に失敗しました。音は鳴りません。" no sound; the game goes on silent
extern const char kMsgSoundFailed[];
// "エラーから回復できませんでした。終了します。" the device could not be brought back
extern const char kMsgUnrecoverable[];

// Window title and class name (string resources 103 and 109, "ぽろみな"), loaded at entry.
extern char title_text[100];
extern char class_name[100];

// Error box with the window title as caption.
void show_error(const char* text);
// Warning box with the window title as caption.
void show_warning(const char* text);
// The start-up failure message for a failed creation: the video-memory text for
// D3DERR_OUTOFVIDEOMEMORY, "起動に失敗しました。" for anything else.
void show_creation_failure(HRESULT hr);

// The cause of a start-up failure, in English and Japanese (UTF-8), said on standard error as one
// line just before the next start-up failure box ("起動に失敗しました。" or the video-memory
// text), then forgotten. A later call replaces an earlier one, so start-up names each step and
// the step's own code may say more.
// With system_words, the window system's own words for its failure follow, as it has them then.
void set_failure_cause(const std::string& english, const std::string& japanese, bool system_words = false);
void clear_failure_cause();
// One line on standard error: "poromina: <english> / <japanese>".
void report_line(const std::string& english, const std::string& japanese);
