// z2o-convert as a POSIX process: killed or interrupted, the target is left old or new and nothing
// else is in the folder; a long run keeps no file open; without /proc; its progress line on a
// terminal. Windows has none of these signals, limits or terminals.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <random>
#include <thread>

#include "convert/session.h"
#include "session_builder.h"
#include "test_support.h"

namespace z2o {
namespace {

using testing::waitForProgram;

// Starts the tool with its output in `logs`, away from the folder under test: its process id.
int start(const TempDir& logs, const std::vector<std::string>& args) {
    return testing::startProgram(Z2O_CONVERT, args, ".", logs / "out", logs / "err");
}

// A session of 8,000 long steps with both ramps: about 3.5 MB to write, time enough to be hit.
class KilledRuns : public ::testing::Test {
  protected:
    KilledRuns() {
        writeBytes(dir / "L.ZS2", source);
        writeBytes(dir / "L.OSw", kOld);
    }
    void expectOldOrNewAndNothingElse(const std::vector<std::string>& names) {
        const std::vector<std::uint8_t> target = readBytes(dir / "L.OSw");
        EXPECT_TRUE(target == kOld || target == converted);
        EXPECT_EQ(dir.names(), names);
    }

    const std::vector<std::uint8_t> source = samples::buildSession(
        "step duration=15:00.0 start=10,3,20,9,150 end=20,15,10,2,170 channel=0x7C "
        "repeat=8000\n");
    const std::vector<std::uint8_t> converted = convertSession(source, {}, [](int) {}).target;
    const std::vector<std::uint8_t> kOld = std::vector<std::uint8_t>(777, 0x5A);
    TempDir dir;
    TempDir logs;
};

TEST_F(KilledRuns, SigkillAnywhereLeavesTheOldOrTheNewTarget) {
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(waitForProgram(start(logs, {dir / "L.ZS2"})), 0);
    const auto lasted = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - begin);
    std::mt19937 random(3);
    for (int run = 0; run < 30; ++run) {
        writeBytes(dir / "L.OSw", kOld);
        const int started = start(logs, {dir / "L.ZS2"});
        std::this_thread::sleep_for(std::chrono::microseconds(
            std::uniform_int_distribution<long>(0, lasted.count() * 5 / 4)(random)));
        kill(started, SIGKILL);
        waitForProgram(started);
        // Killed between putting the new target under its hidden name and renaming it: that
        // name holds the whole new target, and the next conversion clears it.
        const std::string leftover = dir / ".L.OSw.tmp";
        if (std::filesystem::exists(leftover)) {
            EXPECT_EQ(readBytes(leftover), converted);
            expectOldOrNewAndNothingElse({".L.OSw.tmp", "L.OSw", "L.ZS2"});
            EXPECT_EQ(waitForProgram(start(logs, {dir / "L.ZS2"})), 0);
        }
        expectOldOrNewAndNothingElse({"L.OSw", "L.ZS2"});
    }
}

TEST_F(KilledRuns, SigintAndSigtermEndTheRunWithItsSummary) {
    std::string album;
    for (int i = 0; i < 40; ++i)
        album += "L.ZS2\r\n";
    writeBytes(dir / "A.ZA2", std::vector<std::uint8_t>(album.begin(), album.end()));
    for (const int signal : {SIGINT, SIGTERM}) {
        const int run = start(logs, {"--album", dir / "A.ZA2"});
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        kill(run, signal);
        EXPECT_EQ(waitForProgram(run), 128 + signal);
        const std::string out = testing::readText(logs / "out");
        EXPECT_NE(out.find((dir / "A.ZA2") + ": "), std::string::npos) << out;
        EXPECT_EQ(out.find("40 converted"), std::string::npos);
        expectOldOrNewAndNothingElse({"A.ZA2", "L.OSw", "L.ZS2"});
    }
}

// What a terminal shows of standard error, and of standard output unless it goes to a file.
std::string onTerminal(const TempDir& dir, std::vector<std::string> args, bool outputToo = false) {
    int terminal = -1;
    const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (pid == 0) {
        const int out = outputToo ? 1 : open((dir / ".out").c_str(), O_WRONLY | O_CREAT, 0644);
        if (out < 0 || dup2(out, 1) < 0 || chdir(dir.path().c_str()) != 0) _exit(127);
        std::vector<char*> argv{const_cast<char*>(Z2O_CONVERT)};
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        execv(Z2O_CONVERT, argv.data());
        _exit(127);
    }
    std::string shown;
    char buffer[256];
    for (ssize_t n; (n = read(terminal, buffer, sizeof buffer)) > 0;)
        shown.append(buffer, static_cast<std::size_t>(n));
    close(terminal);
    waitpid(pid, nullptr, 0);
    return shown;
}

// A whole library in one run keeps no file open past its conversion.
TEST(Batch, ALongRunKeepsNoFileOpen) {
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "lib");
    for (int i = 0; i < 40; ++i)
        writeBytes(dir / ("lib/" + std::to_string(i) + ".ZS2"), samples::buildSession("step\n"));
    const testing::ProgramRun run = testing::runProgram(
        "/bin/sh", {"-c", "ulimit -n 16 && exec \"$0\" --quiet lib", Z2O_CONVERT}, dir.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "lib: 40 converted, 0 failed\n");
}

// Where /proc is missing, an ordinary user's target goes by a named temporary file.
TEST(Batch, WithoutProcAnOrdinaryUserReplacesATarget) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to hide /proc and then give up root";
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the sanitizers read their options from /proc";
#endif
    TempDir dir;
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    const auto session = samples::buildSession("step\n");
    writeBytes(dir / "A.ZS2", session);
    writeBytes(dir / "A.OSw", {1, 2, 3});
    const testing::ProgramRun run = testing::runProgram(
        "/usr/bin/unshare",
        {"--mount", "--fork", "sh", "-c",
         "mount -t tmpfs none /proc && exec setpriv --reuid=65534 --regid=65534 --clear-groups "
         "\"$0\" \"$@\"",
         Z2O_CONVERT, "A.ZS2"},
        dir.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readBytes(dir / "A.OSw"), convertSession(session, {}, [](int) {}).target);
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"A.OSw", "A.ZS2"}));
}

// One line rewritten in place, counting the sessions named (not the folders), cleared before a
// message and at the end; none with --quiet.
TEST(Progress, OneLineOnATerminalClearedBeforeMessages) {
    TempDir dir;
    writeBytes(dir / "A.ZS2", samples::buildSession("step\n"));
    std::filesystem::create_directories(dir.path() / "Lib");
    const std::string missing = "z2o-convert: Gone.ZS2: File not found " + (dir / "Gone.ZS2");
    EXPECT_EQ(onTerminal(dir, {"A.ZS2", "Lib", "Gone.ZS2"}),
              "\rConverting 1 of 2: A.ZS2\x1b[K\rConverting 2 of 2: Gone.ZS2\x1b[K\r\x1b[K" +
                  missing + "\r\n");
    EXPECT_EQ(onTerminal(dir, {"--quiet", "A.ZS2", "Gone.ZS2"}), missing + "\r\n");
    // Cleared before each result line too when that goes to the terminal.
    EXPECT_EQ(onTerminal(dir, {"A.ZS2", "A.ZS2"}, true),
              "\rConverting 1 of 2: A.ZS2\x1b[K\r\x1b[KA.ZS2 -> A.OSw (1 steps)\r\n"
              "\rConverting 2 of 2: A.ZS2\x1b[K\r\x1b[KA.ZS2 -> A.OSw (1 steps)\r\n");
}

}  // namespace
}  // namespace z2o
