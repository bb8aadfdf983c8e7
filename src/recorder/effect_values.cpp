#include "recorder/effect_values.h"

#include "editors/field_values.h"

#include <algorithm>
#include <cmath>

namespace recorder {

double effectValue(const std::string& text) {
    // The volume boxes of the editor read numbers by the same rule.
    return editors::readVolume(text);
}

double limitedEffectValue(const std::string& text, double low, double high) {
    const double value = effectValue(text);
    if (std::isnan(value)) return low;
    return std::clamp(value, low, high);
}

std::string limitedEffectText(const std::string& text, double low, double high) {
    // formatGeneral writes "." whatever the locale.
    return editors::formatGeneral(limitedEffectValue(text, low, high));
}

} // namespace recorder
