#include "common/text_codec.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using common::DecodedText;
using common::decodeText;
using common::encodeText;
using common::TextEncoding;

// The Cyrillic letters in Windows-1251 and in UTF-8, built from the code tables rather than
// from the converter: А..я are 0xC0..0xFF and U+0410..U+044F, Ё 0xA8 U+0401, ё 0xB8 U+0451.
struct CyrillicAlphabet {
    std::string cp1251;
    std::string utf8;
    CyrillicAlphabet() {
        auto addUtf8 = [this](unsigned code) {
            utf8 += char(0xC0 | (code >> 6));
            utf8 += char(0x80 | (code & 0x3F));
        };
        for (unsigned i = 0; i < 64; ++i) {
            cp1251 += char(0xC0 + i);
            addUtf8(0x410 + i);
        }
        cp1251 += "\xA8\xB8";
        addUtf8(0x401);
        addUtf8(0x451);
    }
};

TEST(TextCodec, DecodeChoosesTheEncodingByTheByteOrderMark) {
    struct Case {
        const char* name;
        std::string bytes;
        TextEncoding encoding;
        std::string utf8;
    };
    const Case cases[] = {
        {"UTF-8 mark",
         "\xEF\xBB\xBF"
         "a\xD0\x9F",
         TextEncoding::Utf8, "a\xD0\x9F"},
        {"UTF-16 LE mark",
         std::string("\xFF\xFE"
                     "a\0\x1F\x04",
                     6),
         TextEncoding::Utf16Le, "a\xD0\x9F"},
        {"UTF-16 BE mark", std::string("\xFE\xFF\0a\x04\x1F", 6), TextEncoding::Utf16Be,
         "a\xD0\x9F"},
        {"UTF-16 surrogate pair", std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6), TextEncoding::Utf16Le,
         "\xF0\x9F\x98\x80"},
        {"no mark, not UTF-8, is Windows-1251", "a\xCF", TextEncoding::Cp1251, "a\xD0\x9F"},
        // What editors on Linux write: valid UTF-8 without a mark is read as UTF-8. "И" is
        // D0 98, and 0x98 has no character in Windows-1251.
        {"UTF-8 without mark", "\xD0\x9F\xD0\x98", TextEncoding::Utf8NoMark, "\xD0\x9F\xD0\x98"},
        {"four-byte UTF-8 without mark", "\xF0\x9F\x98\x80", TextEncoding::Utf8NoMark,
         "\xF0\x9F\x98\x80"},
        // Not UTF-8 at all: each falls back to Windows-1251.
        {"truncated sequence", "\xD0", TextEncoding::Cp1251, "\xD0\xA0"},
        {"overlong slash", "\xC0\xAF", TextEncoding::Cp1251, "\xD0\x90\xD0\x87"},
        {"surrogate", "\xED\xA0\x80", TextEncoding::Cp1251, "\xD0\xBD\xC2\xA0\xD0\x82"},
        {"Windows-1251 word", "\xCF\xF0\xE8", TextEncoding::Cp1251, "\xD0\x9F\xD1\x80\xD0\xB8"},
        // Plain ASCII reads the same either way and keeps the older systems' encoding.
        {"empty", "", TextEncoding::Cp1251, ""},
        {"ASCII", "var a;", TextEncoding::Cp1251, "var a;"},
        {"only a UTF-8 mark", "\xEF\xBB\xBF", TextEncoding::Utf8, ""},
        {"only a UTF-16 mark", "\xFF\xFE", TextEncoding::Utf16Le, ""},
        {"malformed UTF-8 is kept",
         "\xEF\xBB\xBF"
         "a\xFF\xC3",
         TextEncoding::Utf8, "a\xFF\xC3"},
        // 0x98 is the one byte without a character in Windows-1251.
        {"unassigned Windows-1251 byte",
         "a\x98"
         "b",
         TextEncoding::Cp1251, "a?b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DecodedText out;
        ASSERT_TRUE(decodeText(c.bytes, out).ok());
        EXPECT_EQ(out.encoding, c.encoding);
        EXPECT_EQ(out.utf8, c.utf8);
    }
}

TEST(TextCodec, MalformedUtf16Fails) {
    const std::string cases[] = {
        std::string("\xFF\xFE"
                    "a\0b",
                    5), // odd number of bytes
        std::string("\xFF\xFE\x3D\xD8"
                    "a\0",
                    6), // high surrogate without its low half
    };
    for (const std::string& bytes : cases) {
        DecodedText out;
        EXPECT_FALSE(decodeText(bytes, out).ok());
    }
}

TEST(TextCodec, Windows1251CyrillicBothWays) {
    const CyrillicAlphabet alphabet;
    DecodedText out;
    ASSERT_TRUE(decodeText(alphabet.cp1251, out).ok());
    EXPECT_EQ(out.utf8, alphabet.utf8);
    EXPECT_EQ(encodeText(alphabet.utf8, TextEncoding::Cp1251), alphabet.cp1251);

    // Signs outside the letters, and plain ASCII with control characters.
    EXPECT_EQ(encodeText("\xE2\x84\x96 \xE2\x82\xAC", TextEncoding::Cp1251), "\xB9 \x88");
    EXPECT_EQ(encodeText("a\tb\r\n", TextEncoding::Cp1251), "a\tb\r\n");
}

TEST(TextCodec, CharactersWindows1251CannotHoldBecomeOneQuestionMarkEach) {
    struct Case {
        const char* name;
        std::string utf8;
        std::string cp1251;
    };
    const Case cases[] = {
        {"CJK",
         "a\xE4\xB8\xAD"
         "b",
         "a?b"},
        {"emoji", "\xF0\x9F\x98\x80\xD0\x9F", "?\xCF"},
        {"two in a row", "\xE4\xB8\xAD\xE4\xB8\xAD", "??"},
        {"malformed byte",
         "a\xFF"
         "b",
         "a?b"},
        {"cut at the end", "ab\xD0", "ab?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(encodeText(c.utf8, TextEncoding::Cp1251), c.cp1251);
    }
}

TEST(TextCodec, EncodeWritesTheMarkAndRoundTrips) {
    const std::string text = "Привет, мир \xF0\x9F\x98\x80\r\n";
    struct Case {
        TextEncoding encoding;
        std::string mark;
    };
    for (const Case& c :
         {Case{TextEncoding::Utf8, "\xEF\xBB\xBF"}, Case{TextEncoding::Utf16Le, "\xFF\xFE"},
          Case{TextEncoding::Utf16Be, "\xFE\xFF"}}) {
        SCOPED_TRACE(int(c.encoding));
        const std::string bytes = encodeText(text, c.encoding);
        EXPECT_EQ(bytes.compare(0, c.mark.size(), c.mark), 0);
        DecodedText out;
        ASSERT_TRUE(decodeText(bytes, out).ok());
        EXPECT_EQ(out.encoding, c.encoding);
        EXPECT_EQ(out.utf8, text);
    }
    EXPECT_EQ(encodeText("\xD0\xAF", TextEncoding::Utf16Le), std::string("\xFF\xFE\x2F\x04", 4));
    EXPECT_EQ(encodeText("\xD0\xAF", TextEncoding::Utf16Be), std::string("\xFE\xFF\x04\x2F", 4));
}

TEST(TextCodec, LineBreaksBecomeCrLf) {
    struct Case {
        std::string in, out;
    };
    const Case cases[] = {
        {"", ""},
        {"abc", "abc"},
        {"a\nb", "a\r\nb"},
        {"a\rb", "a\r\nb"},
        {"a\r\nb", "a\r\nb"},
        {"a\n", "a\r\n"},
        {"\r", "\r\n"},
        {"\n\r", "\r\n\r\n"},     // LF then CR are two breaks
        {"\r\r\n", "\r\n\r\n"},   // CR, then CR LF
        {"\r\n\r\n", "\r\n\r\n"}, // already normal: unchanged
        {"x\n\ny", "x\r\n\r\ny"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(common::normalizeLineBreaksToCrLf(c.in), c.out) << testing::PrintToString(c.in);
}

} // namespace
