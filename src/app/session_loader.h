// A session file read for drawing: an OSw file as it is, or a ZS2 file as it would be converted.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "convert/segments.h"
#include "convert/target_record.h"

namespace z2o {

// What a target step is within the source step it came from. The bytes of a target record do
// not say it; a conversion does, and a few ramps also show in their tone levels.
enum class StepRole : std::uint8_t {
    Plain,       // a whole step, or one whose part is not known
    SoftOn,      // the ramp into a step
    FirstHalf,   // the first half of a split step
    SecondHalf,  // the second half of a split step
    SoftOff,     // the ramp out of a step
};

// The records of a session file and, when the conversion planned them, their roles.
struct LoadedSession {
    std::vector<TargetStepRecord> records;
    std::vector<StepRole> roles;  // one per record, or empty when unknown
};

// An OSw file as it is, or a ZS2 file as it would be converted with `ramp`. On failure: nullopt
// and a sentence in `problem`.
std::optional<LoadedSession> loadSessionFile(const std::string& path, const RampSettings& ramp,
                                             std::string& problem);

// Without a conversion at hand only a ramp of the tone level shows in a record.
StepRole roleFromBytes(const TargetStepRecord& record);

}  // namespace z2o
