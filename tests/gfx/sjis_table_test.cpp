// Shift-JIS conversion, held to one table on every target: the desktop converts through iconv,
// Windows through code page 932, and both must give the same characters, the same U+FFFD for
// bytes that start nothing, and the same codes for the characters the two tables disagree on.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/text/sjis.h"

namespace {

struct Decoded {
    std::string sjis;
    const char* utf8;
};

const Decoded kDecoded[] = {
    {"\x5C\x7E", "\\~"},                     // ASCII stays ASCII (no yen sign, no overline)
    {"\xB1\xDF", "ｱﾟ"},                      // half-width katakana
    {"\x81\x5C\x81\x5F\x81\x60\x81\x61", "―＼～∥"},
    {"\x81\x7C\x81\x91\x81\x92\x81\xCA", "－￠￡￢"},
    {"\x87\x40\xED\x40\xEE\xEF\xFA\x40", "①纊ⅰⅰ"},  // NEC and IBM extensions
    {"\xF0\x40", "\xEE\x80\x80"},            // user-defined area: private use U+E000
    {"\x80\xA0\xFD\xFE\xFF", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
    {"\x85\x40", "\xEF\xBF\xBD@"},           // a pair the table lacks: one U+FFFD, then the byte
    {"\x81\x0A", "\xEF\xBF\xBD\n"},          // a lead byte before a byte no trail can be
    {"a\x82", "a\xEF\xBF\xBD"},              // a lead byte at the end
};

struct Encoded {
    const char* utf8;
    const char* sjis;  // null: no Shift-JIS form
};

const Encoded kEncoded[] = {
    {"¥‾", "\x5C\x7E"},                       // where iconv puts them
    {"〜−—‖", "\x81\x60\x81\x7C\x81\x5C\x81\x61"},
    {"¢£¬", "\x81\x91\x81\x92\x81\xCA"},
    {"～－―∥￠￡￢", "\x81\x60\x81\x7C\x81\x5C\x81\x61\x81\x91\x81\x92\x81\xCA"},
    {"ⅰ", "\xFA\x40"},                        // the IBM code, not NEC's
    {"ぽろみな", "\x82\xDB\x82\xEB\x82\xDD\x82\xC8"},
    {"\xC2\x80", nullptr},                    // U+0080
    {"\xEF\xA3\xB0", nullptr},                // U+F8F0, Windows' stand-in for byte 0xA0
    {"¦", nullptr},
    {"·", nullptr},                           // no "best fit" to the middle dot
    {"한", nullptr},
    {"\xFF", nullptr},                        // not UTF-8
    {"\xED\xA0\x80", nullptr},                // a surrogate in UTF-8
};

// FNV-1a over the code points of every two-byte code of one lead byte (trail 0x40 to 0xFC).
uint32_t row_hash(unsigned lead) {
    uint32_t h = 2166136261u;
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
        const unsigned char bytes[2] = {static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)};
        const char32_t cp = sjis_char_to_unicode(bytes, 2);
        for (int shift = 0; shift < 32; shift += 8) h = (h ^ ((cp >> shift) & 0xFF)) * 16777619u;
    }
    return h;
}

std::vector<unsigned> lead_bytes() {
    std::vector<unsigned> leads;
    for (unsigned b = 0x81; b <= 0xFC; ++b)
        if (b <= 0x9F || b >= 0xE0) leads.push_back(b);
    return leads;
}

}  // namespace

TEST(ShiftJisTable, DecodesEdgeCasesAlike) {
    for (const Decoded& d : kDecoded) EXPECT_EQ(sjis_to_utf8(d.sjis), d.utf8) << d.utf8;
}

TEST(ShiftJisTable, EncodesEdgeCasesAlike) {
    for (const Encoded& e : kEncoded) {
        std::string out = "unchanged";
        const bool ok = utf8_to_sjis(e.utf8, &out);
        EXPECT_EQ(ok, e.sjis != nullptr) << e.utf8;
        EXPECT_EQ(out, e.sjis ? e.sjis : "") << e.utf8;
    }
}

TEST(ShiftJisTable, SingleBytesAlike) {
    for (unsigned b = 0x80; b <= 0xFF; ++b) {
        const unsigned char byte = static_cast<unsigned char>(b);
        const char32_t want = b >= 0xA1 && b <= 0xDF ? 0xFF61 + (b - 0xA1) : 0xFFFD;
        EXPECT_EQ(sjis_char_to_unicode(&byte, 1), want) << std::hex << b;
    }
}

// Every two-byte code, one hash a lead byte, against the desktop's iconv table.
TEST(ShiftJisTable, EveryTwoByteCodeAlike) {
    static const uint32_t kRows[] = {
#include "sjis_table_rows.inc"
    };
    const std::vector<unsigned> leads = lead_bytes();
    ASSERT_EQ(leads.size(), sizeof kRows / sizeof kRows[0]);
    for (size_t i = 0; i < leads.size(); ++i) {
        if (row_hash(leads[i]) == kRows[i]) continue;
        std::string codes;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            const unsigned char bytes[2] = {static_cast<unsigned char>(leads[i]), static_cast<unsigned char>(trail)};
            char line[32];
            std::snprintf(line, sizeof line, " %02X:%04X", trail, static_cast<unsigned>(sjis_char_to_unicode(bytes, 2)));
            codes += line;
        }
        ADD_FAILURE() << "lead byte " << std::hex << leads[i] << " hashes to 0x" << row_hash(leads[i]) << ":" << codes;
    }
}
