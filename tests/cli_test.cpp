// z2o-convert as scripts use it: its output lines, messages and exit status.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <tuple>

#include "convert/driver.h"
#include "convert/file_io.h"
#include "convert/session.h"
#include "samples/session_builder.h"
#include "tests/test_support.h"

namespace z2o {
namespace {

// Runs the tool in `folder` with exactly these arguments.
testing::ProgramRun cli(const TempDir& folder, const std::vector<std::string>& args,
                        const std::string& tool = Z2O_CONVERT) {
    return testing::runProgram(tool, args, fromPath(folder.path()));
}

const std::string kGerman = "Entspannung f\xC3\xBCr Anf\xC3\xA4nger";  // UTF-8
const std::string kRussian = "\xD0\x9D\xD0\xBE\xD1\x87\xD1\x8C";       // "Night"
// "für" in cp1252 and Latin-1, as an album written by an old Windows program holds it, and as
// the name it stands for.
const std::string kLegacy = "f\xFCr";
const std::string kLegacyName = "f\xC3\xBCr";

// One library for every run: sessions good, damaged and short, albums, a folder to walk (with a
// link to a file, and a link loop that the walk must not follow), names beyond ASCII.
void writeLibrary(const TempDir& dir) {
    namespace fs = std::filesystem;
    for (const char* folder : {"Deep", "lib/sub", "lib/e.ZS2", "Empty"})
        fs::create_directories(dir.path() / folder);
    const std::pair<std::string, const char*> sessions[] = {
        {"A.ZS2", "step channel=0x3C\nstep\n"},
        {"B c.ZS2", "step duration=20:00.0\n"},
        {"S.ZS2", "step duration=0:40.0 start=10,0,10,0,150 end=20,15,20,15,150 channel=0x3C\n"},
        {"Odd.ZS2", "step duration=___30.0 repeat=2\nstep duration=55:00.0\n"},
        {"One.ZS2", "step duration=___30.0\n"},
        {"Deep/B.ZS2", "step\n"},
        {kGerman + ".ZS2", "step\n"},
        {kRussian + ".ZS2", "step\n"},
        {kLegacyName + ".ZS2", "step\n"}};
    for (const auto& [name, description] : sessions)
        writeBytes(dir / name, samples::buildSession(description));
    for (const char* name : {"lib/a.zs2", "lib/B.ZS2", "lib/sub/c.Zs2", "lib/d.txt",
                             "lib/.X.OSw.0123456789abcdef.tmp", "lib/a.zs2.bak", "lib/zs2"})
        writeBytes(dir / name, samples::buildSession("step\n"));
    // Windows (and Wine) may refuse to make links: a copy names the same, without the loop.
    std::error_code noLinks;
    fs::create_directory_symlink("..", dir.path() / "lib/sub/loop", noLinks);
    if (!noLinks) fs::create_symlink("sub/c.Zs2", dir.path() / "lib/link.ZS2", noLinks);
    if (noLinks) fs::copy(dir.path() / "lib/sub/c.Zs2", dir.path() / "lib/link.ZS2");
    for (const char* name : {"Short.ZS2", "lib/sub/bad.ZS2"})
        writeBytes(dir / name, std::vector<std::uint8_t>(44, 0));
    writeText(dir / "Relax.ZA2", "A.ZS2\r\nGone.ZS2\r\nDeep\\B.ZS2\r\nNone\\C.ZS2");
    writeText(dir / "Good.ZA2", "A.ZS2\n");
    writeText(dir / "Mix.ZA2", "\xEF\xBB\xBF" + kRussian + ".ZS2\r\n\r\n" + kLegacy +
                                   ".ZS2\r\nGone " + kLegacy + ".ZS2\r\n");
}

// What scripts see of each run: the exit status, a line on standard output for each session (its
// target written with the settings given, left alone as up to date, or with --dry-run only
// named), the counts after each album and folder and of a run of several, the problems on
// standard error.
TEST(Cli, RunsOfSessionsAlbumsAndFolders) {
    struct Row {
        std::vector<std::string> args;
        int status = 0;
        std::string out = {}, err = {};
        RampSettings ramp = {};
        std::vector<std::string> before = {};  // a run before it, whose targets are there
    };
    const std::string counts = " converted, 0 up to date, ";
    const std::string notFound =
        "z2o-convert: @Gone.ZS2: could not be found\n"
        "z2o-convert: @None/C.ZS2: could not be found\n";
    const std::string walk =
        "lib/B.ZS2 -> lib/B.OSw (1 step)\nlib/a.zs2 -> lib/a.OSw (1 step)\nlib/link.ZS2 -> "
        "lib/link.OSw (1 step)\n";
    const std::string c = "lib/sub/c.Zs2 -> lib/sub/c.OSw (1 step)\n";
    const std::string incompatible = " isn't compatible with current spec.s. 'Open File' aborted\n";
    const std::string bad =
        "z2o-convert: lib/sub/bad.ZS2: Data in ... lib/sub/bad.ZS2" + incompatible;
    const std::string legacy = kLegacyName + ".ZS2";
    const Row rows[] = {
        {{"A.ZS2", "B c.ZS2", "S.ZS2"},
         0,
         "A.ZS2 -> A.OSw (4 steps)\nB c.ZS2 -> B c.OSw (2 steps)\nS.ZS2 -> S.OSw (3 steps)\n"
         "total: 3" +
             counts + "0 failed, 0 not found\n"},
        {{"A.ZS2", "S.ZS2"},
         0,
         "A.ZS2 -> A.OSw (up to date, 4 steps)\nS.ZS2 -> S.OSw (up to date, 3 steps)\n"
         "total: 0 converted, 2 up to date, 0 failed, 0 not found\n",
         "",
         {},
         {"A.ZS2", "S.ZS2"}},
        {{"--rewrite", "A.ZS2"}, 0, "A.ZS2 -> A.OSw (4 steps)\n", "", {}, {"A.ZS2"}},
        {{"--ramp-time", "0", "S.ZS2"}, 0, "S.ZS2 -> S.OSw (1 step)\n", "", {0, true}},
        {{"--ramp-time=10", "S.ZS2"}, 0, "S.ZS2 -> S.OSw (3 steps)\n", "", {100, true}},
        // Other settings make other bytes: not up to date.
        {{"--no-soft-ramping", "-r", "2", "S.ZS2"},
         0,
         "S.ZS2 -> S.OSw (3 steps)\n",
         "",
         {20, false},
         {"S.ZS2"}},
        // Each distinct error of a session's steps once, with how often it came, and not again
        // after the next session; they alone make the exit status 1.
        {{"Odd.ZS2", "A.ZS2"},
         1,
         "Odd.ZS2 -> Odd.OSw (4 steps)\nA.ZS2 -> A.OSw (4 steps)\ntotal: 2" + counts +
             "0 failed, 0 not found\n",
         "z2o-convert: Odd.ZS2: Invalid procedure call or argument (2 times)\n"
         "z2o-convert: Odd.ZS2: Overflow\n"},
        {{"One.ZS2"},
         1,
         "One.ZS2 -> One.OSw (1 step)\n",
         "z2o-convert: One.ZS2: Invalid procedure call or argument\n"},
        {{"Missing.ZS2", "Short.ZS2", "A.ZS2"},
         1,
         "A.ZS2 -> A.OSw (4 steps)\ntotal: 1" + counts + "2 failed, 0 not found\n",
         "z2o-convert: Missing.ZS2: File not found Missing.ZS2\nz2o-convert: Short.ZS2: Data in "
         "... Short.ZS2" +
             incompatible},
        {{"--dry-run", "A.ZS2", "Missing.ZS2"},
         1,
         "A.ZS2 -> A.OSw (new, 4 steps)\ntotal: 1 to convert, 0 up to date, 1 would fail, 0 not "
         "found\n",
         "z2o-convert: Missing.ZS2: File not found Missing.ZS2\n"},
        {{"-n", "A.ZS2", "S.ZS2"},
         0,
         "A.ZS2 -> A.OSw (new, 4 steps)\nS.ZS2 -> S.OSw (replaced, 3 steps)\ntotal: 2 to "
         "convert, 0 up to date, 0 would fail, 0 not found\n",
         "",
         {},
         {"-r0", "S.ZS2"}},
        // A dry run of an album and a folder fails as the real run would.
        {{"-n", "--album", "Relax.ZA2", "lib"},
         1,
         "@A.ZS2 -> @A.OSw (new, 4 steps)\n@Deep/B.ZS2 -> @Deep/B.OSw (new, 1 step)\nRelax.ZA2: 2 "
         "to convert, 0 up to date, 0 would fail, 2 not found\nlib/B.ZS2 -> lib/B.OSw (new, 1 "
         "step)\nlib/a.zs2 -> lib/a.OSw (new, 1 step)\nlib/link.ZS2 -> lib/link.OSw (new, 1 "
         "step)\nlib/sub/c.Zs2 -> lib/sub/c.OSw (new, 1 step)\nlib: 4 to convert, 0 up to date, 1 "
         "would fail, 0 not found\ntotal: 6 to convert, 0 up to date, 1 would fail, 2 not found\n",
         notFound + bad},
        // An empty argument, and anything after "--", names a file.
        {{"", "--", "-x.ZS2"},
         1,
         "total: 0" + counts + "2 failed, 0 not found\n",
         "z2o-convert: : File not found\nz2o-convert: -x.ZS2: File not found -x.ZS2\n"},
        // A session given before an album or a folder lends neither its name.
        {{"A.ZS2", "--album", "Relax.ZA2"},
         1,
         "A.ZS2 -> A.OSw (4 steps)\n@A.ZS2 -> @A.OSw (up to date, 4 steps)\n"
         "@Deep/B.ZS2 -> @Deep/B.OSw (1 step)\nRelax.ZA2: 1 converted, 1 up to date, 0 failed, 2 "
         "not found\ntotal: 2 converted, 1 up to date, 0 failed, 2 not found\n",
         notFound},
        {{"--album=Good.ZA2"},
         0,
         "@A.ZS2 -> @A.OSw (4 steps)\nGood.ZA2: 1" + counts + "0 failed, 0 not found\n"},
        {{"--album", "Nowhere.ZA2"},
         1,
         "Nowhere.ZA2: 0" + counts + "0 failed, 0 not found\n",
         "z2o-convert: @Nowhere.ZA2: File not found @Nowhere.ZA2\n"},
        // Folders are walked in byte order of their paths; one without a session says so.
        {{"A.ZS2", "lib"},
         1,
         "A.ZS2 -> A.OSw (4 steps)\n" + walk + c + "lib: 4" + counts +
             "1 failed, 0 not found\ntotal: 5" + counts + "1 failed, 0 not found\n",
         bad},
        {{"--quiet", "lib"}, 1, "lib: 4" + counts + "1 failed, 0 not found\n", bad},
        {{"Empty"},
         1,
         "Empty: 0" + counts + "0 failed, 0 not found\n",
         "z2o-convert: Empty: no session (.ZS2) below it\n"},
        {{kGerman + ".ZS2"}, 0, kGerman + ".ZS2 -> " + kGerman + ".OSw (1 step)\n"},
        // An album as editors on Windows write it: a byte-order mark, an empty line and an empty
        // last line, a line in cp1252 beside one in UTF-8.
        {{"--album", "Mix.ZA2"},
         1,
         "@" + kRussian + ".ZS2 -> @" + kRussian + ".OSw (1 step)\n@" + legacy + " -> @" +
             targetPathFor(legacy) + " (1 step)\nMix.ZA2: 2" + counts + "0 failed, 1 not found\n",
         "z2o-convert: @Gone " + legacy + ": could not be found\n"},
    };
    for (const Row& row : rows) {
        TempDir dir;
        writeLibrary(dir);
        if (!row.before.empty()) cli(dir, row.before);
        const bool dry = row.args[0] == "--dry-run" || row.args[0] == "-n";
        const testing::ProgramRun run = cli(dir, row.args);
        const std::string args = ::testing::PrintToString(row.args);
        EXPECT_EQ(run.status, row.status) << args;
        // The walk names what it finds with the system's own separator.
        const auto native = [&dir](const std::string& text) {
            return fromPath(toPath(dir.expand(text)).make_preferred());
        };
        EXPECT_EQ(run.out, native(row.out)) << args;
        EXPECT_EQ(run.err, native(row.err)) << args;
        // Each target named is written from its source with the settings given, or, in a dry run,
        // not at all.
        std::istringstream lines(run.out);
        for (std::string line; std::getline(lines, line);) {
            const std::size_t arrow = line.find(" -> ");
            if (arrow == std::string::npos) continue;
            const std::string target = dir / line.substr(arrow + 4, line.find(" (") - arrow - 4);
            if (dry && row.before.empty()) {
                EXPECT_FALSE(std::filesystem::exists(toPath(target))) << target;
            } else if (!dry) {
                EXPECT_EQ(readBytes(target), convertSession(readBytes(dir / line.substr(0, arrow)),
                                                            row.ramp, [](int) {})
                                                 .target)
                    << target;
            }
        }
    }
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
        {true, {"-fcsv", "-ftable", "S.ZS2"}, {"S.ZS2"}},  // the last format given
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
    };
    const auto run = [](const Row& row, const Args& args) {
        TempDir dir;
        writeBytes(dir / "S.ZS2", samples::buildSession("step duration=0:40.0 channel=0x3C\n"));
        const testing::ProgramRun result = cli(dir, args, row.inspect ? Z2O_INSPECT : Z2O_CONVERT);
        const std::string target = testing::readText(dir / "S.OSw");  // empty when none
        return std::tuple(result.status, result.out, result.err, dir.names(), target);
    };
    for (const Row& row : rows) {
        const std::string args = ::testing::PrintToString(row.args);
        if (!row.same.empty()) {
            EXPECT_EQ(run(row, row.args), run(row, row.same)) << args;
            continue;
        }
        const std::string tool = row.inspect ? "z2o-inspect" : "z2o-convert";
        EXPECT_EQ(run(row, row.args), std::tuple(2, "",
                                                 tool + ": " + row.reason + "\nTry '" + tool +
                                                     " --help' for more information.\n",
                                                 std::vector<std::string>{"S.ZS2"}, std::string()))
            << args;
    }
    TempDir dir;
    for (const std::string tool : {Z2O_CONVERT, Z2O_INSPECT}) {
        const std::string name = tool == Z2O_CONVERT ? "z2o-convert" : "z2o-inspect";
        const testing::ProgramRun version = cli(dir, {"--version"}, tool),
                                  help = cli(dir, {"--help"}, tool);
        EXPECT_EQ(version.status + help.status, 0);
        EXPECT_EQ(version.out, name + " " Z2O_VERSION "\n");
        EXPECT_NE(help.out.find("Exit status"), std::string::npos);
    }
}

}  // namespace
}  // namespace z2o
