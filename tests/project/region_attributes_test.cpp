#include "project/project_state.h"
#include "project/region_attributes.h"

#include <gtest/gtest.h>

#include <tuple>

// Inside the namespace so that the field name link is found before POSIX link().
namespace project {

TEST(RegionAttributes, StartsClearedWithVolumeOne) {
    RegionAttributes a;
    EXPECT_EQ(a.backgroundVolume, "1");
    EXPECT_TRUE(a.backgroundMusic.empty());
    EXPECT_TRUE(a.backgroundLoop.empty());
    EXPECT_EQ(a.rowCount, 0);
    for (int c = 0; c < kColorCount; ++c)
        EXPECT_FALSE(a.isInUse(c));
}

TEST(RegionAttributes, InUseOnlyThroughTheFiveMainFields) {
    RegionAttributes a;
    a.set(linkNewWindow, 3, 0, "1");
    a.set(soundVolume, 3, 1, "0.5");
    a.set(hintStyle, 3, 2, "9");
    EXPECT_FALSE(a.isInUse(3));
    for (Field f : {link, sound, picture, video, hint}) {
        RegionAttributes b;
        b.set(f, 9, onDblClick, "x");
        EXPECT_TRUE(b.isInUse(9)) << f;
        EXPECT_FALSE(b.isInUse(8));
        EXPECT_FALSE(b.isInUse(10));
    }
}

TEST(RegionAttributes, ClearingKeepsTheRowCountAndOtherCells) {
    RegionAttributes a;
    a.rowCount = 42;
    a.set(link, 7, 0, "a");
    a.set(link, 7, 1, "b");
    a.set(link, 8, 1, "c");
    a.clearCell(7, 0);
    EXPECT_EQ(a.get(link, 7, 0), "");
    EXPECT_EQ(a.get(link, 7, 1), "b");
    a.clearColor(7);
    EXPECT_EQ(a.get(link, 7, 1), "");
    EXPECT_EQ(a.get(link, 8, 1), "c");
    a.backgroundMusic = "m.ogg";
    a.backgroundVolume = "0.3";
    a.backgroundLoop = "1";
    a.clearAll();
    EXPECT_EQ(a.get(link, 8, 1), "");
    EXPECT_EQ(a.backgroundVolume, "1");
    EXPECT_EQ(a.backgroundMusic, "");
    EXPECT_EQ(a.backgroundLoop, "");
    EXPECT_EQ(a.rowCount, 42);
}

TEST(RegionAttributes, ShowDefaultsFillsStylesOfThatCellOnly) {
    RegionAttributes a;
    a.set(pictureFrame, 7, 1, "4");
    a.showDefaults(7, 1);
    EXPECT_EQ(a.get(hintStyle, 7, 1), "9");
    EXPECT_EQ(a.get(pictureFrame, 7, 1), "4");
    EXPECT_EQ(a.get(videoFrame, 7, 1), "1");
    EXPECT_EQ(a.get(hintStyle, 7, 0), "");
    EXPECT_EQ(a.get(videoFrame, 6, 1), "");
    EXPECT_EQ(a.get(link, 7, 1), "");
}

} // namespace project

TEST(ProjectFileNames, FollowThePictureInItsOwnFolder) {
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"/pics/beach.jpg", "/pics/beach.map", "/pics/beach.zarm"},
        {"/pics/a.b.jpg", "/pics/a.b.map", "/pics/a.b.zarm"},
        {"/pics/photo", "/pics/photo.map", "/pics/photo.zarm"},
        {"/my.pics/photo", "/my.pics/photo.map", "/my.pics/photo.zarm"},
        {"beach.png", "beach.map", "beach.zarm"},
    };
    for (const auto& [picture, map, attributes] : cases) {
        EXPECT_EQ(project::mapFilePath(picture), map);
        EXPECT_EQ(project::attributeFilePath(picture), attributes);
    }
}
