// z2o-inspect as programs read it: every field of every record, in each format.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <random>
#include <sstream>

#include "convert/file_io.h"
#include "convert/session.h"
#include "convert/source_record.h"
#include "convert/target_record.h"
#include "session_builder.h"
#include "test_support.h"

namespace z2o {
namespace {

using testing::ProgramRun;

ProgramRun inspect(const TempDir& folder, const std::vector<std::string>& args) {
    return testing::runProgram(Z2O_INSPECT, args, fromPath(folder.path()));
}

// The values of each record as a reader of the format takes them, in order, strings unescaped:
// keys, file names, record numbers and totals left out.
using Values = std::vector<std::string>;

std::vector<Values> jsonRecords(const std::string& json) {
    std::vector<Values> records;
    int depth = 0;
    for (std::size_t i = 0; i < json.size(); ++i) {
        const char c = json[i];
        if (c == '{' || c == '[') {
            if (++depth == 3) records.emplace_back();
        } else if (c == '}' || c == ']') {
            --depth;
        } else if (c != ',' && c != ':' && c != '\n') {
            std::string value;
            if (c != '"') {
                const std::size_t end = json.find_first_of(",]}", i);
                value = json.substr(i, end - i);
                i = end - 1;
            }
            while (c == '"' && json.at(++i) != '"') {
                if (json[i] == '\\' && json[++i] == 'u') {
                    value += static_cast<char>(std::stoi(json.substr(i + 1, 4), nullptr, 16));
                    i += 4;
                } else {
                    value += json[i];
                }
            }
            if (depth >= 3 && json[i + 1] != ':') records.back().push_back(value);
        }
    }
    return records;
}

std::vector<Values> csvRecords(const std::string& csv) {
    std::vector<Values> records;
    std::istringstream lines(csv);
    std::string line;
    std::getline(lines, line);  // the header
    while (std::getline(lines, line)) {
        Values& cells = records.emplace_back(1);
        bool quoted = false;
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] == ',' && !quoted) {
                cells.emplace_back();
            } else if (line[i] == '"' && quoted && line[i + 1] == '"') {
                cells.back() += line[++i];
            } else if (line[i] == '"') {
                quoted = !quoted;
            } else if (line[i] == '\\') {  // \xNN
                cells.back() += static_cast<char>(std::stoi(line.substr(i + 2, 2), nullptr, 16));
                i += 3;
            } else {
                cells.back() += line[i];
            }
        }
        cells.erase(cells.begin(), cells.begin() + 2);
    }
    return records;
}

// A value against the field it shows, read as readers that tell integers from reals take it: a
// number without a fraction or an exponent is an integer.
void expectField(const std::string& text, float field) {
    if (std::isnan(field)) {
        EXPECT_EQ(text, "NaN");  // a NaN's sign and payload do not show
        return;
    }
    const float back = text.ends_with("Infinity") ? (text[0] == '-' ? -INFINITY : INFINITY)
                       : text.find_first_of(".eE") == std::string::npos
                           ? static_cast<float>(std::stoll(text))
                           : static_cast<float>(std::stod(text));
    EXPECT_EQ(std::bit_cast<std::uint32_t>(back), std::bit_cast<std::uint32_t>(field)) << text;
}

template <std::integral T>
void expectField(const std::string& text, T field) {
    EXPECT_EQ(std::stoll(text), field) << text;
}

void expectField(const std::string& text, const std::array<char, 7>& field) {
    EXPECT_EQ(text + std::string(7 - text.size(), ' '), std::string(field.begin(), field.end()));
}

template <typename F>
void forEachField(SourceStepRecord& record, F&& f) {
    f(record.stepNumber);
    for (SourceStepValues* values : {&record.startValues, &record.endValues}) {
        f(values->freq1), f(values->level1), f(values->freq2), f(values->level2), f(values->pitch);
    }
    f(record.duration), f(record.channelFlags), f(record.optionFlags), f(record.stepMode);
}

template <typename F>
void forEachField(TargetStepRecord& record, F&& f) {
    const auto each = [&f](auto& array) {
        for (auto& field : array)
            f(field);
    };
    f(record.stepNumber), f(record.duration);
    each(record.freq), each(record.slotFlags), each(record.level), each(record.auxA);
    each(record.auxB), each(record.toneKind), each(record.toneOn), each(record.pitch);
    each(record.toneLevel), f(record.enableFlag), f(record.modeBits);
}

std::vector<std::uint8_t> bytesOf(const SourceStepRecord& record) {
    return samples::encodeSourceRecord(record);
}

std::vector<std::uint8_t> bytesOf(const TargetStepRecord& record) {
    std::vector<std::uint8_t> bytes(kTargetRecordSize);
    encodeTargetRecord(record, record.stepNumber, std::span(bytes).first<kTargetRecordSize>());
    return bytes;
}

TEST(Inspect, ShowsEveryFieldInEachFormat) {
    TempDir dir;
    writeBytes(dir / "S.zs2", samples::buildSession("step channel=0x28 duration=_5:00.0\n"
                                                    "step number=0 start=0.1,15,1e+38,0,-7\n"));
    const ProgramRun csv = inspect(dir, {"--format", "csv", "S.zs2"});
    EXPECT_EQ(csv.status, 0);
    EXPECT_EQ(
        csv.out,
        "file,record,step,stepNumber,startValues.freq1,startValues.level1,startValues.freq2,"
        "startValues.level2,startValues.pitch,endValues.freq1,endValues.level1,endValues.freq2,"
        "endValues.level2,endValues.pitch,duration,channelFlags,optionFlags,stepMode\n"
        "S.zs2,1,true,1,10,15,20,0,150,20,15,10,0,150, 5:00.0,40,1,0\n"
        "S.zs2,2,false,0,0.1,15,1e+38,0,-7,20,15,10,0,150,5:00.0,0,1,0\n");

    TargetStepRecord record;
    record.stepNumber = -3;
    record.duration = {'"', '\\', '\x01', '\xE9', ' ', '5', ' '};
    record.freq = {NAN, -0.0F, INFINITY, -INFINITY, 3.4028235e38F, 1e-45F, 0.1F, 1e10F};
    record.toneOn = {-1, 0, 7, -32768};
    record.modeBits = 1020;
    std::vector<std::uint8_t> bytes(kTargetRecordSize);
    encodeTargetRecord(record, record.stepNumber, std::span(bytes).first<kTargetRecordSize>());
    writeBytes(dir / "T.OSW", bytes);
    const ProgramRun json = inspect(dir, {"--format=json", "T.OSW"});
    EXPECT_EQ(json.status, 0);
    EXPECT_EQ(
        json.out,
        R"({"file":"T.OSW","kind":"OSw","records":[{"stepNumber":-3,"duration":"\"\\\u0001\u00E9 5",)"
        R"("freq":["NaN",-0.0,"Infinity","-Infinity",3.4028235e+38,1e-45,0.1,1e+10],)"
        R"("slotFlags":[0,0,0,0,0,0,0,0],"level":[255,255,255,255,255,255,255,255],)"
        R"("auxA":[127,127,127,127,127,127,127,127],"auxB":[96,96,96,96,96,96,96,96],)"
        R"("toneKind":[1,1,1,1],"toneOn":[-1,0,7,-32768],"pitch":[150,150,150,150],)"
        R"("toneLevel":[255,255,255,255],"enableFlag":-1,"modeBits":1020}],)"
        R"("steps":1,"playingTenths":0})"
        "\n");

    // Each table: a title, aligned rows under a header, and the steps with their playing time.
    const std::string table = inspect(dir, {"S.zs2", "T.OSW"}).out;
    EXPECT_TRUE(table.starts_with("S.zs2 (ZS2, 2 records)\nrecord  step  stepNumber  start.freq1"));
    EXPECT_NE(table.find("150   5:00.0           0x28"), std::string::npos) << table;
    EXPECT_NE(table.find("1 steps, playing time 0:05:00.0\n"), std::string::npos);
    EXPECT_TRUE(table.ends_with("1 steps, playing time 0:00:00.0\n")) << table;
    EXPECT_NE(table.find(R"(  "\x5C\x01\xE9 5  NaN,-0.0,Infinity,)"), std::string::npos) << table;
}

// A converted session of over an hour: each record of its own, and the hours counted.
TEST(Inspect, TablesOfLongSessions) {
    TempDir dir;
    const auto source = samples::buildSession(
        "step duration=20:00.0 channel=0x08 repeat=3\nstep duration=2:12.3\n");
    writeBytes(dir / "L.OSw", convertSession(source, {}, [](int) {}).target);
    const std::string table = inspect(dir, {"--format", "csv", "--format=table", "L.OSw"}).out;
    EXPECT_TRUE(table.starts_with("L.OSw (OSw, 10 records)\n")) << table;
    EXPECT_NE(table.find(" 9:55.0 "), std::string::npos) << table;
    EXPECT_NE(table.find("10 steps, playing time 1:02:12.3\n"), std::string::npos) << table;
    EXPECT_TRUE(inspect(dir, {"--format=csv", "L.OSw"})
                    .out.starts_with("file,record,stepNumber,duration,freq1,freq2,"));
}

TEST(Inspect, ShowsTheWholeRecordsOfAPartialFileAndGoesOn) {
    TempDir dir;
    std::vector<std::uint8_t> bytes = samples::buildSession("step\n");
    bytes.resize(kSourceRecordSize + 10);
    writeBytes(dir / "P.ZS2", bytes);
    writeBytes(dir / "Notes.txt", bytes);
    writeBytes(dir / "Huge.OSw", {});
    std::filesystem::resize_file(dir / "Huge.OSw", (64 << 20) + 1);  // sparse: costs no disk
    const ProgramRun run = inspect(
        dir, {"--format", "json", "P.ZS2", "Missing.OSw", "Notes.txt", "Huge.OSw", "P.ZS2"});
    EXPECT_EQ(run.status, 1);
    const std::string shown = run.out.substr(0, run.out.size() / 2);
    EXPECT_EQ(run.out, shown + shown);
    EXPECT_NE(shown.find(R"("records":[{"step":true,"stepNumber":1,"startValues":{"freq1":10,)"),
              std::string::npos)
        << shown;
    EXPECT_NE(shown.find(R"(}],"steps":1,"playingTenths":3000})"), std::string::npos);
    const std::string partial =
        "z2o-inspect: P.ZS2: not a whole number of 45-byte records: 10 "
        "bytes after the last whole record\n";
    EXPECT_EQ(run.err, partial + "z2o-inspect: Missing.OSw: File not found\n" +
                           "z2o-inspect: Notes.txt: not a session: the name ends neither in .ZS2 "
                           "nor in .OSw\n" +
                           "z2o-inspect: Huge.OSw: too large for a session (67108865 bytes)\n" +
                           partial);
}

// Random records, a third of their floats among the values that text loses most easily: every
// field reads back from the CSV and the JSON to the bits of the file.
template <typename Record, std::size_t Size>
void expectReadBack(const std::string& file,
                    Record (*decode)(std::span<const std::uint8_t, Size>)) {
    static const float kSpecials[] = {
        -0.0F,    0.0F,      NAN,    -NAN,           std::bit_cast<float>(0x7F800001U),
        INFINITY, -INFINITY, 1e-45F, -3.4028235e38F, 16777216.0F,
        0.1F};
    std::mt19937 random(Size);
    std::vector<Record> records(40);
    std::vector<std::uint8_t> bytes;
    for (Record& record : records) {
        std::array<std::uint8_t, Size> raw;
        for (std::uint8_t& byte : raw)
            byte = static_cast<std::uint8_t>(random());
        record = decode(raw);
        forEachField(record, [&](auto& field) {
            if constexpr (std::is_same_v<std::remove_cvref_t<decltype(field)>, float>) {
                if (random() % 3 == 0) field = kSpecials[random() % std::size(kSpecials)];
            }
        });
        const std::vector<std::uint8_t> encoded = bytesOf(record);
        bytes.insert(bytes.end(), encoded.begin(), encoded.end());
    }
    TempDir dir;
    writeBytes(dir / file, bytes);
    for (const std::string format : {"json", "csv"}) {
        const std::string out = inspect(dir, {"--format=" + format, file}).out;
        const std::vector<Values> shown = format == "json" ? jsonRecords(out) : csvRecords(out);
        ASSERT_EQ(shown.size(), records.size()) << out;
        for (std::size_t r = 0; r < records.size(); ++r) {
            SCOPED_TRACE(format + " record " + std::to_string(r + 1));
            std::size_t next = 0;
            if constexpr (std::is_same_v<Record, SourceStepRecord>) {
                EXPECT_EQ(shown[r].at(next++), isStep(records[r]) ? "true" : "false");
            }
            forEachField(records[r], [&](auto& field) { expectField(shown[r].at(next++), field); });
            EXPECT_EQ(next, shown[r].size());
        }
    }
}

TEST(Inspect, CsvAndJsonReadBackToTheBitsOfEveryField) {
    expectReadBack("R.ZS2", decodeSourceRecord);
    expectReadBack("R.OSw", decodeTargetRecord);
}

}  // namespace
}  // namespace z2o
