// z2o-inspect as people and programs read it: every field of every record in each format, pinned
// by golden files whose CSV and JSON were read back to the bits of the files when they were made;
// files it cannot show, and the run that goes on after them.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <random>
#include <tuple>

#include "convert/file_io.h"
#include "convert/session.h"
#include "convert/target_record.h"
#include "samples/session_builder.h"
#include "tests/test_support.h"

namespace z2o {
namespace {

using testing::ProgramRun;

ProgramRun inspect(const TempDir& folder, const std::vector<std::string>& args) {
    return testing::runProgram(Z2O_INSPECT, args, fromPath(folder.path()));
}

std::vector<std::uint8_t> bytesOf(const TargetStepRecord& record) {
    std::vector<std::uint8_t> bytes(kTargetRecordSize);
    encodeTargetRecord(record, record.stepNumber, std::span(bytes).first<kTargetRecordSize>());
    return bytes;
}

// Random records, a third of their floats among the values that text loses most easily.
std::vector<std::uint8_t> randomRecords(bool target) {
    static const float kSpecials[] = {
        -0.0F,    0.0F,      NAN,    -NAN,           std::bit_cast<float>(0x7F800001U),
        INFINITY, -INFINITY, 1e-45F, -3.4028235e38F, 16777216.0F,
        0.1F};
    std::mt19937 random(target ? 109 : 45);
    const auto special = [&random](float& f) {
        if (random() % 3 == 0) f = kSpecials[random() % std::size(kSpecials)];
    };
    std::vector<std::uint8_t> bytes;
    for (int r = 0; r < 16; ++r) {
        std::array<std::uint8_t, kTargetRecordSize> raw;
        for (std::uint8_t& byte : raw)
            byte = static_cast<std::uint8_t>(random());
        std::vector<std::uint8_t> record;
        if (target) {
            TargetStepRecord t = decodeTargetRecord(raw);
            for (float& f : t.freq)
                special(f);
            for (float& f : t.pitch)
                special(f);
            record = bytesOf(t);
        } else {
            SourceStepRecord s = decodeSourceRecord(std::span(raw).first<kSourceRecordSize>());
            for (SourceStepValues* v : {&s.startValues, &s.endValues})
                special(v->freq1), special(v->freq2);
            record = samples::encodeSourceRecord(s);
        }
        bytes.insert(bytes.end(), record.begin(), record.end());
    }
    return bytes;
}

// Steps and no steps, a flag byte of all ones; a text that CSV must quote and JSON escape, in a
// file whose name CSV must quote; odd floats; a session of over an hour, its name beyond ASCII;
// random records. The kind changes from file to file, and two of a kind follow each other; CSV,
// one table, takes the files of each kind in a run of their own and refuses a mix.
// Regenerate only for a deliberate change of output: Z2O_WRITE_GOLDEN=1 rewrites the files.
TEST(Inspect, EachFormatIsTheCheckedOne) {
    TempDir dir;
    writeBytes(dir / "S.zs2",
               samples::buildSession("step channel=0x28 duration=_5:00.0\n"
                                     "step number=0 start=0.1,15,1e+38,0,-7 option=0xFF\n"));
    TargetStepRecord odd;
    odd.stepNumber = -3;
    odd.duration = {'"', ',', '\\', '\x01', '\xE9', '\x7F', '5'};
    odd.freq = {NAN, -0.0F, INFINITY, -INFINITY, 3.4028235e38F, 1e-45F, 0.1F, 1e10F};
    odd.toneOn = {-1, 0, 7, -32768};
    odd.modeBits = 1020;
    writeBytes(dir / "T,1.OSW", bytesOf(odd));
    const auto longSession = samples::buildSession(
        "step duration=20:00.0 channel=0x08 repeat=3\nstep duration=2:12.3\n");
    writeBytes(dir / "L\xC3\xA4nger.OSw", convertSession(longSession, {}, [](int) {}).target);
    writeBytes(dir / "R.ZS2", randomRecords(false));
    writeBytes(dir / "R.OSw", randomRecords(true));
    using Args = std::vector<std::string>;
    const std::string overAnHour = "L\xC3\xA4nger.OSw";
    for (const std::string format : {"table", "csv", "json"}) {
        const std::vector<Args> runs =
            format == "csv" ? std::vector<Args>{{"-fcsv", "S.zs2", "R.ZS2"},
                                                {"-fcsv", "T,1.OSW", overAnHour, "R.OSw"}}
                            : std::vector<Args>{{"--format=" + format, "S.zs2", "T,1.OSW",
                                                 overAnHour, "R.ZS2", "R.OSw"}};
        std::string out;
        for (const Args& args : runs) {
            const ProgramRun run = inspect(dir, args);
            EXPECT_EQ(run.status, 0) << run.err;
            out += run.out;
        }
        const std::string golden = Z2O_GOLDEN_DIR "/inspect." + format;
        if (std::getenv("Z2O_WRITE_GOLDEN")) writeText(golden, out);
        EXPECT_EQ(out, testing::readText(golden)) << format;
    }
    const ProgramRun mix = inspect(dir, {"-fcsv", "S.zs2", "Notes.txt", "R.OSw", "T,1.OSW"});
    EXPECT_EQ(std::tuple(mix.status, mix.out, mix.err),
              std::tuple(2, "",
                         "z2o-inspect: csv takes files of one kind; S.zs2 is ZS2 and R.OSw is OSw\n"
                         "Try 'z2o-inspect --help' for more information.\n"));
}

TEST(Inspect, ShowsTheWholeRecordsOfAPartialFileAndGoesOn) {
    TempDir dir;
    // A duration of all seven characters; the digit after it in memory is not part of it.
    std::vector<std::uint8_t> bytes = samples::buildSession("step duration=0:00300 channel=0x30\n");
    bytes.resize(kSourceRecordSize + 1);
    writeBytes(dir / "P.ZS2", bytes);
    writeBytes(dir / "Notes.txt", bytes);
    writeBytes(dir / "Huge.OSw", {});
    std::filesystem::resize_file(dir / "Huge.OSw", (64 << 20) + 1);  // sparse: costs no disk
    const ProgramRun run = inspect(
        dir, {"--format", "json", "P.ZS2", "Missing.OSw", "Notes.txt", "Huge.OSw", "P.ZS2"});
    EXPECT_EQ(run.status, 1);
    const std::string shown = run.out.substr(0, run.out.size() / 2);
    EXPECT_EQ(run.out, shown + shown);
    EXPECT_TRUE(shown.starts_with(R"({"file":"P.ZS2","kind":"ZS2","records":[{"step":true,)"));
    EXPECT_TRUE(shown.ends_with("}],\"steps\":1,\"playingTenths\":3000}\n")) << shown;
    const std::string partial =
        "z2o-inspect: P.ZS2: not a whole number of 45-byte records: 1 byte after the last "
        "whole record\n";
    EXPECT_EQ(run.err, partial + "z2o-inspect: Missing.OSw: File not found\n" +
                           "z2o-inspect: Notes.txt: not a session: the name ends neither in .ZS2 "
                           "nor in .OSw\n" +
                           "z2o-inspect: Huge.OSw: too large for a session (67108865 bytes)\n" +
                           partial);
    for (const std::string file : {"P.ZS2", "Missing.OSw", "Notes.txt", "Huge.OSw"})
        EXPECT_EQ(inspect(dir, {file}).status, 1) << file;  // each alone fails too
    // Flags past a byte show all four digits, from 256 on; a session of no record is a table of
    // its header.
    TargetStepRecord flags;
    flags.modeBits = 0x100;
    writeBytes(dir / "F.OSw", bytesOf(flags));
    writeBytes(dir / "E.OSw", {});
    const ProgramRun table = inspect(dir, {"F.OSw", "E.OSw"});
    EXPECT_NE(table.out.find(" 0x0100\n1 step, "), std::string::npos) << table.out;
    EXPECT_NE(table.out.find("E.OSw (OSw, 0 records)\nrecord  stepNumber"), std::string::npos);
    EXPECT_TRUE(table.out.ends_with("  modeBits\n0 steps, playing time 0:00:00.0\n"));
}

}  // namespace
}  // namespace z2o
