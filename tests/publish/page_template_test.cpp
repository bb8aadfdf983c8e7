#include "publish/page_template.h"

#include "support/test_files.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using common::TextEncoding;
using publish::PageTemplate;

const std::string kUtf8Bom = "\xEF\xBB\xBF";
const std::string kUtf16LeBom("\xFF\xFE", 2);
const std::string kUtf16BeBom("\xFE\xFF", 2);

TEST(PageTemplate, LineBreaksBecomeCrLfAndTheLastLineKeepsItsEnd) {
    const std::pair<const char*, const char*> cases[] = {
        {"a\nb\rc\r\nd", "a\r\nb\r\nc\r\nd"},
        {"a\nb\n", "a\r\nb\r\n"},
        {"a\r\n\r\n", "a\r\n\r\n"},
        {"", ""},
        {"no break", "no break"},
    };
    for (const auto& [bytes, expected] : cases) {
        PageTemplate t;
        ASSERT_TRUE(publish::parseTemplate(bytes, t));
        EXPECT_EQ(t.text, expected) << bytes;
    }
}

// Each encoding: the template is read in it and the output is written in it, with its mark.
TEST(PageTemplate, OutputKeepsTheTemplatesEncodingAndMark) {
    const std::string utf8Text = "<title>Привет [NAME]</title>\n";
    const std::string filled = "<title>Привет фото</title>\r\n";
    struct Case {
        TextEncoding encoding;
        std::string bytes;
        std::string mark;
    };
    const Case cases[] = {
        {TextEncoding::Utf8, kUtf8Bom + utf8Text, kUtf8Bom},
        {TextEncoding::Utf16Le, common::encodeText(utf8Text, TextEncoding::Utf16Le), kUtf16LeBom},
        {TextEncoding::Utf16Be, common::encodeText(utf8Text, TextEncoding::Utf16Be), kUtf16BeBom},
        {TextEncoding::Cp1251, common::encodeText(utf8Text, TextEncoding::Cp1251), ""},
    };
    for (const Case& c : cases) {
        PageTemplate t;
        ASSERT_TRUE(publish::parseTemplate(c.bytes, t));
        EXPECT_EQ(t.encoding, c.encoding);
        const std::string out = publish::encodeTemplateOutput(
            publish::fillPageTemplate(t.text, "фото.jpg", "фото"), t.encoding);
        EXPECT_EQ(out.substr(0, c.mark.size()), c.mark);
        EXPECT_EQ(out, common::encodeText(filled, c.encoding)) << int(c.encoding);
    }
    // Windows-1251 bytes for a template without a mark, checked by hand once.
    EXPECT_EQ(publish::encodeTemplateOutput("Привет", TextEncoding::Cp1251),
              "\xCF\xF0\xE8\xE2\xE5\xF2");
}

TEST(PageTemplate, NamesAreReplacedEverywhereAndCaseSensitively) {
    EXPECT_EQ(publish::fillPageTemplate("[FILENAME] [NAME][NAME] [name] [FILENAME]\r\n[NAME]",
                                        "a.b.jpg", "a.b"),
              "a.b.jpg a.ba.b [name] a.b.jpg\r\na.b");
    EXPECT_EQ(publish::fillPageTemplate("x[FILENAME]y", "x.jpg", "x"), "xx.jpgy");
}

TEST(PageTemplate, ScriptPlaceholdersGoInTheirOrder) {
    const std::string text = "var n='[NAME]';\r\n[DATA]\r\nf(){[EFFECT]}\r\n";
    // Data holding names keeps them; data holding "[EFFECT]" gets the effect too.
    const std::string data = "DATA('[NAME]','[FILENAME]','[EFFECT]');\r\n";
    EXPECT_EQ(publish::fillScriptTemplate(text, "p.jpg", "p", data, "E\n"),
              "var n='p';\r\nDATA('[NAME]','[FILENAME]','E\n');\r\n\r\nf(){E\n}\r\n");
    // With the effect off the placeholder disappears, wherever it stands.
    EXPECT_EQ(publish::fillScriptTemplate(text, "p.jpg", "p", data, ""),
              "var n='p';\r\nDATA('[NAME]','[FILENAME]','');\r\n\r\nf(){}\r\n");
}

TEST(PageTemplate, EffectKeepsItsLfBreaksInACrLfTemplate) {
    PageTemplate t;
    ASSERT_TRUE(publish::parseTemplate(kUtf8Bom + "a\n[EFFECT]\nb\n", t));
    const std::string out = publish::encodeTemplateOutput(
        publish::fillScriptTemplate(t.text, "p.jpg", "p", "", "x=1;\ny=2;\n"), t.encoding);
    EXPECT_EQ(out, kUtf8Bom + "a\r\nx=1;\ny=2;\n\r\nb\r\n");
}

TEST(PageTemplate, ReadFailuresNameTheFile) {
    testing_support::TempDir dir;
    PageTemplate t;
    const std::string missing = dir.file("index.html");
    common::Status s = publish::readTemplate(missing, t);
    ASSERT_FALSE(s);
    EXPECT_NE(s.message().find(missing), std::string::npos) << s.message();

    const std::string broken = dir.file("index.js");
    testing_support::writeFile(broken, kUtf16LeBom + "a"); // half a UTF-16 unit
    s = publish::readTemplate(broken, t);
    ASSERT_FALSE(s);
    EXPECT_NE(s.message().find(broken), std::string::npos) << s.message();

    const std::string good = dir.file("good.js");
    testing_support::writeFile(good, kUtf8Bom + "ok\n");
    ASSERT_TRUE(publish::readTemplate(good, t));
    EXPECT_EQ(t.text, "ok\r\n");
    EXPECT_EQ(t.encoding, TextEncoding::Utf8);
}

} // namespace
