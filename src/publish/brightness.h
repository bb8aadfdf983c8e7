#pragma once
// The dynamic brightness effect: a grid of mean intensities of the picture and the fixed page
// script that brightens dark parts and darkens bright ones under the pointer.

#include "common/status.h"

#include <string>

namespace common {
class Raster;
}

namespace publish {

// The brightness window's values; they last for the run only.
struct EffectSettings {
    bool enabled = true;
    std::string mm = "20"; // grid columns, as typed (10..100 after the window's check)
    std::string nn = "20"; // grid rows
    int depth = 10;        // strength, 1..20
};

// Grid counts the window allows; a typed value is brought into this range.
constexpr int kMinGridCount = 10;
constexpr int kMaxGridCount = 100;
constexpr int kDefaultGridCount = 20;

// A whole number: optional blanks, an optional sign, decimal digits, optional blanks; it must
// fit an int. False for anything else.
bool parseWholeNumber(const std::string& text, int& value);

// A count field's text after the user leaves it: the number limited to 10..100, 20 when the
// text is not a whole number.
std::string checkedGridCount(const std::string& text);

// Mean intensity of each of mm × nn cells laid evenly over `image`, row by row from the top,
// "," after every value but the last, LF after every row. Pixel (x, y) belongs to cell
// (mm * x / w, nn * y / h). A cell that holds no pixel (picture narrower than mm or lower than
// nn) takes the intensity of the pixel under the cell's centre. mm and nn are at least 1.
std::string BuildIntensities(const common::Raster& image, int mm, int nn);

// The 13-line brightness script (LF line ends) with "[MM]", "[NN]", "[DEPTH]" and
// "[INTENSITIES]" replaced in this order (the counts written as plain decimals); empty when the
// effect is off. Fails, leaving `script` empty, when mm or nn is not a whole number from 1 to
// 1000.
common::Status BuildEffectScript(const EffectSettings& settings, const common::Raster& image,
                                 std::string& script);

} // namespace publish
