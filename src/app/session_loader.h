// A session file read for drawing: an OSw file as it is, a ZS2 file as it would be converted, or
// a conversion of this run as its planning made it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "convert/segments.h"
#include "convert/target_record.h"
#include "convert/translate.h"

namespace z2o {

// What a target step is within the source step it came from. The bytes of a target record do
// not say it; the planning does, and a few ramps also show in their tone levels.
enum class StepRole : std::uint8_t {
    Plain,       // a step whose part is not known
    SoftOn,      // the ramp into a step
    Main,        // a step's main part, whole
    FirstHalf,   // the first half of a split step, its main part
    SecondHalf,  // the second half of a split step
    SoftOff,     // the ramp out of a step
};

// A source step: the target records it became, and its own values, translated.
struct SourceSpan {
    std::size_t firstRecord = 0;
    std::size_t recordCount = 0;
    StepValues values;
};

// The records of a session file and, when the planning is known, their roles and source steps.
struct LoadedSession {
    std::vector<TargetStepRecord> records;
    std::vector<StepRole> roles;      // one per record, or empty when unknown
    std::vector<SourceSpan> sources;  // empty when unknown
};

// A file that loadSessionFile takes, by its name: an existing ZS2 or OSw file.
bool isSessionFile(const std::string& path);

// An OSw file as it is, or a ZS2 file as it would be converted with `ramp`. On failure: nullopt
// and a sentence in `problem`.
std::optional<LoadedSession> loadSessionFile(const std::string& path, const RampSettings& ramp,
                                             std::string& problem);

// The target of a conversion, with the roles and source steps of its source planned with the
// settings it was converted with; without them when the source has changed or gone since.
std::optional<LoadedSession> loadConversion(const std::string& targetPath,
                                            const std::string& sourcePath, const RampSettings& ramp,
                                            std::string& problem);

// Without the planning only a ramp of the tone level shows in a record.
StepRole roleFromBytes(const TargetStepRecord& record);

}  // namespace z2o
