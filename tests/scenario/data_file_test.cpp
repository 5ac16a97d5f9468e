// Tests of the scramble key, the whole-file reader and the CR LF line reader.
#include "scenario/data_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scenario/scenario.h"
#include "support/scenario_fixtures.h"

namespace {

// Every line next_line gives for text at the given capacity.
std::vector<std::string> lines_of(const std::string& text, int capacity) {
    LineReader reader{text.data(), static_cast<int32_t>(text.size()), 0};
    std::vector<char> buf(static_cast<size_t>(capacity > 0 ? capacity : 1));
    std::vector<std::string> out;
    // Each line moves the cursor on, so there are never more lines than bytes.
    for (size_t guard = 0; guard <= text.size(); ++guard) {
        int32_t before = reader.pos;
        char* line = next_line(&reader, buf.data(), capacity);
        if (!line) return out;
        EXPECT_GT(reader.pos, before) << "a line that does not move the cursor";
        EXPECT_EQ(line, buf.data());
        // The copied bytes may hold NUL: their length is what the cursor moved, less a CR LF.
        int32_t moved = reader.pos - before;
        bool crlf = moved >= 2 && text[reader.pos - 2] == '\r' && text[reader.pos - 1] == '\n';
        out.emplace_back(line, static_cast<size_t>(crlf ? moved - 2 : moved));
    }
    ADD_FAILURE() << "next_line never reported the end";
    return out;
}

using Lines = std::vector<std::string>;

}  // namespace

TEST(DataFile, KeyWrapsEverySixteenBytesAndIsItsOwnInverse) {
    const unsigned char expected[16] = {0x5a, 0x13, 0xc7, 0x08, 0x9e, 0x41, 0xb2, 0x6d,
                                        0x33, 0xf0, 0x7c, 0x25, 0xa8, 0x1e, 0xd4, 0x69};
    unsigned char buf[40] = {};
    descramble(buf, 34);
    for (int i = 0; i < 34; ++i) EXPECT_EQ(buf[i], expected[i % 16]) << "byte " << i;
    for (int i = 34; i < 40; ++i) EXPECT_EQ(buf[i], 0) << "byte " << i << " is past the count";

    std::string plain = "The quick brown fox jumps over the lazy dog.";
    std::string copy = plain;
    auto* bytes = reinterpret_cast<unsigned char*>(copy.data());
    descramble(bytes, copy.size());
    EXPECT_EQ(copy, scrambled(plain));
    descramble(bytes, copy.size());
    EXPECT_EQ(copy, plain) << "descrambling twice gives the stored bytes back";
}

TEST(DataFile, ReadsWholeFilesUpToTheBufferSize) {
    TempFolder dir;
    CurrentDirectory cd(dir.path);
    std::string full(kDataBufferBytes, '\0');
    for (size_t i = 0; i < full.size(); ++i) full[i] = static_cast<char>(i * 7 + (i >> 11));
    write_file("data/FULL", scrambled(full));
    write_file("data/OVER", std::string(kDataBufferBytes + 1, 'x'));
    write_file("data/EMPTY", "");
    write_file("data/ONE", scrambled("A"));

    ASSERT_EQ(read_data_file("data\\FULL"), kDataBufferBytes) << "exactly 2 MiB is accepted";
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data_buffer), kDataBufferBytes), full);

    EXPECT_EQ(read_data_file("data\\OVER"), -1) << "one byte over 2 MiB is refused";
    EXPECT_EQ(read_data_file("data\\EMPTY"), -1) << "an empty file is refused";
    EXPECT_EQ(read_data_file("data\\MISSING"), -1);
    EXPECT_EQ(read_data_file("data"), -1) << "a folder is not a file";
    EXPECT_EQ(read_data_file("data\\"), -1) << "an empty name is the folder itself";

    ASSERT_EQ(read_data_file("DATA\\one"), 1) << "names match case-insensitively";
    EXPECT_EQ(data_buffer[0], 'A');
}

TEST(DataFile, LinesEndOnlyAtCrLf) {
    EXPECT_EQ(lines_of("a\r\n\r\nb", 512), (Lines{"a", "", "b"}))
        << "61 0D 0A 0D 0A 62: a line, an empty line, a line";
    EXPECT_EQ(lines_of("no line end at all", 512), (Lines{"no line end at all"}));
    EXPECT_EQ(lines_of("a\nb\rc\r\nd", 512), (Lines{"a\nb\rc", "d"})) << "lone LF and CR are bytes";
    EXPECT_EQ(lines_of("x\r", 512), (Lines{"x\r"})) << "a final lone CR stays in the last line";
    EXPECT_EQ(lines_of("\r", 512), (Lines{"\r"}));
    EXPECT_EQ(lines_of("a\r\n", 512), (Lines{"a"})) << "a final CR LF makes no empty line after it";
    EXPECT_EQ(lines_of("\r\n", 512), (Lines{""}));
    EXPECT_EQ(lines_of("", 512), Lines{});
    EXPECT_EQ(lines_of("\r\r\n\n", 512), (Lines{"\r", "\n"}));
    EXPECT_EQ(lines_of(std::string("a\0b\r\nc", 6), 512), (Lines{std::string("a\0b", 3), "c"}));
}

TEST(DataFile, LongLinesComeInPiecesOfCapacityLessOne) {
    std::string six_hundred(600, 'L');
    EXPECT_EQ(lines_of(six_hundred + "\r\nz", 512),
              (Lines{std::string(511, 'L'), std::string(89, 'L'), "z"}));

    std::string exact(511, 'E');
    EXPECT_EQ(lines_of(exact, 512), Lines{exact}) << "a final 511-byte line comes once";
    EXPECT_EQ(lines_of(exact + "\r\nz", 512), (Lines{exact, "z"}))
        << "a 511-byte line takes its CR LF with it (no empty line after it)";
    EXPECT_EQ(lines_of(exact + "\r\n\r\nz", 512), (Lines{exact, "", "z"}));
    EXPECT_EQ(lines_of(std::string(1022, 'D'), 512), (Lines{std::string(511, 'D'), std::string(511, 'D')}));
    EXPECT_EQ(lines_of(std::string(510, 'C') + "\r\r\n", 512), (Lines{std::string(510, 'C') + "\r"}));

    EXPECT_EQ(lines_of("abc\r\nd", 2), (Lines{"a", "b", "c", "d"})) << "capacity 2: one byte a line";
    EXPECT_EQ(lines_of("ab\r\n\r\n", 3), (Lines{"ab", ""}));
}

TEST(DataFile, CapacityBelowTwoEndsAtOnce) {
    std::string text = "abc\r\n";
    LineReader reader{text.data(), static_cast<int32_t>(text.size()), 0};
    char buf[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(next_line(&reader, buf, 1), nullptr) << "no room for a byte: no line";
    EXPECT_EQ(buf[0], '\0');
    EXPECT_EQ(next_line(&reader, buf, 0), nullptr);
    EXPECT_EQ(reader.pos, 0);
    EXPECT_NE(next_line(&reader, buf, 4), nullptr);
    EXPECT_STREQ(buf, "abc");
    EXPECT_EQ(next_line(&reader, buf, 4), nullptr);
}

// A plain folder: files read as they are, named without "data\", each failure with its cause;
// a UTF-8 script with LF ends reads as pack --utf8 would store it.
TEST(DataFile, PlainFolderReadsUnscrambledAndConvertsAUtf8Script) {
    TempFolder plain;
    write_file(plain.path + "/bg/pic.bin", "PLAIN BYTES");
    write_file(plain.path + "/empty", "");
    write_file(plain.path + "/GAME42297263", "; 森の絵本\nseq=0\nimg_nm=絵\\森.png\nrect=0,0,9,9\nnext_seq=0\n");
    struct Reset {
        ~Reset() { set_plain_folder(""); }
    } reset;
    set_plain_folder(plain.path);
    ASSERT_EQ(read_data_file("data\\BG\\pic.bin"), 11);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data_buffer), 11), "PLAIN BYTES") << "nothing descrambled";
    EXPECT_EQ(data_file_status().failure, DataFileFailure::none);
    EXPECT_EQ(read_data_file("data\\none"), -1);
    EXPECT_EQ(data_file_status().failure, DataFileFailure::missing);
    EXPECT_EQ(read_data_file("data\\bg"), -1);
    EXPECT_EQ(data_file_status().failure, DataFileFailure::not_a_file);
    EXPECT_EQ(read_data_file("data\\empty"), -1);
    EXPECT_EQ(data_file_status().failure, DataFileFailure::empty);
    EXPECT_EQ(read_data_file("data\\..\\x"), -1) << "nothing outside the folder";

    static SceneTable table;
    ASSERT_EQ(load_scenario(&table), 0) << scenario_error().reason;
    ASSERT_EQ(table.scene_count, 1);
    EXPECT_EQ(table.scenes[0].img_nm, sjis("絵\\森.png"));
    EXPECT_EQ(table.scenes[0].area_count, 1);
    // A Shift-JIS script is taken as it stands.
    write_file(plain.path + "/GAME42297263", sjis("seq=0\r\nimg_nm=森.png\r\n"));
    ASSERT_EQ(load_scenario(&table), 0);
    EXPECT_EQ(table.scenes[0].img_nm, sjis("森.png"));
}
