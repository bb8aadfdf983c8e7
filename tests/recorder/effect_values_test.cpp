// The amplitude and tempo boxes when they are left.
#include "recorder/effect_values.h"

#include <gtest/gtest.h>

using namespace recorder;

TEST(EffectValues, LeavingABoxLimitsItsNumber) {
    struct Case {
        const char* text;
        const char* amplitude;
        const char* tempo;
    };
    const Case cases[] = {
        {"1", "1", "1"},         {"7", "1", "3"},
        {"0,5", "0.1", "0.3"},   {"0.5", "0.5", "0.5"},
        {"", "0.1", "0.3"},      {"abc", "0.1", "0.3"},
        {"-2", "0.1", "0.3"},    {"2.5e-1", "0.25", "0.3"},
        {" 1.25x", "1", "1.25"}, {"0.33333333333333333", "0.333333333333333", "0.333333333333333"},
        {"1e400", "1", "3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(limitedEffectText(c.text, kMinAmplitude, kMaxAmplitude), c.amplitude);
        EXPECT_EQ(limitedEffectText(c.text, kMinTempo, kMaxTempo), c.tempo);
    }
}

TEST(EffectValues, TheNumberIsTheLongestLeadingDecimal) {
    EXPECT_EQ(effectValue("0,5"), 0);
    EXPECT_EQ(effectValue("1.5"), 1.5);
    EXPECT_EQ(effectValue("2abc"), 2);
    EXPECT_EQ(effectValue("x2"), 0);
}
