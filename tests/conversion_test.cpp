// Segment planning: how a step is split into records and how long each is. What the records hold
// is pinned byte for byte by the golden files (property_test.cpp).
#include <gtest/gtest.h>

#include "convert/duration.h"
#include "convert/segments.h"
#include "convert/session.h"
#include "convert/translate.h"
#include "session_builder.h"

namespace z2o {
namespace {

SourceStepRecord stepWith(const char* duration, std::uint8_t channel) {
    SourceStepRecord step = samples::defaultStep();
    step.duration.fill(' ');
    for (std::size_t i = 0; duration[i] && i < 7; ++i)
        step.duration[i] = duration[i];
    step.channelFlags = channel;
    return step;
}

std::string durationText(const TargetStepRecord& record) {
    std::string text(record.duration.data(), 7);
    return text.substr(0, text.find_last_not_of(' ') + 1);
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
        std::vector<int> errors;
        const auto raise = [&errors](int n) { errors.push_back(n); };
        StepPlanner planner({row.rampTime, true}, raise);
        const StepPlan plan = planner.plan(stepWith(row.duration, row.channel));
        ASSERT_EQ(plan.writeMask, row.mask) << row.duration << " " << int{row.channel};
        std::int64_t tenths = 0;
        for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
            if (!plan.writes(SlotRole(slot))) continue;
            const std::string text = durationText(planner.records()[slot]);
            EXPECT_EQ(text, row.slots[slot]) << row.duration << " slot " << slot;
            tenths += parseDuration(text).tenths;
        }
        // The playing time a conversion reports is that of the records it writes.
        EXPECT_EQ(plan.playingTenths(), tenths) << row.duration;
        EXPECT_TRUE(errors.empty());
    }
}

// Step numbers are 16 bits: 32,767 records fit, one more refuses the whole session.
TEST(Session, RefusesPastTheLastStepNumber) {
    const auto justFits = samples::buildSession(
        "step duration=20:00.0 channel=0x3C repeat=8191\nstep duration=20:00.0 channel=0x28\n");
    const ConversionResult full = convertSession(justFits, {}, [](int) {});
    EXPECT_FALSE(full.tooManySteps);
    EXPECT_EQ(full.steps, 32767);
    EXPECT_EQ(full.target.size(), 32767 * kTargetRecordSize);  // through many flushes
    const auto tooMany = samples::buildSession("step duration=20:00.0 channel=0x3C repeat=8192\n");
    const ConversionResult overflow = convertSession(tooMany, {}, [](int) {});
    EXPECT_TRUE(overflow.tooManySteps);
    EXPECT_TRUE(overflow.target.empty());
}

}  // namespace
}  // namespace z2o
