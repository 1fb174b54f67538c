// The album command: reading albums, resolving their entries, and stopping when asked.
#include <gtest/gtest.h>

#include <filesystem>

#include "album/album.h"
#include "album/folder.h"
#include "convert/driver.h"
#include "convert/file_io.h"
#include "session_builder.h"
#include "test_support.h"

namespace z2o {
namespace {

namespace fs = std::filesystem;

TEST(AlbumLines, EveryLineEndAndNothingTrimmed) {
    using Lines = std::vector<std::string>;
    const std::pair<std::string, Lines> rows[] = {
        {"", {}},
        {"A\r\nB\r\n", {"A", "B"}},
        {"A\rB\r", {"A", "B"}},
        {"A\nB", {"A", "B"}},
        {"A\r\n\r\n B \r\nC", {"A", "", " B ", "C"}},
        {"\r\n", {""}},
        {"A\n\rB", {"A", "", "B"}},
        {std::string("A\0B\r\n", 5), {std::string("A\0B", 3)}},
    };
    for (const auto& [bytes, lines] : rows)
        EXPECT_EQ(splitAlbumLines(bytes), lines) << bytes;
}

// Each line resolved by the rule of the system that wrote the album, and on this one.
TEST(AlbumEntries, ResolveByTheRuleOfEachSystem) {
    struct Row {
        const char* line;
        const char* windows;
        const char* posix;  // null: a drive that this system has not got
    };
    const Row rows[] = {
        {R"(C:\Sessions\A.ZS2)", R"(C:\Sessions\A.ZS2)", nullptr},
        {"A.ZS2", R"(C:\Albums\A.ZS2)", "/home/u/Albums/A.ZS2"},
        {R"(Deep\A.ZS2)", R"(C:\Albums\Deep\A.ZS2)", "/home/u/Albums/Deep/A.ZS2"},
        {R"(\A.ZS2)", R"(C:\Albums\\A.ZS2)", "/home/u/Albums//A.ZS2"},
        {"D:A.ZS2", R"(C:\Albums\D:A.ZS2)", "/home/u/Albums/D:A.ZS2"},
        {R"(..\A.ZS2)", R"(C:\Albums\..\A.ZS2)", "/home/u/Albums/../A.ZS2"},
        {"Deep/A.ZS2", R"(C:\Albums\Deep/A.ZS2)", "/home/u/Albums/Deep/A.ZS2"},
        {"/srv/A.ZS2", R"(C:\Albums\/srv/A.ZS2)", "/srv/A.ZS2"},
        {"", R"(C:\Albums\)", "/home/u/Albums/"},
    };
    for (const Row& row : rows) {
        const ResolvedEntry windows = resolveWindowsAlbumEntry(R"(C:\Albums\)", row.line);
        EXPECT_EQ(windows.path, row.windows);
        EXPECT_TRUE(windows.reachable);
        const ResolvedEntry posix = resolvePosixAlbumEntry("/home/u/Albums/", row.line);
        EXPECT_EQ(posix.path, row.posix ? row.posix : row.line);
        EXPECT_EQ(posix.reachable, row.posix != nullptr) << row.line;
    }
}

class Album : public ::testing::Test {
  protected:
    Album() {
        fs::create_directories(dir.path() / "Deep");
        writeBytes(dir / "A.ZS2", samples::buildSession("step\n"));
        writeBytes(dir / "Deep/B.ZS2", samples::buildSession("step\nstep\n"));
        writeBytes(dir / "Short.ZS2", std::vector<std::uint8_t>(46, 0));
    }
    AlbumOutcome convert(const std::string& lines) {
        writeText(dir / "Relax.ZA2", lines);
        host.picks.push_back(dir / "Relax.ZA2");
        return runAlbumConversion(state, host);
    }
    std::vector<std::string> converted(const AlbumOutcome& outcome) {
        std::vector<std::string> names;
        for (const auto& e : outcome.entries) {
            if (e.status == SessionOutcome::Status::Converted) {
                names.push_back(fs::relative(toPath(e.targetPath), dir.path()).generic_string());
            }
        }
        return names;
    }

    TempDir dir;
    ProgramState state;
    ScriptedHost host;
};

TEST_F(Album, ConvertsEveryListedSessionInOrder) {
    state.lastAnswer = kAnswerCancel;  // left by an earlier command: no reason to stop
    const AlbumOutcome outcome = convert("A.ZS2\r\nDeep\\B.ZS2\r\n" + (dir / "A.ZS2"));
    EXPECT_EQ(converted(outcome), (std::vector<std::string>{"A.OSw", "Deep/B.OSw", "A.OSw"}));
    EXPECT_EQ(outcome.converted(), 3);
    EXPECT_EQ(outcome.failed(), 0);
    EXPECT_FALSE(outcome.stopped);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(readBytes(dir / "Deep/B.OSw").size(), 2 * kTargetRecordSize);
    EXPECT_FALSE(state.albumMode);
    EXPECT_EQ(state.lastFolder, dir.path().string());
    ASSERT_EQ(host.dialogs.size(), 1U);
    EXPECT_EQ(host.dialogs[0].filter, "Zendrel Album (*.ZA2)|*.ZA2");
    EXPECT_EQ(host.dialogs[0].defaultExt, "*.ZA2");
    EXPECT_EQ(host.dialogs[0].dialogTitle, "Select Zendrel album to convert");
    EXPECT_EQ(host.dialogs[0].flags, 0x201804U);
    // Pending events run before the dialog and before each session.
    EXPECT_EQ(host.eventsCalls, 4);
    EXPECT_EQ(host.progress.at(1), "2/3 " + (dir / "Deep/B.ZS2"));
}

#ifdef _WIN32
// Each form of line that Windows albums hold, against real files on Windows.
TEST_F(Album, WindowsLinesReachTheirFiles) {
    const std::string here = fromPath(dir.path().filename());
    const std::pair<std::string, std::vector<std::string>> rows[] = {
        {dir / "A.ZS2", {"A.OSw"}},
        {R"(Deep\B.ZS2)", {"Deep/B.OSw"}},
        {R"(.\A.ZS2)", {"A.OSw"}},
        {R"(Deep\..\A.ZS2)", {"A.OSw"}},
        {R"(..\)" + here + R"(\Deep\B.ZS2)", {"Deep/B.OSw"}},
        {"Deep/B.ZS2", {"Deep/B.OSw"}},
        {"D:A.ZS2", {}},
    };
    for (const auto& [line, targets] : rows) {
        host.messages.clear();
        const AlbumOutcome outcome = convert(line);
        EXPECT_EQ(converted(outcome), targets) << line;
        EXPECT_EQ(host.messages.size(), targets.empty() ? 1U : 0U) << line;
        for (const Message& m : host.messages)
            EXPECT_EQ(m.text().substr(0, 12), "The session ") << m.text();
    }
}
#endif

TEST_F(Album, MissingEntryAsksWhetherToGoOn) {
    const std::string lines = "Gone.ZS2\r\nNoFolder\\X.ZS2\r\nA.ZS2\r\n";
    host.answers = {kAnswerOk, kAnswerOk};
    AlbumOutcome outcome = convert(lines);
    EXPECT_EQ(converted(outcome), std::vector<std::string>{"A.OSw"});
    EXPECT_EQ(outcome.failed(), 2);
    ASSERT_EQ(host.messages.size(), 2U);
    EXPECT_EQ(host.messages[0].text(),
              "The session " + (dir / "Gone.ZS2") +
                  "\r\ncould not be found.\r\nNo Orvanel session was created.");
    EXPECT_EQ(host.messages[0].title, "File not found");
    EXPECT_EQ(host.messages[0].buttons, Buttons::OkCancel);
    EXPECT_EQ(host.messages[1].title, "Path not found");
    EXPECT_EQ(state.lastFolder,
              dir.path().string());  // a missing entry's folder is not the dialog's

    fs::remove(dir / "A.OSw");
    host.messages.clear();
    host.answers = {kAnswerCancel};
    outcome = convert(lines);
    EXPECT_TRUE(outcome.stopped);
    EXPECT_EQ(outcome.notFound(), 1);
    EXPECT_EQ(outcome.notReached,
              (std::vector<std::string>{dir / "NoFolder/X.ZS2", dir / "A.ZS2"}));
    EXPECT_EQ(host.messages.size(), 1U);
    EXPECT_FALSE(fs::exists(dir / "A.OSw"));
    EXPECT_FALSE(state.albumMode);
    EXPECT_EQ(state.lastAnswer, kAnswerCancel);
}

TEST_F(Album, CancelOnIncompatibleDataStopsAfterThatSession) {
    host.answers = {kAnswerOk, kAnswerCancel};
    const AlbumOutcome outcome = convert("Short.ZS2\nA.ZS2\nShort.ZS2\nDeep\\B.ZS2\n");
    EXPECT_EQ(converted(outcome), std::vector<std::string>{"A.OSw"});
    EXPECT_TRUE(outcome.stopped);
    EXPECT_EQ(outcome.notReached, std::vector<std::string>{dir / "Deep/B.ZS2"});
    EXPECT_EQ(host.messages.size(), 2U);
    EXPECT_FALSE(fs::exists(dir / "Deep/B.OSw"));
    EXPECT_FALSE(state.albumMode);

    // The session command afterwards shows its dialog as usual.
    runSessionConversion(state, host);
    EXPECT_EQ(host.dialogs.size(), 2U);
}

TEST_F(Album, OddEntriesAreReportedOnceEach) {
    fs::create_directories(dir.path() / "Folder.ZS2");
    const AlbumOutcome outcome = convert("Folder.ZS2\n\nC:\\Sessions\\A.ZS2\nA.ZS2");
    EXPECT_EQ(converted(outcome), std::vector<std::string>{"A.OSw"});
    std::vector<std::string> texts;
    for (const Message& m : host.messages)
        texts.push_back(m.text().substr(0, m.text().find("\r\n")));
    EXPECT_EQ(texts, (std::vector<std::string>{"Path/File access error", "Path/File access error",
                                               "The session C:\\Sessions\\A.ZS2"}));
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"A.OSw", "A.ZS2", "Deep", "Folder.ZS2",
                                                     "Relax.ZA2", "Short.ZS2"}));
}

TEST_F(Album, DialogAndUnreadableAlbums) {
    // Cancel: nothing at all.
    AlbumOutcome outcome = runAlbumConversion(state, host);
    EXPECT_TRUE(outcome.albumPath.empty());
    EXPECT_TRUE(host.messages.empty());
    EXPECT_FALSE(state.albumMode);
    EXPECT_EQ(host.dialogs.back().initDir, host.programFolderPath);

    // An album that is picked but cannot be read: one message, nothing converted.
    fs::create_directories(dir.path() / "Folder.ZA2");
    writeBytes(dir / "Huge.ZA2", {});
    fs::resize_file(dir.path() / "Huge.ZA2", kMaxAlbumBytes + 1);  // sparse: costs no disk
    std::vector<std::pair<std::string, const char*>> albums = {
        {dir / "Folder.ZA2", "Path/File access error"},
        {dir / "Vanished.ZA2", "File not found"},
        {dir / "A.ZS2/Below.ZA2", "Path not found"},
        {dir / "Huge.ZA2", "Out of memory"}};
#ifdef __linux__
    albums.emplace_back("/proc/version", "Device I/O error");  // longer than the size it reports
#endif
    for (const auto& [album, error] : albums) {
        host.messages.clear();
        host.picks.push_back(album);
        outcome = runAlbumConversion(state, host);
        EXPECT_TRUE(outcome.entries.empty());
        ASSERT_EQ(host.messages.size(), 1U) << album;
        EXPECT_EQ(host.messages[0].text(), error + ("\r\n" + album));
        EXPECT_FALSE(state.albumMode);
    }
    // The largest album that is read.
    writeText(dir / "Huge.ZA2", "A.ZS2\r\n");
    fs::resize_file(dir.path() / "Huge.ZA2", kMaxAlbumBytes);
    std::vector<ResolvedEntry> entries;
    EXPECT_FALSE(readAlbumEntries(dir / "Huge.ZA2", entries));
    ASSERT_EQ(entries.size(), 2U);
    EXPECT_EQ(entries[0].path, dir / "A.ZS2");

    // An empty album: nothing converted, nothing shown.
    host.messages.clear();
    outcome = convert("");
    EXPECT_TRUE(outcome.entries.empty());
    EXPECT_TRUE(host.messages.empty());
}

// A folder is a batch as an album is, of the sessions below it in byte order of their paths.
TEST_F(Album, FolderConvertsEverySessionBelowIt) {
    const AlbumOutcome outcome = runFolderConversion(state, host, fromPath(dir.path()));
    EXPECT_EQ(outcome.albumPath, fromPath(dir.path()));
    EXPECT_EQ(converted(outcome), (std::vector<std::string>{"A.OSw", "Deep/B.OSw"}));
    EXPECT_EQ(outcome.failed(), 1);  // Short.ZS2
    EXPECT_EQ(host.progress,
              (std::vector<std::string>{"1/3 " + (dir / "A.ZS2"), "2/3 " + (dir / "Deep/B.ZS2"),
                                        "3/3 " + (dir / "Short.ZS2")}));
    EXPECT_FALSE(state.albumMode);
    EXPECT_TRUE(host.dialogs.empty());

    // A folder that cannot be listed is one message, about that folder.
    host.messages.clear();
    EXPECT_TRUE(runFolderConversion(state, host, dir / "Gone").entries.empty());
    ASSERT_EQ(host.messages.size(), 1U);
    EXPECT_EQ(host.messages[0].subject(), dir / "Gone");
    EXPECT_EQ(host.messages[0].text(), "File not found\r\n" + (dir / "Gone"));
}

TEST_F(Album, EndingTheProgramStopsBeforeTheNextEntry) {
    host.quitAtEventsCall = 3;  // the dialog, the first entry, then the user closes the window
    const AlbumOutcome outcome = convert("A.ZS2\nDeep\\B.ZS2\nA.ZS2\n");
    EXPECT_TRUE(outcome.stopped);
    EXPECT_EQ(converted(outcome), std::vector<std::string>{"A.OSw"});
    // The entry the stop came before is not reached either.
    EXPECT_EQ(outcome.notReached, (std::vector<std::string>{dir / "Deep/B.ZS2", dir / "A.ZS2"}));
    EXPECT_FALSE(fs::exists(dir / "Deep/B.OSw"));
    EXPECT_FALSE(state.albumMode);
    EXPECT_EQ(host.eventsCalls, 3);  // nothing more is asked once the answer is to end
    // A folder ends the same way, and leaves album mode off too.
    EXPECT_TRUE(runFolderConversion(state, host, fromPath(dir.path())).stopped);
    EXPECT_FALSE(state.albumMode);
}

}  // namespace
}  // namespace z2o
