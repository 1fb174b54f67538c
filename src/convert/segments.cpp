#include "convert/segments.h"

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

// Adds the split and the ramps to the plan's mask, which holds the main segment.
void planStepSegments(const SourceStepRecord& record, const StepValues& values,
                      const RampSettings& settings, PreparedRecords& records,
                      DerivedValues& derived, StepPlan& plan, const ErrorSink& raise) {
    std::int16_t& writeMask = plan.writeMask;
    const ParsedDuration parsed =
        parseDuration(std::string_view(record.duration.data(), record.duration.size()));
    if (parsed.missingColon) raise(kInvalidCall);
    for (int i = 0; i < parsed.overflows; ++i)
        raise(kOverflow);

    std::int16_t durationTenths = parsed.tenths;
    if (durationTenths > 12000) durationTenths = 12000;
    if (durationTenths < 5) durationTenths = 5;
    const std::int16_t clampedTenths = durationTenths;

    const bool split = durationTenths > 6000;
    if (split) {
        durationTenths = halfToEven(durationTenths, 2);
        writeMask += 4;
        for (int p = 0; p < kPairCount; ++p) {
            deriveValue(derived.midpoint[p], values.pairs[p], perPart(values.pairs[p], 2), 1,
                        Pair(p), raise);
        }
    }
    std::int16_t secondHalfTenths = durationTenths;

    const bool qualifies = settings.rampTime != 0 && durationTenths >= 40;
    const bool wantsSoftOn = (record.channelFlags & (0x08 | 0x20)) != 0;
    const bool wantsSoftOff = (record.channelFlags & (0x04 | 0x10)) != 0;
    const bool softOn = qualifies && wantsSoftOn;
    const bool softOff = qualifies && wantsSoftOff;
    if (qualifies) {
        const std::int16_t rampTenths = durationTenths < 4 * settings.rampTime
                                            ? halfToEven(durationTenths, 4)
                                            : settings.rampTime;
        setDuration(records[0], rampTenths);
        setDuration(records[3], rampTenths);
        plan.tenths[0] = plan.tenths[3] = rampTenths;
        if (softOn) {
            writeMask += 1;
            durationTenths -= rampTenths;
        }
        if (softOff) {
            writeMask += 8;
            (split ? secondHalfTenths : durationTenths) -= rampTenths;
        }
        for (int p = 0; p < kPairCount; ++p) {
            const ValuePair& pair = values.pairs[p];
            if (settings.softRamping) {
                // Both ramp values lie on the line over the whole step, also when it is split.
                const double perTenth = perPart(pair, clampedTenths);
                deriveValue(derived.softOn[p], pair, perTenth, rampTenths, Pair(p), raise);
                deriveValue(derived.softOff[p], pair, perTenth, clampedTenths - rampTenths, Pair(p),
                            raise);
            } else {
                derived.softOn[p] = pair.start;
                derived.softOff[p] = pair.end;
            }
        }
    }
    setDuration(records[2], secondHalfTenths);
    setDuration(records[1], durationTenths);
    plan.tenths[1] = durationTenths;
    plan.tenths[2] = secondHalfTenths;

    std::array<float, kPairCount> starts{};
    std::array<float, kPairCount> ends{};
    for (int p = 0; p < kPairCount; ++p) {
        starts[p] = values.pairs[p].start;
        ends[p] = values.pairs[p].end;
    }
    if (softOn) {
        auto rampStarts = starts;
        if (record.channelFlags & 0x20) rampStarts[kLevel1] = rampStarts[kLevel2] = 0;
        storeValues(records[0], End::Start, rampStarts, raise);
        storeValues(records[0], End::Finish, derived.softOn, raise);
        const std::uint8_t toneStart = (record.channelFlags & 0x08) ? 0 : 255;
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
        if (record.channelFlags & 0x10) rampEnds[kLevel1] = rampEnds[kLevel2] = 0;
        storeValues(records[3], End::Start, derived.softOff, raise);
        storeValues(records[3], End::Finish, rampEnds, raise);
        const std::uint8_t toneEnd = (record.channelFlags & 0x04) ? 0 : 255;
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
    : m_settings(settings), m_raise(raise) {
    initPreparedRecords(m_records);
}

StepPlan StepPlanner::plan(const SourceStepRecord& record) {
    StepPlan plan;
    translateStep(record, m_records, m_values, m_raise);
    planStepSegments(record, m_values, m_settings, m_records, m_derived, plan, m_raise);
    return plan;
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
