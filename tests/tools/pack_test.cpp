// Tests of pack and unpack and of the RIFF chunk walk they use to find a WAVE's samples.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/scenario_fixtures.h"
#include "tests/tools/tool_fixtures.h"
#include "tools/tool/tool.h"

namespace {

WaveKind walk(const std::string& bytes, size_t* offset, size_t* length) {
    return find_wave_payload(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                             offset, length);
}

}  // namespace

TEST(RiffWalk, FindsTheDataPayloadWithinTheFile) {
    size_t offset = 0, length = 0;
    std::string samples = "0123456789";
    std::string wave = make_wave(samples, "abc");  // an odd JUNK chunk before "data"
    ASSERT_EQ(walk(wave, &offset, &length), WaveKind::wave);
    EXPECT_EQ(wave.substr(offset, length), samples);

    std::string cut = wave.substr(0, wave.size() - 4);
    ASSERT_EQ(walk(cut, &offset, &length), WaveKind::wave) << "a data chunk cut short";
    EXPECT_EQ(length, samples.size() - 4) << "the payload ends at the file's end";

    std::string huge = "RIFF" + le32(4) + "WAVE" + "JUNK" + le32(0xFFFFFFF0u) + "data" + le32(2) + "xy";
    EXPECT_EQ(walk(huge, &offset, &length), WaveKind::no_data) << "a chunk size past the end";
    EXPECT_EQ(walk("RIFF" + le32(4) + "WAVE" + "data" + le32(2) + "xy", &offset, &length), WaveKind::no_data)
        << "a data chunk past the RIFF chunk's declared size is not the WAVE's";
    EXPECT_EQ(walk("RIFF" + le32(4) + "AVI ", &offset, &length), WaveKind::not_wave);
    EXPECT_EQ(walk("RIFF", &offset, &length), WaveKind::not_wave);
    EXPECT_EQ(walk("", &offset, &length), WaveKind::not_wave);
}

TEST(Pack, RoundTripGivesIdenticalBytes) {
    TempFolder dir;
    std::string plain = dir.path + "/plain", stored = dir.path + "/stored", back = dir.path + "/back";
    std::string script_text = script({"seq=0", "img_nm=pic\\" + sjis("絵.png")});  // "picture"
    std::string picture(40000, '\0');
    for (size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<char>(i * 31 + 7);
    std::string samples(1001, '\0');
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<char>(i);
    std::string wave = make_wave(samples, "odd") + "LIST" + le32(4) + "tail";
    std::string picture_name = "/pic/\xe7\xb5\xb5.png";  // "絵.png" in UTF-8
    write_file(plain + "/GAME42297263", script_text);
    write_file(plain + picture_name, picture);
    write_file(plain + "/sound.wav", wave);
    write_file(plain + "/empty", "");

    Capture out, err;
    ASSERT_EQ(pack_folder(plain, stored, true, out.file, err.file), kToolOk) << err.text();
    EXPECT_EQ(read_file(stored + "/GAME42297263"), scrambled(script_text));
    EXPECT_EQ(read_file(stored + picture_name), scrambled(picture)) << "names and subfolders kept";
    EXPECT_EQ(read_file(stored + "/empty"), "");

    std::string stored_wave = read_file(stored + "/sound.wav");
    ASSERT_EQ(stored_wave.size(), wave.size());
    size_t offset = 0, length = 0;
    ASSERT_EQ(walk(wave, &offset, &length), WaveKind::wave);
    EXPECT_EQ(stored_wave.substr(0, offset), wave.substr(0, offset)) << "the header stays plain";
    EXPECT_EQ(stored_wave.substr(offset, length), scrambled(samples)) << "key byte 0 at the first sample";
    EXPECT_EQ(stored_wave.substr(offset + length), wave.substr(offset + length))
        << "chunks after the samples stay plain";

    ASSERT_EQ(pack_folder(stored, back, false, out.file, err.file), kToolOk) << err.text();
    EXPECT_EQ(read_file(back + "/GAME42297263"), script_text);
    EXPECT_EQ(read_file(back + picture_name), picture);
    EXPECT_EQ(read_file(back + "/sound.wav"), wave);
    EXPECT_EQ(read_file(back + "/empty"), "");
    EXPECT_NE(out.text().find("4 files written"), std::string::npos) << out.text();
}

TEST(Pack, RefusesWhatItCannotDo) {
    TempFolder dir;
    std::string plain = dir.path + "/plain";
    write_file(plain + "/a", "a");
    Capture out, err;
    EXPECT_EQ(pack_folder(dir.path + "/missing", dir.path + "/x", true, out.file, err.file), kToolBadUsage);
    EXPECT_EQ(pack_folder(plain, plain, true, out.file, err.file), kToolBadUsage);
    EXPECT_EQ(pack_folder(plain, plain + "/inner", true, out.file, err.file), kToolBadUsage);
    EXPECT_EQ(pack_folder(plain, plain + "/a", true, out.file, err.file), kToolBadUsage)
        << "a destination that is a file";
    EXPECT_NE(err.text().find("not a folder"), std::string::npos) << err.text();

    // A plain file whose stored form would begin "RIFF....WAVE" could not be told from a WAVE.
    std::string looks_like_wave = scrambled("RIFF" + le32(8) + "WAVEdata");
    write_file(plain + "/b", looks_like_wave);
    EXPECT_EQ(pack_folder(plain, dir.path + "/out", true, out.file, err.file), kToolFailed);
    EXPECT_NE(err.text().find("cannot be stored"), std::string::npos) << err.text();
    EXPECT_EQ(read_file(dir.path + "/out/a"), scrambled("a")) << "the other files are written";
}

TEST(Pack, CommandLineStatuses) {
    Capture out, err;
    EXPECT_EQ(run(out, err, {}), kToolBadUsage);
    EXPECT_NE(err.text().find("usage: poromina-tool"), std::string::npos);
    EXPECT_EQ(run(out, err, {"--help"}), kToolOk);
    EXPECT_EQ(run(out, err, {"frobnicate"}), kToolBadUsage);
    EXPECT_EQ(run(out, err, {"pack", "one"}), kToolBadUsage);
    EXPECT_EQ(run(out, err, {"unpack", "a", "b", "c"}), kToolBadUsage);
    EXPECT_EQ(run(out, err, {"check"}), kToolBadUsage);
    EXPECT_EQ(run(out, err, {"check", ""}), kToolBadUsage);
    for (const char* command : {"pack", "unpack", "check"}) {
        Capture help, none;
        EXPECT_EQ(run(help, none, {command, "--help"}), kToolOk) << command;
        EXPECT_NE(help.text().find(std::string("usage: poromina-tool ") + command), std::string::npos);
    }

    // The built program gives a shell the same statuses.
    std::string tool = POROMINA_TOOL_PATH;
    auto status = [&](const std::string& args) {
        int rc = std::system((tool + " " + args + " >/dev/null 2>&1").c_str());
        return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    };
    EXPECT_EQ(status("check --help"), 0);
    EXPECT_EQ(status("pack"), 2);
    EXPECT_EQ(status("check /nonexistent-folder"), 2);
}

TEST(Pack, Utf8ScriptsRoundTripAndRefuseWhatShiftJisCannotHold) {
    TempFolder dir;
    const std::string plain = dir.path + "/plain", stored = dir.path + "/stored", back = dir.path + "/back";
    // "ぽろみなの森", a balloon page with "～" and "①" (CP932 has both), a comment line.
    const std::string text =
        "; \xe6\xa3\xae\n"
        "seq=0\n"
        "img_nm=\xe6\xa3\xae.png\n"
        "rect=0,0,10,10\n"
        "fukidasi=\xe3\x81\xbd\xe3\x82\x8d\xe3\x81\xbf\xe3\x81\xaa\xef\xbd\x9e\xe2\x91\xa0\n"
        "next_seq=0\n";
    write_file(plain + "/GAME42297263", text);
    write_file(plain + "/other.txt", "a\nb\n");
    Capture out, err;
    Capture cli_out, cli_err;
    ASSERT_EQ(run(cli_out, cli_err, {"pack", "--utf8", plain.c_str(), stored.c_str()}), kToolOk) << cli_err.text();
    const std::string want = script({"; " + sjis("森"), "seq=0", "img_nm=" + sjis("森.png"), "rect=0,0,10,10",
                                     "fukidasi=" + sjis("ぽろみな～①"), "next_seq=0"});
    EXPECT_EQ(read_file(stored + "/GAME42297263"), scrambled(want)) << "Shift-JIS with CR LF";
    EXPECT_EQ(read_file(stored + "/other.txt"), scrambled("a\nb\n")) << "only the script is converted";
    ASSERT_EQ(run(cli_out, cli_err, {"unpack", "--utf8", stored.c_str(), back.c_str()}), kToolOk) << cli_err.text();
    EXPECT_EQ(read_file(back + "/GAME42297263"), text);

    // A byte-order mark and CR LF line ends from a Windows editor store the same.
    write_file(plain + "/GAME42297263", "\xef\xbb\xbfseq=0\r\nimg_nm=a.png\r\n");
    ASSERT_EQ(pack_folder(plain, stored, true, out.file, err.file, true), kToolOk) << err.text();
    EXPECT_EQ(read_file(stored + "/GAME42297263"), scrambled("seq=0\r\nimg_nm=a.png\r\n"));

    // An emoji on line 3, column 10 (counted in characters), and a byte that is not UTF-8.
    write_file(plain + "/GAME42297263", "seq=0\nimg_nm=a.png\nfukidasi=\xe3\x81\xbd\xf0\x9f\x98\x80\n");
    Capture bad_out, bad_err;
    EXPECT_EQ(pack_folder(plain, dir.path + "/refused", true, bad_out.file, bad_err.file, true), kToolFailed);
    EXPECT_NE(bad_err.text().find("line 3, column 11: \"\xf0\x9f\x98\x80\" (U+1F600) has no Shift-JIS form"),
              std::string::npos)
        << bad_err.text();
    EXPECT_FALSE(std::filesystem::exists(dir.path + "/refused/GAME42297263")) << "a refused script is not written";
    write_file(plain + "/GAME42297263", "seq=0\n" + sjis("森"));
    Capture sj_out, sj_err;
    EXPECT_EQ(pack_folder(plain, dir.path + "/refused", true, sj_out.file, sj_err.file, true), kToolFailed);
    EXPECT_NE(sj_err.text().find("line 2, column 1: a byte that is not UTF-8"), std::string::npos) << sj_err.text();
}

TEST(Pack, NamesStoredFilesWithoutAPlainOneAndCleanRemovesThem) {
    TempFolder dir;
    const std::string plain = dir.path + "/plain", stored = dir.path + "/stored";
    write_file(plain + "/GAME42297263", "seq=0\n");
    write_file(plain + "/bg/a.png", "a");
    write_file(plain + "/bg/b.png", "b");
    Capture out, err;
    ASSERT_EQ(run(out, err, {"pack", plain.c_str(), stored.c_str()}), kToolOk) << err.text();
    std::filesystem::remove(plain + "/bg/b.png");
    Capture out2, err2;
    ASSERT_EQ(run(out2, err2, {"pack", plain.c_str(), stored.c_str()}), kToolOk) << err2.text();
    EXPECT_NE(err2.text().find(stored + "/bg/b.png: warning: no plain file in " + plain +
                               " stands for it any more (\"pack --clean\" removes it)"),
              std::string::npos) << err2.text();
    EXPECT_NE(out2.text().find(", 1 without a plain file\n"), std::string::npos) << out2.text();
    EXPECT_TRUE(std::filesystem::exists(stored + "/bg/b.png")) << "kept without --clean";
    Capture out3, err3;
    ASSERT_EQ(run(out3, err3, {"pack", "--clean", plain.c_str(), stored.c_str()}), kToolOk) << err3.text();
    EXPECT_FALSE(std::filesystem::exists(stored + "/bg/b.png"));
    EXPECT_TRUE(std::filesystem::exists(stored + "/bg/a.png"));
    EXPECT_TRUE(std::filesystem::exists(stored + "/GAME42297263"));
}

TEST(Pack, NotesCharactersThatShiftJisStoresAsAnother) {
    TempFolder dir;
    const std::string plain = dir.path + "/plain", stored = dir.path + "/stored";
    // An em dash (U+2014) on line 2: Shift-JIS has one dash, 815C, that reads back as U+2015.
    write_file(plain + "/GAME42297263", "seq=0\nfukidasi=a\xe2\x80\x94" "b\n");
    Capture out, err;
    ASSERT_EQ(run(out, err, {"pack", "--utf8", plain.c_str(), stored.c_str()}), kToolOk) << err.text();
    EXPECT_NE(err.text().find("GAME42297263: note: line 2: \"\xe2\x80\x94\" (U+2014) is stored as Shift-JIS 815C, "
                              "which the game draws as its own character and unpack gives back as \"\xe2\x80\x95\" (U+2015)"),
              std::string::npos) << err.text();
    EXPECT_EQ(read_file(stored + "/GAME42297263"), scrambled("seq=0\r\nfukidasi=a\x81\x5c" "b\r\n"))
        << "stored as ever";
}

TEST(Pack, AScriptOver2MiBOnlyOnceConvertedIsNamedAsTheStoredFile) {
    TempFolder dir;
    const std::string plain = dir.path + "/plain", stored = dir.path + "/stored";
    // 2,040,000 bytes of LF lines: under 2 MiB as written, over it with CR LF.
    std::string text = "seq=0\n";
    while (text.size() < 2040000) text += "; a comment line of padding\n";
    write_file(plain + "/GAME42297263", text);
    Capture out, err;
    ASSERT_EQ(run(out, err, {"pack", "--utf8", plain.c_str(), stored.c_str()}), kToolOk) << err.text();
    EXPECT_EQ(err.text().rfind(stored + "/GAME42297263: warning: ", 0), 0u) << err.text();
    EXPECT_NE(err.text().find("once stored as Shift-JIS with CR LF (the plain file " + plain + "/GAME42297263 has " +
                              std::to_string(text.size()) + "): over 2,097,152 bytes"),
              std::string::npos) << err.text();
}
