// What differs between systems: names beyond ASCII from arguments and albums, album lines in a
// legacy code page, exclusive creation, a NUL in a name, sizes past 4 GiB, a target held open, the
// program's folder.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "convert/driver.h"
#include "convert/file_io.h"
#include "convert/session.h"
#include "session_builder.h"
#include "test_support.h"

namespace z2o {
namespace {

namespace fs = std::filesystem;

const std::string kGerman = "Entspannung f\xC3\xBCr Anf\xC3\xA4nger";  // UTF-8
const std::string kRussian = "\xD0\x9D\xD0\xBE\xD1\x87\xD1\x8C";       // "Night"
// "für" in cp1252 and Latin-1, as an album written by an old Windows program holds it.
const std::string kLegacyLine =
    "f\xFC"
    "r.ZS2";

testing::ProgramRun convertIn(const TempDir& dir, const std::vector<std::string>& args) {
    return testing::runProgram(Z2O_CONVERT, args, fromPath(dir.path()));
}

std::vector<std::uint8_t> textBytes(const std::string& text) {
    return {text.begin(), text.end()};
}

TEST(Names, BeyondAsciiAsArgumentsAndAlbumLines) {
    TempDir dir;
    // Windows reads an album line in its ANSI code page; elsewhere its bytes are the name.
    const std::string legacy = nameAsUtf8(kLegacyLine);
#ifdef _WIN32
    EXPECT_EQ(legacy, "f\xC3\xBCr.ZS2");
#else
    EXPECT_EQ(legacy, kLegacyLine);
#endif
    const auto session = samples::buildSession("step channel=0x3C\nstep\n");
    for (const std::string& name : {kGerman + ".ZS2", kRussian + ".ZS2", legacy})
        writeBytes(dir / name, session);
    const testing::ProgramRun run = convertIn(dir, {kGerman + ".ZS2"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, kGerman + ".ZS2 -> " + kGerman + ".OSw (4 steps)\n");

    writeBytes(dir / "Mix.ZA2",
               textBytes(kRussian + ".ZS2\r\n" + kLegacyLine + "\r\nGone " + kLegacyLine + "\r\n"));
    const testing::ProgramRun album = convertIn(dir, {"--album", "Mix.ZA2"});
    EXPECT_EQ(album.status, 1);
    EXPECT_EQ(album.out, (dir / (kRussian + ".ZS2")) + " -> " + (dir / (kRussian + ".OSw")) +
                             " (4 steps)\n" + (dir / legacy) + " -> " +
                             (dir / targetPathFor(legacy)) +
                             " (4 steps)\nMix.ZA2: 2 converted, 1 failed\n");
    EXPECT_EQ(album.err, "z2o-convert: " + (dir / ("Gone " + legacy)) + ": could not be found\n");
    const auto target = convertSession(session, {}, [](int) {}).target;
    for (const std::string& name : {kGerman + ".OSw", kRussian + ".OSw", targetPathFor(legacy)})
        EXPECT_EQ(readBytes(dir / name), target) << name;
}

TEST(Files, CreationIsExclusiveNamesWholeAndSizes64Bit) {
    TempDir dir;
    writeBytes(dir / "Taken.tmp", {1, 2, 3});
    errno = 0;
    EXPECT_EQ(createNewFile(dir / "Taken.tmp"), nullptr);
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(readBytes(dir / "Taken.tmp"), (std::vector<std::uint8_t>{1, 2, 3}));
    // A NUL would cut the name short, and another file than the one named would be used.
    const std::string cut = dir / std::string("Taken.tmp\0.OSw", 14);
    EXPECT_EQ(SourceFile().open(cut)->number, kBadFileName);
    EXPECT_EQ(TargetFile().create(cut)->number, kBadFileName);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"Taken.tmp"});

    const std::uint64_t huge = (4ULL << 30) + 45;
    writeBytes(dir / (kRussian + ".ZS2"), {});
    fs::resize_file(toPath(dir / (kRussian + ".ZS2")), huge);  // sparse: costs no disk
    SourceFile source;
    ASSERT_FALSE(source.open(dir / (kRussian + ".ZS2")));
    EXPECT_EQ(source.size(), huge);

    const fs::path folder = toPath(programFileFolder());
    EXPECT_TRUE(fs::exists(folder / "z2o_cli_tests.exe") || fs::exists(folder / "z2o_cli_tests"))
        << folder;
}

TEST(Files, TargetHeldOpenByAnotherProgramIsKept) {
#ifndef _WIN32
    GTEST_SKIP() << "only Windows refuses to replace a file that is open";
#else
    TempDir dir;
    writeBytes(dir / "A.ZS2", samples::buildSession("step\n"));
    writeBytes(dir / "A.OSw", {9, 9});
    std::FILE* held = openFile(dir / "A.OSw", "rb");
    ASSERT_NE(held, nullptr);
    ProgramState state;
    ScriptedHost host;
    host.picks.push_back(dir / "A.ZS2");
    EXPECT_EQ(runSessionConversion(state, host).status, SessionOutcome::Status::Failed);
    std::fclose(held);
    ASSERT_EQ(host.messages.size(), 1U);
    EXPECT_EQ(host.messages[0].text(), "Permission denied\r\n" + (dir / "A.OSw"));
    EXPECT_EQ(readBytes(dir / "A.OSw"), (std::vector<std::uint8_t>{9, 9}));
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"A.OSw", "A.ZS2"}));
#endif
}

}  // namespace
}  // namespace z2o
