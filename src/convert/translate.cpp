#include "convert/translate.h"

#include <cmath>

namespace z2o {

void translateStep(const SourceStepRecord& record, PreparedRecords& records, StepValues& values,
                   const ErrorSink& raise) {
    const SourceStepValues& start = record.startValues;
    const SourceStepValues& end = record.endValues;
    const bool separatePairs = (record.stepMode & 0x01) != 0;
    const bool pair1Silent = start.level1 == 0 && end.level1 == 0;

    std::int16_t modeValue = (record.optionFlags & 0x08) ? 68 : 0;
    if (!(record.optionFlags & 0x04)) modeValue += 128;
    if (separatePairs) {
        modeValue += 256;
    } else if (pair1Silent) {
        modeValue += 272;
    }
    const std::uint8_t slotValue = (separatePairs || (record.optionFlags & 0x04)) ? 0 : 128;
    const std::int16_t toneSwitch = (record.optionFlags & 0x01) ? -1 : 0;
    const std::int16_t enableSwitch = (record.optionFlags & 0x02) ? -1 : 0;

    for (TargetStepRecord& target : records) {
        target.toneOn[0] = toneSwitch;
        target.toneOn[1] = toneSwitch;
        target.enableFlag = enableSwitch;
        // Bits outside 2..9 are not ours and survive from whatever set them.
        target.modeBits = static_cast<std::int16_t>((target.modeBits & ~1020) | modeValue);
        target.slotFlags[1] = slotValue;
        target.slotFlags[5] = slotValue;
    }

    const bool channel2FromPair2 = separatePairs || pair1Silent;
    const bool channel1FromPair2 = !separatePairs && pair1Silent;
    const auto frequency = [](const SourceStepValues& v, bool pair2) {
        return pair2 ? v.freq2 : v.freq1;
    };
    const auto level = [](const SourceStepValues& v, bool pair2) {
        return static_cast<float>(static_cast<std::int16_t>(17 * (pair2 ? v.level2 : v.level1)));
    };
    values[kFreq1] = {frequency(start, channel1FromPair2), frequency(end, channel1FromPair2)};
    values[kFreq2] = {frequency(start, channel2FromPair2), frequency(end, channel2FromPair2)};
    values[kLevel1] = {level(start, channel1FromPair2), level(end, channel1FromPair2)};
    values[kLevel2] = {level(start, channel2FromPair2), level(end, channel2FromPair2)};
    values[kPitch1] = {static_cast<float>(start.pitch), static_cast<float>(end.pitch)};

    if (!(record.channelFlags & 0x40)) {
        values[kPitch2] = values[kPitch1];
        return;
    }
    // The raise is the frequency of the pair chosen for channel 1, not pair 1's own.
    const ValuePair pitch = values[kPitch1];
    const ValuePair raiseBy = values[kFreq1];
    if (!storeSingle(values[kPitch2].start, double{pitch.start} + raiseBy.start,
                     {pitch.start, raiseBy.start})) {
        raise(kOverflow);
    }
    if (!storeSingle(values[kPitch2].end, double{pitch.end} + raiseBy.end,
                     {pitch.end, raiseBy.end})) {
        raise(kOverflow);
    }
}

}  // namespace z2o
