// The 45-byte step record of a Zendrel session (ZS2) file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace z2o {

inline constexpr std::size_t kSourceRecordSize = 45;

struct SourceStepValues {
    float freq1 = 0;
    std::uint8_t level1 = 0;
    float freq2 = 0;
    std::uint8_t level2 = 0;
    std::int16_t pitch = 0;
};

struct SourceStepRecord {
    std::int16_t stepNumber = 0;
    SourceStepValues startValues;
    SourceStepValues endValues;
    std::array<char, 7> duration{};  // kept exactly as stored, blanks included
    std::uint8_t channelFlags = 0;
    std::uint8_t optionFlags = 0;
    std::uint8_t stepMode = 0;
};

// Any 45 bytes decode; floats are taken bit for bit.
SourceStepRecord decodeSourceRecord(std::span<const std::uint8_t, kSourceRecordSize> bytes);

// Records with a step number below 1 or a mode above 31 hold no step and are skipped silently.
inline bool isStep(const SourceStepRecord& record) {
    return record.stepNumber >= 1 && record.stepMode <= 31;
}

}  // namespace z2o
