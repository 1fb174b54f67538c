// Conversion of a whole session held in memory: the record loop of one run.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "errors.h"
#include "segments.h"

namespace z2o {

inline constexpr int kMaxRecordCount = 32767;

enum class SourceLength { Valid, NotWholeRecords, TooManyRecords };

// Decided from the length alone, so that a file can be refused before any of it is read.
SourceLength checkSourceLength(std::uint64_t bytes);

struct ConversionResult {
    SourceLength length = SourceLength::Valid;
    bool tooManySteps = false;  // more than 32767 target steps; `target` is then empty
    std::vector<std::uint8_t> target;
    int steps = 0;
};

// Converts the bytes of a ZS2 file into the bytes of its OSw file. Errors of single steps go to
// `raise` and the conversion goes on with the next operation, as the command's handler wants.
ConversionResult convertSession(std::span<const std::uint8_t> source, const RampSettings& settings,
                                const ErrorSink& raise);

// The records of an OSw file's bytes; a trailing part that is not a whole record is left out.
std::vector<TargetStepRecord> decodeTargetSession(std::span<const std::uint8_t> bytes);

// How long target records play, in tenths of a second, by their duration texts.
std::int64_t playingTenths(std::span<const TargetStepRecord> records);

}  // namespace z2o
