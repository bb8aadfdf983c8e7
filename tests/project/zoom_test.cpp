#include "project/zoom.h"

#include <gtest/gtest.h>

using namespace project;

TEST(Zoom, StepsRunFromOneSixteenthToSixteen) {
    struct Case {
        double from, in, out;
    };
    const Case cases[] = {
        {1.0, 1.5, 2.0 / 3},
        {1.0 / 16, 1.0 / 12, 1.0 / 16}, // the lower end stays
        {16.0, 16.0, 12.0},             // the upper end stays
        {0.136, 1.0 / 6, 1.0 / 8},      // between steps: the neighbours
        {5.0, 6.0, 4.0},
        {1.0 / 3, 0.5, 0.25},
        {1.0 + 1e-12, 1.5, 2.0 / 3}, // rounding noise counts as the step
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(zoomIn(c.from), c.in) << c.from;
        EXPECT_DOUBLE_EQ(zoomOut(c.from), c.out) << c.from;
    }
    double z = 1.0;
    for (int i = 0; i < 40; ++i)
        z = zoomIn(z);
    EXPECT_DOUBLE_EQ(z, kMaxZoom);
    for (int i = 0; i < 40; ++i)
        z = zoomOut(z);
    EXPECT_DOUBLE_EQ(z, kMinZoom);
}

TEST(Zoom, FitShowsThePictureWholeInTheArea) {
    struct Case {
        int pw, ph, aw, ah;
        double zoom;
    };
    const Case cases[] = {
        {6000, 4000, 800, 500, 0.125},          // height decides
        {6000, 4000, 800, 600, 800.0 / 6000},   // width decides
        {60, 40, 800, 600, 13.333333333333334}, // small pictures grow
        {10, 10, 800, 600, 16.0},               // up to 16
        {100000, 10, 800, 600, 1.0 / 16},       // down to 1/16
        {0, 0, 800, 600, 1.0},
        {60, 40, 0, 0, 1.0},
    };
    for (const Case& c : cases) {
        const double z = fitZoom(c.pw, c.ph, c.aw, c.ah);
        EXPECT_DOUBLE_EQ(z, c.zoom) << c.pw << "x" << c.ph << " in " << c.aw << "x" << c.ah;
        if (c.pw > 0 && c.aw > 0 && z > kMinZoom) {
            EXPECT_LE(scaledLength(c.pw, z), c.aw);
            EXPECT_LE(scaledLength(c.ph, z), c.ah);
        }
    }
}

TEST(Zoom, ScaledLengthRoundsUpPartPixels) {
    EXPECT_EQ(scaledLength(6000, 800.0 / 6000), 800);
    EXPECT_EQ(scaledLength(7, 0.5), 4);
    EXPECT_EQ(scaledLength(7, 3.0), 21);
    EXPECT_EQ(scaledLength(1, 1.0 / 16), 1);
    EXPECT_EQ(scaledLength(0, 2.0), 0);
}
