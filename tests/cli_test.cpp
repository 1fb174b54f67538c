// z2o-convert as scripts use it: its output lines, messages and exit status.
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

#include "file_io.h"
#include "session.h"
#include "session_builder.h"
#include "test_support.h"

namespace z2o {
namespace {

using CliRun = testing::ProgramRun;

std::string slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs the tool in `folder` with exactly these arguments.
CliRun cli(const TempDir& folder, const std::vector<std::string>& args) {
    return testing::runProgram(Z2O_CONVERT, args, fromPath(folder.path()));
}

TEST(Cli, ConvertsEachSessionAndReportsIt) {
    TempDir dir;
    writeBytes(dir / "A.ZS2", samples::buildSession("step channel=0x3C\nstep\n"));
    writeBytes(dir / "B c.ZS2", samples::buildSession("step duration=20:00.0\n"));
    const CliRun run = cli(dir, {"A.ZS2", "B c.ZS2"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "A.ZS2 -> A.OSw (4 steps)\nB c.ZS2 -> B c.OSw (2 steps)\n");
    EXPECT_EQ(run.err, "");
    const auto source = readBytes(dir / "A.ZS2");
    EXPECT_EQ(readBytes(dir / "A.OSw"), convertSession(source, {}, [](int) {}).target);
}

TEST(Cli, SettingsShapeTheRampsExactlyAsInTheWindow) {
    const std::string description =
        "step duration=0:40.0 start=10,0,10,0,150 end=20,15,20,15,150 channel=0x3C\n";
    struct Row {
        std::vector<std::string> args;
        RampSettings settings;
    };
    for (const Row& row :
         {Row{{"--ramp-time", "0"}, {0, true}}, Row{{"--ramp-time=8"}, {80, true}},
          Row{{"--no-soft-ramping", "--ramp-time", "2"}, {20, false}}, Row{{}, {50, true}}}) {
        TempDir dir;
        writeBytes(dir / "S.ZS2", samples::buildSession(description));
        std::vector<std::string> args = row.args;
        args.push_back("S.ZS2");
        EXPECT_EQ(cli(dir, args).status, 0) << row.settings.rampTime;
        EXPECT_EQ(
            readBytes(dir / "S.OSw"),
            convertSession(samples::buildSession(description), row.settings, [](int) {}).target)
            << row.settings.rampTime;
    }
}

TEST(Cli, ProblemsGoToStandardErrorAndTheBatchGoesOn) {
    TempDir dir;
    writeBytes(dir / "Short.ZS2", std::vector<std::uint8_t>(44, 0));
    writeBytes(dir / "Odd.ZS2", samples::buildSession("step duration=___30.0\n"));
    writeBytes(dir / "Good.ZS2", samples::buildSession("step\n"));
    const CliRun run = cli(dir, {"Missing.ZS2", "Short.ZS2", "Odd.ZS2", "Good.ZS2"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "Odd.ZS2 -> Odd.OSw (1 steps)\nGood.ZS2 -> Good.OSw (1 steps)\n");
    EXPECT_EQ(run.err, "z2o-convert: Missing.ZS2: File not found " + (dir / "Missing.ZS2") + "\n" +
                           "z2o-convert: Short.ZS2: Data in ... " + (dir / "Short.ZS2") +
                           " isn't compatible with current spec.s. 'Open File' aborted\n"
                           "z2o-convert: Odd.ZS2: Invalid procedure call or argument\n");
}

TEST(Cli, AlbumsReportMissingEntriesAndASummary) {
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "Deep");
    writeBytes(dir / "A.ZS2", samples::buildSession("step\n"));
    writeBytes(dir / "Deep/B.ZS2", samples::buildSession("step\n"));
    const std::string album = "A.ZS2\r\nGone.ZS2\r\nDeep\\B.ZS2";
    writeBytes(dir / "Relax.ZA2", std::vector<std::uint8_t>(album.begin(), album.end()));
    const CliRun run = cli(dir, {"--album", "Relax.ZA2", "A.ZS2"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, (dir / "A.ZS2") + " -> " + (dir / "A.OSw") + " (1 steps)\n" +
                           (dir / "Deep/B.ZS2") + " -> " + (dir / "Deep/B.OSw") +
                           " (1 steps)\nRelax.ZA2: 2 converted, 1 failed\n" +
                           "A.ZS2 -> A.OSw (1 steps)\n");
    EXPECT_EQ(run.err, "z2o-convert: " + (dir / "Gone.ZS2") + ": could not be found\n");

    const std::string good = "A.ZS2\n";
    writeBytes(dir / "Good.ZA2", std::vector<std::uint8_t>(good.begin(), good.end()));
    EXPECT_EQ(cli(dir, {"--album=Good.ZA2"}).status, 0);
    const CliRun missing = cli(dir, {"--album", "Nowhere.ZA2"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "Nowhere.ZA2: 0 converted, 0 failed\n");
    EXPECT_EQ(missing.err, "z2o-convert: " + (dir / "Nowhere.ZA2") + ": File not found " +
                               (dir / "Nowhere.ZA2") + "\n");
}

// A damaged file raises thousands of step errors: each distinct one is printed once.
TEST(Cli, EachDistinctErrorIsPrintedOnceWithItsCount) {
    TempDir dir;
    std::mt19937 random(7);
    std::vector<std::uint8_t> damaged(2000 * kSourceRecordSize);
    for (auto& byte : damaged)
        byte = static_cast<std::uint8_t>(random());
    writeBytes(dir / "D.ZS2", damaged);
    std::vector<std::pair<int, int>> tallies;  // number, count, in order of first occurrence
    const ConversionResult result = convertSession(damaged, {}, [&](int number) {
        for (auto& [n, count] : tallies)
            if (n == number) return void(++count);
        tallies.emplace_back(number, 1);
    });
    std::string expected;
    for (const auto& [number, count] : tallies) {
        expected += "z2o-convert: " + (dir / "D.ZS2") + ": " + describeError(number);
        if (count > 1) expected += " (" + std::to_string(count) + " times)";
        expected += '\n';
    }
    const CliRun run = cli(dir, {dir / "D.ZS2"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, expected);
    EXPECT_EQ(readBytes(dir / "D.OSw"), result.target);
}

TEST(Cli, UsageErrorsExitWithTwo) {
    TempDir dir;
    using Args = std::vector<std::string>;
    for (const Args& args :
         {Args{}, Args{"--ramp-time", "11", "A.ZS2"}, Args{"--ramp-time", "-1", "A.ZS2"},
          Args{"--ramp-time", "2.5", "A.ZS2"}, Args{"--ramp-time"}, Args{"--bogus", "A.ZS2"},
          Args{"--album"}}) {
        const CliRun run = cli(dir, args);
        EXPECT_EQ(run.status, 2) << args.size();
        EXPECT_EQ(run.out, "") << args.size();
        EXPECT_NE(run.err.find("z2o-convert: "), std::string::npos) << args.size();
    }
    EXPECT_TRUE(dir.names().empty());
    const CliRun help = cli(dir, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Exit status"), std::string::npos);
    EXPECT_EQ(cli(dir, {"--version"}).out, "z2o-convert " Z2O_VERSION "\n");
}

TEST(Cli, BundledSamplesMatchTheirDescriptions) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(Z2O_SAMPLES_DIR)) {
        if (entry.path().extension() != ".txt") continue;
        std::filesystem::path session = entry.path();
        session.replace_extension(".ZS2");
        EXPECT_EQ(readBytes(session.string()), samples::buildSession(slurp(entry.path().string())))
            << session << " is stale: rebuild it with z2o-make-session";
    }
}

}  // namespace
}  // namespace z2o
