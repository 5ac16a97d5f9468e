// Damaged files met while playing (a scene picture, a sound): the old picture stays, the sound
// stays silent or plays what is there, and the game goes on. The game runs in this process on
// the offscreen device and the manually clocked sound output; clicks come through the window
// procedure and the frame step as they would from the window.
#include "app/shell_fixture.h"

#include <string>
#include <vector>

#include "baddata_cases.h"
#include "platform/audio/audio.h"
#include "scenario/scenario.h"

namespace {

constexpr uint32_t kSettleMs = 2000;   // real time a streaming thread may take to get ready
constexpr uint32_t kSilenceMs = 300;   // real time after which a sound that failed counts as silent

class PlayMatrix : public ShellTest {
protected:
    // Starts the game in dir on the manual sound output. False when start-up stopped.
    bool start_game() {
        reset_shared_flags();
        messages.clear();
        audio_use_manual(true);
        return start_up() == 1;
    }
    void end_game() {
        shut_down();
        audio_use_manual(false);
    }
    // A left press on the canvas at (x, y), then the frame that handles it.
    void click(int x, int y) {
        main_window_proc(WindowEvent{WindowEventKind::LeftPress, x, y, false, 0});
        ASSERT_EQ(frame_step(), 0);
    }
    // What the sound output plays in one second (empty when nothing plays).
    std::string one_second_played(bool expect_sound) {
        if (!audio_manual_settle(expect_sound ? kSettleMs : kSilenceMs)) return "";
        audio_manual_advance(kSoundRate);
        std::vector<unsigned char> b = audio_manual_take_played();
        return std::string(b.begin(), b.end());
    }
};

TEST_F(PlayMatrix, DamagedScenePicture) {
    std::vector<MatrixRow> rows;
    for (const FileVersion& v : bad_versions(GameFile::Picture)) {
        SCOPED_TRACE(v.defect);
        TempFolder dir;
        write_game_folder(dir.path, GameFile::Picture, v);
        CurrentDirectory cd(dir.path);
        ASSERT_TRUE(start_game());
        ASSERT_EQ(frame_step(), 0);
        ASSERT_EQ(pixel(400, 300), kColourA) << "scene 0 shows its picture";

        click(100, 300);  // the link to scene 1, whose picture is the damaged one
        const bool moved = scene_table.current_scene == 1;
        const uint32_t shown = pixel(400, 300);
        ASSERT_EQ(frame_step(), 0);
        const bool still = pixel(400, 300) == shown;
        click(400, 300);  // scene 1 leads back to scene 0
        const bool back = scene_table.current_scene == 0 && pixel(400, 300) == kColourA;
        end_game();

        std::string observed = shown == kColourA ? "old picture kept" : "picture changed";
        observed += moved ? ", scene changed" : ", scene did not change";
        observed += back ? "; game goes on" : "; game stuck";
        if (!messages.empty()) observed += "; a message was shown";
        const bool ok = moved && shown == kColourA && still && back && messages.empty();
        EXPECT_TRUE(ok) << observed;
        rows.push_back({"scene picture", v.defect, "old picture kept, scene changes, no message, game goes on",
                        observed, ok});
    }
    publish_matrix("play-picture", rows);
}

TEST_F(PlayMatrix, DamagedSound) {
    const std::string payload = good_sound_payload();
    std::vector<MatrixRow> rows;
    for (const FileVersion& v : bad_versions(GameFile::Sound)) {
        SCOPED_TRACE(v.defect);
        // A sound whose header holds is streamed whatever its length, and one cut short plays
        // the samples that are there; every other damage leaves the game silent.
        const bool header_holds = v.defect.find("2,097,153") != std::string::npos ||
                                  v.defect == "cut in the middle" ||
                                  v.defect.find("data sizes past") != std::string::npos;
        const size_t present = v.defect == "cut in the middle" ? v.stored.size() - 44 : payload.size();
        TempFolder dir;
        write_game_folder(dir.path, GameFile::Sound, v);
        CurrentDirectory cd(dir.path);
        ASSERT_TRUE(start_game()) << "a damaged opening sound never stops the start";
        const std::string opening = one_second_played(header_holds);
        ASSERT_EQ(frame_step(), 0);

        click(500, 300);  // the right half plays the sound again in the same scene
        const std::string again = one_second_played(header_holds);
        click(100, 300);  // the left half changes the scene
        const bool goes_on = scene_table.current_scene == 1 && pixel(400, 300) == kColourB;
        end_game();

        // Each playing must be the samples that are there, then silence (0x80 for 8 bits).
        auto judge = [&](const std::string& played) -> std::string {
            if (played.empty()) return "silent";
            if (played.size() != kSoundRate) return "played " + std::to_string(played.size()) + " bytes";
            size_t n = std::min(present, played.size());
            if (played.compare(0, n, payload, 0, n) != 0) return "played wrong samples";
            for (size_t i = n; i < played.size(); ++i)
                if (played[i] != '\x80') return "noise after the samples";
            return n < played.size() ? "plays the " + std::to_string(n) + " bytes there, then silence"
                                     : "plays";
        };
        std::string observed = judge(opening);
        if (judge(again) != observed) observed += " / then " + judge(again);
        observed += goes_on ? "; game goes on" : "; game stuck";
        if (!messages.empty()) observed += "; a message was shown";
        const bool sound_ok = header_holds ? judge(opening) != "silent" && judge(opening).rfind("play", 0) == 0 &&
                                                 judge(opening).find("wrong") == std::string::npos
                                           : opening.empty();
        const bool ok = sound_ok && judge(again) == judge(opening) && goes_on && messages.empty();
        EXPECT_TRUE(ok) << observed;
        rows.push_back({"sound", v.defect,
                        header_holds ? "plays the samples that are there; game goes on" : "silent; game goes on",
                        observed, ok});
    }
    publish_matrix("play-sound", rows);
}

}  // namespace
