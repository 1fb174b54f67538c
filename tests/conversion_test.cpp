// Segment planning: how a step is split into records and how long each is. What the records hold
// is pinned byte for byte by the golden files (property_test.cpp).
#include <gtest/gtest.h>

#include <tuple>

#include "convert/clock_text.h"
#include "convert/duration.h"
#include "convert/session.h"
#include "samples/session_builder.h"

namespace z2o {
namespace {

// The records that one step becomes, by their durations in order; a ramp before the main segment
// is a soft-on, one after it a soft-off.
TEST(Segments, DurationsOfEverySplitAndRampCase) {
    // A step's duration and channel flags, the ramp time, and its records' durations.
    const std::tuple<const char*, const char*, std::int16_t, std::vector<std::string>> rows[] = {
        {"1:00.0", "0x00", 50, {"1:00.0"}},
        {"1:00.0", "0x08", 50, {"0:05.0", "0:55.0"}},
        {"1:00.0", "0x10", 50, {"0:55.0", "0:05.0"}},
        {"1:00.0", "0x3C", 50, {"0:05.0", "0:50.0", "0:05.0"}},
        {"10:00.0", "0x00", 50, {"10:00.0"}},           // 6000 is not split
        {"10:00.1", "0x00", 50, {"5:00.0", "5:00.0"}},  // 6001 halves to even 3000
        {"10:00.3", "0x00", 50, {"5:00.2", "5:00.2"}},
        {"20:00.0", "0x00", 50, {"10:00.0", "10:00.0"}},
        {"30:00.0", "0x00", 50, {"10:00.0", "10:00.0"}},  // clamped to 12000
        {"0:00.1", "0x00", 50, {"0:00.5"}},               // clamped to 5
        {"13:20.0", "0x20", 50, {"0:05.0", "6:35.0", "6:40.0"}},
        {"13:20.0", "0x04", 50, {"6:40.0", "6:35.0", "0:05.0"}},
        {"13:20.0", "0x3C", 50, {"0:05.0", "6:35.0", "6:35.0", "0:05.0"}},
        {"1:00.0", "0x3C", 0, {"1:00.0"}},   // ramp time 0: no ramps
        {"0:03.9", "0x3C", 50, {"0:03.9"}},  // 39 tenths: too short
        {"0:04.0", "0x3C", 50, {"0:01.0", "0:02.0", "0:01.0"}},
        {"0:10.0", "0x3C", 50, {"0:02.5", "0:05.0", "0:02.5"}},  // a quarter of the step
        {"0:20.0", "0x3C", 50, {"0:05.0", "0:10.0", "0:05.0"}},  // exactly four ramps
        {"0:04.2", "0x28", 100, {"0:01.0", "0:03.2"}},           // 42/4 = 10.5 -> 10
        {"0:04.6", "0x28", 100, {"0:01.2", "0:03.4"}},           // 46/4 = 11.5 -> 12
        {"0:04.3", "0x28", 100, {"0:01.1", "0:03.2"}},
        {"1:00.0", "0x43", 50, {"1:00.0"}},  // ignored channel bits
    };
    for (const auto& [duration, channel, rampTime, records] : rows) {
        const auto source = samples::buildSession(std::string("step duration=") + duration +
                                                  " channel=" + channel + "\n");
        const ConversionResult result =
            convertSession(source, {rampTime, true}, [](int) { ADD_FAILURE(); });
        std::vector<std::string> durations;
        std::int64_t tenths = 0;
        for (const TargetStepRecord& record : decodeTargetSession(result.target)) {
            const std::string text(record.duration.data(), record.duration.size());
            durations.push_back(text.substr(0, text.find(' ')));
            tenths += parseDuration(text).tenths;
        }
        // The playing time a conversion reports is that of the records it writes.
        EXPECT_EQ(std::tuple(durations, result.playingTenths), std::tuple(records, tenths))
            << duration << " " << channel;
    }
}

// Step numbers are 16 bits: 32,767 records fit, one more refuses the whole session.
TEST(Session, RefusesPastTheLastStepNumber) {
    const auto justFits = samples::buildSession(
        "step duration=20:00.0 channel=0x3C repeat=8191\nstep duration=20:00.0 channel=0x28\n");
    const ConversionResult full = convertSession(justFits, {}, [](int) {});
    EXPECT_EQ(std::tuple(full.tooManySteps, full.steps, full.target.size()),
              std::tuple(false, 32767, 32767 * kTargetRecordSize));  // through many flushes
    const auto tooMany = samples::buildSession("step duration=20:00.0 channel=0x3C repeat=8192\n");
    const ConversionResult overflow = convertSession(tooMany, {}, [](int) {});
    EXPECT_EQ(std::tuple(overflow.tooManySteps, overflow.target.size(), overflow.steps),
              std::tuple(true, 0U, 0));
    // Memory for what the records can become, taken once: a session's peak is its target.
    EXPECT_EQ(full.target.capacity(), full.target.size());
    EXPECT_EQ(convertSession(samples::buildSession("step\n"), {}, [](int) {}).target.capacity(),
              4 * kTargetRecordSize);
}

// Hours show from one hour on, or always when asked for; a negative time (damaged durations add
// up to one) keeps its whole magnitude.
TEST(ClockText, HoursFromAnHourOnOrWhenAsked) {
    EXPECT_EQ(clockText(35999, true, Hours::WhenNeeded), "59:59.9");
    EXPECT_EQ(clockText(36000, true, Hours::WhenNeeded), "1:00:00.0");
    EXPECT_EQ(clockText(-36005, true, Hours::WhenNeeded), "-1:00:00.5");
    EXPECT_EQ(clockText(5, false, Hours::Always), "0:00:00");
}

}  // namespace
}  // namespace z2o
