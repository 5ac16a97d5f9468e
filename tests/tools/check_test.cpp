// Tests of check: small game folders made by pack, each with one kind of fault.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <jpeglib.h>

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
        write_file(plain + "/zero.png", png(800, 600, 0xFF102030));
        write_file(plain + "/one.png", png(800, 600, 0xFF405060));
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

// A w x h CMYK JPEG, as print programs write them, of one colour.
std::string cmyk_jpeg(int w, int h) {
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = static_cast<JDIMENSION>(w);
    c.image_height = static_cast<JDIMENSION>(h);
    c.input_components = 4;
    c.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&c);
    jpeg_start_compress(&c, TRUE);
    std::vector<unsigned char> row(static_cast<size_t>(w) * 4, 0x40);
    while (c.next_scanline < c.image_height) {
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::string bytes(reinterpret_cast<char*>(out), size);
    std::free(out);
    return bytes;
}

bool ends_with(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

TEST(Check, AcceptsAPlayableStoryInEitherFolder) {
    Story story;
    std::string output;
    EXPECT_EQ(story.check(&output), kToolOk) << output;
    EXPECT_TRUE(ends_with(output, "0 errors, 1 warning\nplayable\n")) << output;
    EXPECT_TRUE(has(output, "entries: 2, links: 2, balloons: 1, staff roll: none (the script has no entry 103)")) << output;
    EXPECT_TRUE(has(output, "sound \"go.wav\": PCM 8000 Hz, 16-bit, 1 channel, 0.00 s")) << "every sound's format: " << output;
    EXPECT_TRUE(has(output, "picture \"zero.png\": PNG 800x600")) << output;
    EXPECT_EQ(story.check(&output, story.game + "/data"), kToolOk) << "the data folder itself: " << output;
    EXPECT_TRUE(has(output, "GAME42297263:3: warning: ending_snd_nm= is set, but the staff roll starts only from "
                            "area 0 of entry 103 (the 104th seq= line), and the script has 2 entries: the roll never plays"))
        << output;
}

TEST(Check, ReportsTheLineWhereLoadingStops) {
    Story story(script({"seq=0", "img_nm=zero.png", "rect=1,2", "next_seq=0"}));
    std::string output;
    EXPECT_EQ(story.check(&output), kToolFailed);
    EXPECT_TRUE(has(output, "data/GAME42297263:3: error: the script stops loading here: rect= without four numbers: "
                            "the game needs rect=left,top,right,bottom. The game does not start (start-up failed)"))
        << output;

    Story spaced(script({"seq=0", "img_nm=zero.png", "rect=300 ,290,520,440", "next_seq=0"}));
    EXPECT_EQ(spaced.check(&output), kToolFailed);
    EXPECT_TRUE(has(output, "data/GAME42297263:3: error: the script stops loading here: rect= without four numbers: a "
                            "space stands before a comma, and the game reads the numbers only up to it, so it refuses "
                            "the line; write rect=300,290,520,440. The game does not start (start-up failed)"))
        << output;

    Story no_script;
    no_script.remove("GAME42297263");
    EXPECT_EQ(no_script.check(&output), kToolFailed);
    EXPECT_TRUE(has(output, "data/GAME42297263: error: the script is missing. The game does not start (start-up failed)"))
        << output;
    EXPECT_TRUE(has(output, "not playable")) << output;
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
    EXPECT_TRUE(has(output, "data/GAME39651497: error: pointer image is missing: the game does not start without it")) << output;
    EXPECT_NE(output.find("data/GAME42297263:3: error: sound \"ed.wav\" (ending_snd_nm=) will not play: "), std::string::npos) << output;
    EXPECT_TRUE(has(output, "data/GAME42297263:5: error: picture \"zero.png\" is empty")) << output;
    EXPECT_TRUE(has(output, "data/GAME42297263:7: error: sound \"go.wav\" (snd_nm=) is missing")) << output;
    EXPECT_TRUE(has(output, "data/GAME42297263:13: error: picture \"\xe7\xb5\xb5.png\" is missing")) << "names in UTF-8: " << output;
    EXPECT_TRUE(has(output, "5 errors, 1 warning")) << output;

    Story sizes;
    write_file(sizes.plain + "/zero.png", std::string(kDataBufferBytes, 'z'));
    write_file(sizes.plain + "/one.png", std::string(kDataBufferBytes + 1, 'o'));
    EXPECT_EQ(sizes.check(&output), kToolFailed);
    EXPECT_TRUE(has(output, "data/GAME42297263:5: error: picture \"zero.png\" does not decode as a PNG, JPEG or BMP picture")) << output;
    EXPECT_TRUE(has(output, "data/GAME42297263:13: error: picture \"one.png\" is 2097153 bytes, over 2,097,152")) << output;
}

TEST(Check, WarnsOfASoundThatCannotFadeButStaysPlayable) {
    Story story;
    write_file(story.plain + "/go.wav", make_wave("ab", "", 8));
    std::string output;
    EXPECT_EQ(story.check(&output), kToolOk) << output;
    EXPECT_NE(output.find("data/GAME42297263:7: warning: sound \"go.wav\" (snd_nm=): PCM 8000 Hz, 8-bit"), std::string::npos) << output;
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
        "next_seq=3",                // 12 entry 3 is numbered 7
        "rect=20,0,30,10",           // 13
        "next_seq=4",                // 14 no entry 4
        "seq=2",                     // 15 nothing links here
        "img_nm=one.png",            // 16
        "seq=7",                     // 17 at entry 3
        "img_nm=one.png",            // 18
        "rect=0,0,10,10",            // 19
        "fukidasi=a balloon links nowhere", // 20
        "next_seq=2",                // 21
    }));
    std::string output;
    EXPECT_EQ(story.check(&output), kToolFailed);
    const char* expected[] = {
        "data/GAME42297263:5: error: entry 0 area 1: rect=800,0,900,10 lies outside the 800x600 canvas",
        "data/GAME42297263:6: error: entry 0 area 1: rect=20,20,10,30 has left 20 greater than right 10: it holds no point",
        "data/GAME42297263:8: error: entry 0 area 2 has rect= lines but no next_seq= line; it is never counted",
        "data/GAME42297263:12: error: entry 1 area 0 leads to entry 3, whose line says seq=7: its picture shows, but "
        "none of its hot-spots answer there",
        "data/GAME42297263:14: error: entry 1 area 1 leads to entry 4, which the script does not define: it has 4 "
        "entries, counted by the order of their seq= lines from 0",
        "data/GAME42297263:15: warning: entry 2 is reached by no link from entry 0: it plays, but the player never sees it",
        "data/GAME42297263:17: error: seq=7 starts entry 3 (the 4th seq= line): entries count by their order in the "
        "script, not by the number after seq=, so a link to it says next_seq=3; the number only says in which scene its "
        "hot-spots answer (7, never while it is shown). Write seq=3",
        "6 errors, 1 warning",
    };
    for (const char* line : expected) EXPECT_TRUE(has(output, line)) << line << "\n" << output;
}

// The mistakes that play but not as meant: each a warning with its line, the story still playable.
TEST(Check, WarnsOfWhatPlaysButNotAsMeant) {
    std::string long_page = "fukidasi=";
    for (int i = 0; i < 40; ++i) long_page += "WWW ";
    std::vector<std::string> lines = {
        "seq=0",                        // 1
        "img_nm=zero.png",              // 2
        "rect=0,0,10,10",               // 3
        "anime_nm=" + sjis("上から表事"), // 4 misspelt
        "next_seq=1",                   // 5
        " img_nm=one.png",              // 6 ignored
        "rect=20,0,30,10",              // 7
        long_page,                      // 8 wider than the balloon
        "fukidasi=short\\two\\lines",    // 9
        "next_seq=0",                   // 10
        "seq=1",                        // 11
        "img_nm=one.png",               // 12
        "rect=0,0,10,10",               // 13
        "anime_nm=" + sjis("上から表示"), // 14
        "next_seq=0",                   // 15
    };
    for (int e = 2; e <= 103; ++e) {  // entries 2..103, each linked from the one before
        lines.push_back("seq=" + std::to_string(e));
        lines.push_back("img_nm=one.png");
        lines.push_back("rect=0,0,10,10");
        lines.push_back("next_seq=" + std::to_string(e == 103 ? 0 : e + 1));
    }
    lines[14] = "next_seq=2";
    std::string text;
    for (const std::string& l : lines) text += l + "\r\n";
    Story story(text);
    write_file(story.plain + "/one.png", png(640, 480, 0xFF405060));
    write_file(story.plain + "/GAME39651497", png(32, 32, 0xFF0000FF));
    std::string output;
    EXPECT_EQ(story.check(&output), kToolOk) << output;
    const char* expected[] = {
        "data/GAME39651497: warning: pointer image is 32x32, not 24x24: the game shows only its top-left 24x24 part",
        "data/GAME42297263:4: warning: entry 0 area 0: anime_nm \"上から表事\" is not one of the twelve transition "
        "names: the link cuts at once",
        "data/GAME42297263:6: warning: \"img_nm=\" stands after a space at the start of the line: the game ignores "
        "the whole line",
        "data/GAME42297263:12: warning: picture \"one.png\" is 640x480, not 800x600: the game draws it at the top left on black",
        "data/GAME42297263:423: warning: entry 103 area 0 is a link, not a balloon: the staff roll starts only from a "
        "balloon there, so it can never start (give the area a fukidasi= line)",
    };
    for (const char* line : expected) EXPECT_TRUE(has(output, line)) << line << "\n" << output;
    EXPECT_NE(output.find("data/GAME42297263:8: warning: entry 0 area 1 balloon page 1 is "), std::string::npos) << output;
    EXPECT_NE(output.find("larger than the balloon's 792x196: the rest is cut off"), std::string::npos) << output;
    EXPECT_EQ(output.find(":9: warning"), std::string::npos) << "a short page fits: " << output;
    EXPECT_TRUE(has(output, "transitions: unknown \"上から表事\" x1, 上から表示 x1, none (cuts at once) x102")) << output;
}

TEST(Check, NamesPicturesAndSoundsTheGameCannotRead) {
    Story story;
    // A CMYK JPEG, an Ogg file and a 24-bit WAVE under the names the script gives.
    write_file(story.plain + "/zero.png", cmyk_jpeg(16, 16));
    write_file(story.plain + "/op.wav", std::string("OggS\0\x02", 6) + std::string(40, '\0'));
    std::string deep = make_wave("abcdef", "", 16);
    deep[34] = 24;  // wBitsPerSample
    write_file(story.plain + "/go.wav", deep);
    std::string output;
    EXPECT_EQ(story.check(&output), kToolFailed);
    EXPECT_TRUE(has(output, "data/GAME42297263:5: error: picture \"zero.png\" is a CMYK JPEG (as print programs save "
                            "them); only grey and RGB JPEG decode")) << output;
    EXPECT_NE(output.find("data/GAME42297263:2: error: sound \"op.wav\" (opening_snd_nm=) will not play: an Ogg file (Vorbis or Opus), not a RIFF WAVE"),
              std::string::npos) << output;
    EXPECT_NE(output.find("data/GAME42297263:7: error: sound \"go.wav\" (snd_nm=) will not play: a 24-bit PCM WAVE"),
              std::string::npos) << output;
}

TEST(Check, JsonForEditors) {
    Story story(script({"seq=0", "img_nm=zero.png", "rect=0,0,10,10", "anime_nm=x\"y", "next_seq=0"}));
    Capture pack_out, pack_err;
    ASSERT_EQ(pack_folder(story.plain, story.game + "/data", true, pack_out.file, pack_err.file), kToolOk);
    Capture out, err;
    EXPECT_EQ(run(out, err, {"check", "--format=json", story.game.c_str()}), kToolOk) << err.text();
    const std::string json = out.text();
    EXPECT_NE(json.find("\"playable\": true"), std::string::npos) << json;
    EXPECT_NE(json.find("{\"file\": \"data/GAME42297263\", \"line\": 4, \"severity\": \"warning\", \"message\": "
                        "\"entry 0 area 0: anime_nm \\\"x\\\"y\\\" is not one"),
              std::string::npos) << json;
    EXPECT_EQ(json.back(), '\n');
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
