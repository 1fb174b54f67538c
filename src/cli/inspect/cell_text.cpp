#include "cli/inspect/cell_text.h"

#include <charconv>
#include <cmath>

namespace z2o::inspect {

void appendFloat(std::string& out, float value, bool quoteNames) {
    const char* name = std::isnan(value)   ? "NaN"
                       : std::isinf(value) ? (std::signbit(value) ? "-Infinity" : "Infinity")
                                           : nullptr;
    if (name) {
        if (quoteNames) out += '"';
        out += name;
        if (quoteNames) out += '"';
        return;
    }
    // Readers that tell integers from reals take "-0" for the integer 0, which has no sign.
    if (value == 0 && std::signbit(value)) {
        out += "-0.0";
        return;
    }
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void appendHex(std::string& out, unsigned value, int digits) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        out += kDigits[(value >> shift) & 0xF];
}

void appendVisible(std::string& out, std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte > 0x7E || c == '\\') {
            out += "\\x";
            appendHex(out, byte, 2);
        } else {
            out += c;
        }
    }
}

std::string_view trimmedDuration(const std::array<char, 7>& duration) {
    std::string_view view(duration.data(), duration.size());
    return view.substr(0, view.find_last_not_of(' ') + 1);
}

void appendDataCell(std::string& out, const Cell& cell, bool quoteNames,
                    void (*appendText)(std::string& out, std::string_view text)) {
    switch (cell.type) {
        case Cell::Type::Integer:
        case Cell::Type::Flags:
            out += std::to_string(cell.integer);
            break;
        case Cell::Type::Single:
            appendFloat(out, cell.single, quoteNames);
            break;
        case Cell::Type::Text:
            appendText(out, trimmedDuration(cell.text));
            break;
        case Cell::Type::Boolean:
            out += cell.integer != 0 ? "true" : "false";
    }
}

}  // namespace z2o::inspect
