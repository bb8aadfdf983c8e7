#include "project/attribute_file.h"

#include "common/helpers.h"
#include "common/text_codec.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace project {
namespace {

using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

const std::string kBom = "\xEF\xBB\xBF";
const std::string kEmptyColourLine = std::string(50, '\t') + "\r\n";

// The order of a colour's 17 fields per event in the file, written out independently of the
// code's own table.
const Field kExpectedFileOrder[kFieldCount] = {
    link,         linkNewWindow, sound,        soundLoop, soundVolume, picture,
    pictureWidth, pictureHeight, pictureFrame, video,     videoLoop,   videoWidth,
    videoHeight,  videoVolume,   videoFrame,   hint,      hintStyle,
};

// The file's lines without the byte order mark, split at CR LF; the text after the last CR LF
// (empty for a well-formed file) is the final element.
std::vector<std::string> crLfLines(const std::string& bytes) {
    EXPECT_EQ(bytes.compare(0, 3, kBom), 0);
    std::vector<std::string> lines;
    std::size_t start = 3;
    for (std::size_t at; (at = bytes.find("\r\n", start)) != std::string::npos; start = at + 2)
        lines.push_back(bytes.substr(start, at - start));
    lines.push_back(bytes.substr(start));
    return lines;
}

std::vector<std::string> tabFields(const std::string& line) {
    std::vector<std::string> fields(1);
    for (char ch : line) {
        if (ch == '\t')
            fields.emplace_back();
        else
            fields.back() += ch;
    }
    return fields;
}

// A colour line whose field k is `value(k)`.
template <typename F> std::string colourLine(F value) {
    std::string line;
    for (int k = 0; k < 51; ++k)
        line += std::string(k ? "\t" : "") + std::string(value(k));
    return line;
}

bool sameTable(const RegionAttributes& a, const RegionAttributes& b) {
    return a.fields == b.fields && a.backgroundMusic == b.backgroundMusic &&
           a.backgroundVolume == b.backgroundVolume && a.backgroundLoop == b.backgroundLoop;
}

// --- Writing --------------------------------------------------------------------------------

TEST(AttributeFileWrite, NewProjectWritesAllColourLinesEmpty) {
    RegionAttributes attrs;
    std::string expected = kBom;
    for (int i = 0; i < 200; ++i)
        expected += kEmptyColourLine;

    EXPECT_EQ(attributeFileText(attrs), expected + "\t1\t\r\n");
    EXPECT_EQ(attrs.rowCount, 200);

    // As saving leaves it when the background music window is untouched.
    attrs.backgroundLoop = "0";
    EXPECT_EQ(attributeFileText(attrs), expected + "\t1\t0\r\n");
}

TEST(AttributeFileWrite, RowsEndAtTheLastColourInUse) {
    struct Case {
        const char* name;
        int colour;
        int event;
        Field field;
        int rows;
    };
    const Case cases[] = {
        {"link of colour 37 on click", 37, onClick, link, 38},
        {"tooltip of colour 1 on double click", 1, onDblClick, hint, 2},
        {"video of colour 199", 199, onMouseOver, video, 200},
        {"colour 0 is never tested", 0, onMouseOver, sound, 200},
        {"a volume alone does not count", 150, onClick, soundVolume, 200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RegionAttributes attrs;
        attrs.set(c.field, c.colour, c.event, "value");
        const std::vector<std::string> lines = crLfLines(attributeFileText(attrs));
        EXPECT_EQ(attrs.rowCount, c.rows);
        ASSERT_EQ(lines.size(), std::size_t(c.rows) + 2); // + background line + final empty
        EXPECT_EQ(lines.back(), "");
        for (int i = 0; i < c.rows; ++i) {
            const std::vector<std::string> fields = tabFields(lines[std::size_t(i)]);
            ASSERT_EQ(fields.size(), 51u) << "line " << i;
            for (int k = 0; k < 51; ++k) {
                const bool isTheValue =
                    i == c.colour && k / 17 == c.event && kExpectedFileOrder[k % 17] == c.field;
                EXPECT_EQ(fields[std::size_t(k)], isTheValue ? "value" : "")
                    << "line " << i << " field " << k;
            }
        }
    }
}

TEST(AttributeFileWrite, ValuesThatDoNotMarkAColourInUseAreLostAfterTheLastRow) {
    RegionAttributes attrs;
    attrs.set(link, 12, onMouseOver, "http://example.org/");
    attrs.set(soundVolume, 150, onClick, "0.5");
    const std::vector<std::string> lines = crLfLines(attributeFileText(attrs));
    EXPECT_EQ(attrs.rowCount, 13);
    EXPECT_EQ(lines.size(), 15u);

    RegionAttributes back;
    ASSERT_TRUE(parseAttributeFile(attributeFileText(attrs), back).ok());
    EXPECT_EQ(back.get(link, 12, onMouseOver), "http://example.org/");
    EXPECT_EQ(back.get(soundVolume, 150, onClick), "");
}

TEST(AttributeFileWrite, EveryFieldStandsAtItsPlaceInTheLine) {
    RegionAttributes attrs;
    for (int e = 0; e < 3; ++e)
        for (int f = 0; f < kFieldCount; ++f)
            attrs.set(Field(f), 4, e, "e" + std::to_string(e) + "f" + std::to_string(f));
    attrs.set(hint, 4, onClick, "a\\nb"); // the tooltip's escaped line break stays as it is
    attrs.backgroundMusic = "/music/тема.ogg";
    attrs.backgroundVolume = "0.25";
    attrs.backgroundLoop = "1";

    const std::vector<std::string> lines = crLfLines(attributeFileText(attrs));
    ASSERT_EQ(lines.size(), 7u);
    const std::vector<std::string> fields = tabFields(lines[4]);
    ASSERT_EQ(fields.size(), 51u);
    for (int k = 0; k < 51; ++k) {
        const Field f = kExpectedFileOrder[k % 17];
        const std::string expected =
            (f == hint && k / 17 == onClick)
                ? "a\\nb"
                : "e" + std::to_string(k / 17) + "f" + std::to_string(int(f));
        EXPECT_EQ(fields[std::size_t(k)], expected) << "field " << k;
    }
    EXPECT_EQ(lines[5], "/music/тема.ogg\t0.25\t1");
}

TEST(AttributeFileWrite, TabsAndLineBreaksInValuesBecomeOneSpace) {
    RegionAttributes attrs;
    attrs.set(link, 2, onMouseOver, "a\tb");
    attrs.set(hint, 2, onClick, "one\r\ntwo\nthree\rfour");
    attrs.set(picture, 2, onDblClick, "\t\r\n");
    attrs.backgroundMusic = "x\ty";
    attrs.backgroundLoop = "1\r\n";

    const std::vector<std::string> lines = crLfLines(attributeFileText(attrs));
    ASSERT_EQ(lines.size(), 5u);
    const std::vector<std::string> fields = tabFields(lines[2]);
    ASSERT_EQ(fields.size(), 51u);
    EXPECT_EQ(fields[0], "a b");
    EXPECT_EQ(fields[17 + 15], "one two three four");
    EXPECT_EQ(fields[34 + 5], "  ");
    EXPECT_EQ(lines[3], "x y\t1\t1 ");
}

TEST(AttributeFileWrite, WritesTheFileAndKeepsTheRowCountWhenItCannot) {
    TempDir dir;
    RegionAttributes attrs;
    attrs.set(link, 9, onClick, "a");

    const std::string missing = dir.file("no-such-folder/x.zarm");
    attrs.rowCount = 42;
    const common::Status failed = writeAttributeFile(missing, attrs);
    EXPECT_FALSE(failed.ok());
    EXPECT_NE(failed.message().find(missing), std::string::npos) << failed.message();
    EXPECT_EQ(attrs.rowCount, 42);

    const std::string path = dir.file("x.zarm");
    writeFile(path, "old contents that are longer than nothing");
    ASSERT_TRUE(writeAttributeFile(path, attrs).ok());
    EXPECT_EQ(attrs.rowCount, 10);
    EXPECT_EQ(readFile(path), attributeFileText(attrs));
}

// --- Reading --------------------------------------------------------------------------------

TEST(AttributeFileRead, FiveColourLinesSetTheRowCountAndLeaveTheRestEmpty) {
    std::string text = kBom;
    text += colourLine([](int k) { return "c0k" + std::to_string(k); }) + "\r\n";
    text += "only\tthree\tfields\r\n";
    text += "\r\n";
    text +=
        colourLine([](int k) { return k == 50 ? std::string("last") : std::string(); }) + "\r\n";
    text += "\t\t\t" + std::string("x") + "\r\n";
    text += "bg.ogg\t0.3\t1\r\n";

    RegionAttributes attrs;
    attrs.set(link, 100, onClick, "stale");
    attrs.rowCount = 77;
    ASSERT_TRUE(parseAttributeFile(text, attrs).ok());

    EXPECT_EQ(attrs.rowCount, 5);
    for (int k = 0; k < 51; ++k)
        EXPECT_EQ(attrs.get(kExpectedFileOrder[k % 17], 0, k / 17), "c0k" + std::to_string(k));
    EXPECT_EQ(attrs.get(link, 1, onMouseOver), "only");
    EXPECT_EQ(attrs.get(linkNewWindow, 1, onMouseOver), "three");
    EXPECT_EQ(attrs.get(sound, 1, onMouseOver), "fields");
    EXPECT_EQ(attrs.get(soundLoop, 1, onMouseOver), ""); // not left over from line 0
    EXPECT_EQ(attrs.get(hintStyle, 3, onDblClick), "last");
    EXPECT_EQ(attrs.get(soundLoop, 4, onMouseOver), "x");
    EXPECT_EQ(attrs.get(link, 4, onMouseOver), "");
    for (int c = 5; c < kColorCount; ++c)
        EXPECT_FALSE(attrs.isInUse(c)) << c;
    EXPECT_EQ(attrs.get(link, 100, onClick), "");
    EXPECT_EQ(attrs.backgroundMusic, "bg.ogg");
    EXPECT_EQ(attrs.backgroundVolume, "0.3");
    EXPECT_EQ(attrs.backgroundLoop, "1");
}

TEST(AttributeFileRead, ShortAndLongLines) {
    std::vector<std::string> twenty, sixty;
    for (int k = 0; k < 20; ++k)
        twenty.push_back("v" + std::to_string(k));
    for (int k = 0; k < 60; ++k)
        sixty.push_back("w" + std::to_string(k));
    auto join = [](const std::vector<std::string>& parts) {
        std::string s;
        for (const std::string& p : parts)
            s += (s.empty() ? "" : "\t") + p;
        return s;
    };
    RegionAttributes attrs;
    ASSERT_TRUE(
        parseAttributeFile(kBom + join(twenty) + "\r\n" + join(sixty) + "\r\n\t1\t0\r\n", attrs)
            .ok());

    // 20 fields: event 0 whole, then link, linkNewWindow and sound of event 1.
    for (int k = 0; k < 17; ++k)
        EXPECT_EQ(attrs.get(kExpectedFileOrder[k], 0, onMouseOver), twenty[std::size_t(k)]);
    EXPECT_EQ(attrs.get(link, 0, onClick), "v17");
    EXPECT_EQ(attrs.get(linkNewWindow, 0, onClick), "v18");
    EXPECT_EQ(attrs.get(sound, 0, onClick), "v19");
    EXPECT_EQ(attrs.get(soundLoop, 0, onClick), "");
    EXPECT_EQ(attrs.get(link, 0, onDblClick), "");

    // Fields after the 51st are ignored, and do not spill into the next colour.
    EXPECT_EQ(attrs.get(hintStyle, 1, onDblClick), "w50");
    EXPECT_FALSE(attrs.isInUse(2));
    EXPECT_EQ(attrs.rowCount, 2);
}

TEST(AttributeFileRead, AnyLineEndIsAccepted) {
    const std::string line0 = colourLine([](int k) { return k == 17 ? "http://a/" : ""; });
    const std::string line1 = std::string(15, '\t') + "подсказка"; // hint of event 0
    struct Case {
        const char* name;
        std::string text;
    };
    const Case cases[] = {
        {"CR LF", line0 + "\r\n" + line1 + "\r\n" + "m.ogg\t0.5\t1\r\n"},
        {"CR", line0 + "\r" + line1 + "\r" + "m.ogg\t0.5\t1\r"},
        {"LF", line0 + "\n" + line1 + "\n" + "m.ogg\t0.5\t1\n"},
        {"mixed", line0 + "\n" + line1 + "\r\n" + "m.ogg\t0.5\t1\r"},
        {"no break at the end", line0 + "\r\n" + line1 + "\r\n" + "m.ogg\t0.5\t1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RegionAttributes attrs;
        ASSERT_TRUE(parseAttributeFile(kBom + c.text, attrs).ok());
        EXPECT_EQ(attrs.rowCount, 2);
        EXPECT_EQ(attrs.get(link, 0, onClick), "http://a/");
        EXPECT_EQ(attrs.get(hint, 1, onMouseOver), "подсказка");
        EXPECT_EQ(attrs.backgroundMusic, "m.ogg");
        EXPECT_EQ(attrs.backgroundVolume, "0.5");
        EXPECT_EQ(attrs.backgroundLoop, "1");
    }
}

TEST(AttributeFileRead, EncodingComesFromTheByteOrderMark) {
    const std::string text = "Привет\tсайт\r\nмузыка.ogg\t1\t0\r\n";
    struct Case {
        const char* name;
        std::string bytes;
    };
    // "Привет\tсайт" and "музыка.ogg" in Windows-1251, the 8-bit code page of files without a mark.
    const std::string cp1251 = "\xCF\xF0\xE8\xE2\xE5\xF2\t\xF1\xE0\xE9\xF2\r\n"
                               "\xEC\xF3\xE7\xFB\xEA\xE0.ogg\t1\t0\r\n";
    const Case cases[] = {
        {"UTF-8", kBom + text},
        {"UTF-16 LE", common::encodeText(text, common::TextEncoding::Utf16Le)},
        {"UTF-16 BE", common::encodeText(text, common::TextEncoding::Utf16Be)},
        {"Windows-1251", cp1251},
        // Saved by an editor on Linux: no mark; read as Windows-1251 it came out garbled.
        {"UTF-8 without a mark", text},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RegionAttributes attrs;
        ASSERT_TRUE(parseAttributeFile(c.bytes, attrs).ok());
        EXPECT_EQ(attrs.rowCount, 1);
        EXPECT_EQ(attrs.get(link, 0, onMouseOver), "Привет");
        EXPECT_EQ(attrs.get(linkNewWindow, 0, onMouseOver), "сайт");
        EXPECT_EQ(attrs.backgroundMusic, "музыка.ogg");
    }
}

TEST(AttributeFileRead, ColourLinesBeyondTheTableAreIgnored) {
    std::string text = kBom;
    for (int i = 0; i < 250; ++i)
        text += "line" + std::to_string(i) + "\r\n";
    text += "bg.ogg\t0.7\t1\r\n";

    RegionAttributes attrs;
    ASSERT_TRUE(parseAttributeFile(text, attrs).ok());
    EXPECT_EQ(attrs.rowCount, 200);
    EXPECT_EQ(attrs.get(link, 0, onMouseOver), "line0");
    EXPECT_EQ(attrs.get(link, 199, onMouseOver), "line199");
    EXPECT_EQ(attrs.backgroundMusic, "bg.ogg");
    EXPECT_EQ(attrs.backgroundVolume, "0.7");
}

TEST(AttributeFileRead, EmptyFilesAndShortBackgroundLines) {
    struct Case {
        const char* name;
        std::string bytes;
        int rowCount;
        std::string music, volume, loop;
    };
    const Case cases[] = {
        {"no bytes", "", 0, "", "1", ""},
        {"only the mark", kBom, 0, "", "1", ""},
        {"one empty line", kBom + "\r\n", 0, "", "1", ""},
        {"background music only", kBom + "a.ogg\r\n", 0, "a.ogg", "1", ""},
        {"empty volume given", kBom + "\t\t1\r\n", 0, "", "", "1"},
        {"one colour, empty background", kBom + "x\r\n\r\n", 1, "", "1", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RegionAttributes attrs;
        attrs.set(hint, 5, onClick, "stale");
        attrs.backgroundMusic = "stale.ogg";
        attrs.backgroundVolume = "0.1";
        attrs.backgroundLoop = "1";
        attrs.rowCount = 33;
        ASSERT_TRUE(parseAttributeFile(c.bytes, attrs).ok());
        EXPECT_EQ(attrs.rowCount, c.rowCount);
        EXPECT_FALSE(attrs.isInUse(5));
        EXPECT_EQ(attrs.backgroundMusic, c.music);
        EXPECT_EQ(attrs.backgroundVolume, c.volume);
        EXPECT_EQ(attrs.backgroundLoop, c.loop);
    }
}

TEST(AttributeFileRead, ValuesAreTakenAsTheyStand) {
    RegionAttributes attrs;
    const std::string line = colourLine([](int k) {
        switch (k) {
        case 4:
            return std::string("loud"); // soundVolume
        case 6:
            return std::string("-5"); // pictureWidth
        case 16:
            return std::string("99"); // hintStyle
        case 1:
            return std::string("yes"); // linkNewWindow
        default:
            return std::string();
        }
    });
    ASSERT_TRUE(parseAttributeFile(kBom + line + "\r\n\tloud\t2\r\n", attrs).ok());
    EXPECT_EQ(attrs.get(soundVolume, 0, onMouseOver), "loud");
    EXPECT_EQ(attrs.get(pictureWidth, 0, onMouseOver), "-5");
    EXPECT_EQ(attrs.get(hintStyle, 0, onMouseOver), "99");
    EXPECT_EQ(attrs.get(linkNewWindow, 0, onMouseOver), "yes");
    EXPECT_EQ(attrs.backgroundVolume, "loud");
    EXPECT_EQ(attrs.backgroundLoop, "2");
}

TEST(AttributeFile, WriteThenReadGivesTheSameTable) {
    RegionAttributes attrs;
    for (int c : {0, 1, 7, 63, 120}) {
        for (int e = 0; e < 3; ++e) {
            attrs.set(link, c, e, "http://example.org/" + std::to_string(c * 3 + e));
            attrs.set(hint, c, e, "строка 1\\nстрока 2");
            attrs.set(soundVolume, c, e, "0.5");
            attrs.set(pictureFrame, c, e, std::to_string(e));
            attrs.showDefaults(c, e);
        }
    }
    attrs.set(video, 64, onDblClick, "/видео/клип.mp4");
    attrs.set(soundLoop, 119, onClick, "1"); // below the last colour in use: kept
    attrs.backgroundMusic = "/звуки/фон.ogg";
    attrs.backgroundVolume = "0.75";
    attrs.backgroundLoop = "0";

    TempDir dir;
    const std::string path = dir.file("проект.zarm");
    ASSERT_TRUE(writeAttributeFile(path, attrs).ok());
    EXPECT_EQ(attrs.rowCount, 121);

    RegionAttributes back;
    const common::Status s = readAttributeFile(path, back);
    ASSERT_TRUE(s.ok()) << s.message();
    EXPECT_EQ(back.rowCount, 121);
    EXPECT_TRUE(sameTable(back, attrs));

    // A value past the last colour in use comes back empty.
    attrs.set(soundLoop, 121, onClick, "1");
    ASSERT_TRUE(writeAttributeFile(path, attrs).ok());
    ASSERT_TRUE(readAttributeFile(path, back).ok());
    EXPECT_EQ(back.get(soundLoop, 121, onClick), "");
}

TEST(AttributeFile, UnreadableFilesFailNamingTheFileAndLeaveTheTableCleared) {
    TempDir dir;
    const std::string oddUtf16 = dir.file("odd.zarm");
    writeFile(oddUtf16, std::string("\xFF\xFE"
                                    "a\0\t",
                                    5));
    for (const std::string& path : {dir.file("missing.zarm"), oddUtf16, dir.path().string()}) {
        SCOPED_TRACE(path);
        RegionAttributes attrs;
        attrs.set(link, 3, onClick, "stale");
        attrs.backgroundVolume = "0.2";
        const common::Status s = readAttributeFile(path, attrs);
        EXPECT_FALSE(s.ok());
        EXPECT_NE(s.message().find(path), std::string::npos) << s.message();
        EXPECT_FALSE(attrs.isInUse(3));
        EXPECT_EQ(attrs.backgroundVolume, "1");
    }
}

} // namespace
} // namespace project
