#include "target_record.h"

#include <bit>
#include <cstring>
#include <type_traits>

#include "record_bytes.h"

namespace z2o {
namespace {

using endian::getInt16;
using endian::getSingle;
using endian::putInt16;
using endian::putSingle;

template <typename T, std::size_t N>
const std::uint8_t* getBytes(const std::uint8_t* p, std::array<T, N>& values) {
    for (T& value : values) {
        value = static_cast<T>(*p++);
    }
    return p;
}

}  // namespace

// Field by field in the record's order; on a little-endian host the fields' memory already is
// their encoding, so whole arrays are copied at once.
template <typename T, std::size_t N>
std::uint8_t* putField(std::uint8_t* p, const std::array<T, N>& values) {
    if constexpr (std::endian::native == std::endian::little || sizeof(T) == 1) {
        std::memcpy(p, values.data(), sizeof(T) * N);
        return p + sizeof(T) * N;
    } else if constexpr (std::is_same_v<T, float>) {
        for (const float f : values)
            p = putSingle(p, f);
        return p;
    } else {
        for (const std::int16_t v : values)
            p = putInt16(p, v);
        return p;
    }
}

void encodeTargetRecord(const TargetStepRecord& record, std::int16_t stepNumber,
                        std::span<std::uint8_t, kTargetRecordSize> out) {
    std::uint8_t* p = putInt16(out.data(), stepNumber);
    p = putField(p, record.duration);
    p = putField(p, record.freq);
    p = putField(p, record.slotFlags);
    p = putField(p, record.level);
    p = putField(p, record.auxA);
    p = putField(p, record.auxB);
    p = putField(p, record.toneKind);
    p = putField(p, record.toneOn);
    p = putField(p, record.pitch);
    p = putField(p, record.toneLevel);
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
