// Tests of the one lookup rule every game file goes through.
#include "platform/system/files.h"

#include <gtest/gtest.h>

#include "support/scenario_fixtures.h"

TEST(FileLookup, FindsNamesTheWayTheScriptWritesThem) {
    TempFolder dir;
    CurrentDirectory cd(dir.path);
    write_file("data/pic/Room.PNG", "room");
    write_file("data/\xe7\x8c\xab.png", "cat");  // "猫.png" stored under its UTF-8 name
    write_file("top.txt", "top");

    EXPECT_EQ(resolve_game_path("data\\pic\\Room.PNG"), "data/pic/Room.PNG") << "'\\' separates";
    EXPECT_EQ(resolve_game_path("data/pic/Room.PNG"), "data/pic/Room.PNG");
    EXPECT_EQ(resolve_game_path("DATA\\PIC\\room.png"), "data/pic/Room.PNG") << "case-insensitive";
    EXPECT_EQ(resolve_game_path(("data\\" + sjis("猫.png")).c_str()), "data/\xe7\x8c\xab.png")
        << "a Shift-JIS name is found as its UTF-8 form";

    EXPECT_EQ(resolve_game_path("data\\..\\top.txt"), "") << "'..' is refused";
    EXPECT_EQ(resolve_game_path((dir.path + "/top.txt").c_str()), "") << "absolute paths are refused";
    EXPECT_EQ(resolve_game_path("\\top.txt"), "");
    EXPECT_EQ(resolve_game_path("C:\\top.txt"), "") << "drive letters are refused";
    EXPECT_EQ(resolve_game_path("data\\nothing.png"), "");
    EXPECT_EQ(resolve_game_path(""), "");

    EXPECT_EQ(open_game_file("data\\"), nullptr) << "an empty name is the folder itself";
    EXPECT_EQ(open_game_file("data\\pic"), nullptr) << "folders do not open";
    FILE* f = open_game_file("data\\pic\\ROOM.png");
    ASSERT_NE(f, nullptr);
    char buf[8] = {};
    EXPECT_EQ(std::fread(buf, 1, sizeof buf, f), 4u);
    EXPECT_STREQ(buf, "room");
    std::fclose(f);
}

TEST(FileLookup, CaseFoldingLeavesTheSecondByteOfAShiftJisCharacter) {
    TempFolder dir;
    CurrentDirectory cd(dir.path);
    // Raw Shift-JIS names: "チ.png" is 0x83 0x61, whose second byte is a lower-case 'a'.
    write_file("data/\x83\x61.png", "chi");
    write_file("data/\x83\x41X.png", "a-x");  // "アX.png"

    EXPECT_EQ(resolve_game_path("data\\\x83\x41.png"), "") << "ア (0x83 0x41) is not チ (0x83 0x61)";
    EXPECT_EQ(resolve_game_path("data\\\x83\x61.PNG"), "data/\x83\x61.png") << "the ASCII letters still fold";
    EXPECT_EQ(resolve_game_path("data\\\x83\x41x.png"), "data/\x83\x41X.png")
        << "a one-byte letter after a two-byte character folds";
    EXPECT_EQ(resolve_game_path("data\\\x83\x61X.png"), "") << "チX is not アX";
}
