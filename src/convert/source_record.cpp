#include "source_record.h"

#include <bit>

namespace z2o {
namespace {

std::int16_t readInt16(const std::uint8_t* p) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0]) |
                                     static_cast<std::uint16_t>(p[1]) << 8);
}

float readSingle(const std::uint8_t* p) {
    const std::uint32_t bits =
        static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
        static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
    return std::bit_cast<float>(bits);
}

SourceStepValues readValues(const std::uint8_t* p) {
    return {readSingle(p), p[4], readSingle(p + 5), p[9], readInt16(p + 10)};
}

}  // namespace

SourceStepRecord decodeSourceRecord(std::span<const std::uint8_t, kSourceRecordSize> bytes) {
    const std::uint8_t* b = bytes.data();
    SourceStepRecord record;
    record.stepNumber = readInt16(b);
    record.startValues = readValues(b + 2);
    record.endValues = readValues(b + 14);
    for (std::size_t i = 0; i < record.duration.size(); ++i) {
        record.duration[i] = static_cast<char>(b[26 + i]);
    }
    record.channelFlags = b[40];
    record.optionFlags = b[41];
    record.stepMode = b[42];
    return record;
}

}  // namespace z2o
