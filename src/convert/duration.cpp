#include "duration.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace z2o {
namespace {

// Sign, then digits with at most one ".", after dropping blanks, tabs and line feeds; stops at
// the first character that does not fit. No digits reads as 0.
double readNumber(std::string_view piece) {
    std::string kept;
    bool seenPoint = false;
    for (const char c : piece) {
        if (c == ' ' || c == '\t' || c == '\n')
            continue;
        if (kept.empty() && (c == '+' || c == '-')) {
            kept += c;
        } else if (c >= '0' && c <= '9') {
            kept += c;
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
            kept += c;
        } else {
            break;
        }
    }
    const bool negative = !kept.empty() && kept.front() == '-';
    std::string_view digits(kept);
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-'))
        digits.remove_prefix(1);
    if (digits.find_first_of("0123456789") == std::string_view::npos)
        return 0.0;
    double value = 0.0;
    // from_chars rejects a lone trailing ".", which still reads as the number before it.
    if (digits.back() == '.')
        digits.remove_suffix(1);
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return negative ? -value : value;
}

// Rounds to the nearest whole number, ties to even, saturating beyond 16 bits.
std::int16_t toTenths(double value, int& overflows) {
    const double rounded = std::nearbyint(value);
    if (rounded > std::numeric_limits<std::int16_t>::max()) {
        ++overflows;
        return std::numeric_limits<std::int16_t>::max();
    }
    if (rounded < std::numeric_limits<std::int16_t>::min()) {
        ++overflows;
        return std::numeric_limits<std::int16_t>::min();
    }
    return static_cast<std::int16_t>(rounded);
}

}  // namespace

ParsedDuration parseDuration(std::string_view text) {
    ParsedDuration result;
    const std::size_t colon = text.find(':');
    std::int16_t minutesTenths = 0;
    std::string_view secondsPart = text;
    if (colon == std::string_view::npos) {
        result.missingColon = true;
    } else {
        minutesTenths = toTenths(readNumber(text.substr(0, colon)) * 600.0, result.overflows);
        secondsPart = text.substr(colon + 1);
    }
    const std::int16_t secondsTenths = toTenths(readNumber(secondsPart) * 10.0, result.overflows);
    result.tenths = toTenths(static_cast<double>(secondsTenths) + minutesTenths, result.overflows);
    return result;
}

std::string formatDuration(std::int16_t tenths) {
    // No caller passes a negative length; give it a plain sign rather than a garbled text.
    const int magnitude = tenths < 0 ? -static_cast<int>(tenths) : tenths;
    const int rest = magnitude % 600;
    std::string text = tenths < 0 ? "-" : "";
    text += std::to_string(magnitude / 600) + ':';
    text += static_cast<char>('0' + rest / 100);
    text += static_cast<char>('0' + rest / 10 % 10);
    text += '.';
    text += static_cast<char>('0' + rest % 10);
    return text;
}

}  // namespace z2o
