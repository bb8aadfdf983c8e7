#pragma once
// The text forms of the attribute window's fields: how a size or a volume typed by the user is
// corrected when the box is left, and how the tooltip's line breaks are kept on one line.
// Pure functions; every result is independent of the system's locale.

#include <string>

namespace editors {

// A size box being left. Empty stays empty. Otherwise the text must be a whole decimal number
// (leading blanks and a sign allowed, nothing after the digits, within the 32-bit range), else
// `defaultSize` is taken; the number is then limited to 1..1000 and written in decimal.
std::string checkedSize(const std::string& text, int defaultSize);

// The number formed by the longest leading part of `text` that reads as a decimal number:
// white space, optional sign, digits with an optional "." and more digits, optional exponent.
// A comma ends the number; a text without such a part reads as 0. Not limited.
double readVolume(const std::string& text);

// A volume box being left. Empty stays empty; otherwise readVolume limited to 0..1 and written
// with formatGeneral.
std::string checkedVolume(const std::string& text);

// The shortest general form with at most 15 significant digits and "." as decimal point;
// exponent form below 1E-4 and from 1E15 on ("1E-5", "2.5E-7", "1E15"); -0 is written "0".
std::string formatGeneral(double value);

// Tooltip text from the editor into the table: CRs dropped, each LF becomes backslash + "n".
std::string encodeHint(const std::string& text);
// And back: each backslash + "n" becomes a LF.
std::string decodeHint(const std::string& stored);

} // namespace editors
