#include "convert/source_record.h"

#include "convert/record_bytes.h"

namespace z2o {
namespace {

using endian::getInt16;
using endian::getSingle;

SourceStepValues readValues(const std::uint8_t* p) {
    return {getSingle(p), p[4], getSingle(p + 5), p[9], getInt16(p + 10)};
}

}  // namespace

SourceStepRecord decodeSourceRecord(std::span<const std::uint8_t, kSourceRecordSize> bytes) {
    const std::uint8_t* b = bytes.data();
    SourceStepRecord record;
    record.stepNumber = getInt16(b);
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
