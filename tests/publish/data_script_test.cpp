#include "publish/data_script.h"

#include "common/raster.h"
#include "project/palette.h"
#include "project/region_attributes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using project::RegionAttributes;
using publish::BuildDataScript;
using publish::EncodeMapRow;

// A map 3 × n pixels wide and 2 high whose sampled row (y = 1) carries `samples` as palette
// indexes; every other pixel holds colour 1 so that reading a wrong pixel shows.
common::Raster mapWithSamples(const std::vector<int>& samples) {
    common::Raster map(3 * int(samples.size()), 2);
    map.fill(project::paletteColors[1]);
    for (std::size_t i = 0; i < samples.size(); ++i)
        map.setPixel(3 * int(i) + 1, 1, project::paletteColors[samples[i]]);
    return map;
}

std::vector<int> repeated(int index, int count) {
    return std::vector<int>(std::size_t(count), index);
}

std::vector<int> concat(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<std::string> lines(const std::string& block) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
        const auto end = block.find("\r\n", start);
        if (end == std::string::npos) {
            EXPECT_EQ(start, block.size()) << "text after the last CR LF";
            return out;
        }
        out.push_back(block.substr(start, end - start));
        start = end + 2;
    }
}

// The apostrophe-quoted string items of a script line, decoded as a browser would (only the
// escapes the block can hold). Fails the test on an unterminated string or stray text.
std::vector<std::string> scriptStrings(const std::string& line) {
    std::vector<std::string> items;
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ',' || line[i] == ')' || line[i] == ';') {
            ++i;
            continue;
        }
        EXPECT_EQ(line[i], '\'') << "at " << i << " in " << line;
        if (line[i] != '\'') return items;
        std::string value;
        for (++i;; ++i) {
            if (i >= line.size()) {
                ADD_FAILURE() << "unterminated string in " << line;
                return items;
            }
            if (line[i] == '\\') {
                ++i;
                value += line[i] == 'n' ? '\n' : line[i];
            } else if (line[i] == '\'') {
                ++i;
                break;
            } else {
                value += line[i];
            }
        }
        items.push_back(value);
    }
    return items;
}

TEST(HexByte, TwoUpperCaseDigits) {
    const std::pair<int, const char*> cases[] = {{0, "00"},  {5, "05"},   {10, "0A"},
                                                 {35, "23"}, {171, "AB"}, {255, "FF"}};
    for (const auto& [v, expected] : cases)
        EXPECT_EQ(publish::HexByte(v), expected) << v;
}

TEST(MediaUrl, FileNameInMediaFolder) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {"/home/u/Sounds/bell.wav", "qiv_zarim/bell.wav"},
        {"C:\\Sounds\\bell.wav", "qiv_zarim/bell.wav"},
        {"bell.mp3", "qiv_zarim/bell.mp3"},
        {"/music/no_extension", "qiv_zarim/no_extension"},
    };
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(publish::MediaUrl(path), expected) << path;
}

TEST(VideoUrl, BaseNameWithMp4) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {"/clips/sea.avi", "qiv_zarim/sea.mp4"},
        {"D:\\Clips\\sea.avi", "qiv_zarim/sea.mp4"},
        {"/clips/a.b.avi", "qiv_zarim/a.b.mp4"},
        {"/clips/sea", "qiv_zarim/.mp4"},          // no "." at all: the cut leaves nothing
        {"/clips.old/sea", "qiv_zarim/clips.mp4"}, // the extension is cut from the whole path
    };
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(publish::VideoUrl(path), expected) << path;
}

TEST(EncodeMapRow, RunsAreCutAt255AndEndWith2323) {
    struct Case {
        const char* name;
        std::vector<int> samples;
        std::string expected;
    };
    const Case cases[] = {
        {"300 black samples", repeated(0, 300), "00FF002D2323"},
        {"exactly 255", repeated(7, 255), "07FF2323"},
        {"256", repeated(7, 256), "07FF07012323"},
        {"510", repeated(3, 510), "03FF03FF2323"},
        {"index 35 run of 35 looks like the end group", repeated(35, 35), "23232323"},
        {"several runs", {1, 1, 2, 0, 0, 0, 199}, "010202010003C7012323"},
        {"runs of one",
         {5, 6, 5},
         "050106010501"
         "2323"},
        {"long run after a short one", concat({9}, repeated(0, 256)), "090100FF00012323"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EncodeMapRow(mapWithSamples(c.samples), 1), c.expected) << c.name;
}

TEST(EncodeMapRow, ColoursOutsideThePaletteReadAsZeroAndExtraColoursKeepTheirIndex) {
    common::Raster map(9, 2);
    map.setPixel(1, 1, 0x010101);                    // not in the table
    map.setPixel(4, 1, project::paletteColors[211]); // white, beyond the choosable colours
    map.setPixel(7, 1, project::paletteColors[199]);
    EXPECT_EQ(EncodeMapRow(map, 1), "0001D301C7012323");
}

TEST(EncodeMapRow, GroupLengthsAddUpToTheSamplesOfTheRow) {
    for (int width : {1, 2, 3, 4, 5, 7, 100, 766, 767, 768, 2000}) {
        common::Raster map(width, 2);
        for (int x = 0; x < width; ++x)
            map.setPixel(x, 1, project::paletteColors[(x / 37) % 3]);
        const std::string row = EncodeMapRow(map, 1);
        ASSERT_EQ(row.size() % 4, 0u) << width;
        ASSERT_EQ(row.substr(row.size() - 4), "2323") << width;
        int total = 0;
        for (std::size_t i = 0; i + 4 < row.size(); i += 4)
            total += std::stoi(row.substr(i + 2, 2), nullptr, 16);
        EXPECT_EQ(total, (width + 1) / 3) << width; // samples at x = 1, 4, ... < width
    }
}

class BuildDataScriptTest : public ::testing::Test {
  protected:
    RegionAttributes attrs;
};

TEST_F(BuildDataScriptTest, SevenByTwoMapWithNoColourRows) {
    common::Raster map(7, 2);
    map.setPixel(4, 1, project::paletteColors[5]);
    attrs.rowCount = 0;
    EXPECT_EQ(BuildDataScript(attrs, 7, 2, map), "SRC_WIDTH=7; SRC_HEIGHT=2;\r\n"
                                                 "var DATA=new Array(\r\n"
                                                 "'','1','');\r\n"
                                                 "var Count=0;\r\n"
                                                 "C[0]=\"000105012323\";\r\n");
}

TEST_F(BuildDataScriptTest, MapIsSampledAtItsOwnSize) {
    // A stored map of another size than the picture: the first line has the picture's size,
    // the rows come from the map.
    common::Raster map(10, 10);
    const auto block = lines(BuildDataScript(attrs, 800, 600, map));
    EXPECT_EQ(block[0], "SRC_WIDTH=800; SRC_HEIGHT=600;");
    const std::vector<std::string> tail(block.end() - 3, block.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"C[0]=\"00032323\";", "C[1]=\"00032323\";",
                                              "C[2]=\"00032323\";"}));
}

TEST_F(BuildDataScriptTest, MapRowCountFollowsTheHeight) {
    struct Case {
        int width, height;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {5, 1, {}},                                   // 1 pixel high: nothing sampled
        {1, 5, {"C[0]=\"2323\";", "C[1]=\"2323\";"}}, // 1 pixel wide: rows of the end group only
        {4, 4, {"C[0]=\"00012323\";"}},
        {4, 5, {"C[0]=\"00012323\";", "C[1]=\"00012323\";"}},
    };
    for (const Case& c : cases) {
        const auto block =
            lines(BuildDataScript(attrs, c.width, c.height, common::Raster(c.width, c.height)));
        std::vector<std::string> rows;
        for (const auto& line : block)
            if (line.rfind("C[", 0) == 0) rows.push_back(line);
        EXPECT_EQ(rows, c.rows) << c.width << "x" << c.height;
        EXPECT_EQ(block[block.size() - c.rows.size() - 1], "var Count=0;");
    }
}

TEST_F(BuildDataScriptTest, ColourLinesHold51ItemsInFileOrder) {
    attrs.rowCount = 3;
    attrs.set(project::link, 1, 1, "http://example.org/");
    attrs.set(project::sound, 1, 1, "/snd/bell.wav");
    attrs.set(project::picture, 1, 1, "/pic/cat.png");
    attrs.set(project::video, 1, 1, "/vid/sea.avi");
    attrs.set(project::hint, 1, 1, "A\\nB");
    attrs.set(project::hintStyle, 1, 1, "9");
    attrs.set(project::videoFrame, 1, 1, "1");
    attrs.set(project::soundVolume, 2, 0, "0.5");
    attrs.set(project::link, 2, 2, "last");
    attrs.backgroundMusic = "/music/theme.ogg";
    attrs.backgroundVolume = "0.25";
    attrs.backgroundLoop = "1";
    // A region painted beyond the colour rows still goes into the map with its index.
    common::Raster map(3, 2);
    map.setPixel(1, 1, project::paletteColors[42]);

    const auto block = lines(BuildDataScript(attrs, 3, 2, map));
    ASSERT_EQ(block.size(), 2u + 3u + 1u + 1u + 1u);
    EXPECT_EQ(block[1], "var DATA=new Array(");
    std::vector<std::string> data;
    for (int c = 0; c < 3; ++c) {
        const std::string& line = block[2 + c];
        EXPECT_EQ(line.front(), '\'');
        EXPECT_EQ(line.back(), ',');
        const auto items = scriptStrings(line);
        EXPECT_EQ(items.size(), 51u) << "colour " << c;
        data.insert(data.end(), items.begin(), items.end());
    }
    EXPECT_EQ(block[2].find_first_not_of("',"), std::string::npos) << "colour 0 is all empty";

    auto at = [&](int c, int e, int p) { return data.at(std::size_t((c * 3 + e) * 17 + p)); };
    EXPECT_EQ(at(1, 1, 0), "http://example.org/");
    EXPECT_EQ(at(1, 1, 2), "qiv_zarim/bell.wav");
    EXPECT_EQ(at(1, 1, 5), "qiv_zarim/cat.png");
    EXPECT_EQ(at(1, 1, 9), "qiv_zarim/sea.mp4");
    EXPECT_EQ(at(1, 1, 14), "1");
    EXPECT_EQ(at(1, 1, 15), "A\nB"); // the stored backslash-n reaches the page as a line break
    EXPECT_EQ(at(1, 1, 16), "9");
    EXPECT_EQ(at(2, 0, 4), "0.5");
    EXPECT_EQ(at(2, 2, 0), "last");
    int nonEmpty = 0;
    for (const auto& v : data)
        nonEmpty += !v.empty();
    EXPECT_EQ(nonEmpty, 9);
    EXPECT_NE(block[3].find("'A\\nB'"), std::string::npos) << "written as stored";

    EXPECT_EQ(block[5], "'qiv_zarim/theme.ogg','0.25','1');");
    EXPECT_EQ(block[6], "var Count=3;");
    EXPECT_EQ(block[7], "C[0]=\"2A012323\";");
}

TEST_F(BuildDataScriptTest, NewProjectWritesTwoHundredEmptyLines) {
    attrs.rowCount = 200;
    const auto block = lines(BuildDataScript(attrs, 3, 1, common::Raster(3, 1)));
    ASSERT_EQ(block.size(), 2u + 200u + 2u);
    std::string empty;
    for (int i = 0; i < 51; ++i)
        empty += "'',";
    for (int c = 0; c < 200; ++c)
        EXPECT_EQ(block[2 + c], empty) << c;
    EXPECT_EQ(block[202], "'','1','');");
    EXPECT_EQ(block[203], "var Count=200;");
}

TEST(EscapeScriptValue, KeepsStringsClosedAndTheTooltipBreak) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {"plain text", "plain text"},
        {"A\\nB", "A\\nB"},                     // stored line break stays an escape
        {"it's", "it\\'s"},                     // would end the item early
        {"C:\\dir\\file", "C:\\\\dir\\\\file"}, // a lone backslash is doubled
        {"end\\", "end\\\\"},
        {"\\\\n", "\\\\\\n"}, // backslash, then the break escape
        {"Привет, мир", "Привет, мир"},
        {"[NAME] \"q\"", "[NAME] \"q\""},
        // A raw line break (a pasted link often ends in one) would end the script string.
        {"http://a/\n", "http://a/\\n"},
        {"a\r\nb", "a\\nb"},
        {"a\rb\n\nc", "a\\nb\\n\\nc"},
        {"a\xE2\x80\xA8"
         "b\xE2\x80\xA9",
         "a\\nb\\n"},                     // U+2028, U+2029
        {"\xE2\x80\xA6", "\xE2\x80\xA6"}, // "…" shares the lead bytes
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(publish::escapeScriptValue(value), expected) << value;
}

TEST(BuildDataScript, ApostrophesAndBackslashesKeepTheItemCount) {
    RegionAttributes attrs;
    attrs.rowCount = 1;
    attrs.set(project::link, 0, 0, "javascript:alert('x')");
    attrs.set(project::hint, 0, 2, "it's C:\\temp\\nope");
    attrs.set(project::sound, 0, 1, "/snd/rock'n'roll.mp3");
    const auto block = lines(BuildDataScript(attrs, 1, 1, common::Raster(1, 1)));
    const auto items = scriptStrings(block[2]);
    ASSERT_EQ(items.size(), 51u);
    EXPECT_EQ(items[0], "javascript:alert('x')");
    EXPECT_EQ(items[17 + 2], "qiv_zarim/rock'n'roll.mp3");
    // "\n" inside the stored text is the tooltip's line break; the other backslash stays.
    EXPECT_EQ(items[34 + 15], "it's C:\\temp\nope");
}

} // namespace
