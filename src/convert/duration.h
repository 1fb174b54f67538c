// Step lengths as the seven-character text of both record formats, and as tenths of a second.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace z2o {

struct ParsedDuration {
    std::int16_t tenths = 0;
    bool missingColon = false;  // reported as an invalid argument; the minutes read as 0
    int overflows = 0;          // parts or sum beyond 16 bits; each saturates
};

// Reads "M:SS.T" leniently: blanks anywhere are ignored and each side of the first ":" is read
// as a decimal number up to its first unfit character.
ParsedDuration parseDuration(std::string_view text);

// "M:SS.T" for 0 to 32767 tenths.
std::string formatDuration(std::int16_t tenths);

// The same text into a record's field, blank-padded; no allocation, for the record loop. A text
// longer than the field (only a negative length's) is cut at its end.
void formatDuration(std::int16_t tenths, std::span<char, 7> field);

}  // namespace z2o
