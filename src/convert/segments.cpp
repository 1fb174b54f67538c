#include "convert/segments.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <span>

#include "convert/duration.h"

namespace z2o {
namespace {

constexpr std::array<int, kPairCount> kDecimals{2, 2, 0, 0, 1, 1};

// Round to a number of decimals, ties to even: rint follows the rounding mode, which the program
// never moves from its default, to nearest with ties to even. Whole numbers skip the scaling,
// which is exact for them anyway.
float roundToDecimals(float value, int decimals) {
    if (decimals == 0) return static_cast<float>(std::rint(double{value}));
    const double scale = decimals == 2 ? 100.0 : 10.0;
    return static_cast<float>(std::rint(double{value} * scale) / scale);
}

// s + (e - s) / whole * part, in double precision from the single operands; `perTenth` is the
// (e - s) / whole part, which the two ramps of a step share.
void deriveValue(float& destination, const ValuePair& pair, double perTenth, int part, Pair p,
                 const ErrorSink& raise) {
    const double value = pair.start + perTenth * part;
    float computed = destination;
    if (storeSingle(computed, value, {pair.start, pair.end})) {
        destination = roundToDecimals(computed, kDecimals[p]);
    } else {
        raise(kOverflow);
    }
}

double perPart(const ValuePair& pair, int whole) {
    return (double{pair.end} - pair.start) / whole;
}

void setDuration(TargetStepRecord& record, std::int16_t tenths) {
    formatDuration(tenths, record.duration);
}

// A level byte takes the value rounded to a whole number; one outside 0..255 keeps what the byte
// held before.
void storeLevel(std::uint8_t& byte, float value, const ErrorSink& raise) {
    const float rounded = std::rint(value);
    if (!(rounded >= 0.0F && rounded <= 255.0F)) {
        raise(kOverflow);
        return;
    }
    byte = static_cast<std::uint8_t>(rounded);
}

// The six start fields of a record (the channels' frequencies and levels at 0 and 1, the tones'
// pitches at 0 and 1) or its six end fields (at 4 and 5, and 2 and 3).
enum class End { Start, Finish };

void storeValues(TargetStepRecord& record, End end, const std::array<float, kPairCount>& v,
                 const ErrorSink& raise) {
    const std::size_t channel = end == End::Start ? 0 : 4;
    const std::size_t tone = end == End::Start ? 0 : 2;
    record.freq[channel] = v[kFreq1];
    record.freq[channel + 1] = v[kFreq2];
    storeLevel(record.level[channel], v[kLevel1], raise);
    storeLevel(record.level[channel + 1], v[kLevel2], raise);
    record.pitch[tone] = v[kPitch1];
    record.pitch[tone + 1] = v[kPitch2];
}

std::int16_t halfToEven(int tenths, int divisor) {
    return static_cast<std::int16_t>(std::rint(static_cast<double>(tenths) / divisor));
}

// The durations of a step's target steps and which of them it writes.
struct Timing {
    StepPlan plan;
    std::int16_t clampedTenths = 0;  // the whole step's duration, clamped
    std::int16_t rampTenths = 0;
    bool qualifies = false;  // long enough for ramps, and ramps switched on
};

Timing planTiming(const SourceStepRecord& record, std::int16_t rampTime, const ErrorSink& raise) {
    const ParsedDuration parsed =
        parseDuration(std::string_view(record.duration.data(), record.duration.size()));
    if (parsed.missingColon) raise(kInvalidCall);
    for (int i = 0; i < parsed.overflows; ++i)
        raise(kOverflow);

    Timing timing;
    std::int16_t& writeMask = timing.plan.writeMask;
    std::int16_t durationTenths = std::clamp<std::int16_t>(parsed.tenths, 5, 12000);
    timing.clampedTenths = durationTenths;
    const bool split = durationTenths > 6000;
    if (split) {
        durationTenths = halfToEven(durationTenths, 2);
        writeMask += 4;
    }
    std::int16_t secondHalfTenths = durationTenths;

    timing.qualifies = rampTime != 0 && durationTenths >= 40;
    if (timing.qualifies) {
        // A quarter of the step at most.
        timing.rampTenths = std::min(rampTime, halfToEven(durationTenths, 4));
        if (record.channelFlags & (0x08 | 0x20)) {
            writeMask += 1;
            durationTenths -= timing.rampTenths;
        }
        if (record.channelFlags & (0x04 | 0x10)) {
            writeMask += 8;
            (split ? secondHalfTenths : durationTenths) -= timing.rampTenths;
        }
    }
    timing.plan.tenths = {timing.rampTenths, durationTenths, secondHalfTenths, timing.rampTenths};
    return timing;
}

// The midpoint of a split step, and the values at the inner ends of its ramps.
void deriveValues(const Timing& timing, const StepValues& values, bool softRamping,
                  DerivedValues& derived, const ErrorSink& raise) {
    if (timing.plan.writes(SlotRole::SecondHalf)) {
        for (int p = 0; p < kPairCount; ++p) {
            deriveValue(derived.midpoint[p], values.pairs[p], perPart(values.pairs[p], 2), 1,
                        Pair(p), raise);
        }
    }
    if (!timing.qualifies) return;
    const std::int16_t whole = timing.clampedTenths;
    for (int p = 0; p < kPairCount; ++p) {
        const ValuePair& pair = values.pairs[p];
        if (softRamping) {
            // Both ramp values lie on the line over the whole step, also when it is split.
            const double perTenth = perPart(pair, whole);
            deriveValue(derived.softOn[p], pair, perTenth, timing.rampTenths, Pair(p), raise);
            deriveValue(derived.softOff[p], pair, perTenth, whole - timing.rampTenths, Pair(p),
                        raise);
        } else {
            derived.softOn[p] = pair.start;
            derived.softOff[p] = pair.end;
        }
    }
}

// Fills the prepared records of the slots a step writes: durations, values and tone levels.
void placeValues(std::uint8_t channelFlags, const Timing& timing, const StepValues& values,
                 const DerivedValues& derived, PreparedRecords& records, const ErrorSink& raise) {
    const StepPlan& plan = timing.plan;
    if (timing.qualifies) {
        setDuration(records[0], timing.rampTenths);
        setDuration(records[3], timing.rampTenths);
    }
    setDuration(records[2], plan.tenths[2]);
    setDuration(records[1], plan.tenths[1]);

    std::array<float, kPairCount> starts{};
    std::array<float, kPairCount> ends{};
    for (int p = 0; p < kPairCount; ++p) {
        starts[p] = values.pairs[p].start;
        ends[p] = values.pairs[p].end;
    }
    const bool softOn = plan.writes(SlotRole::SoftOn);
    const bool split = plan.writes(SlotRole::SecondHalf);
    const bool softOff = plan.writes(SlotRole::SoftOff);
    if (softOn) {
        auto rampStarts = starts;
        if (channelFlags & 0x20) rampStarts[kLevel1] = rampStarts[kLevel2] = 0;
        storeValues(records[0], End::Start, rampStarts, raise);
        storeValues(records[0], End::Finish, derived.softOn, raise);
        const std::uint8_t toneStart = (channelFlags & 0x08) ? 0 : 255;
        records[0].toneLevel[0] = records[0].toneLevel[1] = toneStart;
    }
    storeValues(records[1], End::Start, softOn ? derived.softOn : starts, raise);
    storeValues(records[1], End::Finish,
                split     ? derived.midpoint
                : softOff ? derived.softOff
                          : ends,
                raise);
    if (split) {
        storeValues(records[2], End::Start, derived.midpoint, raise);
        storeValues(records[2], End::Finish, softOff ? derived.softOff : ends, raise);
    }
    if (softOff) {
        auto rampEnds = ends;
        if (channelFlags & 0x10) rampEnds[kLevel1] = rampEnds[kLevel2] = 0;
        storeValues(records[3], End::Start, derived.softOff, raise);
        storeValues(records[3], End::Finish, rampEnds, raise);
        const std::uint8_t toneEnd = (channelFlags & 0x04) ? 0 : 255;
        records[3].toneLevel[2] = records[3].toneLevel[3] = toneEnd;
    }
}

}  // namespace

int StepPlan::count() const {
    return std::popcount(static_cast<unsigned>(writeMask & 15));
}

std::int64_t StepPlan::playingTenths() const {
    std::int64_t total = 0;
    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        if (writes(SlotRole(slot))) total += tenths[slot];
    }
    return total;
}

StepPlanner::StepPlanner(const RampSettings& settings, ErrorSink raise)
    : m_settings(settings), m_raise(raise) {}

StepPlan StepPlanner::plan(const SourceStepRecord& record) {
    translateStep(record, m_records, m_values, m_raise);
    const Timing timing = planTiming(record, m_settings.rampTime, m_raise);
    deriveValues(timing, m_values, m_settings.softRamping, m_derived, m_raise);
    placeValues(record.channelFlags, timing, m_values, m_derived, m_records, m_raise);
    return timing.plan;
}

int writeStepSegments(const PreparedRecords& records, const StepPlan& plan, int& nextStepNumber,
                      std::span<std::uint8_t, kMaxStepRecords * kTargetRecordSize> out) {
    const int count = plan.count();
    std::int16_t writeMask = plan.writeMask;
    if (nextStepNumber + count - 1 > kMaxStepNumber) return -1;
    std::uint8_t* at = out.data();
    for (std::size_t slot = 0; writeMask > 0; ++slot, writeMask /= 2) {
        if (writeMask % 2 == 0) continue;
        encodeTargetRecord(records[slot], static_cast<std::int16_t>(nextStepNumber++),
                           std::span<std::uint8_t, kTargetRecordSize>(at, kTargetRecordSize));
        at += kTargetRecordSize;
    }
    return count;
}

}  // namespace z2o
