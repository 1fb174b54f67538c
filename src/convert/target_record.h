// The 109-byte step record of an Orvanel session (OSw) file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace z2o {

inline constexpr std::size_t kTargetRecordSize = 109;

struct TargetStepRecord {
    std::int16_t stepNumber = 0;
    std::array<char, 7> duration{' ', ' ', ' ', ' ', ' ', ' ', ' '};
    std::array<float, 8> freq{5, 5, 5, 5, 5, 5, 5, 5};
    std::array<std::uint8_t, 8> slotFlags{};
    std::array<std::uint8_t, 8> level{255, 255, 255, 255, 255, 255, 255, 255};
    std::array<std::uint8_t, 8> auxA{127, 127, 127, 127, 127, 127, 127, 127};
    std::array<std::uint8_t, 8> auxB{96, 96, 96, 96, 96, 96, 96, 96};
    std::array<std::uint8_t, 4> toneKind{1, 1, 1, 1};
    std::array<std::int16_t, 4> toneOn{-1, -1, 0, 0};  // -1 is True
    std::array<float, 4> pitch{150, 150, 150, 150};
    std::array<std::uint8_t, 4> toneLevel{255, 255, 255, 255};
    std::int16_t enableFlag = -1;
    std::int16_t modeBits = 0;
};

// Encodes the record with the given step number; the record itself is left as it is.
void encodeTargetRecord(const TargetStepRecord& record, std::int16_t stepNumber,
                        std::span<std::uint8_t, kTargetRecordSize> out);

// The reverse of the encoder: every field, the step number included, taken bit for bit.
TargetStepRecord decodeTargetRecord(std::span<const std::uint8_t, kTargetRecordSize> bytes);

}  // namespace z2o
