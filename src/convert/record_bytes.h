// Little-endian fields of the record formats, read and written a byte at a time so that neither
// the host's byte order nor its alignment matters.
#pragma once

#include <bit>
#include <cstdint>

namespace z2o::endian {

inline std::int16_t getInt16(const std::uint8_t* p) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0]) |
                                     static_cast<std::uint16_t>(p[1]) << 8);
}

inline float getSingle(const std::uint8_t* p) {
    const std::uint32_t bits =
        static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
        static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
    return std::bit_cast<float>(bits);
}

inline std::uint8_t* putInt16(std::uint8_t* p, std::int16_t value) {
    const auto bits = static_cast<std::uint16_t>(value);
    p[0] = static_cast<std::uint8_t>(bits & 0xFF);
    p[1] = static_cast<std::uint8_t>(bits >> 8);
    return p + 2;
}

inline std::uint8_t* putSingle(std::uint8_t* p, float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
    return p + 4;
}

}  // namespace z2o::endian
