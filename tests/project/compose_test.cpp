#include "project/compose.h"
#include "project/palette.h"

#include <gtest/gtest.h>

#include <random>

using common::Raster;
using project::composeView;
using project::View;

namespace {

Raster filled(int w, int h, common::Rgb c) {
    Raster r(w, h);
    r.fill(c);
    return r;
}

// Straightforward per-pixel definition of the three views.
common::Rgb expected(common::Rgb s, common::Rgb m, View view, int currentColor) {
    auto mix = [&] {
        common::Rgb out = 0;
        for (int shift : {16, 8, 0})
            out |= ((((s >> shift) & 0xFF) + ((m >> shift) & 0xFF)) / 2) << shift;
        return out;
    };
    switch (view) {
    case View::Source:
        return s;
    case View::SourceAndMask:
        return m == 0 ? s : mix();
    case View::SourceAndCurrentColor:
        return currentColor != 0 && m == project::paletteColors[currentColor] ? mix() : s;
    }
    return s;
}

} // namespace

TEST(Compose, MixesHalfAndHalfInTheMaskView) {
    Raster source = filled(2, 1, 0xFFFFFF), map(2, 1), display(2, 1);
    map.setPixel(0, 0, 0x0000FF);
    composeView(source, map, display, View::SourceAndMask, 0, source.bounds());
    EXPECT_EQ(display.pixel(0, 0), 0x7F7FFFu);
    EXPECT_EQ(display.pixel(1, 0), 0xFFFFFFu);
}

TEST(Compose, CurrentColorViewMixesOnlyThatColour) {
    Raster source = filled(3, 1, 0x202020), map(3, 1), display(3, 1);
    map.setPixel(0, 0, 0x9999FF); // index 5
    map.setPixel(1, 0, 0x330099); // index 1
    composeView(source, map, display, View::SourceAndCurrentColor, 5, source.bounds());
    EXPECT_EQ(display.pixel(0, 0), 0x5C5C8Fu);
    EXPECT_EQ(display.pixel(1, 0), 0x202020u);
    EXPECT_EQ(display.pixel(2, 0), 0x202020u);
    composeView(source, map, display, View::SourceAndCurrentColor, 0, source.bounds());
    EXPECT_EQ(display.pixel(0, 0), 0x202020u);
}

// Random pictures and maps of odd widths exercise the 8-pixel fast paths and the row tails;
// every view, whole pass and rectangle pass, must equal the per-pixel definition.
TEST(Compose, FastPathsEqualThePerPixelDefinition) {
    std::mt19937 rng(7);
    for (int width : {1, 7, 8, 9, 17, 64, 101}) {
        const int height = 5;
        Raster source(width, height), map(width, height);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                source.setPixel(x, y, rng() & 0xFFFFFF);
                const int kind = rng() % 4;
                // Mostly black runs, some palette colours, some colours outside the table.
                map.setPixel(x, y,
                             kind < 2   ? 0
                             : kind < 3 ? project::paletteColors[5 + rng() % 3]
                                        : (rng() & 0xFFFFFF));
            }
        }
        for (View view : {View::Source, View::SourceAndMask, View::SourceAndCurrentColor}) {
            Raster whole(width, height), part = filled(width, height, 0x123456);
            composeView(source, map, whole, view, 6, source.bounds());
            const common::PixelRect rect{width / 3, 1, width - width / 3, 3};
            composeView(source, map, part, view, 6, rect);
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    const common::Rgb want = expected(source.pixel(x, y), map.pixel(x, y), view, 6);
                    ASSERT_EQ(whole.pixel(x, y), want) << width << " " << x << "," << y;
                    const bool inside = x >= rect.x && y >= rect.y && y < rect.y + rect.h;
                    ASSERT_EQ(part.pixel(x, y), inside ? want : 0x123456u);
                }
            }
        }
    }
}

TEST(Compose, RectangleIsClippedToThePicture) {
    Raster source = filled(4, 4, 0x808080), map(4, 4), display(4, 4);
    composeView(source, map, display, View::SourceAndMask, 0, {-10, -10, 12, 12});
    EXPECT_EQ(display.pixel(1, 1), 0x808080u);
    EXPECT_EQ(display.pixel(2, 2), 0u);
    composeView(source, map, display, View::SourceAndMask, 0, {100, 100, 5, 5});
}
