// z2o-convert as scripts use it: its output lines, messages and exit status.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

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

// Options as getopt users write them do what the long forms do, in both tools. Bad usage exits
// with 2, says why and writes nothing.
TEST(Cli, OptionsAsGetoptUsersWriteThem) {
    using Args = std::vector<std::string>;
    struct Row {
        bool inspect;
        Args args;
        Args same;  // the same in long options; none: bad usage, for this reason
        std::string reason = {};
    };
    const Row rows[] = {
        {false, {"-q", "S.ZS2"}, {"--quiet", "S.ZS2"}},
        {false, {"-n", "S.ZS2"}, {"--dry-run", "S.ZS2"}},
        {false, {"-qn", "S.ZS2"}, {"--quiet", "--dry-run", "S.ZS2"}},
        {false, {"-r0", "S.ZS2"}, {"--ramp-time=0", "S.ZS2"}},
        {false, {"-qr", "3", "S.ZS2"}, {"--quiet", "--ramp-time", "3", "S.ZS2"}},
        {false, {"-V"}, {"--version"}},
        {false, {"-qh"}, {"--help"}},
        {true, {"-fcsv", "S.ZS2"}, {"--format=csv", "S.ZS2"}},
        {true, {"-f", "json", "S.ZS2"}, {"--format", "json", "S.ZS2"}},
        {true, {"-V"}, {"--version"}},
        {true, {"-h"}, {"--help"}},
        {false, {}, {}, "no session, folder or album given"},
        {false, {"--ramp-time=11"}, {}, "--ramp-time takes whole seconds from 0 to 10, not '11'"},
        {false, {"-r-1", "S.ZS2"}, {}, "-r takes whole seconds from 0 to 10, not '-1'"},
        {false, {"-r", "2.5", "S.ZS2"}, {}, "-r takes whole seconds from 0 to 10, not '2.5'"},
        {false, {"S.ZS2", "-qr"}, {}, "-r needs a number of seconds"},
        {false, {"--ramp-time"}, {}, "--ramp-time needs a number of seconds"},
        {false, {"--album"}, {}, "--album needs an album file"},
        {false, {"-qx", "S.ZS2"}, {}, "unknown option '-x'"},
        {false, {"--bogus=1", "S.ZS2"}, {}, "unknown option '--bogus'"},
        {false, {"--quiet=yes", "S.ZS2"}, {}, "--quiet takes no value"},
        {true, {}, {}, "no file given"},
        {true, {"-fxml", "S.ZS2"}, {}, "-f takes table, csv or json, not 'xml'"},
        {true, {"--format"}, {}, "--format needs table, csv or json"},
        {true, {"--bogus", "S.ZS2"}, {}, "unknown option '--bogus'"},
    };
    const auto run = [](const Row& row, const Args& args) {
        TempDir dir;
        writeBytes(dir / "S.ZS2", samples::buildSession("step duration=0:40.0 channel=0x3C\n"));
        const CliRun result = cli(dir, args, row.inspect ? Z2O_INSPECT : Z2O_CONVERT);
        const auto target = std::filesystem::exists(dir.path() / "S.OSw")
                                ? readBytes(dir / "S.OSw")
                                : std::vector<std::uint8_t>{};
        return std::tuple(result.status, result.out, result.err, dir.names(), target);
    };
    for (const Row& row : rows) {
        const std::string args = ::testing::PrintToString(row.args);
        if (!row.same.empty()) {
            EXPECT_EQ(run(row, row.args), run(row, row.same)) << args;
            continue;
        }
        const std::string tool = row.inspect ? "z2o-inspect" : "z2o-convert";
        EXPECT_EQ(run(row, row.args),
                  std::tuple(2, "",
                             tool + ": " + row.reason + "\nTry '" + tool +
                                 " --help' for more information.\n",
                             std::vector<std::string>{"S.ZS2"}, std::vector<std::uint8_t>{}))
            << args;
    }
    TempDir dir;
    for (const std::string tool : {Z2O_CONVERT, Z2O_INSPECT}) {
        const std::string name = tool == Z2O_CONVERT ? "z2o-convert" : "z2o-inspect";
        EXPECT_EQ(cli(dir, {"--version"}, tool).out, name + " " Z2O_VERSION "\n");
        EXPECT_NE(cli(dir, {"--help"}, tool).out.find("Exit status"), std::string::npos);
    }
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
