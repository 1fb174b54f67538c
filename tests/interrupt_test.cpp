// z2o-convert as a POSIX process: killed or interrupted in the middle of a file, the old target
// stays and nothing else is in the folder; disks that fill up or are read-only; a long run keeps no
// file open; without /proc; its progress line on a terminal. Windows has none of these signals,
// limits, mounts or terminals.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <thread>
#include <tuple>

#include "convert/file_io.h"
#include "convert/session.h"
#include "samples/session_builder.h"
#include "tests/test_support.h"

namespace z2o {
namespace {

namespace fs = std::filesystem;
using testing::runProgram;
using testing::Terminal;
using testing::waitForProgram;

const std::vector<std::uint8_t> kOld(777, 0x5A);

// The files a process has open in a folder, by name ("#..." for a file without one), each with
// its offset.
using OpenFiles = std::map<std::string, std::uint64_t>;

// Where the run is in each new target it has open: one being written, or one whole and waiting
// for its group's commit.
std::vector<std::uint64_t> newTargets(const OpenFiles& open) {
    std::vector<std::uint64_t> offsets;
    for (const auto& [name, offset] : open)
        if (name != "L.ZS2" && name != "A.ZA2" && name != "L.OSw") offsets.push_back(offset);
    return offsets;
}

// A session of 8,000 long steps with both ramps: 360,000 bytes read in six parts and about 3.5 MB
// written, time enough to be caught anywhere. The album lists it twice.
class KilledRuns : public ::testing::Test {
  protected:
    KilledRuns() {
        writeBytes(dir / "L.ZS2", source);
        writeText(dir / "A.ZA2", "L.ZS2\nL.ZS2\n");
    }
    int start(const std::vector<std::string>& args) {
        writeBytes(dir / "L.OSw", kOld);
        return testing::startProgram(Z2O_CONVERT, args, fromPath(dir.path()), logs / "out",
                                     logs / "err");
    }
    // Stops the run (SIGSTOP) as soon as `ready` holds of what it has open in the folder, looking
    // every 100 us: what it has open then, or nothing when it ended first.
    std::optional<OpenFiles> stopWhen(int pid, const std::function<bool(const OpenFiles&)>& ready) {
        for (;;) {
            int raw = 0;
            kill(pid, SIGSTOP);
            waitpid(pid, &raw, WUNTRACED);
            if (!WIFSTOPPED(raw)) {
                EXPECT_EQ(raw, 0);
                return std::nullopt;
            }
            OpenFiles open;
            const fs::path proc = "/proc/" + std::to_string(pid);
            for (const auto& fd : fs::directory_iterator(proc / "fd")) {
                std::error_code ec;
                const fs::path file = fs::read_symlink(fd.path(), ec);
                if (ec || file.parent_path() != dir.path()) continue;
                std::ifstream info(proc / "fdinfo" / fd.path().filename());
                std::string label;
                info >> label >> open[file.filename().string()];
            }
            if (ready(open)) return open;
            kill(pid, SIGCONT);
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
    }

    TempDir dir;
    TempDir logs;
    const std::vector<std::uint8_t> source = samples::buildSession(
        "step duration=15:00.0 start=10,3,20,9,150 end=20,15,10,2,170 channel=0x7C "
        "repeat=8000\n");
    const std::vector<std::uint8_t> converted = convertSession(source, {}, [](int) {}).target;
};

// Caught in the middle of a file, with parts of its source still to read: the file is abandoned,
// the old target stays and nothing is left beside it. Interrupted or asked to end, the album ends
// with its summary, what comes after it is not taken up, and the run says what stopped it; killed,
// it can say nothing. Each exits with the signal's status.
TEST_F(KilledRuns, SignalsMidFileLeaveTheOldTargetAndEndTheRunWithItsSummary) {
    const std::string counts = "0 converted, 0 up to date, 0 failed, 0 not found, 1 stopped, ";
    const std::string abandoned =
        ": stopped before its target was complete; an old target stays as it was\n"
        "z2o-convert: stopped by ";
    const std::tuple<int, std::vector<std::string>, std::string, std::string> rows[] = {
        {SIGINT,
         {"--album", "A.ZA2", "--album", "A.ZA2", "L.ZS2"},
         "A.ZA2: " + counts + "1 not reached\ntotal: " + counts + "4 not reached\n",
         "z2o-convert: " + (dir / "L.ZS2") + abandoned + "SIGINT\n"},
        {SIGTERM,
         {"L.ZS2", "L.ZS2"},
         "total: " + counts + "1 not reached\n",
         "z2o-convert: L.ZS2" + abandoned + "SIGTERM\n"},
        {SIGKILL, {"L.ZS2"}, "", ""},
    };
    for (const auto& [signal, args, out, err] : rows) {
        bool interrupted = false;
        for (int attempt = 0; attempt < 50 && !interrupted; ++attempt) {
            const int pid = start(args);
            // Early in the first session; the second's start, with the first whole and waiting,
            // would commit the first.
            const auto early = [this](const OpenFiles& open) {
                const auto targets = newTargets(open);
                return targets.size() == 1 && targets[0] < converted.size() &&
                       open.contains("L.ZS2") && open.at("L.ZS2") + 2 * 65520 < source.size() &&
                       readBytes(dir / "L.OSw") == kOld;
            };
            if (!stopWhen(pid, early)) continue;  // it got past the point before a look
            kill(pid, signal);
            kill(pid, SIGCONT);
            EXPECT_EQ(waitForProgram(pid), 128 + signal);
            EXPECT_EQ(testing::readText(logs / "out"), out);
            EXPECT_EQ(testing::readText(logs / "err"), err);
            EXPECT_EQ(readBytes(dir / "L.OSw"), kOld);
            EXPECT_EQ(dir.names(), (std::vector<std::string>{"A.ZA2", "L.OSw", "L.ZS2"}));
            interrupted = true;
        }
        EXPECT_TRUE(interrupted) << signal;
    }
}

#ifdef __SANITIZE_ADDRESS__
constexpr const char* kNoProc = "";  // the sanitizers read their options from /proc
#else
constexpr const char* kNoProc = "mount -t tmpfs none /proc && ";
#endif

// A small file system that fills up, then made read-only: the old targets stay as they were and
// no new one appears. Then without /proc, where a target goes by a named temporary file: refused
// in the read-only folder for that reason, and replacing a target elsewhere.
TEST(Disks, FullAndReadOnly) {
    // A user and mount namespace of the test's own, where mounting needs no root (Debian allows
    // it).
    if (runProgram("/usr/bin/unshare", {"-rm", "true"}, "/").status != 0)
        GTEST_SKIP() << "no namespaces of our own here";
    TempDir dir;
    // 2,000 steps become 218,000 bytes: more than the disk holds.
    writeBytes(dir / "Big.ZS2", samples::buildSession("step repeat=2000\n"));
    writeBytes(dir / "Small.ZS2", samples::buildSession("step\n"));
    for (const char* name : {"Old.OSw", "Small.OSw"})
        writeBytes(dir / name, kOld);
    const testing::ProgramRun run = runProgram(
        "/usr/bin/unshare",
        {"-rm", "sh", "-c",
         "exec 2>&1; mkdir d && mount -t tmpfs -o size=128k z2o d && cp Big.ZS2 Small.ZS2 d && "
         "cp Small.ZS2 d/New.ZS2 && cp Old.OSw d/Big.OSw && cp Old.OSw d/Small.OSw && "
         "\"$0\" d/Big.ZS2; echo $?; mount -o remount,bind,ro d && \"$0\" d/Small.ZS2 d/New.ZS2; "
         "echo $?; " +
             std::string(kNoProc) + "\"$0\" Small.ZS2 d/New.ZS2; echo $?; " +
             "LC_ALL=C ls -A d && cmp Old.OSw d/Big.OSw && cmp Old.OSw d/Small.OSw",
         Z2O_CONVERT},
        fromPath(dir.path()));
    EXPECT_EQ(run.status, 0);
    // Results and messages share one file here, each in the order of its job.
    EXPECT_EQ(run.out,
              "z2o-convert: d/Big.ZS2: Disk full d/Big.OSw\n1\n"
              "z2o-convert: d/Small.ZS2: Permission denied d/Small.OSw\n"
              "z2o-convert: d/New.ZS2: Permission denied d/New.OSw\n"
              "total: 0 converted, 0 up to date, 2 failed, 0 not found\n1\n"
              "Small.ZS2 -> Small.OSw (1 step)\n"
              "z2o-convert: d/New.ZS2: Permission denied d/New.OSw\n"
              "total: 1 converted, 0 up to date, 1 failed, 0 not found\n1\n"
              "Big.OSw\nBig.ZS2\nNew.ZS2\nSmall.OSw\nSmall.ZS2\n");
    EXPECT_EQ(readBytes(dir / "Small.OSw"),
              convertSession(readBytes(dir / "Small.ZS2"), {}, [](int) {}).target);
    EXPECT_EQ(dir.names(),
              (std::vector<std::string>{"Big.ZS2", "Old.OSw", "Small.OSw", "Small.ZS2", "d"}));
}

// A whole library in one run keeps no file open past its commit, and makes it durable in groups:
// the file system is synced once before any name of its group is given (no file is synced by
// itself), and each folder once after the last name its group gave it. strace shows the calls,
// as only a power cut could show them missing.
TEST(Batch, ALibraryCommitsInGroupsAndSyncsEachFolderAfterItsNames) {
    TempDir dir;
    for (int i = 0; i < 40; ++i) {
        // Twenty folders, more than the files it may have open at once, in the order of a walk.
        const std::string folder = dir / ("lib/" + std::to_string(10 + i % 20));
        fs::create_directories(toPath(folder));
        writeBytes(folder + "/" + std::to_string(i) + ".ZS2", samples::buildSession("step\n"));
    }
    // Not where ptrace is refused, nor under the leak checker, which cannot work traced.
    const bool traces = runProgram("/usr/bin/strace", {Z2O_CONVERT, "-V"}, "/").status == 0;
    const std::string trace = traces ? "strace -qqy -e trace=fsync,syncfs,linkat -o trace " : "";
    const testing::ProgramRun run = runProgram(
        "/bin/sh", {"-c", "ulimit -n 16 && exec " + trace + "\"$0\" --quiet lib", Z2O_CONVERT},
        dir.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "lib: 40 converted, 0 up to date, 0 failed, 0 not found\n");
    if (!traces) GTEST_SKIP() << "strace cannot show the syncs here";
    std::istringstream lines(testing::readText(dir / "trace"));
    std::map<std::string, int> named;  // by folder: names since its last sync
    int groups = 0, names = 0, folders = 0;
    bool synced = false;  // the file system, since the last folder sync
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("syncfs")) {
            EXPECT_FALSE(synced) << "one file system here: one sync a group";
            ++groups;
            synced = true;
        } else if (line.starts_with("linkat")) {
            const std::size_t end = line.rfind('"'), start = line.rfind('"', end - 1) + 1;
            EXPECT_TRUE(synced) << line;
            ++named[fromPath((dir.path() / line.substr(start, end - start)).parent_path())];
            ++names;
        } else {
            const std::string at =
                line.substr(line.find('<') + 1, line.find('>') - line.find('<') - 1);
            EXPECT_GT(named[at], 0) << "a file or a folder synced for nothing: " << line;
            named[at] = 0;
            synced = false;
            ++folders;
        }
    }
    EXPECT_EQ(names, 40);
    for (const auto& [folder, left] : named)
        EXPECT_EQ(left, 0) << folder << " has names after its last sync";
    // A group holds a quarter of the files the process may open.
    EXPECT_GE(groups, 10);
    EXPECT_LE(folders, 2 * groups);
}

// A group whose targets lie on two file systems (a library across two drives) syncs each.
TEST(Batch, EachFileSystemOfAGroupIsSynced) {
    if (runProgram("/usr/bin/unshare", {"-rm", "strace", Z2O_CONVERT, "-V"}, "/").status != 0)
        GTEST_SKIP() << "no namespaces of our own, or no tracing, here";
    TempDir dir;
    writeBytes(dir / "A.ZS2", samples::buildSession("step\n"));
    writeText(dir / "L.ZA2", "A.ZS2\nd/A.ZS2\n");  // one batch, across the mount
    const testing::ProgramRun run = runProgram(
        "/usr/bin/unshare",
        {"-rm", "sh", "-c",
         "mkdir d && mount -t tmpfs z2o d && cp A.ZS2 d && strace -qq -e trace=syncfs -o trace "
         "\"$0\" --quiet --album L.ZA2 && grep -c syncfs trace",
         Z2O_CONVERT},
        dir.path());
    EXPECT_EQ(run.out, "L.ZA2: 2 converted, 0 up to date, 0 failed, 0 not found\n2\n") << run.err;
}

// One line rewritten in place, counting the sessions named (not the folders), cleared before a
// message and at the end; none with --quiet.
TEST(Progress, OneLineOnATerminalClearedBeforeMessages) {
    TempDir dir;
    writeBytes(dir / "A.ZS2", samples::buildSession("step\n"));
    fs::create_directories(dir.path() / "Lib");
    const auto shown = [&dir](const std::vector<std::string>& args,
                              Terminal terminal = Terminal::ForErrors) {
        return runProgram(Z2O_CONVERT, args, fromPath(dir.path()), terminal).err;
    };
    const std::string missing = "z2o-convert: Gone.ZS2: File not found Gone.ZS2";
    EXPECT_EQ(shown({"Gone.ZS2", "Lib", "A.ZS2"}),
              "\rConverting 1 of 2: Gone.ZS2\x1b[K\r\x1b[K" + missing +
                  "\r\nz2o-convert: Lib: no session (.ZS2) below it\r\n"
                  "\rConverting 2 of 2: A.ZS2\x1b[K\r\x1b[K");
    EXPECT_EQ(shown({"--quiet", "A.ZS2", "Gone.ZS2"}), missing + "\r\n");
    // Cleared before each result line too when that goes to the terminal.
    EXPECT_EQ(shown({"A.ZS2", "A.ZS2"}, Terminal::ForBoth),
              "\rConverting 1 of 2: A.ZS2\x1b[K\r\x1b[KA.ZS2 -> A.OSw (up to date, 1 step)\r\n"
              "\rConverting 2 of 2: A.ZS2\x1b[K\r\x1b[KA.ZS2 -> A.OSw (up to date, 1 step)\r\n"
              "total: 0 converted, 2 up to date, 0 failed, 0 not found\r\n");
}

}  // namespace
}  // namespace z2o
