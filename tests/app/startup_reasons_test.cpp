// Start-up failures say why on standard error, before their box, which stays as it was; the
// command line (story folder, first entry, plain folder) and the author's reload.
#include "shell_fixture.h"

#include <unistd.h>

#include <filesystem>

#include "common/messages.h"
#include "scenario/data_file.h"
#include "scenario/scenario.h"
#include "scene/author.h"
#include "scene/hotspot.h"

namespace {

class StartupReasonTest : public ShellTest {
protected:
    void TearDown() override {
        app_options = AppOptions{};
        set_plain_folder("");
        set_author_keys(false);
        ShellTest::TearDown();
    }
    // start_up in the current folder with standard error captured; shut down afterwards.
    std::string start(int* started) {
        testing::internal::CaptureStderr();
        *started = start_up();
        std::string err = testing::internal::GetCapturedStderr();
        if (!*started) shut_down();
        return err;
    }
    // A PNG of one colour (0xRRGGBB).
    static std::string solid_png(int w, int h, uint32_t rgb) {
        PngRecipe png;
        png.width = w;
        png.height = h;
        png.samples.reserve(static_cast<size_t>(w) * h * 3);
        for (int i = 0; i < w * h; ++i) {
            png.samples.push_back((rgb >> 16) & 0xFF);
            png.samples.push_back((rgb >> 8) & 0xFF);
            png.samples.push_back(rgb & 0xFF);
        }
        std::vector<unsigned char> bytes = build_png(png);
        return std::string(bytes.begin(), bytes.end());
    }
    static std::string pointer_png() {
        PngRecipe png;
        png.width = png.height = 24;
        png.samples.assign(24 * 24 * 3, 200);
        std::vector<unsigned char> bytes = build_png(png);
        return std::string(bytes.begin(), bytes.end());
    }
};

TEST_F(StartupReasonTest, EachFailureSaysItsCauseOnOneLineBeforeTheUnchangedBox) {
    const std::string good_script = scrambled(script({"seq=0", "img_nm=a.png"}));
    const struct Case {
        const char* what;
        std::string script;   // stored script; "-" for none
        std::string pointer;  // stored pointer picture; "-" for none
        const char* english;  // what the line must say
        const char* japanese;
    } cases[] = {
        {"no data folder", "-", "-", "there is no data folder in ", "data フォルダがありません"},
        {"no script", "-", scrambled(pointer_png()), "the script data\\GAME42297263 is missing (looked in ",
         "シナリオ data\\GAME42297263 がありません"},
        {"empty script", "", scrambled(pointer_png()), "the script data\\GAME42297263 is empty",
         "シナリオ data\\GAME42297263 は空です"},
        {"a line that fails", scrambled(script({"seq=0", "img_nm=a.png", "rect=300 ,290,520,440"})), "-",
         "the script data\\GAME42297263, line 3: rect= without four numbers (a space stands before a comma)",
         "シナリオ data\\GAME42297263 の 3 行目: rect= に数が四つありません"},
        {"comments only", scrambled(script({"; nothing", "opening_snd_nm=a.wav"})), "-",
         "defines no scene (no line begins with seq=)", "シーンがありません"},
        {"LF line ends", scrambled("; 絵本\nseq=0\nimg_nm=a.png\nrect=0,0,9,9\nnext_seq=0\n"), "-",
         "has lines ended by LF alone; the game needs CR LF and reads it all as one line; it is UTF-8: "
         "store it with poromina-tool pack --utf8",
         "行末が LF だけです"},
        {"script stored unscrambled", script({"; plain", "opening_snd_nm=a.wav"}), "-",
         "it looks stored without scrambling: store it with poromina-tool pack", "スクランブルされずに"},
        {"missing pointer", good_script, "-", "the pointer picture data\\GAME39651497 is missing (looked in ",
         "マウスポインタの画像 data\\GAME39651497 がありません"},
        {"pointer that is no picture", good_script, scrambled("neither PNG nor JPEG nor BMP"),
         "the pointer picture data\\GAME39651497 does not decode: not a PNG, JPEG or BMP picture",
         "マウスポインタの画像 data\\GAME39651497 を画像として読めません"},
        {"pointer cut short", good_script, scrambled(pointer_png().substr(0, 60)),
         "the pointer picture data\\GAME39651497 does not decode: PNG: ", "を画像として読めません: PNG: "},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        CurrentDirectory cd(folder.path);
        if (std::string(c.what) != "no data folder") std::filesystem::create_directories("data");
        if (c.script != "-") write_file("data/GAME42297263", c.script);
        if (c.pointer != "-") write_file("data/GAME39651497", c.pointer);
        messages.clear();
        int started = 1;
        const std::string err = start(&started);
        EXPECT_EQ(started, 0) << c.what;
        ASSERT_EQ(messages.size(), 1u) << c.what << ": one box\n" << err;
        EXPECT_STREQ(messages[0].text.c_str(), kMsgStartupFailed) << c.what << ": the box is unchanged";
        EXPECT_EQ(messages[0].icon, MessageIcon::Error) << c.what;
        EXPECT_EQ(err.rfind("poromina: start-up failed: ", 0), 0u) << c.what << ": " << err;
        EXPECT_NE(err.find(c.english), std::string::npos) << c.what << ": " << err;
        EXPECT_NE(err.find(" / 起動に失敗しました: "), std::string::npos) << c.what << ": " << err;
        EXPECT_NE(err.find(c.japanese), std::string::npos) << c.what << ": " << err;
        EXPECT_EQ(err.find('\n'), err.size() - 1) << c.what << ": one line\n" << err;
    }
}

TEST_F(StartupReasonTest, FirstEntryFromTheCommandLineAndAnUndefinedOneRefused) {
    TempFolder folder;
    CurrentDirectory cd(folder.path);
    write_game_data();
    app_options.start_scene = 1;
    int started = 0;
    std::string err = start(&started);
    ASSERT_EQ(started, 1) << err;
    EXPECT_EQ(scene_table.current_scene, 1);
    shut_down();

    app_options.start_scene = 2;
    messages.clear();
    err = start(&started);
    EXPECT_EQ(started, 0);
    EXPECT_TRUE(messages.empty()) << "a command line the game cannot follow gets a line, not the box";
    EXPECT_NE(err.find("poromina: --scene 2: the script defines entries 0 to 1"), std::string::npos) << err;
}

TEST_F(StartupReasonTest, CommandLineIsReadOrRefusedWithUsage) {
    struct Run {
        std::vector<std::string> args;
        int result;
    };
    TempFolder story;
    std::filesystem::create_directories(story.path + "/plain");
    const Run runs[] = {
        {{}, -1},
        {{"--help"}, 0},
        {{"--scene"}, kUsageExitCode},
        {{"--scene", "x"}, kUsageExitCode},
        {{"--scene", "200"}, kUsageExitCode},
        {{"--scene", "3x"}, kUsageExitCode},
        {{"--fast"}, kUsageExitCode},
        {{"--plain", story.path + "/none"}, kUsageExitCode},
        {{story.path + "/none"}, kUsageExitCode},
        {{story.path, story.path}, kUsageExitCode},
        {{"--scene", "7", "--author", "--plain", story.path + "/plain", story.path}, -1},
    };
    for (const Run& run : runs) {
        CurrentDirectory keep(std::filesystem::current_path().string());
        std::vector<std::string> args = {"poromina"};
        args.insert(args.end(), run.args.begin(), run.args.end());
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        testing::internal::CaptureStderr();
        testing::internal::CaptureStdout();
        const int result = parse_command_line(static_cast<int>(argv.size()), argv.data());
        testing::internal::GetCapturedStdout();
        const std::string err = testing::internal::GetCapturedStderr();
        std::string joined;
        for (const std::string& a : run.args) joined += a + " ";
        EXPECT_EQ(result, run.result) << joined << "\n" << err;
        if (result == kUsageExitCode) {
            EXPECT_NE(err.find("usage: poromina"), std::string::npos) << joined;
        }
    }
    // The last run: everything taken, the story folder entered, the plain folder made absolute.
    EXPECT_EQ(app_options.start_scene, 7);
    EXPECT_TRUE(app_options.author);
    EXPECT_TRUE(author_keys());
    EXPECT_EQ(plain_folder(), std::filesystem::canonical(story.path + "/plain").string());
}

TEST_F(StartupReasonTest, GameStartsInAStoryFolderGivenOnTheCommandLine) {
    TempFolder story;
    {
        CurrentDirectory cd(story.path);
        write_game_data();
    }
    TempFolder elsewhere;
    CurrentDirectory cd(elsewhere.path);
    std::string folder = story.path;
    char* argv[] = {const_cast<char*>("poromina"), folder.data()};
    ASSERT_EQ(parse_command_line(2, argv), -1);
    int started = 0;
    const std::string err = start(&started);
    EXPECT_EQ(started, 1) << err;
    EXPECT_EQ(scene_table.scene_count, 2);
    shut_down();
}

TEST_F(StartupReasonTest, ReloadTakesTheNewScriptAndPictureAndKeepsTheScene) {
    TempFolder folder;
    CurrentDirectory cd(folder.path);
    write_game_data();
    write_file("data/a.png", scrambled(solid_png(800, 600, 0x102030)));
    write_file("data/b.png", scrambled(solid_png(800, 600, 0x405060)));
    app_options.start_scene = 1;
    int started = 0;
    std::string err = start(&started);
    ASSERT_EQ(started, 1) << err;
    ASSERT_EQ(frame_step(), 0);
    EXPECT_EQ(pixel(400, 300) & 0xFFFFFF, 0x405060u);

    // A script that does not load leaves the story as it was.
    write_file("data/GAME42297263", scrambled(script({"seq=0", "rect=1,2,3"})));
    testing::internal::CaptureStderr();
    EXPECT_EQ(reload_story(), -1);
    err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("reload: the script data\\GAME42297263, line 2: rect= without four numbers"),
              std::string::npos) << err;
    EXPECT_EQ(scene_table.scene_count, 2);
    EXPECT_EQ(scene_table.current_scene, 1);

    // A new script and a new picture for the scene on screen: the scene stays, the picture changes.
    write_file("data/GAME42297263", scrambled(script({"seq=0", "img_nm=a.png", "seq=1", "img_nm=c.png",
                                                      "rect=0,0,9,9", "next_seq=2", "seq=2", "img_nm=a.png"})));
    write_file("data/c.png", scrambled(solid_png(800, 600, 0x708090)));
    testing::internal::CaptureStderr();
    EXPECT_EQ(reload_story(), 0);
    err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("reloaded: 3 entries; entry 1 is shown"), std::string::npos) << err;
    EXPECT_EQ(scene_table.current_scene, 1);
    EXPECT_EQ(scene_table.scenes[1].areas[0].next_seq, 2);
    ASSERT_EQ(frame_step(), 0);
    EXPECT_EQ(pixel(400, 300) & 0xFFFFFF, 0x708090u);
    shut_down();
}

TEST_F(StartupReasonTest, AuthorKeysDoNothingWithoutTheOption) {
    TempFolder folder;
    CurrentDirectory cd(folder.path);
    write_game_data();
    int started = 0;
    start(&started);
    ASSERT_EQ(started, 1);
    main_window_proc(WindowEvent{WindowEventKind::FunctionKey, 0, 0, false, kOverlayKey});
    EXPECT_FALSE(hotspot_overlay_shown());
    set_author_keys(true);
    main_window_proc(WindowEvent{WindowEventKind::FunctionKey, 0, 0, false, kOverlayKey});
    EXPECT_TRUE(hotspot_overlay_shown());
    main_window_proc(WindowEvent{WindowEventKind::FunctionKey, 0, 0, false, kOverlayKey});
    EXPECT_FALSE(hotspot_overlay_shown());
    shut_down();
}

}  // namespace
