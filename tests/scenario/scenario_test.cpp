// Tests of the scenario script parser and the scene table it fills.
#include "scenario/scenario.h"

#include <gtest/gtest.h>

#include <string>

#include "scenario/script_lines.h"
#include "support/scenario_fixtures.h"

namespace {

// The table is too large for the stack; the tests share this one.
SceneTable table;

int parse(const std::string& text) {
    return parse_scenario(&table, text.data(), static_cast<int32_t>(text.size()));
}

// "ＭＳ ゴシック" in Shift-JIS.
const std::string kDefaultFont = "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e";

// One scene with one committed area, for tests that vary a single line.
std::string with_rect_line(const std::string& rect_line) {
    return script({"seq=0", rect_line, "next_seq=0"});
}

}  // namespace

TEST(Scenario, FillsTheTableFromAScript) {
    std::string balloon = sjis("こんにちは");  // "hello"
    ASSERT_EQ(parse(script({
                  "; the first scene",
                  "opening_snd_nm=op.wav",
                  "ending_snd_nm=ed.wav",
                  "seq=0",
                  "img_nm=room.png ",
                  "rect=10,20,30,40",
                  "rect=-5,+6,7,8",
                  "snd_nm=door.wav",
                  "anime_nm=fade",
                  "next_seq=1",
                  "rect=0,0,799,599",
                  "fukidasi=" + balloon,
                  "next_seq=0",
                  "seq=1",
                  "img_nm=hall.png",
              })),
              0);
    EXPECT_EQ(table.opening_snd_nm, "op.wav");
    EXPECT_EQ(table.ending_snd_nm, "ed.wav");
    ASSERT_EQ(table.scene_count, 2);
    EXPECT_EQ(table.current_scene, 0);
    const Scene& s = table.scenes[0];
    EXPECT_EQ(s.img_nm, "room.png ") << "a value keeps its trailing space";
    ASSERT_EQ(s.area_count, 2);
    const Area& link = s.areas[0];
    ASSERT_EQ(link.rect_count, 2);
    EXPECT_EQ(link.rects[0].left, 10);
    EXPECT_EQ(link.rects[0].bottom, 40);
    EXPECT_EQ(link.rects[1].left, -5) << "signs are read";
    EXPECT_EQ(link.rects[1].top, 6);
    EXPECT_EQ(link.snd_nm, "door.wav");
    EXPECT_EQ(link.anime_nm, "fade");
    EXPECT_EQ(link.next_seq, 1);
    EXPECT_EQ(link.fukidasi_count, 0);
    const Area& talk = s.areas[1];
    ASSERT_EQ(talk.fukidasi_count, 1);
    EXPECT_EQ(talk.fukidasi[0], balloon);
    EXPECT_EQ(talk.fukidasi_fnt_nm[0], kDefaultFont);
    EXPECT_EQ(talk.fukidasi_fnt_sz[0], 33);
    EXPECT_EQ(table.scenes[1].seq, 1);
    EXPECT_EQ(table.scenes[1].img_nm, "hall.png");
    EXPECT_EQ(table.scenes[1].area_count, 0);

    const ScriptLines& lines = script_lines();
    EXPECT_EQ(lines.seq[1], 14);
    EXPECT_EQ(lines.img_nm[0], 5);
    EXPECT_EQ(lines.rect[0][0][1], 7);
    EXPECT_EQ(lines.next_seq[0][1], 13);
    EXPECT_EQ(lines.snd_nm[0][0], 8);
    EXPECT_EQ(lines.opening_snd_nm, 2);

    ASSERT_EQ(parse(script({"; comments only", ";seq=3"})), 0);
    EXPECT_EQ(table.scene_count, 0);
    EXPECT_EQ(table.opening_snd_nm, "") << "every parse starts from a cleared table";
    EXPECT_EQ(table.scenes[0].img_nm, "");
    EXPECT_EQ(table.scenes[0].areas[0].rect_count, 0);
    EXPECT_EQ(table.scenes[0].areas[1].fukidasi[0], "");
}

TEST(Scenario, ScansIntegersLikeScanf) {
    ASSERT_EQ(parse(with_rect_line("rect=1, 2,  3,\t4")), 0) << "space after a comma is accepted";
    EXPECT_EQ(table.scenes[0].areas[0].rects[0].right, 3);
    EXPECT_EQ(table.scenes[0].areas[0].rects[0].bottom, 4);
    EXPECT_EQ(parse(with_rect_line("rect=1 ,2,3,4")), -1) << "space before a comma fails";
    EXPECT_EQ(parse(with_rect_line("rect=1,2,3")), -1) << "three numbers fail";
    EXPECT_EQ(parse(with_rect_line("rect=")), -1);
    ASSERT_EQ(parse(with_rect_line("rect= 1,2,3,4 and more")), 0) << "trailing text is ignored";

    ASSERT_EQ(parse(script({"seq=12abc", "seq= -3", "seq=+4"})), 0);
    EXPECT_EQ(table.scenes[0].seq, 12) << "letters after the number are ignored";
    EXPECT_EQ(table.scenes[1].seq, -3);
    EXPECT_EQ(table.scenes[2].seq, 4);
    EXPECT_EQ(parse(script({"seq=x"})), -1);
    EXPECT_EQ(parse(script({"seq="})), -1);
    EXPECT_EQ(parse(script({"seq=0", "rect=0,0,1,1", "next_seq="})), -1);
    EXPECT_EQ(parse(script({"fukidasi_fnt_sz=big"})), -1);

    ASSERT_EQ(parse(script({"SEQ=1", " seq=2", "Img_nm=a", "", "nonsense", "seq=3"})), 0);
    EXPECT_EQ(table.scene_count, 1) << "capitals and indentation make lines ignored";
    EXPECT_EQ(table.scenes[0].seq, 3);
    EXPECT_EQ(table.scenes[0].img_nm, "");
}

TEST(Scenario, CapacityLimits) {
    std::string text;
    for (int i = 0; i < kMaxScenes; ++i) text += "seq=" + std::to_string(i) + "\r\n";
    ASSERT_EQ(parse(text), 0) << "200 scenes are accepted";
    EXPECT_EQ(table.scene_count, 200);
    EXPECT_EQ(table.scenes[199].seq, 199);
    EXPECT_EQ(parse(text + "seq=200\r\n"), -1) << "a 201st scene fails";
    EXPECT_EQ(scenario_error().line, 201);

    std::string areas = "seq=0\r\n";
    for (int a = 0; a < kMaxAreas; ++a) areas += "rect=0,0,9,9\r\nnext_seq=0\r\n";
    ASSERT_EQ(parse(areas), 0) << "ten committed areas are accepted";
    EXPECT_EQ(table.scenes[0].area_count, 10);
    EXPECT_EQ(parse(areas + "rect=0,0,9,9\r\n"), -1) << "a rect= line after ten areas fails";
    EXPECT_EQ(parse(areas + "next_seq=0\r\n"), -1) << "a next_seq= that would commit an 11th area";

    std::string rects = "seq=0\r\n";
    for (int r = 0; r < kMaxRects; ++r) rects += "rect=" + std::to_string(r) + ",0,1,1\r\n";
    ASSERT_EQ(parse(rects + "next_seq=0\r\n"), 0) << "forty rectangles are accepted";
    EXPECT_EQ(table.scenes[0].areas[0].rect_count, 40);
    EXPECT_EQ(table.scenes[0].areas[0].rects[39].left, 39);
    EXPECT_EQ(parse(rects + "rect=0,0,1,1\r\n"), -1) << "a 41st rectangle fails";

    std::string pages = "seq=0\r\nrect=0,0,1,1\r\n";
    for (int p = 0; p < kMaxPages; ++p) pages += "fukidasi=page" + std::to_string(p) + "\r\n";
    ASSERT_EQ(parse(pages + "next_seq=0\r\n"), 0) << "ten pages are accepted";
    EXPECT_EQ(table.scenes[0].areas[0].fukidasi_count, 10);
    EXPECT_EQ(table.scenes[0].areas[0].fukidasi[9], "page9");
    EXPECT_EQ(parse(pages + "fukidasi=one too many\r\n"), -1) << "an 11th page fails";
}

TEST(Scenario, BalloonFontsDefaultPerArea) {
    std::string mincho = sjis("ＭＳ 明朝");  // "MS Mincho"
    ASSERT_EQ(parse(script({
                  "seq=0",
                  "fukidasi_fnt_nm=ignored",  // before the area's first rect= line
                  "fukidasi_fnt_sz=99",
                  "rect=0,0,1,1",
                  "fukidasi=one",
                  "fukidasi_fnt_sz=20",
                  "fukidasi=two",
                  "fukidasi_fnt_nm=" + mincho,
                  "fukidasi=three",
                  "next_seq=0",
                  "fukidasi_fnt_sz=50",  // after next_seq=, still this area's font
                  "fukidasi=four",
                  "rect=2,2,3,3",
                  "fukidasi=five",
                  "next_seq=0",
              })),
              0);
    const Area& a = table.scenes[0].areas[0];
    ASSERT_EQ(a.fukidasi_count, 4);
    EXPECT_EQ(a.fukidasi_fnt_nm[0], kDefaultFont) << "a font line before rect= has no effect";
    EXPECT_EQ(a.fukidasi_fnt_sz[0], 33);
    EXPECT_EQ(a.fukidasi_fnt_nm[1], kDefaultFont);
    EXPECT_EQ(a.fukidasi_fnt_sz[1], 20) << "a size line changes only the pages after it";
    EXPECT_EQ(a.fukidasi_fnt_nm[2], mincho);
    EXPECT_EQ(a.fukidasi_fnt_sz[2], 20);
    EXPECT_EQ(a.fukidasi_fnt_sz[3], 50);
    const Area& b = table.scenes[0].areas[1];
    ASSERT_EQ(b.fukidasi_count, 1);
    EXPECT_EQ(b.fukidasi_fnt_nm[0], kDefaultFont) << "every area starts from the default font";
    EXPECT_EQ(b.fukidasi_fnt_sz[0], 33);
}

TEST(Scenario, AreasCountOnlyThroughNextSeq) {
    ASSERT_EQ(parse(script({"seq=0", "rect=0,0,1,1", "next_seq=1", "rect=5,5,6,6", "rect=7,7,8,8",
                            "snd_nm=late.wav", "seq=1", "img_nm=a.png", "img_nm=b.png"})),
              0);
    EXPECT_EQ(table.scenes[0].area_count, 1) << "an area without next_seq= is not counted";
    EXPECT_EQ(table.scenes[0].areas[1].rect_count, 2);
    EXPECT_EQ(table.scenes[0].areas[1].snd_nm, "late.wav");
    EXPECT_EQ(table.scenes[1].img_nm, "b.png") << "a later line replaces an earlier one";

    // Lines that belong to an area before any area exists, and links to no table entry.
    for (const char* line : {"snd_nm=a.wav", "anime_nm=fade", "fukidasi=hi", "next_seq=0"}) {
        EXPECT_EQ(parse(script({"seq=0", line})), -1) << line << " before any rect= line";
        EXPECT_EQ(scenario_error().line, 2);
    }
    EXPECT_EQ(parse(with_rect_line("rect=0,0,1,1") + "rect=0,0,1,1\r\nnext_seq=200\r\n"), -1);
    EXPECT_EQ(parse(with_rect_line("rect=0,0,1,1") + "rect=0,0,1,1\r\nnext_seq=-1\r\n"), -1);
    EXPECT_EQ(parse(with_rect_line("rect=0,0,1,1") + "rect=0,0,1,1\r\nnext_seq=199\r\n"), 0);
}

TEST(Scenario, ReportsTheScriptLineOfTheFailure) {
    ASSERT_EQ(parse(script({"seq=0", "img_nm=a.png", "rect=1,2,3", "seq=1"})), -1);
    EXPECT_EQ(scenario_error().line, 3);
    EXPECT_EQ(scenario_error().reason, "rect= without four numbers");
    EXPECT_EQ(table.scene_count, 1) << "lines before the failure keep their effect";
    EXPECT_EQ(table.scenes[0].img_nm, "a.png");

    // Lone LF and CR do not end a line; a long line's pieces share its number.
    std::string long_comment = ";" + std::string(510, 'c') + "seq=oops";
    ASSERT_EQ(parse("a\nb\rc\r\n" + long_comment + "\r\nseq=1\r\n"), -1);
    EXPECT_EQ(scenario_error().line, 2) << "the piece after 511 bytes is parsed as a line";
    EXPECT_EQ(scenario_error().reason, "seq= without a number");

    std::string long_name = "img_nm=" + std::string(600, 'n');
    ASSERT_EQ(parse(script({"seq=0", long_name, "seq=1", "seq=?"})), -1);
    EXPECT_EQ(scenario_error().line, 4);
    EXPECT_EQ(table.scenes[0].img_nm.size(), 511u - 7u) << "a value holds at most one piece";
    EXPECT_EQ(script_lines().long_line_count, 1);
    EXPECT_EQ(script_lines().first_long_line, 2);

    ASSERT_EQ(parse(script({"seq=0", std::string(511, ';'), "seq=z"})), -1)
        << "a line of exactly 511 bytes is one line";
    EXPECT_EQ(scenario_error().line, 3);
    EXPECT_EQ(script_lines().long_line_count, 0);

    ASSERT_EQ(parse(script({"seq=0"})), 0);
    EXPECT_EQ(scenario_error().line, 0);
    EXPECT_EQ(scenario_error().reason, "");
}

TEST(Scenario, LoadsTheScrambledScriptFromTheDataFolder) {
    TempFolder dir;
    CurrentDirectory cd(dir.path);
    ASSERT_EQ(parse(script({"seq=0", "img_nm=x.png", "seq=1"})), 0);
    EXPECT_EQ(load_scenario(&table), -1) << "no data folder";
    EXPECT_EQ(scenario_error().line, 0);
    EXPECT_EQ(table.scene_count, 0) << "a failed read leaves the table cleared";
    EXPECT_EQ(table.scenes[0].img_nm, "");

    write_file("data/GAME42297263", scrambled(script({"opening_snd_nm=o.wav", "seq=0"})));
    ASSERT_EQ(load_scenario(&table), 0);
    EXPECT_EQ(table.opening_snd_nm, "o.wav");
    EXPECT_EQ(table.scene_count, 1);

    write_file("data/GAME42297263", "");
    EXPECT_EQ(load_scenario(&table), -1) << "an empty script";
    EXPECT_EQ(scenario_error().line, 0);
    EXPECT_FALSE(scenario_error().reason.empty());
}
