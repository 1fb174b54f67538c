// Planning of the one to four target steps of a source step (ramps, split, durations, values)
// and their output with consecutive step numbers.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "convert/errors.h"
#include "convert/source_record.h"
#include "convert/translate.h"

namespace z2o {

struct RampSettings {
    std::int16_t rampTime = 50;  // tenths of a second, 0 to 100; 0 switches ramps off
    bool softRamping = true;     // interpolate the inner end of a ramp
};

// The midpoints and ramp values of every pair. They outlive a step so that a computation that
// faults leaves the previous value in place.
struct DerivedValues {
    std::array<float, kPairCount> midpoint{};
    std::array<float, kPairCount> softOn{};
    std::array<float, kPairCount> softOff{};
};

// Adds 4 (split), 1 (soft-on) and 8 (soft-off) to `writeMask`, which the caller set to 2.
void planStepSegments(const SourceStepRecord& record, const StepValues& values,
                      const RampSettings& settings, PreparedRecords& records,
                      DerivedValues& derived, std::int16_t& writeMask, const ErrorSink& raise);

inline constexpr int kMaxStepNumber = 32767;
inline constexpr std::size_t kMaxStepRecords = 4;  // the records one source step can become

// Encodes the records whose mask bits are set into `out`, numbered from `nextStepNumber` on (held
// wider than a step number so that the overflow is seen before it happens). Returns how many it
// wrote, or -1, having written nothing of this step, when a step number would pass 32767.
int writeStepSegments(const PreparedRecords& records, std::int16_t writeMask, int& nextStepNumber,
                      std::span<std::uint8_t, kMaxStepRecords * kTargetRecordSize> out);

}  // namespace z2o
