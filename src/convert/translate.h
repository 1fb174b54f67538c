// Translation of one source step into the per-step fields of the prepared target records and
// the start/end values that the segment planning places into them.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <initializer_list>

#include "convert/errors.h"
#include "convert/source_record.h"
#include "convert/target_record.h"

namespace z2o {

// Slots: 0 soft-on ramp, 1 main segment, 2 second half of a split step, 3 soft-off ramp.
using PreparedRecords = std::array<TargetStepRecord, 4>;

enum Pair { kFreq1, kFreq2, kLevel1, kLevel2, kPitch1, kPitch2, kPairCount };

struct ValuePair {
    float start = 0;
    float end = 0;
};

struct StepValues {
    std::array<ValuePair, kPairCount> pairs{};
    ValuePair& operator[](Pair p) { return pairs[p]; }
    const ValuePair& operator[](Pair p) const { return pairs[p]; }
};

// Fills `values` afresh, except where a floating-point fault is raised: that value keeps what
// the previous step left in it.
void translateStep(const SourceStepRecord& record, PreparedRecords& records, StepValues& values,
                   const ErrorSink& raise);

// Stores a computed value as single precision. A non-finite operand or result is a fault of the
// floating-point unit: the destination keeps its previous value and the caller raises overflow.
// Inline: the planning calls it for every value it derives.
inline bool storeSingle(float& destination, double value, std::initializer_list<float> operands) {
    for (const float operand : operands) {
        if (!std::isfinite(operand)) return false;
    }
    const auto single = static_cast<float>(value);
    if (!std::isfinite(single)) return false;
    destination = single;
    return true;
}

}  // namespace z2o
