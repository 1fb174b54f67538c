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

// The ramp time a run of the program starts with, in tenths of a second.
inline constexpr std::int16_t kDefaultRampTime = 50;

// The two ramp settings, read by the conversion and the session view alike.
struct RampSettings {
    std::int16_t rampTime = kDefaultRampTime;  // tenths of a second, 0 to 100; 0: no ramps
    bool softRamping = true;                   // interpolate the inner end of a ramp
};

// The role a target step plays in its source step, which is also the slot of the prepared
// records it is built in and, as 1 << role, its bit in the write mask.
enum class SlotRole : std::uint8_t { SoftOn, Main, SecondHalf, SoftOff };
inline constexpr std::size_t kSlotCount = 4;

// The target steps that one source step becomes.
struct StepPlan {
    std::int16_t writeMask = 2;  // 1 soft-on ramp, 2 main, 4 second half of a split, 8 soft-off
    std::array<std::int16_t, kSlotCount> tenths{};  // the duration of each slot written

    bool writes(SlotRole role) const { return (writeMask >> static_cast<int>(role)) & 1; }
    int count() const;
    std::int64_t playingTenths() const;
};

// The midpoints and ramp values of every pair. They outlive a step so that a computation that
// faults leaves the previous value in place.
struct DerivedValues {
    std::array<float, kPairCount> midpoint{};
    std::array<float, kPairCount> softOn{};
    std::array<float, kPairCount> softOff{};
};

// The planning of a session's steps: each valid source step is translated and planned into the
// prepared records, which with the derived values carry over from step to step. Errors of single
// steps go to `raise`, and the planning goes on.
class StepPlanner {
  public:
    StepPlanner(const RampSettings& settings, ErrorSink raise);
    StepPlan plan(const SourceStepRecord& record);
    const PreparedRecords& records() const { return m_records; }

  private:
    const RampSettings m_settings;
    ErrorSink m_raise;
    PreparedRecords m_records;
    StepValues m_values;
    DerivedValues m_derived;
};

inline constexpr int kMaxStepNumber = 32767;
inline constexpr std::size_t kMaxStepRecords = 4;  // the records one source step can become

// Encodes the records that `plan` writes into `out`, numbered from `nextStepNumber` on (held
// wider than a step number so that the overflow is seen before it happens). Returns how many it
// wrote, or -1, having written nothing of this step, when a step number would pass 32767.
int writeStepSegments(const PreparedRecords& records, const StepPlan& plan, int& nextStepNumber,
                      std::span<std::uint8_t, kMaxStepRecords * kTargetRecordSize> out);

}  // namespace z2o
