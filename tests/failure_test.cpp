// Files that fail under the conversion: what the user is told and what is left on disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <tuple>

#include "convert/batch.h"
#include "convert/driver.h"
#include "convert/file_io.h"
#include "samples/session_builder.h"
#include "tests/test_support.h"

namespace z2o {
namespace {

namespace fs = std::filesystem;

const std::vector<std::uint8_t> kOldTarget(777, 0x5A);

class Failures : public ::testing::Test {
  protected:
    Failures() {
        writeBytes(dir / "A.ZS2", samples::buildSession("step channel=0x3C\nstep\n"));
        writeBytes(dir / "A.OSw", kOldTarget);
        setFileFaultHook([this](const char* operation, const std::string& path) {
            if (operation == std::string("sync") || operation == std::string("syncgroup"))
                namesAtSync = dir.names();
            if (operation == std::string("syncfolder")) folderSyncs.push_back(path);
            if (operation == std::string("unnamed") && named) return unnamedRefusal;
            if (operation == std::string("syncgroup") && noGroupSync) return ENOSYS;
            const bool here = faultOnly.empty() || path.find(faultOnly) != std::string::npos;
            return operation == fault && here ? faultError : 0;
        });
        host.onMessage = [this](const Message&) { namesAtMessage = dir.names(); };
    }
    ~Failures() override { setFileFaultHook(nullptr); }
    SessionOutcome convert(const std::string& path) {
        host.messages.clear();
        host.picks.push_back(path);
        return runSessionConversion(state, host);
    }
    // One clear message naming the file, the old target as it was, nothing stray left behind.
    void expectRefused(const SessionOutcome& outcome, int number, const std::string& path) {
        EXPECT_EQ(outcome.status, SessionOutcome::Status::Failed);
        ASSERT_EQ(host.messages.size(), 1U);
        EXPECT_EQ(host.messages[0].text(), describeError(number) + "\r\n" + path);
        EXPECT_EQ(readBytes(dir / "A.OSw"), kOldTarget);
        EXPECT_EQ(dir.names(), (std::vector<std::string>{"A.OSw", "A.ZS2"}));
        EXPECT_EQ(namesAtMessage, dir.names());  // even while the user reads the message
    }

    TempDir dir;
    std::string fault;      // the operation that fails, with `faultError`
    std::string faultOnly;  // on a path that holds this, where not empty
    int faultError = 0;
    bool named = false;  // as where the file system has no unnamed files: a named temporary target
    int unnamedRefusal = EOPNOTSUPP;       // how the system says it has none
    bool noGroupSync = false;              // as where no call syncs a whole file system
    std::vector<std::string> namesAtSync;  // the target's folder as the new target is synced
    std::vector<std::string> folderSyncs;
    std::vector<std::string> namesAtMessage;
    ProgramState state;
    ScriptedHost host;
};

TEST_F(Failures, WriteFailuresLeaveTheTargetAsItWas) {
    // The operation that fails, its errno, and the error the user is told.
    const std::tuple<const char*, int, int> rows[] = {
        {"create", EACCES, kPermissionDenied},
        {"create", EROFS, kPermissionDenied},
        {"write", ENOSPC, kDiskFull},
        {"write", EFBIG, kDiskFull},
        {"write", EIO, kDeviceIoError},
        {testing::system::kGroupSync, EIO, kDeviceIoError},
        {"rename", EACCES, kPermissionDenied},
        {"rename", EXDEV, kPathFileAccessError},
        {"read", EACCES, kPermissionDenied},
        {"read", EIO, kDeviceIoError},
        {"write", testing::system::kQuotaError, kDiskFull},
    };
    for (const int refusal : {0, EOPNOTSUPP, EISDIR, EINVAL}) {
        named = refusal != 0;
        unnamedRefusal = refusal;
        for (const auto& [operation, error, number] : rows) {
            fault = operation;
            faultError = error;
            expectRefused(convert(dir / "A.ZS2"), number,
                          dir / (fault == "read" ? "A.ZS2" : "A.OSw"));
        }
    }
    // Beside the fixed temporary name, held by another run.
    fault.clear();
    fs::create_directories(dir.path() / ".A.OSw.tmp");
    writeBytes(dir / ".A.OSw.tmp/held", kOldTarget);
    for (const bool byName : {false, true}) {
        named = byName;
        writeBytes(dir / "A.OSw", kOldTarget);
        EXPECT_EQ(convert(dir / "A.ZS2").status, SessionOutcome::Status::Converted);
        EXPECT_NE(readBytes(dir / "A.OSw"), kOldTarget);
        EXPECT_EQ(dir.names(), (std::vector<std::string>{".A.OSw.tmp", "A.OSw", "A.ZS2"}));
        // Until it is complete the new target has no name, or a random hidden one of 27 bytes,
        // ".A.OSw.0123456789abcdef.tmp".
        ASSERT_EQ(namesAtSync.size(), named || !testing::system::kUnnamedFiles ? 4U : 3U);
        EXPECT_TRUE(namesAtSync.size() == 3 || namesAtSync[0].size() == 27) << namesAtSync[0];
    }
}

// A batch commits its targets in groups: each folder that received one is synced once per
// group, one that received none (a failed target) not at all; a group whose sync fails names
// none of its targets, keeps every old one and tells each session why.
TEST_F(Failures, BatchesCommitInGroups) {
    for (const char* folder : {"X", "Y"}) {
        fs::create_directories(dir.path() / folder);
        writeBytes(dir / (folder + std::string("/S.ZS2")), samples::buildSession("step\n"));
    }
    const std::string a = dir / "A.ZS2", x = dir / "X/S.ZS2", y = dir / "Y/S.ZS2";
    const std::string inA = fromPath(dir.path()), inX = dir / "X", inY = dir / "Y";
    using Names = std::vector<std::string>;
    using Status = SessionOutcome::Status;
    folderSyncs.clear();
    {
        Batch batch(host, {});
        for (const std::string& source : {a, x, y})
            batch.convert(source);
        fault = "rename";
        faultOnly = inY;
        faultError = EIO;
        EXPECT_EQ(folderSyncs, Names{});
        batch.commit();
        fault.clear();
        faultOnly.clear();
        std::sort(folderSyncs.begin(), folderSyncs.end());
        EXPECT_EQ(folderSyncs, (Names{inA, inX}));
        folderSyncs.clear();
        batch.convert(y);
    }
    EXPECT_EQ(folderSyncs, Names{inY});
    const std::vector<std::uint8_t> converted = readBytes(dir / "A.OSw");
    for (const std::string& source : {a, x, y})
        writeBytes(targetPathFor(source), kOldTarget);
    host.messages.clear();
    fault = testing::system::kGroupSync;
    faultError = EIO;
    Batch batch(host, {});
    for (const std::string& source : {a, x, y})
        batch.convert(source);
    const BatchOutcome outcome = batch.finish();
    ASSERT_EQ(host.messages.size(), 3U);
    for (std::size_t i = 0; i < 3; ++i) {
        // Failed, it names no target.
        EXPECT_EQ(std::tuple(outcome.entries[i].status, outcome.entries[i].targetPath),
                  std::tuple(Status::Failed, ""));
        EXPECT_EQ(host.messages[i].lines[0], "Device I/O error");
        EXPECT_EQ(readBytes(targetPathFor(outcome.entries[i].sourcePath)), kOldTarget);
    }
    EXPECT_EQ(dir.names(), (Names{"A.OSw", "A.ZS2", "X", "Y"}));
    // Where no call syncs a whole file system, each file is synced by itself, and its failure
    // keeps the old target.
    noGroupSync = true;
    fault = "sync";
    EXPECT_EQ(convert(a).status, Status::Failed);
    EXPECT_EQ(host.messages.at(0).text(), "Device I/O error\r\n" + (dir / "A.OSw"));
    EXPECT_EQ(readBytes(dir / "A.OSw"), kOldTarget);
    // A folder the file system refuses to sync: the target is in place all the same.
    fault = "syncfolder";
    faultError = EINVAL;
    EXPECT_EQ(convert(a).status, Status::Converted);
    EXPECT_EQ(readBytes(dir / "A.OSw"), converted);
}

// Run as an ordinary user (scripts/ci-as-user): root reads and writes past permissions.
TEST_F(Failures, PermissionsOfARealUser) {
    if (!testing::system::kPermissionBits)
        GTEST_SKIP() << "no permission bits; a read-only attribute is a driver row";
    if (testing::system::runsAsRoot()) GTEST_SKIP() << "root reads and writes past permissions";
    using P = fs::perms;
    const std::string denied = "Permission denied\r\n@in/A.";
    // The source's and the folder's permissions, and the file refused (none: it converts).
    const std::tuple<P, P, const char*> rows[] = {
        {P::none, P::owner_all, "ZS2"},                            // source unreadable
        {P::owner_read, P::owner_read | P::owner_exec, "OSw"},     // folder not writable
        {P::owner_read, P::owner_read | P::owner_write, "ZS2"},    // not enterable
        {P::owner_read, P::owner_write | P::owner_exec, nullptr},  // enterable, not listable
    };
    const fs::path folder = dir.path() / "in";
    const std::string source = dir / "in/A.ZS2", target = dir / "in/A.OSw";
    for (const auto& [sourcePerms, folderPerms, refused] : rows) {
        fs::create_directories(folder);
        writeBytes(source, samples::buildSession("step\n"));
        writeBytes(target, kOldTarget);
        fs::permissions(folder / "A.ZS2", sourcePerms);
        fs::permissions(folder, folderPerms);
        const SessionOutcome outcome = convert(source);
        fs::permissions(folder, P::owner_all);
        fs::permissions(folder / "A.ZS2", P::owner_all);
        const std::string what = refused ? denied + refused : "converted";
        EXPECT_EQ(testing::namesIn(folder), (std::vector<std::string>{"A.OSw", "A.ZS2"})) << what;
        EXPECT_EQ(outcome.status,
                  refused ? SessionOutcome::Status::Failed : SessionOutcome::Status::Converted)
            << what;
        EXPECT_EQ(host.messages.size(), refused ? 1U : 0U) << what;
        for (const Message& message : host.messages)
            EXPECT_EQ(message.text(), dir.expand(what));
        EXPECT_EQ(readBytes(target) == kOldTarget, refused != nullptr) << what;
        fs::remove_all(folder);
    }
}

}  // namespace
}  // namespace z2o
