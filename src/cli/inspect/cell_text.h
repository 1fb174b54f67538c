// The pieces of text that more than one of z2o-inspect's formats writes for a cell.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace z2o::inspect {

// A float field: the shortest text that reads back to the same 32 bits, as a real number where
// it matters (negative zero is "-0.0"). NaN and the infinities go by their names, which
// `quoteNames` puts in quotes for JSON, as it has no numbers for them; a NaN's sign and payload
// do not show.
void appendFloat(std::string& out, float value, bool quoteNames);

// `digits` hexadecimal digits, in capitals.
void appendHex(std::string& out, unsigned value, int digits);

// Text for the table and CSV: bytes outside printable ASCII, and the backslash, as \xNN.
void appendVisible(std::string& out, std::string_view text);

// A duration without the blanks that pad it on the right.
std::string_view trimmedDuration(const std::array<char, 7>& duration);

}  // namespace z2o::inspect
