// Corrections and formats of the attribute window's values, without a window.
#include "editors/field_values.h"

#include <gtest/gtest.h>

TEST(FieldValues, GeneralFormatIsShortestWithAPoint) {
    const std::pair<double, std::string> cases[] = {
        {1, "1"},
        {0.5, "0.5"},
        {1e-5, "1E-5"},
        {1.5e-7, "1.5E-7"},
        {0.0001, "0.0001"},
        {0.00012, "0.00012"},
        {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"},
        {123.456, "123.456"},
        {100, "100"},
        {1e15, "1E15"},
        {-0.0, "0"},
        {-0.25, "-0.25"},
        {0.1 + 0.2, "0.3"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(editors::formatGeneral(value), text) << value;
}

TEST(FieldValues, TooltipEncodingDropsCarriageReturns) {
    EXPECT_EQ(editors::encodeHint("a\r\nb\rc\n"), "a\\nbc\\n");
    EXPECT_EQ(editors::decodeHint("a\\nb\\\\n"), "a\nb\\\n");
}
