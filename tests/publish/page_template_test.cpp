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

TEST(PageTemplate, ScriptPlaceholdersAreFilledInOnePass) {
    const std::string text = "var n='[NAME]';\r\n[DATA]\r\nf(){[EFFECT]}\r\n";
    // Text brought in by a placeholder is never scanned again: a value holding "[EFFECT]"
    // (the brightness script has double quotes and line breaks) would break its string.
    const std::string data = "DATA('[NAME]','[FILENAME]','[EFFECT]','[DATA]');\r\n";
    EXPECT_EQ(
        publish::fillScriptTemplate(text, "p.jpg", "p", data, "E\"\n"),
        "var n='p';\r\nDATA('[NAME]','[FILENAME]','[EFFECT]','[DATA]');\r\n\r\nf(){E\"\n}\r\n");
    // With the effect off the placeholder disappears.
    EXPECT_EQ(publish::fillScriptTemplate(text, "p.jpg", "p", data, ""),
              "var n='p';\r\nDATA('[NAME]','[FILENAME]','[EFFECT]','[DATA]');\r\n\r\nf(){}\r\n");
    // A name holding a placeholder stays as it is.
    EXPECT_EQ(publish::fillScriptTemplate("[NAME]|[FILENAME]", "[DATA].jpg", "[EFFECT]", "D", "E"),
              "[EFFECT]|[DATA].jpg");
}

TEST(PageTemplate, ScriptNamesStayInsideTheirString) {
    const std::pair<const char*, const char*> cases[] = {
        {"plain", "plain"},
        {"it's", "it\\'s"},
        {"say \"hi\"", "say \\\"hi\\\""},
        {"back\\slash", "back\\\\slash"},
        {"two\r\nlines\n", "two\\nlines\\n"},
        {"</script>", "\\x3C/script>"},
    };
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(publish::fillScriptTemplate("'[NAME]'", "f", name, "", ""),
                  std::string("'") + expected + "'")
            << name;
}

TEST(PageTemplate, PageNamesAreEscapedForWhereTheyStand) {
    const std::string page = "<title>[NAME]</title>\r\n"
                             "<img class=\"p\" src=\"[FILENAME]\" alt=\"[NAME]\">\r\n"
                             "<a href='x/[NAME].html' title='[NAME]'>[FILENAME]</a>\r\n"
                             "<script src=\"zarm_[NAME].js\"></script>\r\n"
                             "<img SRC = [FILENAME] alt=[NAME]>";
    struct Case {
        const char* fileName;
        const char* name;
        const char* expected;
    };
    const Case cases[] = {
        {"plain-1_a.b~.jpg", "plain-1_a.b~",
         "<title>plain-1_a.b~</title>\r\n"
         "<img class=\"p\" src=\"plain-1_a.b~.jpg\" alt=\"plain-1_a.b~\">\r\n"
         "<a href='x/plain-1_a.b~.html' title='plain-1_a.b~'>plain-1_a.b~.jpg</a>\r\n"
         "<script src=\"zarm_plain-1_a.b~.js\"></script>\r\n"
         "<img SRC = plain-1_a.b~.jpg alt=plain-1_a.b~>"},
        {"x\" onerror=\"alert(1)\" y=\".png", "x\" onerror=\"alert(1)\" y=\"",
         "<title>x&quot; onerror=&quot;alert(1)&quot; y=&quot;</title>\r\n"
         "<img class=\"p\" src=\"x%22%20onerror%3D%22alert%281%29%22%20y%3D%22.png\" "
         "alt=\"x&quot; onerror=&quot;alert(1)&quot; y=&quot;\">\r\n"
         "<a href='x/x%22%20onerror%3D%22alert%281%29%22%20y%3D%22.html' "
         "title='x&quot; onerror=&quot;alert(1)&quot; y=&quot;'>"
         "x&quot; onerror=&quot;alert(1)&quot; y=&quot;.png</a>\r\n"
         "<script src=\"zarm_x%22%20onerror%3D%22alert%281%29%22%20y%3D%22.js\"></script>\r\n"
         "<img SRC = x%22%20onerror%3D%22alert%281%29%22%20y%3D%22.png "
         "alt=x&quot;&#32;onerror&#61;&quot;alert(1)&quot;&#32;y&#61;&quot;>"},
        {"50% & more #2?'<'.png", "50% & more #2?'<'",
         "<title>50% &amp; more #2?&#39;&lt;&#39;</title>\r\n"
         "<img class=\"p\" src=\"50%25%20%26%20more%20%232%3F%27%3C%27.png\" "
         "alt=\"50% &amp; more #2?&#39;&lt;&#39;\">\r\n"
         "<a href='x/50%25%20%26%20more%20%232%3F%27%3C%27.html' "
         "title='50% &amp; more #2?&#39;&lt;&#39;'>50% &amp; more #2?&#39;&lt;&#39;.png</a>\r\n"
         "<script src=\"zarm_50%25%20%26%20more%20%232%3F%27%3C%27.js\"></script>\r\n"
         "<img SRC = 50%25%20%26%20more%20%232%3F%27%3C%27.png "
         "alt=50%&#32;&amp;&#32;more&#32;#2?&#39;&lt;&#39;>"},
        {"Дом.jpg", "Дом",
         "<title>Дом</title>\r\n"
         "<img class=\"p\" src=\"%D0%94%D0%BE%D0%BC.jpg\" alt=\"Дом\">\r\n"
         "<a href='x/%D0%94%D0%BE%D0%BC.html' title='Дом'>Дом.jpg</a>\r\n"
         "<script src=\"zarm_%D0%94%D0%BE%D0%BC.js\"></script>\r\n"
         "<img SRC = %D0%94%D0%BE%D0%BC.jpg alt=Дом>"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(publish::fillPageTemplate(page, c.fileName, c.name), c.expected) << c.name;
    // Placeholders brought in by a name are not filled again.
    EXPECT_EQ(publish::fillPageTemplate("<b>[NAME]</b>", "[NAME].jpg", "[FILENAME]"),
              "<b>[FILENAME]</b>");
}

TEST(PageTemplate, Utf8WithoutMarkIsReadAndWrittenAsUtf8) {
    // "И" is D0 98: read as Windows-1251 it became "?" and the rest came out garbled.
    PageTemplate t;
    ASSERT_TRUE(publish::parseTemplate("<title>ИЯ [NAME]</title>\n", t));
    EXPECT_EQ(t.text, "<title>ИЯ [NAME]</title>\r\n");
    EXPECT_EQ(
        publish::encodeTemplateOutput(publish::fillPageTemplate(t.text, "д.jpg", "д"), t.encoding),
        "<title>ИЯ д</title>\r\n");
    // Bytes that are not UTF-8 still come from older systems in Windows-1251.
    ASSERT_TRUE(publish::parseTemplate("\xC8\xDF", t));
    EXPECT_EQ(t.text, "ИЯ");
    EXPECT_EQ(publish::encodeTemplateOutput(t.text, t.encoding), "\xC8\xDF");
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
