#include "project/palette.h"

#include <gtest/gtest.h>

#include <set>

using project::colorIndexOf;
using project::paletteColors;

TEST(Palette, ValuesAreDistinctWebLevels) {
    std::set<common::Rgb> seen(paletteColors.begin(), paletteColors.end());
    EXPECT_EQ(seen.size(), paletteColors.size());
    EXPECT_EQ(paletteColors[0], 0x000000u);
    EXPECT_EQ(paletteColors[1], 0x330099u);
    EXPECT_EQ(paletteColors[199], 0x6666CCu);
    EXPECT_EQ(paletteColors[215], 0x333333u);
}

TEST(Palette, ReverseLookupFindsEveryIndexAndNothingElse) {
    for (int i = 0; i < project::kTableSize; ++i)
        EXPECT_EQ(colorIndexOf(paletteColors[i]), i);
    const std::pair<common::Rgb, int> cases[] = {
        {0x000000, 0}, {0xFFFFFF, 211}, {0x010101, 0},   {0x330099, 1},
        {0x9999FF, 5}, {0x343434, 0},   {0x01000000, 0}, {0xFF0000, 73},
    };
    for (const auto& [color, index] : cases)
        EXPECT_EQ(colorIndexOf(color), index) << std::hex << color;
}
