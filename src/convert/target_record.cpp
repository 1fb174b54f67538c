#include "convert/target_record.h"

#include "convert/record_bytes.h"

namespace z2o {
namespace {

using endian::getInt16;
using endian::getSingle;
using endian::putInt16;
using endian::putSingle;

template <typename T, std::size_t N>
std::uint8_t* putBytes(std::uint8_t* p, const std::array<T, N>& values) {
    for (const T value : values) {
        *p++ = static_cast<std::uint8_t>(value);
    }
    return p;
}

template <typename T, std::size_t N>
const std::uint8_t* getBytes(const std::uint8_t* p, std::array<T, N>& values) {
    for (T& value : values) {
        value = static_cast<T>(*p++);
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

TargetStepRecord decodeTargetRecord(std::span<const std::uint8_t, kTargetRecordSize> bytes) {
    TargetStepRecord record;
    const std::uint8_t* p = bytes.data();
    record.stepNumber = getInt16(p);
    p = getBytes(p + 2, record.duration);
    for (float& f : record.freq) {
        f = getSingle(p);
        p += 4;
    }
    p = getBytes(p, record.slotFlags);
    p = getBytes(p, record.level);
    p = getBytes(p, record.auxA);
    p = getBytes(p, record.auxB);
    p = getBytes(p, record.toneKind);
    for (std::int16_t& b : record.toneOn) {
        b = getInt16(p);
        p += 2;
    }
    for (float& f : record.pitch) {
        f = getSingle(p);
        p += 4;
    }
    p = getBytes(p, record.toneLevel);
    record.enableFlag = getInt16(p);
    record.modeBits = getInt16(p + 2);
    return record;
}

}  // namespace z2o
