// Words for why a data file or the script could not be used: the file, where it was looked for,
// what was wrong, and the slip that usually causes it.
#include "scenario/load_reasons.h"

#include <cstring>
#include <string>

#include "platform/image/image.h"
#include "platform/system/files.h"
#include "scenario/data_file.h"
#include "scenario/script_lines.h"
#include "scenario/script_text.h"

namespace {

// Where a data file is looked for: the plain folder, or the data folder of the current one.
std::string looked_in() {
    if (!plain_folder().empty()) return plain_folder();
    return current_folder() + "/data";
}

// True when the bytes, scrambled once more, begin like a picture or hold script keys: a file
// copied into the data folder as it was written, without pack.
bool stored_unscrambled(const unsigned char* text, size_t size, bool script) {
    if (!plain_folder().empty()) return false;
    unsigned char head[4096];
    const size_t n = size < sizeof head ? size : sizeof head;
    std::memcpy(head, text, n);
    descramble(head, n);
    if (!script) return image_kind(head, n) != nullptr;
    const std::string s = "\n" + std::string(reinterpret_cast<const char*>(head), n);
    for (const char* key : {"seq=", "img_nm=", "rect=", "next_seq=", "opening_snd_nm=", "ending_snd_nm="})
        if (s.find(std::string("\n") + key) != std::string::npos) return true;
    return false;
}

const char* kUnscrambledEn = "; it looks stored without scrambling: store it with poromina-tool pack";
const char* kUnscrambledJa = "。スクランブルされずに置かれたようです: poromina-tool pack で格納してください";

}  // namespace

FailureText data_file_failure_text(const char* path, const char* what_en, const char* what_ja) {
    const std::string name = path ? path : "";
    const std::string where = looked_in();
    const DataFileStatus& st = data_file_status();
    const std::string file_en = std::string(what_en) + " " + name;
    const std::string file_ja = std::string(what_ja) + " " + name;
    switch (st.failure) {
        case DataFileFailure::missing:
            if (plain_folder().empty() && resolve_game_path("data").empty())
                return {"there is no data folder in " + current_folder() + " (start the game in the story folder, "
                        "or name it: poromina STORY-FOLDER)",
                        current_folder() + " に data フォルダがありません（物語のフォルダで起動するか、"
                        "poromina STORY-FOLDER で指定してください）"};
            return {file_en + " is missing (looked in " + where + ")",
                    file_ja + " がありません（" + where + " を探しました）"};
        case DataFileFailure::not_a_file:
            return {file_en + " is a folder, not a file (in " + where + ")",
                    file_ja + " はファイルではなくフォルダです（" + where + "）"};
        case DataFileFailure::empty:
            return {file_en + " is empty (in " + where + ")", file_ja + " は空です（" + where + "）"};
        case DataFileFailure::too_large:
            return {file_en + " has " + std::to_string(st.size) + " bytes, over the 2,097,152 the game reads",
                    file_ja + " は " + std::to_string(st.size) + " バイトで、読める 2,097,152 バイトを超えます"};
        case DataFileFailure::unreadable:
            return {file_en + " cannot be read (in " + where + ")",
                    file_ja + " を読めません（" + where + "）"};
        case DataFileFailure::none:
            break;
    }
    return {file_en + " was read", file_ja + " は読めました"};
}

FailureText scenario_failure_text() {
    const ScenarioError& e = scenario_error();
    if (e.line == 0 && data_file_status().failure != DataFileFailure::none)
        return data_file_failure_text(kScenarioPath, "the script", "シナリオ");
    const std::string line = std::to_string(e.line);
    if (e.line == 0)
        return {std::string("the script ") + kScenarioPath + ": " + e.reason,
                std::string("シナリオ ") + kScenarioPath + ": " + e.reason_ja};
    return {std::string("the script ") + kScenarioPath + ", line " + line + ": " + e.reason,
            std::string("シナリオ ") + kScenarioPath + " の " + line + " 行目: " + e.reason_ja};
}

bool script_plays_nothing(const SceneTable& table, FailureText* why) {
    const int32_t size = script_lines().text_bytes;
    const std::string text(reinterpret_cast<const char*>(data_buffer), size > 0 ? static_cast<size_t>(size) : 0);
    const bool crlf = text.find("\r\n") != std::string::npos;
    const bool lf = text.find('\n') != std::string::npos;
    if (table.scene_count > 0 && (crlf || !lf)) return false;
    std::string en = std::string("the script ") + kScenarioPath;
    std::string ja = std::string("シナリオ ") + kScenarioPath;
    if (lf && !crlf) {
        en += " has lines ended by LF alone; the game needs CR LF and reads it all as one line";
        ja += " の行末が LF だけです。CR LF でないと全体が一行として読まれます";
    } else {
        en += " defines no scene (no line begins with seq=)";
        ja += " にシーンがありません（seq= で始まる行がありません）";
    }
    if (stored_unscrambled(data_buffer, text.size(), true)) {
        en += kUnscrambledEn;
        ja += kUnscrambledJa;
    } else if (looks_like_utf8(text)) {
        en += "; it is UTF-8: store it with poromina-tool pack --utf8";
        ja += "。UTF-8 です: poromina-tool pack --utf8 で格納してください";
    } else if (lf && !crlf) {
        en += "; store a UTF-8 script with poromina-tool pack --utf8, or give it CR LF ends";
        ja += "。UTF-8 なら poromina-tool pack --utf8 で格納し、Shift-JIS なら CR LF にしてください";
    }
    *why = FailureText{en, ja};
    return true;
}

FailureText picture_failure_text(const char* path, const char* what_en, const char* what_ja) {
    const std::string name = path ? path : "";
    const std::string reason = image_failure_reason();
    FailureText t{std::string(what_en) + " " + name + " does not decode: " + reason,
                  std::string(what_ja) + " " + name + " を画像として読めません: " + reason};
    const DataFileStatus& st = data_file_status();
    if (st.failure == DataFileFailure::none && st.size > 0 &&
        stored_unscrambled(data_buffer, static_cast<size_t>(st.size), false)) {
        t.english += kUnscrambledEn;
        t.japanese += kUnscrambledJa;
    }
    return t;
}
