#include "editors/field_values.h"

#include "common/helpers.h"

#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace editors {

namespace {

bool isDigit(char ch) {
    return ch >= '0' && ch <= '9';
}

bool isSpace(char ch) {
    return ch == ' ' || (ch >= '\t' && ch <= '\r');
}

} // namespace

std::string checkedSize(const std::string& text, int defaultSize) {
    if (text.empty()) return text;
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const std::size_t digits = i;
    long long value = 0;
    bool inRange = true;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 1LL + std::numeric_limits<int>::max()) {
            inRange = false;
            value = 1LL + std::numeric_limits<int>::max();
        }
    }
    if (negative) value = -value;
    long long n = defaultSize;
    if (i > digits && i == text.size() && inRange && value >= std::numeric_limits<int>::min() &&
        value <= std::numeric_limits<int>::max())
        n = value;
    if (n < 1) n = 1;
    if (n > 1000) n = 1000;
    return std::to_string(n);
}

double readVolume(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const std::size_t mantissa = i;
    std::size_t digitCount = 0;
    for (; i < text.size() && isDigit(text[i]); ++i)
        ++digitCount;
    if (i < text.size() && text[i] == '.')
        for (++i; i < text.size() && isDigit(text[i]); ++i)
            ++digitCount;
    if (digitCount == 0) return 0.0;
    bool positiveExponent = true;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            positiveExponent = text[j++] == '+';
        if (j < text.size() && isDigit(text[j])) {
            while (j < text.size() && isDigit(text[j]))
                ++j;
            i = j;
        } else {
            positiveExponent = true;
        }
    }
    // from_chars takes no "+" and reads "." whatever the locale.
    double value = 0.0;
    const char* first = text.data() + mantissa;
    const char* last = text.data() + i;
    const auto result = std::from_chars(first, last, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large for a double reads as huge, too small as 0; both end up limited anyway.
        value = positiveExponent ? std::numeric_limits<double>::max() : 0.0;
    } else if (result.ec != std::errc() || result.ptr != last) {
        value = 0.0; // cannot happen for the part scanned above
    }
    return negative ? -value : value;
}

std::string checkedVolume(const std::string& text) {
    if (text.empty()) return text;
    double v = readVolume(text);
    if (v < 0.0) v = 0.0;
    if (v > 1.0) v = 1.0;
    return common::replaceAll(formatGeneral(v), ",", ".");
}

std::string formatGeneral(double value) {
    assert(std::isfinite(value));
    if (value == 0.0 || !std::isfinite(value)) return "0";
    // 15 significant digits: one before the point and 14 after, in exponent form.
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::abs(value),
                                      std::chars_format::scientific, 14);
    const std::string scientific(buffer, result.ptr);
    const std::size_t ePos = scientific.find('e');
    std::string digits = scientific.substr(0, 1) + scientific.substr(2, ePos - 2);
    const int exponent = std::atoi(scientific.c_str() + ePos + 1);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string out = value < 0 ? "-" : "";
    if (exponent < -4 || exponent >= 15) {
        out += digits.substr(0, 1);
        if (digits.size() > 1) out += "." + digits.substr(1);
        out += "E" + std::to_string(exponent);
    } else if (exponent < 0) {
        out += "0." + std::string(std::size_t(-exponent - 1), '0') + digits;
    } else {
        const std::size_t whole = std::size_t(exponent) + 1;
        if (digits.size() <= whole) {
            out += digits + std::string(whole - digits.size(), '0');
        } else {
            out += digits.substr(0, whole) + "." + digits.substr(whole);
        }
    }
    return out;
}

std::string encodeHint(const std::string& text) {
    std::string withoutCr;
    withoutCr.reserve(text.size());
    for (char ch : text)
        if (ch != '\r') withoutCr += ch;
    return common::replaceAll(withoutCr, "\n", "\\n");
}

std::string decodeHint(const std::string& stored) {
    return common::replaceAll(stored, "\\n", "\n");
}

} // namespace editors
