// The session command end to end on real files, with a scripted host.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <tuple>

#include "convert/driver.h"
#include "convert/file_io.h"
#include "convert/file_kind.h"
#include "convert/session.h"
#include "samples/session_builder.h"
#include "tests/test_support.h"

namespace z2o {
namespace {

namespace fs = std::filesystem;

const char* kTwoSteps =
    "step duration=0:30.0 channel=0x28\n"
    "step number=0\n"
    "step duration=12:00.0 channel=0x14 mode=1\n";

// Of the two ways of making a target, an unnamed file and a named temporary one, the second, as
// where the file system has no unnamed files.
const FileFaultHook noUnnamedFiles = [](const char* operation, const std::string&) {
    return std::string(operation) == "unnamed" ? EOPNOTSUPP : 0;
};

class Driver : public ::testing::Test {
  protected:
    SessionOutcome convert(const std::string& path) { return convertSessionFile(path, {}, host); }
    std::vector<std::uint8_t> expected(const std::string& description) {
        return convertSession(samples::buildSession(description), state.ramp, [](int) {}).target;
    }

    TempDir dir;
    ProgramState state;
    ScriptedHost host;
};

// Through the open dialog, and as albums, folders, drops and z2o-convert do it: a path handed
// over, no dialog, no pending events, and the outcome tells all that the front ends show.
TEST_F(Driver, WritesTheTargetBesideTheSourceAndLeavesNothingElse) {
    writeBytes(dir / "Alpha.ZS2", samples::buildSession(kTwoSteps));
    // A dialog cancelled reads and writes nothing but its outcome; a remembered folder that
    // vanished falls back to the program's folder, without a message.
    state.lastFolder = dir / "gone";
    EXPECT_EQ(runSessionConversion(state, host).status, SessionOutcome::Status::Cancelled);
    EXPECT_EQ(std::tuple(host.dialogs.at(0).initDir, state.lastFolder, dir.names().size(),
                         host.outcomes.size()),
              std::tuple(host.programFolderPath, host.programFolderPath, 1U, 1U));
    host.picks.push_back(dir / "Alpha.ZS2");
    const SessionOutcome outcome = runSessionConversion(state, host);
    // 2 steps (soft-on) and 3 (split, soft-off)
    EXPECT_EQ(std::tie(outcome.status, outcome.targetPath, outcome.steps, outcome.playingTenths),
              std::tuple(SessionOutcome::Status::Converted, dir / "Alpha.OSw", 5, 300 + 7200));
    EXPECT_EQ(readBytes(dir / "Alpha.OSw"), expected(kTwoSteps));
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"Alpha.OSw", "Alpha.ZS2"}));
    EXPECT_EQ(std::tuple(host.messages.size(), state.lastFolder),
              std::tuple(0U, dir.path().string()));
    const OpenDialogSettings& d = host.dialogs.at(1);
    EXPECT_EQ(
        std::tuple(d.filter(), d.defaultExt, d.dialogTitle, d.initDir, d.flags, d.cancelError),
        std::tuple("Zendrel Session (*.ZS2)|*.ZS2", "*.ZS2", "Select Zendrel session/s to convert",
                   host.programFolderPath, 0x201804U, true));
    EXPECT_EQ(host.eventsCalls, 2);

    const SessionOutcome given = convert(dir / "Alpha.ZS2");
    EXPECT_EQ(std::tie(given.sourcePath, given.playingTenths, given.answer),
              std::tuple(dir / "Alpha.ZS2", outcome.playingTenths, 0));
    EXPECT_EQ(std::tuple(host.dialogs.size(), host.eventsCalls), std::tuple(2U, 2));
    // Converted again, its target already holds exactly these bytes.
    EXPECT_EQ(host.outcomes.back().status, SessionOutcome::Status::UpToDate);
    // The next dialog opens where the last session was picked.
    runSessionConversion(state, host);
    EXPECT_EQ(host.dialogs.back().initDir, dir.path().string());
}

// Both ways of making a target, for names as long as the system allows (255 bytes, beyond ASCII):
// a new target gets the read and write bits that the umask leaves, a replaced one keeps its own,
// and a temporary name beside it fits too, cut between two characters.
TEST_F(Driver, NewAndReplacedTargetsOfTheLongestNames) {
    std::string e116;  // 232 bytes
    for (int i = 0; i < 116; ++i)
        e116 += "\xC3\xA9";
    bool byName = false;
    std::string renamed;
    setFileFaultHook([&](const char* operation, const std::string& path) {
        if (operation == std::string("rename")) renamed = fromPath(toPath(path).filename());
        // Once in place, a target forgets its temporary name: another run's file may take it.
        if (operation == std::string("syncfolder") && renamed.starts_with("."))
            writeText(dir / renamed, "another run's");
        return byName ? noUnnamedFiles(operation, path) : 0;
    });
    const unsigned umaskBefore = testing::system::setUmask(022);
    const fs::perms kept = fs::perms(0602);  // rw-----w-
    // A name, and how a random name beside it begins: cut after 233 bytes, or after 232 where the
    // 233rd is inside a character.
    std::vector<std::pair<std::string, std::string>> rows = {
        {"x" + e116 + e116.substr(0, 18), ".x" + e116 + "."},
        {e116 + e116.substr(0, 14), "." + e116 + "."},
    };
    // A name in a legacy code page: "£" in Latin-1 looks like no character's start.
    if (testing::system::kNamesAreBytes) rows.emplace_back(std::string(251, '\xA3'), "..");
    for (const auto& [stem, cut] : rows) {
        const std::string source = stem + ".ZS2", target = stem + ".OSw";
        writeBytes(dir / source, samples::buildSession("step\n"));
        for (const bool named : {false, true}) {
            byName = named;
            fs::remove(toPath(dir / target));
            for (const bool replacing : {false, true}) {
                if (replacing) writeBytes(dir / target, {1, 2, 3});
                EXPECT_EQ(convert(dir / source).status, SessionOutcome::Status::Converted);
                EXPECT_EQ(readBytes(dir / target), expected("step\n"));
                using Names = std::vector<std::string>;
                const bool other = renamed.starts_with(".");
                EXPECT_EQ(dir.names(),
                          (other ? Names{renamed, target, source} : Names{target, source}));
                if (other) fs::remove(toPath(dir / renamed));
                if (testing::system::kPermissionBits) {
                    EXPECT_EQ(fs::status(toPath(dir / target)).permissions(),
                              replacing ? kept : fs::perms(0644));
                    fs::permissions(toPath(dir / target), kept);
                }
                // The name it had before it took its place: its own, the fixed one beside it, or a
                // random one beside it, cut.
                const bool fixed = testing::system::kUnnamedFiles && !byName &&
                                   (!replacing || target.size() == 250);
                EXPECT_EQ(renamed, !fixed      ? cut + renamed.substr(cut.size(), 16) + ".tmp"
                                   : replacing ? "." + target + ".tmp"
                                               : target);
            }
        }
        for (const std::string& name : {source, target})
            fs::remove(toPath(dir / name));
    }
    testing::system::setUmask(umaskBefore);
    setFileFaultHook(nullptr);
}

// Only a program that has to end at once (a signal) abandons a long file between its parts: the
// old target stays and nothing is left beside it. A user's Stop, asked between sessions only,
// lets it finish.
TEST_F(Driver, OnlyEndingAtOnceAbandonsAFileMidWay) {
    // One whole part of 64 KiB of source, after which the program ends.
    writeBytes(dir / "L.ZS2", samples::buildSession("step repeat=1456\n"));
    host.stopAtEventsCall = 1;
    for (const bool byName : {false, true}) {
        int writes = 0;  // the steps go to the system 64 KiB at a time
        setFileFaultHook([&](const char* operation, const std::string& path) {
            writes += operation == std::string("write");
            return byName ? noUnnamedFiles(operation, path) : 0;
        });
        writeBytes(dir / "L.OSw", {1, 2, 3});
        host.endNow = true;
        const auto open = testing::namesIn(testing::system::kOpenFiles);
        EXPECT_EQ(convert(dir / "L.ZS2").status, SessionOutcome::Status::Stopped);
        // The abandoned file is closed.
        EXPECT_EQ(testing::namesIn(testing::system::kOpenFiles), open);
        EXPECT_EQ(std::tuple(writes, host.messages.size()), std::tuple(2, 0U));
        EXPECT_EQ(readBytes(dir / "L.OSw"), (std::vector<std::uint8_t>{1, 2, 3}));
        EXPECT_EQ(dir.names(), (std::vector<std::string>{"L.OSw", "L.ZS2"}));
        host.endNow = false;
        EXPECT_EQ(convert(dir / "L.ZS2").status, SessionOutcome::Status::Converted);
        EXPECT_EQ(readBytes(dir / "L.OSw"), expected("step repeat=1456\n"));
    }
    setFileFaultHook(nullptr);
}

// A target that already holds exactly the new bytes is left alone: nothing is created, written or
// synced, and its time stamp stays. Any difference, at its start, its end or in its length,
// replaces it; --rewrite replaces it regardless, and a check writes nothing at all.
TEST_F(Driver, UpToDateTargetsAreLeftAlone) {
    const char* session = "step repeat=700\n";  // two parts of the converter's buffer
    writeBytes(dir / "U.ZS2", samples::buildSession(session));
    const std::vector<std::uint8_t> bytes = expected(session);
    const auto changed = [&bytes](std::size_t at) {
        std::vector<std::uint8_t> copy = bytes;
        copy[at] ^= 1;
        return copy;
    };
    std::vector<std::uint8_t> longer = bytes;
    longer.push_back(0);
    using Status = SessionOutcome::Status;
    const std::tuple<std::vector<std::uint8_t>, TargetMode, Status> rows[] = {
        {bytes, TargetMode::Write, Status::UpToDate},
        {bytes, TargetMode::Check, Status::UpToDate},
        {bytes, TargetMode::Rewrite, Status::Converted},
        {changed(0), TargetMode::Write, Status::Converted},
        {changed(bytes.size() - 1), TargetMode::Write, Status::Converted},
        {changed(70000), TargetMode::Check, Status::Converted},
        {std::vector(bytes.begin(), bytes.end() - 1), TargetMode::Write, Status::Converted},
        {longer, TargetMode::Write, Status::Converted},
        {{}, TargetMode::Write, Status::Converted},
    };
    std::vector<std::string> operations;
    setFileFaultHook([&](const char* operation, const std::string&) {
        operations.emplace_back(operation);
        return 0;
    });
    const auto past = fs::file_time_type::clock::now() - std::chrono::hours(24);
    const auto open = testing::namesIn(testing::system::kOpenFiles);
    for (const auto& [old, mode, status] : rows) {
        writeBytes(dir / "U.OSw", old);
        fs::last_write_time(toPath(dir / "U.OSw"), past);
        operations.clear();
        const SessionOutcome outcome = convertSessionFile(dir / "U.ZS2", {}, host, mode);
        EXPECT_EQ(std::tuple(outcome.status, outcome.replaced, outcome.steps),
                  std::tuple(status, true, 700));
        const bool written = mode != TargetMode::Check && status == Status::Converted;
        EXPECT_EQ(readBytes(dir / "U.OSw"), written ? bytes : old);
        // Kept to the resolution the file system stores, or that of now.
        const auto age =
            fs::file_time_type::clock::now() - fs::last_write_time(toPath(dir / "U.OSw"));
        EXPECT_EQ(age > std::chrono::hours(23), !written);
        EXPECT_EQ(operations.size() > 1, written);  // reading the source only
        EXPECT_EQ(dir.names(), (std::vector<std::string>{"U.OSw", "U.ZS2"}));
        EXPECT_EQ(testing::namesIn(testing::system::kOpenFiles), open);  // the old target is closed
    }
    setFileFaultHook(nullptr);
    fs::remove(toPath(dir / "U.OSw"));
    EXPECT_FALSE(convertSessionFile(dir / "U.ZS2", {}, host, TargetMode::Check).replaced);
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"U.ZS2"}));
}

TEST_F(Driver, TargetNames) {
    const std::tuple<const char*, const char*, const char*> rows[] = {
        {"/s/Alpha.ZS2", "/s/Alpha.OSw", "/"},
        {"/s/Alpha", "/s/Alpha.OSw", "/"},
        {"/Sessions./Alpha", "/Sessions./Alpha.OSw", "/"},
        {"/s/.ZS2", "/s/.OSw", "/"},
        {"/s/Alpha.", "/s/Alpha.OSw", "/"},
        {"Alpha.zs2", "Alpha.OSw", "/"},
        {".ZS2", ".OSw", "/"},
        {R"(C:\Sessions\Alpha.ZS2)", R"(C:\Sessions\Alpha.OSw)", "\\/"},
        {R"(C:\Sessions\Alpha.old.ZS2)", R"(C:\Sessions\Alpha.old.OSw)", "\\/"},
        {R"(C:\Old.Sessions\Alpha)", R"(C:\Old.Sessions\Alpha.OSw)", "\\/"}};
    for (const auto& [source, target, separators] : rows)
        EXPECT_EQ(targetPathFor(source, separators), target);
    // What a path handed over names: what is on disk first, then the name's kind.
    fs::create_directories(dir.path() / "F.ZS2");
    for (const char* name : {"S.zs2", "A.Za2", "T.OSw"})
        writeBytes(dir / name, {});
    const std::pair<const char*, PathKind> kinds[] = {{"F.ZS2", PathKind::Folder},
                                                      {"S.zs2", PathKind::Session},
                                                      {"A.Za2", PathKind::Album},
                                                      {"T.OSw", PathKind::Other},
                                                      {"M.ZS2", PathKind::Missing}};
    for (const auto& [name, kind] : kinds)
        EXPECT_EQ(pathKindOf(dir / name), kind) << name;
}

// What cannot be converted is reported once, with the file it concerns, and writes nothing (a
// target in the way is refused before any step is converted); a length that is not a whole
// number of records asks whether to go on. Lengths of whole records convert, here to an empty
// target (all-zero records hold no step).
TEST_F(Driver, SourcesThatCannotBeConverted) {
    for (const std::size_t bytes : {0, 44, 45, 46, 90, 32767 * 45})  // the most records read
        writeBytes(dir / std::string("L").append(std::to_string(bytes)).append(".ZS2"),
                   std::vector<std::uint8_t>(bytes));
    fs::create_directories(dir.path() / "Folder.ZS2");
    fs::create_directories(dir.path() / "Dir.OSw");
    writeBytes(dir / "Big.ZS2", std::vector<std::uint8_t>(32768 * kSourceRecordSize, 0));
    for (const char* name : {"Big.OSw", "Many.OSw", "RO.OSw", "Dir.OSw/inside"})
        writeBytes(dir / name, {1, 2, 3});
    fs::permissions(dir.path() / "RO.OSw", fs::perms::owner_read | fs::perms::group_read);
    for (const char* name : {"Same.OSw", "RO.ZS2"})
        writeBytes(dir / name, samples::buildSession("step\n"));
    writeBytes(dir / "Dir.ZS2", samples::buildSession("step duration=___30.0\n"));
    // 8192 steps of four records each would need step number 32768.
    writeBytes(dir / "Many.ZS2",
               samples::buildSession("step duration=20:00.0 channel=0x3C repeat=8192\n"));
    const std::string incompatible = "isn't compatible with current spec.s.\r\n'Open File' aborted";
    using Status = SessionOutcome::Status;
    std::vector<std::tuple<std::string, Status, std::string>> rows = {
        {"L0.ZS2", Status::Converted, ""},
        {"L45.ZS2", Status::Converted, ""},
        {"L90.ZS2", Status::Converted, ""},
        {"L1474515.ZS2", Status::Converted, ""},
        {"L44.ZS2", Status::Rejected, "Data in ...\r\n@L44.ZS2\r\n" + incompatible},
        {"L46.ZS2", Status::Rejected, "Data in ...\r\n@L46.ZS2\r\n" + incompatible},
        {"Missing.ZS2", Status::Failed, "File not found\r\n@Missing.ZS2"},
        {"NoFolder/A.ZS2", Status::Failed, "Path not found\r\n@NoFolder/A.ZS2"},
        {"Same.OSw/A.ZS2", Status::Failed, "Path not found\r\n@Same.OSw/A.ZS2"},  // not a folder
        {"Folder.ZS2", Status::Failed, "Path/File access error\r\n@Folder.ZS2"},
        {"Big.ZS2", Status::Failed, "Overflow\r\n@Big.ZS2"},
        {"Many.ZS2", Status::Failed, "Overflow\r\n@Many.ZS2"},
        {"Same.OSw", Status::Failed, "Path/File access error\r\n@Same.OSw"},
        {"RO.ZS2", Status::Failed, "Permission denied\r\n@RO.OSw"},
        {"Dir.ZS2", Status::Failed, "Path/File access error\r\n@Dir.OSw"},
    };
    for (const auto& [name, text] : testing::system::unreadableSources(dir))
        rows.emplace_back(name, Status::Failed, text);
    const auto before = dir.names();
    for (const FileFaultHook& hook : {FileFaultHook{}, noUnnamedFiles}) {
        setFileFaultHook(hook);
        for (const auto& [name, status, text] : rows) {
            host.messages.clear();
            host.answers = {kAnswerCancel};
            const SessionOutcome outcome = convert(dir / name);
            EXPECT_EQ(outcome.status, status) << name;
            EXPECT_EQ(host.outcomes.back().status, status) << name;
            if (status == Status::Converted) {
                EXPECT_TRUE(readBytes(targetPathFor(dir / name)).empty());
                EXPECT_TRUE(host.messages.empty());
                fs::remove(toPath(targetPathFor(dir / name)));
                continue;
            }
            EXPECT_EQ(dir.names(), before) << name;
            ASSERT_EQ(host.messages.size(), 1U) << name;
            const Message& message = host.messages[0];
            EXPECT_EQ(message.text(), dir.expand(text));
            EXPECT_EQ(message.buttons,
                      status == Status::Rejected ? Buttons::OkCancel : Buttons::Ok);
            EXPECT_EQ(message.title, "");
            EXPECT_EQ(outcome.answer, status == Status::Rejected ? kAnswerCancel : kAnswerOk);
            EXPECT_EQ(outcome.runError ? outcome.runError->description : std::string("none"),
                      status == Status::Failed ? message.lines[0] : "none");
        }
    }
    setFileFaultHook(nullptr);
    for (const char* name : {"Big.OSw", "Many.OSw", "RO.OSw", "Dir.OSw/inside"})
        EXPECT_EQ(readBytes(dir / name), (std::vector<std::uint8_t>{1, 2, 3})) << name;
    EXPECT_EQ(readBytes(dir / "Same.OSw").size(), kSourceRecordSize);
}

// A damaged session must not flood the user: each distinct error of its steps is shown once, as
// it first comes, and counted; the bytes written are those of the whole conversion.
TEST_F(Driver, EachDistinctStepErrorIsShownOnceAndCounted) {
    // Levels past a byte: 16 x 17, and a soft-on ramp that ends at 256 (255 + 17 x 50 / 850).
    const char* damaged =
        "step duration=___30.0 repeat=3\nstep start=10,16,20,0,150\nstep duration=___30.0\n"
        "step duration=1:25.0 start=10,15,20,0,150 end=20,16,10,0,150 channel=0x08\n";
    writeBytes(dir / "S.ZS2", samples::buildSession(damaged));
    // Each error, how often it came and the source record it first came from.
    const std::vector<std::tuple<int, int, int>> expected = {{kInvalidCall, 4, 1},
                                                             {kOverflow, 8, 4}};
    // Twice, as two entries of an album: each conversion shows its own first messages.
    for (int run = 0; run < 2; ++run) {
        host.messages.clear();
        const SessionOutcome outcome = convert(dir / "S.ZS2");
        EXPECT_EQ(readBytes(dir / "S.OSw"), this->expected(damaged));
        ASSERT_EQ(host.messages.size(), 2U);
        ASSERT_EQ(outcome.messages.size(), 2U);  // the outcome holds what was shown
        ASSERT_EQ(outcome.stepErrors.size(), 2U);
        for (std::size_t i = 0; i < 2; ++i) {
            const auto [number, count, record] = expected[i];
            EXPECT_EQ(host.messages[i].text(), describeError(number));
            EXPECT_EQ(outcome.messages[i].text(), host.messages[i].text());
            EXPECT_EQ(host.messages[i].kind, MessageKind::StepError);
            const ErrorTally& tally = outcome.stepErrors[i];
            EXPECT_EQ(std::tuple(tally.number, tally.description, tally.count, tally.firstRecord),
                      std::tuple(number, describeError(number), count, record));
        }
        EXPECT_EQ(outcome.errorCount(), 12);
    }
}

}  // namespace
}  // namespace z2o
