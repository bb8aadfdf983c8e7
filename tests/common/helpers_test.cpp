#include "common/helpers.h"
#include "common/raster.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace common;

struct PathCase {
    std::string path, stripped, extension, fileName, directory;
};

TEST(PathHelpers, SplitTheWholePath) {
    const PathCase cases[] = {
        {"/a.b/photo", "/a", ".b/photo", "photo", "/a.b"},
        {"/pics/x.tar.gz", "/pics/x.tar", ".gz", "x.tar.gz", "/pics"},
        {"/pics/noext", "", "", "noext", "/pics"},
        {"/pics/beach.JPG", "/pics/beach", ".JPG", "beach.JPG", "/pics"},
        {"C:\\pics/beach.png", "C:\\pics/beach", ".png", "beach.png", "C:\\pics"},
        {"C:\\pics\\beach.png", "C:\\pics\\beach", ".png", "beach.png", "C:\\pics\\beach.png"},
        {"beach.png", "beach", ".png", "beach.png", "beach.png"},
        {"", "", "", "", ""},
        {"/dir/", "", "", "", "/dir"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(stripExtension(c.path), c.stripped);
        EXPECT_EQ(extensionOf(c.path), c.extension);
        EXPECT_EQ(fileNameOf(c.path), c.fileName);
        EXPECT_EQ(directoryOf(c.path), c.directory);
    }
}

TEST(ReplaceAll, ScansLeftToRightWithoutOverlapOrRescan) {
    EXPECT_EQ(replaceAll("a,b,,c", ",", "."), "a.b..c");
    EXPECT_EQ(replaceAll("aaaa", "aa", "a"), "aa");
    EXPECT_EQ(replaceAll("aaa", "aa", "b"), "ba");
    EXPECT_EQ(replaceAll("[X][X]", "[X]", "[X][X]"), "[X][X][X][X]");
    EXPECT_EQ(replaceAll("abc", "ABC", "x"), "abc");
    EXPECT_EQ(replaceAll("", "a", "b"), "");
}

TEST(SplitText, CountsPiecesAsSpecified) {
    struct Case {
        std::string text;
        int limit;
        std::vector<std::string> pieces;
    };
    const Case cases[] = {
        {"a\tb", 100, {"a", "b"}}, {"a\t\tc", 100, {"a", "", "c"}},
        {"a\t", 100, {"a"}},       {"", 100, {}},
        {"\t", 100, {""}},         {"a\tb\tc", 2, {"a", "b"}},
        {"a\tb\t", 2, {"a", "b"}}, {"x", 1, {"x"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Qiv_Result r;
        r.limit = c.limit;
        EXPECT_EQ(splitText('\t', c.text, r), int(c.pieces.size()));
        for (std::size_t i = 0; i < c.pieces.size(); ++i)
            EXPECT_EQ(r.items[i], c.pieces[i]);
    }
}

TEST(SplitText, KeepsItemsBeyondCountExceptTheFirst) {
    Qiv_Result r;
    r.items[0] = "old0";
    r.items[3] = "old3";
    EXPECT_EQ(splitText('\t', "", r), 0);
    EXPECT_EQ(r.items[0], "");
    EXPECT_EQ(r.items[3], "old3");
}

TEST(SplitText, StopsAtOneHundredPieces) {
    std::string text;
    for (int i = 0; i < 150; ++i)
        text += std::to_string(i) + "\t";
    Qiv_Result r;
    EXPECT_EQ(splitText('\t', text, r), 100);
    EXPECT_EQ(r.items[99], "99");
}

TEST(FormatByteSize, PicksTheUnitByTruncation) {
    const std::pair<std::int64_t, std::string> cases[] = {
        {0, "0 байт"},        {1023, "1023 байт"},       {1024, "1 КБ"},
        {2047, "1 КБ"},       {1048575, "1023 КБ"},      {1048576, "1 МБ"},
        {1073741824, "1 ГБ"}, {1099511627776LL, "1 ТБ"}, {1125899906842624LL, "1125899906842624"},
        {-5, "-5 байт"},      {-5000, "-5000 байт"},
    };
    for (const auto& [size, text] : cases)
        EXPECT_EQ(formatByteSize(size), text) << size;
}

TEST(Listing, ReturnsMatchingRegularFilesWithCrLf) {
    testing_support::TempDir dir;
    for (const char* name : {"song.Ogg", "notes.txt", "track.mp3", "photo.jpeg", "photojpeg",
                             "a.PNG", ".hidden.mp3", "x.gif", "y.wav"})
        testing_support::writeFile(dir.file(name), "x");
    std::filesystem::create_directory(dir.path() / "old.wav");
    std::filesystem::create_symlink(dir.path() / "track.mp3", dir.path() / "link.mp3");
    std::filesystem::create_symlink(dir.path() / "nowhere.mp3", dir.path() / "broken.mp3");

    auto sorted = [](const std::string& list) {
        std::vector<std::string> lines;
        std::size_t pos = 0;
        while (pos < list.size()) {
            const auto end = list.find("\r\n", pos);
            EXPECT_NE(end, std::string::npos);
            lines.push_back(list.substr(pos, end - pos));
            pos = end + 2;
        }
        std::sort(lines.begin(), lines.end());
        return lines;
    };
    const std::string folder = dir.path().string();
    EXPECT_EQ(sorted(listSoundFiles(folder)),
              (std::vector<std::string>{folder + "/link.mp3", folder + "/song.Ogg",
                                        folder + "/track.mp3", folder + "/y.wav"}));
    EXPECT_EQ(
        sorted(listImageFiles(folder)),
        (std::vector<std::string>{folder + "/a.PNG", folder + "/photo.jpeg", folder + "/x.gif"}));
    EXPECT_EQ(listImageFiles(folder + "/missing"), "");
}

TEST(FileSize, ReadsSizeOrZero) {
    testing_support::TempDir dir;
    testing_support::writeFile(dir.file("five"), "12345");
    EXPECT_EQ(fileSizeOf(dir.file("five")), 5);
    EXPECT_EQ(fileSizeOf(dir.file("missing")), 0);
    EXPECT_EQ(fileSizeOf(dir.path().string()), 0);
}

TEST(ScaleNearest, TakesCornersAndEdges) {
    Raster src(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            src.setPixel(x, y, Rgb(y * 16 + x));
    Raster dst(2, 2);
    scaleNearest(src, dst);
    EXPECT_EQ(dst.pixel(0, 0), src.pixel(0, 0));
    EXPECT_EQ(dst.pixel(1, 0), src.pixel(3, 0));
    EXPECT_EQ(dst.pixel(0, 1), src.pixel(0, 3));
    EXPECT_EQ(dst.pixel(1, 1), src.pixel(3, 3));

    Raster up(7, 3);
    scaleNearest(src, up);
    EXPECT_EQ(up.pixel(6, 2), src.pixel(3, 3));
    EXPECT_EQ(up.pixel(3, 1), src.pixel(1, 1)); // 3*3/6 = 1, 1*3/2 = 1

    Raster column(1, 3);
    scaleNearest(src, column);
    EXPECT_EQ(column.pixel(0, 0), src.pixel(0, 0));
    EXPECT_EQ(column.pixel(0, 2), src.pixel(0, 3));
}
