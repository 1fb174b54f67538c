// z2o-convert as scripts use it: its output lines, messages and exit status.
#include <gtest/gtest.h>

#include <algorithm>

#include "convert/file_io.h"
#include "convert/session.h"
#include "convert/target_record.h"
#include "session_builder.h"
#include "test_support.h"

namespace z2o {
namespace {

using CliRun = testing::ProgramRun;

// Runs the tool in `folder` with exactly these arguments.
CliRun cli(const TempDir& folder, const std::vector<std::string>& args,
           const std::string& tool = Z2O_CONVERT) {
    return testing::runProgram(tool, args, fromPath(folder.path()));
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

// Each distinct error of a session's steps is printed once, with how often it came.
TEST(Cli, ProblemsGoToStandardErrorAndTheBatchGoesOn) {
    TempDir dir;
    writeBytes(dir / "Short.ZS2", std::vector<std::uint8_t>(44, 0));
    writeBytes(dir / "Odd.ZS2", samples::buildSession("step duration=___30.0 repeat=3\n"
                                                      "step duration=55:00.0\n"));
    writeBytes(dir / "Good.ZS2", samples::buildSession("step\n"));
    const CliRun run = cli(dir, {"Missing.ZS2", "Short.ZS2", "Odd.ZS2", "Good.ZS2"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "Odd.ZS2 -> Odd.OSw (5 steps)\nGood.ZS2 -> Good.OSw (1 steps)\n");
    EXPECT_EQ(run.err, "z2o-convert: Missing.ZS2: File not found " + (dir / "Missing.ZS2") + "\n" +
                           "z2o-convert: Short.ZS2: Data in ... " + (dir / "Short.ZS2") +
                           " isn't compatible with current spec.s. 'Open File' aborted\n"
                           "z2o-convert: Odd.ZS2: Invalid procedure call or argument (3 times)\n"
                           "z2o-convert: Odd.ZS2: Overflow\n");
}

TEST(Cli, AlbumsReportMissingEntriesAndASummary) {
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "Deep");
    writeBytes(dir / "A.ZS2", samples::buildSession("step\n"));
    writeBytes(dir / "Deep/B.ZS2", samples::buildSession("step\n"));
    const std::string album = "A.ZS2\r\nGone.ZS2\r\nDeep\\B.ZS2\r\nNone\\C.ZS2";
    const std::string notFound = "z2o-convert: " + (dir / "Gone.ZS2") +
                                 ": could not be found\nz2o-convert: " + (dir / "None/C.ZS2") +
                                 ": could not be found\n";
    writeBytes(dir / "Relax.ZA2", std::vector<std::uint8_t>(album.begin(), album.end()));
    const CliRun dry = cli(dir, {"--dry-run", "--album", "Relax.ZA2"});
    EXPECT_EQ(dry.status, 1);
    EXPECT_EQ(dry.out, (dir / "A.ZS2") + " -> " + (dir / "A.OSw") + "\n" + (dir / "Deep/B.ZS2") +
                           " -> " + (dir / "Deep/B.OSw") + "\n");
    EXPECT_EQ(dry.err, notFound);
    const CliRun run = cli(dir, {"--album", "Relax.ZA2", "A.ZS2"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, (dir / "A.ZS2") + " -> " + (dir / "A.OSw") + " (1 steps)\n" +
                           (dir / "Deep/B.ZS2") + " -> " + (dir / "Deep/B.OSw") +
                           " (1 steps)\nRelax.ZA2: 2 converted, 2 failed\n" +
                           "A.ZS2 -> A.OSw (1 steps)\n");
    EXPECT_EQ(run.err, notFound);

    const std::string good = "A.ZS2\n";
    writeBytes(dir / "Good.ZA2", std::vector<std::uint8_t>(good.begin(), good.end()));
    EXPECT_EQ(cli(dir, {"--album=Good.ZA2"}).status, 0);
    const CliRun missing = cli(dir, {"--album", "Nowhere.ZA2"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "Nowhere.ZA2: 0 converted, 0 failed\n");
    EXPECT_EQ(missing.err, "z2o-convert: " + (dir / "Nowhere.ZA2") + ": File not found " +
                               (dir / "Nowhere.ZA2") + "\n");
}

// The walk names what it finds with the system's own separator.
std::string native(std::string path) {
#ifdef _WIN32
    std::replace(path.begin(), path.end(), '/', '\\');
#endif
    return path;
}

TEST(Cli, FoldersAreWalkedInByteOrderOfTheirPaths) {
    namespace fs = std::filesystem;
    TempDir dir;
    const std::vector<std::uint8_t> session = samples::buildSession("step\n");
    fs::create_directories(dir.path() / "lib/sub");
    fs::create_directories(dir.path() / "lib/e.ZS2");
    for (const char* name : {"lib/a.zs2", "lib/B.ZS2", "lib/sub/c.Zs2", "lib/d.txt",
                             "lib/.X.OSw.0123456789abcdef.tmp", "lib/a.zs2.bak"}) {
        writeBytes(dir / name, session);
    }
    // Links are followed to files but never to folders, so a loop ends. Windows (and Wine) may
    // refuse to make links; the walk is then tried without them.
    std::error_code noLinks;
    fs::create_directory_symlink("..", dir.path() / "lib/sub/loop", noLinks);
    if (!noLinks) fs::create_symlink("sub/c.Zs2", dir.path() / "lib/link.ZS2", noLinks);
    const auto files = [&] {
        return std::distance(fs::recursive_directory_iterator(dir.path()), {});
    };
    const auto before = files();
    const std::string order[] = {"lib/B", "lib/a", "lib/link", "lib/sub/c"};
    const std::string extension[] = {".ZS2", ".zs2", ".ZS2", ".Zs2"};
    std::string listing, converted;
    int count = 0;
    for (int i = 0; i < 4; ++i) {
        if (noLinks && i == 2) continue;
        ++count;
        const std::string line = native(order[i] + extension[i] + " -> " + order[i] + ".OSw");
        listing += line + "\n";
        converted += line + " (1 steps)\n";
    }

    const CliRun dry = cli(dir, {"--dry-run", "lib"});
    EXPECT_EQ(dry.status, 0);
    EXPECT_EQ(dry.out, listing);
    EXPECT_EQ(dry.err, "");
    EXPECT_EQ(files(), before);

    const CliRun run = cli(dir, {"lib"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, converted + "lib: " + std::to_string(count) + " converted, 0 failed\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(files(), before + count);
    EXPECT_EQ(readBytes(dir / "lib/sub/c.OSw"), convertSession(session, {}, [](int) {}).target);

    writeBytes(dir / "lib/sub/bad.ZS2", std::vector<std::uint8_t>(44, 0));
    const CliRun quiet = cli(dir, {"--quiet", "lib"});
    EXPECT_EQ(quiet.status, 1);
    EXPECT_EQ(quiet.out, "lib: " + std::to_string(count) + " converted, 1 failed\n");
    EXPECT_NE(quiet.err.find(native("z2o-convert: lib/sub/bad.ZS2: Data in")), std::string::npos);
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
    const CliRun version = cli(dir, {"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "z2o-convert " Z2O_VERSION "\n");
    // An empty argument, and anything after "--", names a file (that is not there).
    const CliRun files = cli(dir, {"", "--", "-x.ZS2"});
    EXPECT_EQ(files.status, 1);
    EXPECT_NE(files.err.find("z2o-convert: -x.ZS2: File not found"), std::string::npos);
}

TEST(Cli, BundledSamplesMatchTheirDescriptions) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(Z2O_SAMPLES_DIR)) {
        if (entry.path().extension() != ".txt") continue;
        std::filesystem::path session = entry.path();
        session.replace_extension(".ZS2");
        EXPECT_EQ(readBytes(session.string()),
                  samples::buildSession(testing::readText(entry.path().string())))
            << session << " is stale: rebuild it with z2o-make-session";
    }
}

}  // namespace
}  // namespace z2o
