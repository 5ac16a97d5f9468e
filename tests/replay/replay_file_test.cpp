// Replay files as the harness reads and writes them, and the contact sheet's tiling.
#include <gtest/gtest.h>

#include "replay/replay.h"

namespace {

std::vector<ReplayEvent> parse_ok(const std::string& text) {
    std::vector<ReplayEvent> events;
    std::string error;
    EXPECT_TRUE(parse_replay(text, &events, &error)) << error;
    return events;
}

std::string parse_error(const std::string& text) {
    std::vector<ReplayEvent> events{ReplayEvent{}};
    std::string error;
    EXPECT_FALSE(parse_replay(text, &events, &error)) << text;
    EXPECT_TRUE(events.empty()) << "a failed parse leaves no events";
    return error;
}

}  // namespace

TEST(ReplayFile, ReadsEveryKindSortedByFrameInFileOrderWithinAFrame) {
    auto e = parse_ok(
        "# comment\r\n"
        "\n"
        "  20 shot balloon-open\r\n"
        "10 left 0 0\n"
        "10 right 799 599\n"
        "5 esc\n"
        "5 altenter 3 4\n"
        "7 clock 140000\n"
        "20 shot\n");
    ASSERT_EQ(e.size(), 7u);
    EXPECT_EQ(e[0].kind, ReplayKind::Escape);
    EXPECT_EQ(e[1].kind, ReplayKind::AltEnter) << "x y after a key are allowed and mean nothing";
    EXPECT_EQ(e[2].kind, ReplayKind::Clock);
    EXPECT_EQ(e[2].x, 140000);
    EXPECT_EQ(e[3].kind, ReplayKind::Left);
    EXPECT_EQ(e[3].frame, 10);
    EXPECT_EQ(e[4].kind, ReplayKind::Right);
    EXPECT_EQ(e[4].x, 799);
    EXPECT_EQ(e[4].y, 599);
    EXPECT_EQ(e[5].name, "balloon-open") << "same frame: file order kept";
    EXPECT_EQ(e[6].name, "");
}

TEST(ReplayFile, RefusesBadLinesNamingTheLine) {
    EXPECT_EQ(parse_error("1 left 1 1\nx left 1 1\n").rfind("line 2:", 0), 0u);
    parse_error("-1 esc\n");
    parse_error("10000001 esc\n");
    parse_error("5\n");
    parse_error("5 middle 1 1\n");
    parse_error("5 LEFT 1 1\n");
    parse_error("5 left 1\n");
    parse_error("5 left 800 1\n");
    parse_error("5 right 1 600\n");
    parse_error("5 left 1 -1\n");
    parse_error("5 left 1 2 3\n");
    parse_error("5 left 1x 2\n");
    parse_error("5 esc 1\n");
    parse_error("5 clock\n");
    parse_error("5 clock -5\n");
    parse_error("5 clock 99999999999\n");
    parse_error("5 shot a b\n");
    parse_error("5 shot ../escape\n");
    parse_error("5 shot a/b\n");
}

TEST(ReplayFile, WrittenTextReadsBackTheSameEvents) {
    std::vector<ReplayEvent> in(4);
    in[0] = {3, ReplayKind::Left, 12, 34, "", "a note\nwith a line break"};
    in[1] = {3, ReplayKind::Shot, 0, 0, "after-click", ""};
    in[2] = {9, ReplayKind::Clock, 5000, 0, "", ""};
    in[3] = {9, ReplayKind::AltEnter, 0, 0, "", ""};
    auto out = parse_ok(format_replay(in));
    ASSERT_EQ(out.size(), in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        EXPECT_EQ(out[i].frame, in[i].frame) << i;
        EXPECT_EQ(out[i].kind, in[i].kind) << i;
        EXPECT_EQ(out[i].x, in[i].x) << i;
        EXPECT_EQ(out[i].y, in[i].y) << i;
        EXPECT_EQ(out[i].name, in[i].name) << i;
    }
}

TEST(ContactSheet, ShrinksByAveragingAndTilesFourToARow) {
    // A 8x4 frame: left half black, right half white, one red pixel in the first 4x4 block.
    std::vector<uint32_t> frame(8 * 4, 0xFF000000);
    for (int y = 0; y < 4; ++y)
        for (int x = 4; x < 8; ++x) frame[y * 8 + x] = 0xFFFFFFFF;
    frame[0] = 0xFFFF0000;
    auto t = shrink_frame(frame.data(), 8, 4);
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0], 0xFF100000u) << "255/16 rounded";
    EXPECT_EQ(t[1], 0xFFFFFFFFu);

    std::vector<std::vector<uint32_t>> thumbs(5, std::vector<uint32_t>(2 * 3, 0xFF112233));
    thumbs[4].assign(6, 0xFFABCDEF);
    thumbs[2].clear();  // a frame that could not be read leaves its place empty
    int w = 0, h = 0;
    auto sheet = make_contact_sheet(thumbs, 2, 3, &w, &h);
    EXPECT_EQ(w, 4 * (2 + kSheetGap) + kSheetGap);
    EXPECT_EQ(h, 2 * (3 + kSheetGap) + kSheetGap);
    ASSERT_EQ(sheet.size(), static_cast<size_t>(w) * h);
    EXPECT_EQ(sheet[0], kSheetBackground);
    EXPECT_EQ(sheet[kSheetGap * w + kSheetGap], 0xFF112233u) << "first thumbnail after the gap";
    const int third_left = kSheetGap + 2 * (2 + kSheetGap);
    EXPECT_EQ(sheet[kSheetGap * w + third_left], kSheetBackground);
    const int second_row_top = kSheetGap + 3 + kSheetGap;
    EXPECT_EQ(sheet[(second_row_top + 2) * w + kSheetGap + 1], 0xFFABCDEFu) << "fifth starts the second row";

    EXPECT_TRUE(make_contact_sheet({}, 2, 3, &w, &h).empty());
    EXPECT_EQ(w, 0);
}
