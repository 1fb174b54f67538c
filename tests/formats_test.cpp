// The target record's fresh bytes and the duration text. The source record is pinned through
// the golden files, which decode every sample.
#include <gtest/gtest.h>

#include <cmath>

#include "duration.h"
#include "target_record.h"
#include "test_support.h"

namespace z2o {
namespace {

using testing::hexBytes;

std::vector<std::uint8_t> encode(const TargetStepRecord& record, std::int16_t number) {
    std::vector<std::uint8_t> out(kTargetRecordSize);
    encodeTargetRecord(record, number,
                       std::span<std::uint8_t, kTargetRecordSize>(out.data(), kTargetRecordSize));
    return out;
}

TEST(TargetRecord, FreshRecordEncodesToTheDocumentedBytes) {
    TargetStepRecord record;
    record.duration = {'5', ':', '0', '0', '.', '0', ' '};
    const std::string expected =
        "01 00  35 3A 30 30 2E 30 20" + std::string(8, ' ') +
        "00 00 A0 40 00 00 A0 40 00 00 A0 40 00 00 A0 40 00 00 A0 40 00 00 A0 40 00 00 A0 40 00 00 "
        "A0 40"
        "00 00 00 00 00 00 00 00  FF FF FF FF FF FF FF FF  7F 7F 7F 7F 7F 7F 7F 7F"
        "60 60 60 60 60 60 60 60  01 01 01 01  FF FF FF FF 00 00 00 00"
        "00 00 16 43 00 00 16 43 00 00 16 43 00 00 16 43  FF FF FF FF  FF FF  00 00";
    EXPECT_EQ(encode(record, 1), hexBytes(expected));
}

TEST(Duration, ParsesLenientlyAsTheSourceDeviceWroteIt) {
    struct Row {
        const char* text;  // seven characters
        int tenths;
        bool missingColon;
        int overflows;
    };
    const Row rows[] = {
        {"5:00.0 ", 3000, false, 0},
        {"1:30.5 ", 905, false, 0},
        {"0:00.25", 2, false, 0},
        {":30.0  ", 300, false, 0},
        {"1.5:00 ", 900, false, 0},
        {"   30.0", 300, true, 0},
        {"5 :0 0.", 3000, false, 0},
        {"-1:00.0", -600, false, 0},
        {"+2:0x  ", 1200, false, 0},
        {"1:2.3.4", 623, false, 0},
        // Beyond 16 bits each part saturates, so a long step clamps rather than wraps.
        {"55:00.0", 32767, false, 1},
        {"-55:00 ", -32768, false, 1},
        {"99999:9", 32767, false, 2},
        {"\t5:\n00.0", 3000, false, 0},
    };
    for (const Row& row : rows) {
        const ParsedDuration parsed = parseDuration(row.text);
        EXPECT_EQ(parsed.tenths, row.tenths) << row.text;
        EXPECT_EQ(parsed.missingColon, row.missingColon) << row.text;
        EXPECT_EQ(parsed.overflows, row.overflows) << row.text;
    }
}

TEST(Duration, FormatsTheDocumentedTexts) {
    const std::pair<int, const char*> rows[] = {
        {0, "0:00.0"}, {599, "0:59.9"}, {6000, "10:00.0"}, {32767, "54:36.7"}, {-5, "-0:00.5"}};
    for (const auto& [tenths, text] : rows) {
        EXPECT_EQ(formatDuration(static_cast<std::int16_t>(tenths)), text);
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
}

}  // namespace
}  // namespace z2o
