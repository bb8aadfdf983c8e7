// The background music window's volume rules, without a window.
#include "editors/music_volume.h"
#include "project/region_attributes.h"

#include <gtest/gtest.h>

TEST(MusicVolume, LeavingTheBoxFollowsTheSlidersHundredths) {
    struct Case {
        const char* typed;
        int position; // of the slider before
        const char* shown;
        int moved; // to
        double volume;
    };
    const Case cases[] = {
        {"0.5", 100, "0.5", 50, 0.5},
        {"0.555", 100, "0.55", 55, 0.555}, // the slider moved: the box follows it
        {"0.555", 55, "0.555", 55, 0.555}, // the slider stood there: the box keeps the text
        {"3", 100, "1", 100, 1.0},
        {"-1", 100, "0", 0, 0.0},
        {"", 100, "0", 0, 0.0},
        {"abc", 40, "0", 0, 0.0},
        {"0,5", 100, "0", 0, 0.0},
        {" .25", 100, "0.25", 25, 0.25},
        {"1e-1", 100, "0.1", 10, 0.1},
        {"1e-5", 0, "1E-5", 0, 1e-5},
        {"1e-5", 30, "0", 0, 1e-5},
        {"0.999", 100, "0.99", 99, 0.999},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("typed \"") + c.typed + "\" at " + std::to_string(c.position));
        const editors::MusicVolumeStep step = editors::musicVolumeFromText(c.typed, c.position);
        EXPECT_EQ(step.text, c.shown);
        EXPECT_EQ(step.position, c.moved);
        EXPECT_EQ(step.moved, c.moved != c.position);
        EXPECT_DOUBLE_EQ(step.volume, c.volume);
    }
}

TEST(MusicVolume, EveryTwoDecimalVolumeKeepsItsTextAndPosition) {
    // 0.29 × 100 computes as 28.999…, 0.57 × 100 as 56.999…: none may lose a hundredth, from
    // wherever the slider stood, however often the text is read back.
    for (int k = 0; k <= 100; ++k) {
        const std::string text = editors::musicVolumeTextOf(k);
        SCOPED_TRACE(text);
        EXPECT_EQ(editors::musicSliderPositionOf(k / 100.0), k);
        for (int before : {0, k, 100}) {
            const editors::MusicVolumeStep step = editors::musicVolumeFromText(text, before);
            EXPECT_EQ(step.text, text);
            EXPECT_EQ(step.position, k);
        }
    }
    EXPECT_EQ(editors::musicVolumeTextOf(7), "0.07");
    EXPECT_EQ(editors::musicVolumeTextOf(100), "1");
    EXPECT_EQ(editors::musicVolumeTextOf(0), "0");
}

TEST(MusicVolume, PlayReadsTheBoxWithoutLimits) {
    EXPECT_DOUBLE_EQ(editors::musicPlayVolume(""), 1.0);
    EXPECT_DOUBLE_EQ(editors::musicPlayVolume("0.25"), 0.25);
    EXPECT_DOUBLE_EQ(editors::musicPlayVolume("2"), 2.0);
    EXPECT_DOUBLE_EQ(editors::musicPlayVolume("x"), 0.0);
}

TEST(MusicVolume, SettlingTheBackgroundValuesAsTheWindowWould) {
    struct Case {
        const char* volume;
        const char* loop;
        const char* settledVolume;
        const char* settledLoop;
    };
    const Case cases[] = {
        {"1", "", "1", "0"},         {"0.3", "1", "0.3", "1"},   {"0.29", "0", "0.29", "0"},
        {"0.555", "1", "0.55", "1"}, {"7", "yes", "1", "0"},     {"", " 1", "0", "0"},
        {"0,4", "1", "0", "1"},      {"0.05", "1", "0.05", "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.volume) + " / " + c.loop);
        project::RegionAttributes attrs;
        attrs.backgroundMusic = "/music/a b.ogg";
        attrs.backgroundVolume = c.volume;
        attrs.backgroundLoop = c.loop;
        editors::settleBackgroundMusic(attrs);
        EXPECT_EQ(attrs.backgroundMusic, "/music/a b.ogg");
        EXPECT_EQ(attrs.backgroundVolume, c.settledVolume);
        EXPECT_EQ(attrs.backgroundLoop, c.settledLoop);
    }
}
