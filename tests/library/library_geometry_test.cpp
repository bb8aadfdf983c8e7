// The libraries' window-free rules: listings, grid geometry, fitting and status texts.
#include "library/library_geometry.h"

#include <gtest/gtest.h>

#include <clocale>

namespace {

using namespace library;

TEST(LibraryListing, SplitsPathsAndNamesThem) {
    EXPECT_EQ(listedPaths("/a/x.ogg\r\n/a/y z.mp3\r\n"),
              (std::vector<std::string>{"/a/x.ogg", "/a/y z.mp3"}));
    EXPECT_TRUE(listedPaths("").empty());
    EXPECT_EQ(visibleNameOf("/a/b/x.ogg", "/a/b"), "x.ogg");
    EXPECT_EQ(visibleNameOf("//x.ogg", "/"), "x.ogg");
    EXPECT_EQ(libraryCaption("/home/u/sounds", 12), "sounds (12)");
    EXPECT_EQ(libraryCaption("/tmp/e", 0), "e (0)");
}

TEST(PictureGrid, HasAtLeastOneColumnAndOneRow) {
    struct Case {
        int width, entries, columns, rows;
    };
    for (const Case& c : {Case{952 - 185, 10, 6, 2}, Case{100, 3, 1, 3}, Case{0, 0, 1, 1},
                          Case{240, 0, 2, 1}, Case{240, 5, 2, 3}, Case{239, 4, 1, 4}}) {
        EXPECT_EQ(gridColumns(c.width), c.columns) << c.width;
        EXPECT_EQ(gridRows(c.entries, gridColumns(c.width)), c.rows) << c.width;
    }
}

TEST(PictureGrid, ThumbnailsFitTheSquareAndStandCentred) {
    struct Case {
        int w, h;
        ThumbnailPlace place;
    };
    const Case cases[] = {
        {1600, 1200, {0, 15, 120, 90}}, // landscape: full width, 15 pixels down
        {600, 800, {15, 0, 90, 120}},   // portrait: full height, 15 pixels right
        {300, 300, {0, 0, 120, 120}},   // square fills the square
        {7, 3, {0, 34, 120, 51}},       // small pictures are enlarged
        {100, 1, {0, 59, 120, 1}},      // 1 pixel high
        {1, 121, {60, 0, 0, 120}},      // beyond 120 times: a side of 0, nothing drawn
    };
    for (const Case& c : cases) {
        const ThumbnailPlace p = thumbnailPlace(c.w, c.h);
        EXPECT_EQ(std::tie(p.x, p.y, p.width, p.height),
                  std::tie(c.place.x, c.place.y, c.place.width, c.place.height))
            << c.w << "x" << c.h;
    }
    EXPECT_EQ(captionOffset(50), 30);
    EXPECT_EQ(captionOffset(109), 0);
    EXPECT_EQ(captionOffset(110), 0);
    EXPECT_EQ(captionOffset(300), 0);
}

TEST(PicturePreview, FitsIntoTheRectangleWithItsProportions) {
    struct Case {
        int w, h, W, H, width, height;
    };
    for (const Case& c : {Case{800, 600, 200, 100, 133, 100}, Case{400, 100, 200, 100, 200, 50},
                          Case{100, 100, 10, 1000, 10, 10}, Case{3, 1000, 1000, 10, 0, 10}}) {
        const FittedSize s = fitIntoRectangle(c.w, c.h, c.W, c.H);
        EXPECT_EQ(s.width, c.width) << c.w << "x" << c.h;
        EXPECT_EQ(s.height, c.height) << c.w << "x" << c.h;
    }
}

TEST(PictureSizeBox, BecomesAWholeNumberFrom10To1000) {
    struct Case {
        const char* text;
        int value;
    };
    for (const Case& c : {Case{"5", 10}, Case{"5000", 1000}, Case{"abc", 100}, Case{"", 100},
                          Case{"250", 250}, Case{" 42", 42}, Case{"-3", 10}, Case{"12a", 100},
                          Case{"1.5", 100}, Case{"99999999999", 100}, Case{"+20", 20}})
        EXPECT_EQ(sizeBoxValue(c.text), c.value) << c.text;
}

TEST(PictureStatus, ResolutionAndPaddedRatio) {
    EXPECT_EQ(resolutionText(800, 600), "Разрешение: 800x600");
    EXPECT_EQ(ratioText(4, 3), "Отношение:   1.3");
    EXPECT_EQ(ratioText(5, 5), "Отношение:     1");
    EXPECT_EQ(ratioText(1600, 100), "Отношение:    16");
    EXPECT_EQ(ratioText(1, 1000), "Отношение: 0.001");
    // A locale with a decimal comma changes nothing.
    if (std::setlocale(LC_NUMERIC, "ru_RU.UTF-8")) {
        EXPECT_EQ(ratioText(4, 3), "Отношение:   1.3");
        std::setlocale(LC_NUMERIC, "C");
    }
}

TEST(SoundChoice, SliderPositionBecomesAVolumeText) {
    struct Case {
        int position;
        const char* text;
    };
    for (const Case& c : {Case{57, "0.57"}, Case{100, "1"}, Case{0, "0"}, Case{7, "0.07"},
                          Case{29, "0.29"}, Case{50, "0.5"}})
        EXPECT_EQ(sliderVolumeText(c.position), c.text) << c.position;
}

} // namespace
