// The duration text, read leniently as the source device wrote it, and written exactly. The record
// layouts are pinned through the golden files.
#include <gtest/gtest.h>

#include <tuple>

#include "convert/clock_text.h"
#include "convert/duration.h"

namespace z2o {
namespace {

TEST(Duration, ParsesLenientlyAsTheSourceDeviceWroteIt) {
    // Seven characters, the tenths they read as, how many parts overflowed, a colon missing.
    const std::tuple<const char*, int, int, bool> rows[] = {
        {"5:00.0 ", 3000, 0, false},
        {"1:30.5 ", 905, 0, false},
        {"0:00.25", 2, 0, false},
        {":30.0  ", 300, 0, false},
        {"1.5:00 ", 900, 0, false},
        {"   30.0", 300, 0, true},
        {"5 :0 0.", 3000, 0, false},
        {"-1:00.0", -600, 0, false},
        {"+2:0x  ", 1200, 0, false},
        {"1:2.3.4", 623, 0, false},
        // Beyond 16 bits each part saturates, so a long step clamps rather than wraps.
        {"55:00.0", 32767, 1, false},
        {"-55:00 ", -32768, 1, false},
        {"99999:9", 32767, 2, false},
        {"\t5:\n00.0", 3000, 0, false},
    };
    for (const auto& [text, tenths, overflows, missingColon] : rows) {
        const ParsedDuration parsed = parseDuration(text);
        EXPECT_EQ(std::tuple(parsed.tenths, parsed.overflows, parsed.missingColon),
                  std::tuple(tenths, overflows, missingColon))
            << text;
    }
}

TEST(Duration, FormatAndParseAreInverseOverTheWholeRange) {
    for (int t = 0; t <= 32767; ++t) {
        const std::string text = formatDuration(static_cast<std::int16_t>(t));
        ASSERT_EQ(text.size(), t < 6000 ? 6U : 7U) << t;
        const ParsedDuration parsed = parseDuration((text + " ").substr(0, 7));
        ASSERT_EQ(parsed.tenths, t) << text;
        ASSERT_EQ(parsed.overflows, 0) << text;
    }
    EXPECT_EQ(formatDuration(-5), "-0:00.5");  // a plain sign, should a length ever be negative
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
