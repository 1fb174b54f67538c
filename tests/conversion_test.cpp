// Step translation and segment planning: which records a step becomes and what they hold.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "segments.h"
#include "session.h"
#include "session_builder.h"
#include "translate.h"

namespace z2o {
namespace {

SourceStepRecord stepWith(const char* duration, std::uint8_t channel, std::uint8_t option = 0x01,
                          std::uint8_t mode = 0) {
    SourceStepRecord step = samples::defaultStep();
    step.duration.fill(' ');
    for (std::size_t i = 0; duration[i] && i < 7; ++i)
        step.duration[i] = duration[i];
    step.channelFlags = channel;
    step.optionFlags = option;
    step.stepMode = mode;
    return step;
}

// One step through translation and planning, as the record loop runs it.
struct Planned {
    PreparedRecords records;
    StepValues values;
    DerivedValues derived;
    std::int16_t writeMask = 2;
    std::vector<int> errors;

    Planned() { initPreparedRecords(records); }
    Planned& run(const SourceStepRecord& step, RampSettings settings = {}) {
        writeMask = 2;
        const auto raise = [this](int n) { errors.push_back(n); };
        translateStep(step, records, values, raise);
        planStepSegments(step, values, settings, records, derived, writeMask, raise);
        return *this;
    }
    std::string duration(int slot) const {
        std::string text(records[slot].duration.data(), 7);
        return text.substr(0, text.find_last_not_of(' ') + 1);
    }
};

TEST(Translate, ModeValueAndSlotFlagsForEveryCombination) {
    struct Row {
        std::uint8_t option;
        std::uint8_t mode;
        bool pair1Silent;
        int modeValue;
        int slotValue;
    };
    const Row rows[] = {
        {0x00, 1, false, 384, 0}, {0x00, 0, false, 128, 128}, {0x00, 0, true, 400, 128},
        {0x04, 1, false, 256, 0}, {0x04, 0, false, 0, 0},     {0x04, 0, true, 272, 0},
        {0x08, 1, false, 452, 0}, {0x08, 0, false, 196, 128}, {0x08, 0, true, 468, 128},
        {0x0C, 1, false, 324, 0}, {0x0C, 0, false, 68, 0},    {0x0C, 0, true, 340, 0},
    };
    for (const Row& row : rows) {
        SourceStepRecord step = stepWith("1:00.0", 0, row.option, row.mode);
        if (row.pair1Silent) step.startValues.level1 = step.endValues.level1 = 0;
        Planned p;
        for (auto& r : p.records)
            r.modeBits = static_cast<std::int16_t>(0x8003 | 0x3FC);  // foreign bits
        p.run(step);
        for (const TargetStepRecord& r : p.records) {
            EXPECT_EQ(r.modeBits & 0x3FC, row.modeValue) << int{row.option} << " " << int{row.mode};
            EXPECT_EQ(r.modeBits & ~0x3FC, static_cast<std::int16_t>(0x8003));
            EXPECT_EQ(r.slotFlags[1], row.slotValue);
            EXPECT_EQ(r.slotFlags[5], row.slotValue);
            EXPECT_EQ(r.slotFlags[0] + r.slotFlags[2] + r.slotFlags[7], 0);
        }
    }
}

TEST(Translate, PairSelectionLevelsAndSwitches) {
    struct Row {
        std::uint8_t mode;
        std::uint8_t startLevel1, endLevel1;
        float freq1Start, freq2Start;  // expected for channels 1 and 2
        float level1Start, level2Start;
    };
    // Pair 1: freq 10 -> 20, level1 per row; pair 2: freq 20 -> 10, level2 4 -> 5.
    const Row rows[] = {
        {1, 15, 15, 10, 20, 255, 68},  // separate pairs
        {0, 0, 3, 10, 10, 0, 0},       // pair 1 audible at one end: both channels on pair 1
        {0, 1, 0, 10, 10, 17, 17},
        {0, 0, 0, 20, 20, 68, 68},  // pair 1 silent: both on pair 2
    };
    for (const Row& row : rows) {
        SourceStepRecord step = stepWith("1:00.0", 0, 0x00, row.mode);
        step.startValues.level1 = row.startLevel1;
        step.endValues.level1 = row.endLevel1;
        step.startValues.level2 = 4;
        step.endValues.level2 = 5;
        Planned p;
        p.run(step);
        EXPECT_EQ(p.values[kFreq1].start, row.freq1Start);
        EXPECT_EQ(p.values[kFreq2].start, row.freq2Start);
        EXPECT_EQ(p.values[kLevel1].start, row.level1Start);
        EXPECT_EQ(p.values[kLevel2].start, row.level2Start);
        // optionFlags 0: tones and enable switched off in every slot, tones 3 and 4 untouched.
        for (const TargetStepRecord& r : p.records) {
            EXPECT_EQ(r.toneOn, (std::array<std::int16_t, 4>{0, 0, 0, 0}));
            EXPECT_EQ(r.enableFlag, 0);
        }
    }
    Planned p;
    p.run(stepWith("1:00.0", 0, 0x03));
    EXPECT_EQ(p.records[3].toneOn, (std::array<std::int16_t, 4>{-1, -1, 0, 0}));
    EXPECT_EQ(p.records[3].enableFlag, -1);
    p.run(stepWith("1:00.0", 0, 0x00));
    EXPECT_EQ(p.records[0].toneOn, (std::array<std::int16_t, 4>{0, 0, 0, 0}));
}

TEST(Translate, SecondPitchIsRaisedByTheChannelOneFrequency) {
    SourceStepRecord step = stepWith("1:00.0", 0x40);
    step.startValues = {10.5F, 15, 30.0F, 0, 200};
    step.endValues = {11.0F, 15, 40.0F, 0, 100};
    Planned p;
    p.run(step);
    EXPECT_EQ(p.values[kPitch2].start, 210.5F);
    EXPECT_EQ(p.values[kPitch2].end, 111.0F);
    // Pair 1 silent and pairs not separate: channel 1 runs on pair 2, and so does the raise.
    step.startValues.level1 = step.endValues.level1 = 0;
    p.run(step);
    EXPECT_EQ(p.values[kPitch2].start, 230.0F);
    EXPECT_EQ(p.values[kPitch2].end, 140.0F);
}

TEST(Translate, NonFiniteRaiseIsAnOverflowAndKeepsThePreviousValue) {
    Planned p;
    SourceStepRecord step = stepWith("1:00.0", 0x40);
    p.run(step);
    const float before = p.values[kPitch2].start;
    step.startValues.freq1 = std::numeric_limits<float>::quiet_NaN();
    step.endValues.freq1 = std::numeric_limits<float>::max();
    step.endValues.pitch = 32767;
    p.errors.clear();
    p.run(step);
    EXPECT_EQ(p.values[kPitch2].start, before);
    EXPECT_TRUE(std::isnan(p.values[kFreq1].start));  // copied, not computed
    // NaN start makes the midpoint-free soft values fault as well; every fault is an overflow.
    ASSERT_FALSE(p.errors.empty());
    for (const int e : p.errors)
        EXPECT_EQ(e, kOverflow);
}

TEST(Segments, DurationsOfEverySplitAndRampCase) {
    struct Row {
        const char* duration;
        std::uint8_t channel;
        std::int16_t rampTime;
        std::int16_t mask;
        const char* slots[4];  // durations of the written slots
    };
    const Row rows[] = {
        {"1:00.0", 0x00, 50, 2, {"", "1:00.0", "", ""}},
        {"1:00.0", 0x08, 50, 3, {"0:05.0", "0:55.0", "", ""}},
        {"1:00.0", 0x10, 50, 10, {"", "0:55.0", "", "0:05.0"}},
        {"1:00.0", 0x3C, 50, 11, {"0:05.0", "0:50.0", "", "0:05.0"}},
        {"10:00.0", 0x00, 50, 2, {"", "10:00.0", "", ""}},       // 6000 is not split
        {"10:00.1", 0x00, 50, 6, {"", "5:00.0", "5:00.0", ""}},  // 6001 halves to even 3000
        {"10:00.3", 0x00, 50, 6, {"", "5:00.2", "5:00.2", ""}},
        {"20:00.0", 0x00, 50, 6, {"", "10:00.0", "10:00.0", ""}},
        {"30:00.0", 0x00, 50, 6, {"", "10:00.0", "10:00.0", ""}},  // clamped to 12000
        {"0:00.1", 0x00, 50, 2, {"", "0:00.5", "", ""}},           // clamped to 5
        {"13:20.0", 0x20, 50, 7, {"0:05.0", "6:35.0", "6:40.0", ""}},
        {"13:20.0", 0x04, 50, 14, {"", "6:40.0", "6:35.0", "0:05.0"}},
        {"13:20.0", 0x3C, 50, 15, {"0:05.0", "6:35.0", "6:35.0", "0:05.0"}},
        {"1:00.0", 0x3C, 0, 2, {"", "1:00.0", "", ""}},   // ramp time 0: no ramps
        {"0:03.9", 0x3C, 50, 2, {"", "0:03.9", "", ""}},  // 39 tenths: too short
        {"0:04.0", 0x3C, 50, 11, {"0:01.0", "0:02.0", "", "0:01.0"}},
        {"0:10.0", 0x3C, 50, 11, {"0:02.5", "0:05.0", "", "0:02.5"}},  // a quarter of the step
        {"0:20.0", 0x3C, 50, 11, {"0:05.0", "0:10.0", "", "0:05.0"}},  // exactly four ramps
        {"0:04.2", 0x28, 100, 3, {"0:01.0", "0:03.2", "", ""}},        // 42/4 = 10.5 -> 10
        {"0:04.6", 0x28, 100, 3, {"0:01.2", "0:03.4", "", ""}},        // 46/4 = 11.5 -> 12
        {"0:04.3", 0x28, 100, 3, {"0:01.1", "0:03.2", "", ""}},
        {"1:00.0", 0x43, 50, 2, {"", "1:00.0", "", ""}},  // ignored channel bits
    };
    for (const Row& row : rows) {
        Planned p;
        p.run(stepWith(row.duration, row.channel), {row.rampTime, true});
        ASSERT_EQ(p.writeMask, row.mask) << row.duration << " " << int{row.channel};
        for (int slot = 0; slot < 4; ++slot) {
            if (p.writeMask & (1 << slot)) {
                EXPECT_EQ(p.duration(slot), row.slots[slot]) << row.duration << " slot " << slot;
            }
        }
        EXPECT_TRUE(p.errors.empty());
    }
}

TEST(Segments, RampValuesWithAndWithoutSoftRamping) {
    SourceStepRecord step = stepWith("0:10.0", 0x0C);
    step.startValues = {10.0F, 0, 10.0F, 0, 150};
    step.endValues = {20.0F, 15, 20.0F, 15, 150};
    step.stepMode = 1;
    struct Row {
        bool softRamping;
        std::array<float, 6> freq;  // slot 0, 1 and 3, start and end of each
        std::array<std::uint8_t, 6> level;
    };
    const Row rows[] = {
        {true, {10.0F, 12.5F, 12.5F, 17.5F, 17.5F, 20.0F}, {0, 64, 64, 191, 191, 255}},
        {false, {10.0F, 10.0F, 10.0F, 20.0F, 20.0F, 20.0F}, {0, 0, 0, 255, 255, 255}},
    };
    for (const Row& row : rows) {
        Planned p;
        p.run(step, {50, row.softRamping});
        ASSERT_EQ(p.writeMask, 11);
        EXPECT_EQ(p.duration(0), "0:02.5");
        const auto& r = p.records;
        EXPECT_EQ((std::array{r[0].freq[0], r[0].freq[4], r[1].freq[0], r[1].freq[4], r[3].freq[0],
                              r[3].freq[4]}),
                  row.freq);
        EXPECT_EQ((std::array{r[0].level[0], r[0].level[4], r[1].level[0], r[1].level[4],
                              r[3].level[0], r[3].level[4]}),
                  row.level);
        EXPECT_EQ(r[0].toneLevel, (std::array<std::uint8_t, 4>{0, 0, 255, 255}));
        EXPECT_EQ(r[1].toneLevel, (std::array<std::uint8_t, 4>{255, 255, 255, 255}));
        EXPECT_EQ(r[3].toneLevel, (std::array<std::uint8_t, 4>{255, 255, 0, 0}));
    }
}

TEST(Segments, LevelRampsMidpointsAndSplitValues) {
    // Bits 0x20 and 0x10 zero the outer level ends; a split step meets at the midpoints and its
    // ramp values still lie on the line over the whole step.
    SourceStepRecord step = stepWith("13:20.0", 0x30);
    step.startValues = {10.0F, 1, 10.0F, 1, 100};
    step.endValues = {20.0F, 2, 20.0F, 2, 201};
    step.stepMode = 1;
    Planned p;
    p.run(step, {50, true});
    ASSERT_EQ(p.writeMask, 15);
    const auto& r = p.records;
    EXPECT_EQ(r[0].level[0], 0);
    EXPECT_EQ(r[0].level[1], 0);
    EXPECT_EQ(r[1].level[4], 26);  // midpoint of 17 and 34 rounds to even
    EXPECT_EQ(r[2].level[0], 26);
    EXPECT_EQ(r[1].freq[4], 15.0F);
    EXPECT_EQ(r[1].pitch[2], 150.5F);
    EXPECT_EQ(r[0].freq[4], 10.06F);  // 10 + 10/8000*50 = 10.0625 -> 10.06
    EXPECT_EQ(r[3].freq[0], 19.94F);  // 10 + 10/8000*7950 = 19.9375 -> 19.94
    EXPECT_EQ(r[3].level[4], 0);
    EXPECT_EQ(r[3].level[5], 0);
    EXPECT_EQ(r[0].toneLevel[0], 255);  // 0x08 not set

    SourceStepRecord low = stepWith("20:00.0", 0);
    low.startValues.level1 = 0;
    low.endValues.level1 = 1;  // 0 -> 17, midpoint 8.5 -> 8
    Planned q;
    q.run(low);
    EXPECT_EQ(q.records[1].level[4], 8);
}

TEST(Segments, LevelAboveTheByteRangeKeepsThePreviousByte) {
    Planned p;
    SourceStepRecord step = stepWith("1:00.0", 0);
    step.startValues.level1 = 10;
    p.run(step);
    EXPECT_EQ(p.records[1].level[0], 170);
    step.startValues.level1 = 16;  // 272 does not fit a byte
    p.errors.clear();
    p.run(step);
    EXPECT_EQ(p.records[1].level[0], 170);
    EXPECT_EQ(p.errors, (std::vector<int>{kOverflow, kOverflow}));  // both channels on pair 1
}

TEST(Segments, BadDurationTextRaisesAndStillPlans) {
    Planned p;
    p.run(stepWith("   30.0", 0));
    EXPECT_EQ(p.errors, std::vector<int>{kInvalidCall});
    EXPECT_EQ(p.duration(1), "0:30.0");
    p.errors.clear();
    p.run(stepWith("55:00.0", 0));
    EXPECT_EQ(p.errors, std::vector<int>{kOverflow});
    EXPECT_EQ(p.writeMask, 6);  // clamped to 20 minutes, not wrapped to a short step
    EXPECT_EQ(p.duration(1), "10:00.0");
}

TEST(Session, NumbersRecordsWithoutGapsAndRefusesPastTheLastStepNumber) {
    const std::string text =
        "step duration=0:30.0 channel=0x28\n"
        "step number=0\n"
        "step mode=32\n"
        "step duration=1:00.0\n";
    const auto source = samples::buildSession(text);
    const ConversionResult result = convertSession(source, {}, [](int) { FAIL(); });
    ASSERT_EQ(result.steps, 3);
    ASSERT_EQ(result.target.size(), 3 * kTargetRecordSize);
    for (int n = 1; n <= 3; ++n) {
        EXPECT_EQ(result.target[(n - 1) * kTargetRecordSize], n);
        EXPECT_EQ(result.target[(n - 1) * kTargetRecordSize + 1], 0);
    }

    // 8192 steps of four records each would need step number 32768.
    const auto tooMany = samples::buildSession("step duration=20:00.0 channel=0x3C repeat=8192\n");
    const ConversionResult overflow = convertSession(tooMany, {}, [](int) {});
    EXPECT_TRUE(overflow.tooManySteps);
    EXPECT_TRUE(overflow.target.empty());
    const auto justFits = samples::buildSession(
        "step duration=20:00.0 channel=0x3C repeat=8191\nstep duration=20:00.0 channel=0x28\n");
    const ConversionResult full = convertSession(justFits, {}, [](int) {});
    EXPECT_FALSE(full.tooManySteps);
    EXPECT_EQ(full.steps, 32767);
}

}  // namespace
}  // namespace z2o
