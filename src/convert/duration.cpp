#include "convert/duration.h"

#include <cstdlib>

#include <array>
#include <cmath>
#include <limits>

namespace z2o {
namespace {

// Sign, then digits with at most one ".", after dropping blanks, tabs and line feeds; stops at
// the first character that does not fit. No digits reads as 0.
double readNumber(std::string_view piece) {
    double digits = 0.0;  // the digits read as a whole number; exact for any 7-character text
    double scale = 1.0;   // 10 to the number of digits after the point
    bool negative = false;
    bool signAllowed = true;
    bool seenPoint = false;
    for (const char c : piece) {
        if (c == ' ' || c == '\t' || c == '\n') continue;
        if (signAllowed && (c == '+' || c == '-')) {
            negative = c == '-';
        } else if (c >= '0' && c <= '9') {
            digits = digits * 10.0 + (c - '0');
            if (seenPoint) scale *= 10.0;
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
        signAllowed = false;
    }
    // One correctly rounded division, as a decimal reader would give.
    const double value = digits / scale;
    return negative ? -value : value;
}

// Rounds to the nearest whole number, ties to even, saturating beyond 16 bits.
std::int16_t toTenths(double value, int& overflows) {
    const double rounded = std::rint(value);
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

namespace {

// Writes the text into `out` (room for the longest, "-54:36.8") and returns its length.
std::size_t writeDuration(std::int16_t tenths, std::span<char, 8> out) {
    // No caller passes a negative length; give it a plain sign rather than a garbled text.
    const int magnitude = std::abs(static_cast<int>(tenths));
    const int minutes = magnitude / 600;
    const int rest = magnitude % 600;
    std::size_t n = 0;
    if (tenths < 0) out[n++] = '-';
    if (minutes >= 10) out[n++] = static_cast<char>('0' + minutes / 10);
    out[n++] = static_cast<char>('0' + minutes % 10);
    out[n++] = ':';
    out[n++] = static_cast<char>('0' + rest / 100);
    out[n++] = static_cast<char>('0' + rest / 10 % 10);
    out[n++] = '.';
    out[n++] = static_cast<char>('0' + rest % 10);
    return n;
}

}  // namespace

std::string formatDuration(std::int16_t tenths) {
    std::array<char, 8> text{};
    return std::string(text.data(), writeDuration(tenths, text));
}

void formatDuration(std::int16_t tenths, std::span<char, 7> field) {
    std::array<char, 8> text{};
    const std::size_t length = writeDuration(tenths, text);
    for (std::size_t i = 0; i < field.size(); ++i) {
        field[i] = i < length ? text[i] : ' ';
    }
}

}  // namespace z2o
