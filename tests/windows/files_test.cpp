// File lookup on Windows: names are Unicode there, so a Shift-JIS name from the script is found
// as the character it spells, the ASCII letters fold as on the desktop (the trail byte of a
// two-byte character never does), and the result spells the name as stored, in UTF-8.
#include <gtest/gtest.h>

#include "platform/system/files.h"
#include "support/scenario_fixtures.h"

TEST(WindowsFiles, ShiftJisNamesAreFoundAsTheCharactersTheySpell) {
    TempFolder dir;
    CurrentDirectory cd(dir.path);
    write_file("data/ヂ.png", "di");    // 0x83 0x61: its second byte is a lower-case 'a'
    write_file("data/アX.png", "a-x");  // 0x83 0x41 'X'

    EXPECT_EQ(resolve_game_path("data\\\x83\x41.png"), "") << "ア (0x83 0x41) is not ヂ (0x83 0x61)";
    EXPECT_EQ(resolve_game_path("data\\\x83\x61.PNG"), "data/ヂ.png") << "the ASCII letters still fold";
    EXPECT_EQ(resolve_game_path("data\\\x83\x41x.png"), "data/アX.png")
        << "a one-byte letter after a two-byte character folds";
    EXPECT_EQ(resolve_game_path("data\\\x83\x61X.png"), "") << "ヂX is not アX";
    EXPECT_EQ(resolve_game_path("data\\ア*.png"), "") << "no wildcards";
    FILE* f = open_game_file("DATA\\\x83\x41x.PNG");
    ASSERT_NE(f, nullptr);
    char buf[8] = {};
    EXPECT_EQ(std::fread(buf, 1, sizeof buf, f), 3u);
    EXPECT_STREQ(buf, "a-x");
    std::fclose(f);
}
