// Turns a readable description of a session into ZS2 bytes, for the samples, the tests, the
// benchmarks and the fuzz seeds.
//
// One step per line, `key=value` words in any order, `#` starts a comment:
//   step duration=5:00.0 start=10,15,20,0,150 end=20,15,10,0,150 channel=0x28 option=0x01
// Keys: number (default 1), duration, start and end (freq1,level1,freq2,level2,pitch),
// channel, option, mode (the flag bytes) and repeat (the line stands for that many steps).
// In a duration "_" stands for a blank, so " 5:00.0" is written _5:00.0.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "convert/source_record.h"

namespace z2o::samples {

std::vector<std::uint8_t> encodeSourceRecord(const SourceStepRecord& record);

SourceStepRecord defaultStep();

// Throws std::invalid_argument naming the line that does not read.
std::vector<std::uint8_t> buildSession(std::string_view description);

}  // namespace z2o::samples
