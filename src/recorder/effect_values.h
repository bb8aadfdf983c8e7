#pragma once
// The amplitude and tempo boxes of the recorder: how their text reads as a number and what it
// becomes when the box is left. Pure functions, independent of the system's locale.

#include <string>

namespace recorder {

inline constexpr double kMinAmplitude = 0.1;
inline constexpr double kMaxAmplitude = 1.0;
inline constexpr double kMinTempo = 0.3;
inline constexpr double kMaxTempo = 3.0;

// The longest leading part of `text` that forms a decimal number with "." as separator; 0 when
// there is none (so "0,5" reads as 0).
double effectValue(const std::string& text);
// effectValue limited to low..high; an unreadable value (NaN) gives `low`.
double limitedEffectValue(const std::string& text, double low, double high);
// The box's text after it is left: the limited value in the shortest form of at most 15
// significant digits, "." as separator ("7" in the tempo box becomes "3").
std::string limitedEffectText(const std::string& text, double low, double high);

} // namespace recorder
