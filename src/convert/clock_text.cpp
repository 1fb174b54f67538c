#include "convert/clock_text.h"

#include <cstdio>

namespace z2o {

std::string clockText(std::int64_t tenths, bool withTenths, Hours hours) {
    const bool negative = tenths < 0;
    // Unsigned, so that the most negative value has a magnitude too.
    const auto magnitude =
        negative ? 0 - static_cast<std::uint64_t>(tenths) : static_cast<std::uint64_t>(tenths);
    const unsigned long long seconds = magnitude / 10;
    char buffer[48];
    const char* sign = negative ? "-" : "";
    const int length = hours == Hours::Always || seconds >= 3600
                           ? std::snprintf(buffer, sizeof buffer, "%s%llu:%02llu:%02llu", sign,
                                           seconds / 3600, seconds / 60 % 60, seconds % 60)
                           : std::snprintf(buffer, sizeof buffer, "%s%llu:%02llu", sign,
                                           seconds / 60, seconds % 60);
    if (withTenths) {
        std::snprintf(buffer + length, sizeof buffer - static_cast<std::size_t>(length), ".%llu",
                      static_cast<unsigned long long>(magnitude % 10));
    }
    return buffer;
}

}  // namespace z2o
