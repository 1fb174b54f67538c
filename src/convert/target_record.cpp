#include "target_record.h"

#include <bit>

namespace z2o {
namespace {

std::uint8_t* putInt16(std::uint8_t* p, std::int16_t value) {
    const auto bits = static_cast<std::uint16_t>(value);
    p[0] = static_cast<std::uint8_t>(bits & 0xFF);
    p[1] = static_cast<std::uint8_t>(bits >> 8);
    return p + 2;
}

std::uint8_t* putSingle(std::uint8_t* p, float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
    return p + 4;
}

template <typename T, std::size_t N>
std::uint8_t* putBytes(std::uint8_t* p, const std::array<T, N>& values) {
    for (const T value : values) {
        *p++ = static_cast<std::uint8_t>(value);
    }
    return p;
}

}  // namespace

void encodeTargetRecord(const TargetStepRecord& record, std::int16_t stepNumber,
                        std::span<std::uint8_t, kTargetRecordSize> out) {
    std::uint8_t* p = putInt16(out.data(), stepNumber);
    p = putBytes(p, record.duration);
    for (const float f : record.freq)
        p = putSingle(p, f);
    p = putBytes(p, record.slotFlags);
    p = putBytes(p, record.level);
    p = putBytes(p, record.auxA);
    p = putBytes(p, record.auxB);
    p = putBytes(p, record.toneKind);
    for (const std::int16_t b : record.toneOn)
        p = putInt16(p, b);
    for (const float f : record.pitch)
        p = putSingle(p, f);
    p = putBytes(p, record.toneLevel);
    p = putInt16(p, record.enableFlag);
    putInt16(p, record.modeBits);
}

}  // namespace z2o
