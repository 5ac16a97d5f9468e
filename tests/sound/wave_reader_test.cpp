// The WAVE reader: chunk order, format records, payload pieces, malformed files and resources.
#include <gtest/gtest.h>

#include <cstring>

#include "sound/wave_reader.h"
#include "support/sound_fixtures.h"

namespace {

// Reads the whole payload in pieces of `piece` bytes.
Bytes read_all(WaveReader& r, uint32_t piece) {
    Bytes out, buf(piece);
    for (;;) {
        uint32_t got = 99;
        EXPECT_EQ(r.read(piece, buf.data(), &got), S_OK);
        if (got == 0) break;
        out.insert(out.end(), buf.begin(), buf.begin() + got);
    }
    return out;
}

TEST(WaveReader, ReadsPcmFormatAndPayloadInEitherChunkOrder) {
    TempGameDir dir;
    Bytes payload = pattern_bytes(1001, 1);
    WaveFileFormat plain;
    plain.channels = 1;
    plain.rate = 11025;
    ASSERT_TRUE(dir.put("plain.wav", make_wave(plain, payload)));
    WaveFileFormat reversed = plain;
    reversed.data_first = true;
    reversed.junk_between = true;
    ASSERT_TRUE(dir.put("reversed.wav", make_wave(reversed, payload)));

    for (const char* name : {"data\\plain.wav", "data\\reversed.wav"}) {
        SCOPED_TRACE(name);
        WaveReader r;
        ASSERT_EQ(r.open(name), S_OK);
        const WaveFormatEx* f = r.format();
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->wFormatTag, 1);
        EXPECT_EQ(f->nChannels, 1);
        EXPECT_EQ(f->nSamplesPerSec, 11025u);
        EXPECT_EQ(f->nAvgBytesPerSec, 22050u);
        EXPECT_EQ(f->nBlockAlign, 2);
        EXPECT_EQ(f->wBitsPerSample, 16);
        EXPECT_EQ(f->cbSize, 0) << "a 16-byte PCM format has no extra bytes";
        EXPECT_EQ(read_all(r, 300), payload) << "the payload comes back as stored";
        // seek_data goes back to the first payload byte.
        ASSERT_EQ(r.seek_data(), S_OK);
        EXPECT_EQ(read_all(r, 4096), payload);
    }
}

TEST(WaveReader, NonPcmFormatKeepsItsExtraBytes) {
    TempGameDir dir;
    WaveFileFormat adpcm;
    adpcm.format_tag = 2;
    adpcm.extra = {1, 2, 3, 4, 5, 6};
    ASSERT_TRUE(dir.put("a.wav", make_wave(adpcm, pattern_bytes(64, 2))));
    WaveFileFormat bare = adpcm;  // a 16-byte chunk: no count at all
    bare.fmt_size = 16;
    ASSERT_TRUE(dir.put("bare.wav", make_wave(bare, pattern_bytes(64, 2))));

    WaveReader r;
    ASSERT_EQ(r.open("data\\a.wav"), S_OK);
    EXPECT_EQ(r.format()->wFormatTag, 2);
    ASSERT_EQ(r.format()->cbSize, 6);
    EXPECT_EQ(std::memcmp(r.format_record.get() + 18, adpcm.extra.data(), 6), 0)
        << "the extra bytes sit right behind the 18-byte header";
    r.close();
    ASSERT_EQ(r.open("data\\bare.wav"), S_OK);
    EXPECT_EQ(r.format()->cbSize, 0) << "a 16-byte non-PCM chunk must not borrow from the next chunk";
}

TEST(WaveReader, PayloadInOneSecondPiecesEndsWithZeroBytes) {
    TempGameDir dir;
    WaveFileFormat wave;
    wave.rate = 8000;
    uint32_t second = bytes_per_second(wave);
    Bytes payload = pattern_bytes(second * 5 / 2, 3);
    ASSERT_TRUE(dir.put("s.wav", make_wave(wave, payload)));

    WaveReader r;
    ASSERT_EQ(r.open("data\\s.wav"), S_OK);
    Bytes buf(second);
    uint32_t got = 0;
    Bytes all;
    const uint32_t expected[] = {second, second, second / 2, 0, 0};
    for (uint32_t want : expected) {
        ASSERT_EQ(r.read(second, buf.data(), &got), S_OK);
        EXPECT_EQ(got, want);
        all.insert(all.end(), buf.begin(), buf.begin() + got);
    }
    EXPECT_EQ(all, payload);
}

TEST(WaveReader, MisuseIsRefusedWithoutTouchingTheStream) {
    TempGameDir dir;
    Bytes payload = pattern_bytes(100, 4);
    ASSERT_TRUE(dir.put("s.wav", make_wave(WaveFileFormat{}, payload)));
    WaveReader r;
    unsigned char buf[100];
    uint32_t got = 7;
    EXPECT_EQ(r.read(10, buf, &got), CO_E_NOTINITIALIZED) << "read before open";
    EXPECT_EQ(r.seek_data(), CO_E_NOTINITIALIZED);
    EXPECT_EQ(r.open(nullptr), E_INVALIDARG);

    ASSERT_EQ(r.open("data\\s.wav"), S_OK);
    EXPECT_EQ(r.read(10, nullptr, &got), E_INVALIDARG);
    EXPECT_EQ(r.read(10, buf, nullptr), E_INVALIDARG);
    ASSERT_EQ(r.read(100, buf, &got), S_OK);
    EXPECT_EQ(got, 100u) << "refused reads took nothing";
    EXPECT_EQ(Bytes(buf, buf + 100), payload);

    EXPECT_EQ(r.close(), S_OK);
    EXPECT_EQ(r.close(), S_OK) << "closing twice";
    EXPECT_NE(r.format(), nullptr) << "the format record outlives close";
    EXPECT_EQ(r.read(10, buf, &got), CO_E_NOTINITIALIZED);
    EXPECT_EQ(r.open("data\\missing.wav"), E_FAIL);
    EXPECT_EQ(r.format(), nullptr) << "a new open drops the old format record";
}

TEST(WaveReader, MalformedFilesFailToOpenAndLeaveNothingOpen) {
    TempGameDir dir;
    Bytes payload = pattern_bytes(400, 5);
    struct Case {
        const char* name;
        Bytes file;
    };
    WaveFileFormat short_fmt;
    short_fmt.fmt_size = 14;
    WaveFileFormat no_data;
    no_data.omit_data = true;
    WaveFileFormat huge_extra;
    huge_extra.format_tag = 0x11;
    huge_extra.extra = {9, 9};
    Bytes huge_file = make_wave(huge_extra, payload);
    huge_file[36] = 0xFF;  // cbSize 0xFFFF in a chunk of 20 bytes
    huge_file[37] = 0xFF;
    WaveFileFormat short_riff;
    short_riff.riff_size = 4 + 8 + 16;  // "WAVE" + the "fmt " chunk: the payload lies outside
    WaveFileFormat fmt_past_end;
    fmt_past_end.data_first = true;
    Bytes fmt_past_file = make_wave(fmt_past_end, payload);
    fmt_past_file[fmt_past_file.size() - 20] = 0x40;  // "fmt " declares 64 bytes, has 16
    Bytes not_wave = make_wave(WaveFileFormat{}, payload);
    std::memcpy(not_wave.data() + 8, "AVI ", 4);
    Bytes tiny_riff = {'R', 'I', 'F', 'F', 2, 0, 0, 0, 'W', 'A'};
    const Case cases[] = {
        {"short_fmt.wav", make_wave(short_fmt, payload)},
        {"no_data.wav", make_wave(no_data, payload)},
        {"huge_extra.wav", huge_file},
        {"short_riff.wav", make_wave(short_riff, payload)},
        {"fmt_past_end.wav", fmt_past_file},
        {"not_wave.wav", not_wave},
        {"tiny.wav", tiny_riff},
        {"empty.wav", {}},
        {"text.wav", Bytes{'h', 'e', 'l', 'l', 'o'}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(dir.put(c.name, c.file));
        WaveReader r;
        EXPECT_EQ(r.open(("data\\" + std::string(c.name)).c_str()), E_FAIL);
        EXPECT_EQ(r.stream, nullptr) << "a failed open leaves the reader closed";
        unsigned char b[4];
        uint32_t got;
        EXPECT_EQ(r.read(4, b, &got), CO_E_NOTINITIALIZED);
    }
    WaveReader r;
    EXPECT_EQ(r.open("data\\"), E_FAIL) << "the data folder itself";
    EXPECT_EQ(r.open(""), E_FAIL);
}

TEST(WaveReader, CutOffFilePlaysWhatItHolds) {
    TempGameDir dir;
    Bytes payload = pattern_bytes(1000, 6);
    Bytes full = make_wave(WaveFileFormat{}, payload);
    Bytes cut(full.begin(), full.end() - 300);  // RIFF and "data" sizes both claim 300 more
    ASSERT_TRUE(dir.put("cut.wav", cut));
    WaveReader r;
    ASSERT_EQ(r.open("data\\cut.wav"), S_OK);
    EXPECT_EQ(r.data_remaining, 700u);
    EXPECT_EQ(read_all(r, 256), Bytes(payload.begin(), payload.begin() + 700));
}

TEST(WaveReader, ResourcesAreTriedAfterTheFile) {
    TempGameDir dir;
    Bytes in_file = pattern_bytes(50, 7), in_res = pattern_bytes(60, 8);
    ASSERT_TRUE(dir.put("both.wav", make_wave(WaveFileFormat{}, in_file)));
    WaveFileFormat mono;
    mono.channels = 1;
    Bytes res_wave = make_wave(mono, in_res);
    const WaveResource table[] = {
        {"data\\both.wav", "WAVE", res_wave.data(), static_cast<uint32_t>(res_wave.size())},
        {"chime", "WAV", res_wave.data(), static_cast<uint32_t>(res_wave.size())},
        {"empty", "WAVE", res_wave.data(), 0},
    };
    wave_reader_use_resources(table, 3);
    WaveReader r;
    ASSERT_EQ(r.open("data\\both.wav"), S_OK);
    EXPECT_EQ(read_all(r, 64), in_file) << "the file wins over a resource of the same name";
    ASSERT_EQ(r.open("CHIME"), S_OK) << "a \"WAV\" resource, name matched without case";
    EXPECT_EQ(r.format()->nChannels, 1);
    EXPECT_NE(r.resource_copy, nullptr);
    EXPECT_EQ(read_all(r, 64), in_res);
    r.close();
    EXPECT_EQ(r.resource_copy, nullptr) << "close frees the copy";
    EXPECT_EQ(r.open("empty"), E_FAIL);
    EXPECT_EQ(r.open("nothing"), E_FAIL);
    wave_reader_use_resources(nullptr, 0);
}

}  // namespace
