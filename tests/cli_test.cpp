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

TEST(Inspect, ShowsEveryFieldInEachFormat) {
    TempDir dir;
    writeBytes(dir / "S.zs2", samples::buildSession("step channel=0x28 duration=_5:00.0\n"
                                                    "step number=0 start=0.1,15,1e+38,0,-7\n"));
    const CliRun csv = cli(dir, {"--format", "csv", "S.zs2"}, Z2O_INSPECT);
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
    const CliRun json = cli(dir, {"--format=json", "T.OSW"}, Z2O_INSPECT);
    EXPECT_EQ(json.status, 0);
    EXPECT_EQ(
        json.out,
        R"({"file":"T.OSW","kind":"OSw","records":[{"stepNumber":-3,"duration":"\"\\\u0001\u00E9 5",)"
        R"("freq":["NaN",-0,"Infinity","-Infinity",3.4028235e+38,1e-45,0.1,1e+10],)"
        R"("slotFlags":[0,0,0,0,0,0,0,0],"level":[255,255,255,255,255,255,255,255],)"
        R"("auxA":[127,127,127,127,127,127,127,127],"auxB":[96,96,96,96,96,96,96,96],)"
        R"("toneKind":[1,1,1,1],"toneOn":[-1,0,7,-32768],"pitch":[150,150,150,150],)"
        R"("toneLevel":[255,255,255,255],"enableFlag":-1,"modeBits":1020}],)"
        R"("steps":1,"playingTenths":0})"
        "\n");

    // Each table: a title, aligned rows under a header, and the steps with their playing time.
    const std::string table = cli(dir, {"S.zs2", "T.OSW"}, Z2O_INSPECT).out;
    EXPECT_TRUE(table.starts_with("S.zs2 (ZS2, 2 records)\nrecord  step  stepNumber  start.freq1"));
    EXPECT_NE(table.find("150   5:00.0           0x28"), std::string::npos) << table;
    EXPECT_NE(table.find("1 steps, playing time 0:05:00.0\n"), std::string::npos);
    EXPECT_TRUE(table.ends_with("1 steps, playing time 0:00:00.0\n")) << table;
    EXPECT_NE(table.find(R"(  "\x5C\x01\xE9 5  NaN,-0,Infinity,)"), std::string::npos) << table;
}

// A converted session of over an hour: each record of its own, and the hours counted.
TEST(Inspect, TablesOfLongSessions) {
    TempDir dir;
    const auto source = samples::buildSession(
        "step duration=20:00.0 channel=0x08 repeat=3\nstep duration=2:12.3\n");
    writeBytes(dir / "L.OSw", convertSession(source, {}, [](int) {}).target);
    const std::string table =
        cli(dir, {"--format", "csv", "--format=table", "L.OSw"}, Z2O_INSPECT).out;
    EXPECT_TRUE(table.starts_with("L.OSw (OSw, 10 records)\n")) << table;
    EXPECT_NE(table.find(" 9:55.0 "), std::string::npos) << table;
    EXPECT_NE(table.find("10 steps, playing time 1:02:12.3\n"), std::string::npos) << table;
    EXPECT_TRUE(cli(dir, {"--format=csv", "L.OSw"}, Z2O_INSPECT)
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
    const CliRun run =
        cli(dir, {"--format", "json", "P.ZS2", "Missing.OSw", "Notes.txt", "Huge.OSw", "P.ZS2"},
            Z2O_INSPECT);
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

    const std::vector<std::string> usages[] = {
        {}, {"--format", "xml", "P.ZS2"}, {"--format"}, {"--bogus", "P.ZS2"}};
    for (const auto& args : usages) {
        const CliRun usage = cli(dir, args, Z2O_INSPECT);
        EXPECT_EQ(usage.status, 2) << args.size();
        EXPECT_TRUE(usage.out.empty() && usage.err.starts_with("z2o-inspect: ")) << usage.err;
    }
    EXPECT_NE(cli(dir, {"--help"}, Z2O_INSPECT).out.find("Exit status"), std::string::npos);
    EXPECT_EQ(cli(dir, {"--version"}, Z2O_INSPECT).out, "z2o-inspect " Z2O_VERSION "\n");
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
