// Tests of check: small game folders made by pack, each with one kind of fault.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/image/image_write.h"
#include "scenario/data_file.h"
#include "support/scenario_fixtures.h"
#include "tests/tools/tool_fixtures.h"
#include "tools/tool/tool.h"

namespace {

// A playable story: scene 0 links to scene 1 (with a sound) and has a balloon; 1 links back.
const std::string kGoodScript = script({
    "; demo",                  // 1
    "opening_snd_nm=op.wav",   // 2
    "ending_snd_nm=ed.wav",    // 3
    "seq=0",                   // 4
    "img_nm=zero.png",         // 5
    "rect=0,0,399,599",        // 6
    "snd_nm=go.wav",           // 7
    "next_seq=1",              // 8
    "rect=400,0,800,600",      // 9 (one pixel over the edge still clicks)
    "fukidasi=hello",          // 10
    "next_seq=0",              // 11
    "seq=1",                   // 12
    "img_nm=one.png",          // 13
    "rect=0,0,799,599",        // 14
    "next_seq=0",              // 15
});

// A w x h PNG of one colour.
std::string png(int w, int h, uint32_t argb) {
    std::vector<uint32_t> pixels(static_cast<size_t>(w) * h, argb);
    std::vector<unsigned char> bytes = encode_png(pixels.data(), w, h, false);
    return std::string(bytes.begin(), bytes.end());
}

// Writes the plain files of a story to <root>/plain; tests then change them and call build().
struct Story {
    TempFolder root;
    std::string plain = root.path + "/plain";
    std::string game = root.path + "/game";

    explicit Story(const std::string& script_text = kGoodScript) {
        write_file(plain + "/GAME42297263", script_text);
        write_file(plain + "/zero.png", png(8, 8, 0xFF102030));
        write_file(plain + "/one.png", png(8, 8, 0xFF405060));
        write_file(plain + "/GAME39651497", png(24, 24, 0xFF0000FF));
        for (const char* name : {"op.wav", "ed.wav", "go.wav"}) write_file(plain + "/" + name, make_wave("ab", "", 16));
    }
    void remove(const std::string& name) { std::filesystem::remove(plain + "/" + name); }
    // Packs the plain files into <root>/game/data and checks the game folder.
    int check(std::string* output, const std::string& dir = "") {
        Capture out, err;
        EXPECT_EQ(pack_folder(plain, game + "/data", true, out.file, err.file), kToolOk) << err.text();
        Capture check_out, check_err;
        int status = check_folder(dir.empty() ? game : dir, check_out.file, check_err.file);
        *output = check_out.text() + check_err.text();
        return status;
    }
};

bool has(const std::string& output, const std::string& line) {
    return output.find(line + "\n") != std::string::npos;
}

}  // namespace

TEST(Check, AcceptsAPlayableStoryInEitherFolder) {
    Story story;
    std::string output;
    EXPECT_EQ(story.check(&output), kToolOk) << output;
    EXPECT_EQ(output, "playable\n");
    EXPECT_EQ(story.check(&output, story.game + "/data"), kToolOk) << "the data folder itself: " << output;
    EXPECT_EQ(output, "playable\n");
}

TEST(Check, ReportsTheLineWhereLoadingStops) {
    Story story(script({"seq=0", "img_nm=zero.png", "rect=1,2", "next_seq=0"}));
    std::string output;
    EXPECT_EQ(story.check(&output), kToolFailed);
    EXPECT_TRUE(has(output, "line 3: the script stops loading here: rect= without four numbers")) << output;

    Story no_script;
    no_script.remove("GAME42297263");
    EXPECT_EQ(no_script.check(&output), kToolFailed);
    EXPECT_NE(output.find("script data\\GAME42297263: cannot read"), std::string::npos) << output;
}

TEST(Check, ReportsMissingEmptyAndOversizedFiles) {
    std::string picture = sjis("絵.png");  // "picture.png"
    std::string text = kGoodScript;
    text.replace(text.find("one.png"), 7, picture);
    Story story(text);
    story.remove("GAME39651497");
    story.remove("go.wav");
    write_file(story.plain + "/zero.png", "");
    write_file(story.plain + "/ed.wav", "not a wave");
    std::string output;
    EXPECT_EQ(story.check(&output), kToolFailed);
    EXPECT_TRUE(has(output, "pointer image data\\GAME39651497 is missing, empty or over 2,097,152 bytes")) << output;
    EXPECT_NE(output.find("line 3: sound \"ed.wav\" (ending_snd_nm=) will not play: "), std::string::npos) << output;
    EXPECT_TRUE(has(output, "line 5: picture \"zero.png\" is empty")) << output;
    EXPECT_TRUE(has(output, "line 7: sound \"go.wav\" (snd_nm=) is missing")) << output;
    EXPECT_TRUE(has(output, "line 13: picture \"\xe7\xb5\xb5.png\" is missing")) << "names in UTF-8: " << output;
    EXPECT_TRUE(has(output, "not playable: 5 problems")) << output;

    Story sizes;
    write_file(sizes.plain + "/zero.png", std::string(kDataBufferBytes, 'z'));
    write_file(sizes.plain + "/one.png", std::string(kDataBufferBytes + 1, 'o'));
    EXPECT_EQ(sizes.check(&output), kToolFailed);
    EXPECT_EQ(output,
              "line 5: picture \"zero.png\" does not decode as a PNG, JPEG or BMP picture\n"
              "line 13: picture \"one.png\" is over 2,097,152 bytes\nnot playable: 2 problems\n");
}

TEST(Check, WarnsOfASoundThatCannotFadeButStaysPlayable) {
    Story story;
    write_file(story.plain + "/go.wav", make_wave("ab", "", 8));
    std::string output;
    EXPECT_EQ(story.check(&output), kToolOk) << output;
    EXPECT_NE(output.find("line 7: warning: sound \"go.wav\" (snd_nm=): PCM 8000 Hz, 8-bit"), std::string::npos) << output;
    EXPECT_TRUE(has(output, "playable")) << output;
}

TEST(Check, ReportsAreasAndScenesThatCannotBePlayed) {
    Story story(script({
        "seq=0",                     // 1
        "img_nm=zero.png",           // 2
        "rect=0,0,10,10",            // 3
        "next_seq=1",                // 4
        "rect=800,0,900,10",         // 5 wholly right of the canvas
        "rect=20,20,10,30",          // 6 left > right: holds no point
        "next_seq=1",                // 7
        "rect=0,100,10,110",         // 8 never committed
        "seq=1",                     // 9
        "img_nm=one.png",            // 10
        "rect=0,0,10,10",            // 11
        "next_seq=3",                // 12 no scene 3
        "seq=2",                     // 13 nothing links here
        "img_nm=one.png",            // 14
        "seq=7",                     // 15 at entry 3
        "img_nm=one.png",            // 16
        "rect=0,0,10,10",            // 17
        "fukidasi=a balloon links nowhere", // 18
        "next_seq=2",                // 19
    }));
    std::string output;
    EXPECT_EQ(story.check(&output), kToolFailed);
    EXPECT_TRUE(has(output, "line 5: scene 0 area 1: rectangle lies outside the 800x600 canvas")) << output;
    EXPECT_TRUE(has(output, "line 6: scene 0 area 1: rectangle lies outside the 800x600 canvas")) << output;
    EXPECT_TRUE(has(output, "line 8: scene 0 area 2 has rect= lines but no next_seq= line; it is never counted")) << output;
    EXPECT_TRUE(has(output, "line 12: scene 1 area 0 leads to scene 3, which the script does not define")) << output;
    EXPECT_TRUE(has(output, "line 13: scene 2 is reached by no link from scene 0")) << output;
    EXPECT_TRUE(has(output, "line 15: scene 7 stands at entry 3: scenes must be numbered 0, 1, 2... in script order")) << output;
    EXPECT_TRUE(has(output, "line 15: scene 7 is reached by no link from scene 0")) << output;
    EXPECT_TRUE(has(output, "not playable: 7 problems")) << output;
}

TEST(Check, RefusesFoldersThatAreNoGameFolder) {
    TempFolder dir;
    Capture out, err;
    EXPECT_EQ(check_folder(dir.path + "/missing", out.file, err.file), kToolBadUsage);
    EXPECT_EQ(check_folder(dir.path, out.file, err.file), kToolBadUsage);
    EXPECT_NE(err.text().find("holds neither a data folder nor GAME42297263"), std::string::npos) << err.text();
    write_file(dir.path + "/file", "x");
    EXPECT_EQ(check_folder(dir.path + "/file", out.file, err.file), kToolBadUsage);
    EXPECT_EQ(out.text(), "");
}

TEST(Check, SaysWhenTheScriptWasStoredAsUtf8OrWithLfLineEnds) {
    std::string text = kGoodScript;
    const std::string balloon = "fukidasi=hello";
    text.replace(text.find(balloon), balloon.size(), "fukidasi=\xe3\x81\xbd\xe3\x82\x8d");  // "ぽろ" in UTF-8
    Story utf8(text);
    std::string output;
    EXPECT_EQ(utf8.check(&output), kToolFailed);
    EXPECT_NE(output.find("looks like UTF-8 text, not Shift-JIS"), std::string::npos) << output;

    std::string lf = kGoodScript;
    for (size_t at; (at = lf.find("\r\n")) != std::string::npos;) lf.replace(at, 2, "\n");
    Story unix_lines(lf);
    EXPECT_EQ(unix_lines.check(&output), kToolFailed);
    EXPECT_NE(output.find("has LF line ends only"), std::string::npos) << output;

    std::string sjis_text = kGoodScript;
    sjis_text.replace(sjis_text.find(balloon), balloon.size(), "fukidasi=" + sjis("ぽろ"));
    Story good(sjis_text);
    EXPECT_EQ(good.check(&output), kToolOk) << output;
}
