// The album command: reading albums, resolving their entries, and stopping when asked.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "album/album.h"
#include "album/album_text.h"
#include "album/folder.h"
#include "convert/driver.h"
#include "convert/file_io.h"
#include "samples/session_builder.h"
#include "tests/test_support.h"

namespace z2o {
namespace {

namespace fs = std::filesystem;

// Each line resolved by the rule of the system that wrote the album, and on this one.
TEST(AlbumEntries, ResolveByTheRuleOfEachSystem) {
    // A line, as Windows resolves it, and as POSIX does (null: a drive this system has not got).
    const std::tuple<const char*, const char*, const char*> rows[] = {
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
    for (const auto& [line, windows, posix] : rows) {
        const ResolvedEntry onWindows = resolveWindowsAlbumEntry(R"(C:\Albums\)", line);
        EXPECT_EQ(std::tuple(onWindows.path, onWindows.reachable), std::tuple(windows, true));
        const ResolvedEntry onPosix = resolvePosixAlbumEntry("/home/u/Albums/", line);
        EXPECT_EQ(std::tuple(onPosix.path, onPosix.reachable),
                  std::tuple(posix ? posix : line, posix != nullptr))
            << line;
    }
}

using Names = std::vector<std::string>;

// A library to convert albums of, with the state of a run of the program and its host.
struct Library {
    Library() {
        fs::create_directories(dir.path() / "Deep");
        writeBytes(dir / "A.ZS2", samples::buildSession("step\n"));
        writeBytes(dir / "Deep/B.ZS2", samples::buildSession("step\nstep\n"));
        writeBytes(dir / "Short.ZS2", std::vector<std::uint8_t>(46, 0));
    }
    BatchOutcome convert(const std::string& lines) {
        writeText(dir / "Relax.ZA2", lines);
        host.picks.push_back(dir / "Relax.ZA2");
        return runAlbumConversion(state, host);
    }
    Names converted(const BatchOutcome& outcome) {
        Names names;
        for (const auto& e : outcome.entries)
            if (e.succeeded())
                names.push_back(fs::relative(toPath(e.targetPath), dir.path()).generic_string());
        return names;
    }

    TempDir dir;
    ProgramState state;
    ScriptedHost host;
};

class Album : public ::testing::Test, protected Library {};

// `names` joined by ", ".
std::string joined(const Names& names) {
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

// Every kind of entry, and each way a batch stops: Cancel in a message, or the program ending.
TEST(AlbumRuns, EveryEntryInOrderUntilStopped) {
    struct Row {
        std::string lines;
        const char* answers;  // to OK/Cancel messages, in order: O or C
        int stopAt;           // the events call from which the user asks to stop; 0: never
        int events;           // pending events ran before the dialog and before each entry
        std::string converted, notReached, messages;  // each message: its title and first line
    };
    const std::string gone = "Gone.ZS2\r\nNoFolder\\X.ZS2\r\nA.ZS2\r\n";
    const std::string goneMessage = "File not found: The session @Gone.ZS2";
    const Row rows[] = {
        {"A.ZS2\r\nDeep\\B.ZS2\r\n@A.ZS2", "", 0, 4, "A.OSw, Deep/B.OSw, A.OSw", "", ""},
        {gone, "OO", 0, 4, "A.OSw", "",
         goneMessage + ", Path not found: The session @NoFolder/X.ZS2"},
        {gone, "C", 0, 2, "", "@NoFolder/X.ZS2, @A.ZS2", goneMessage},
        {"A.ZS2\r\nGone.ZS2", "O", 0, 3, "A.OSw", "", goneMessage},
        // Cancel to data that is not whole records stops after that session.
        {"Short.ZS2\nA.ZS2\nShort.ZS2\nDeep\\B.ZS2\n", "OC", 0, 4, "A.OSw", "@Deep/B.ZS2",
         "Data in ..., Data in ..."},
        // A folder and a drive, each reported once; the empty line between them names nothing.
        {"Folder.ZS2\n\nC:\\Sessions\\A.ZS2\nA.ZS2", "", 0, 4, "A.OSw", "",
         "Path/File access error, Path not found: The session C:\\Sessions\\A.ZS2"},
        // The dialog, the first entry, then the user asks to stop: the entry the stop came before
        // is not reached either, and nothing more is asked.
        {"A.ZS2\nDeep\\B.ZS2\nA.ZS2\n", "", 3, 3, "A.OSw", "@Deep/B.ZS2, @A.ZS2", ""},
        {"", "", 0, 1, "", "", ""},
    };
    for (const Row& row : rows) {
        Library album;
        fs::create_directories(album.dir.path() / "Folder.ZS2");
        for (const char* a = row.answers; *a; ++a)
            album.host.answers.push_back(*a == 'O' ? kAnswerOk : kAnswerCancel);
        album.host.stopAtEventsCall = row.stopAt;
        // Its messages wait for the user: nothing converted before one waits uncommitted.
        album.host.asks = true;
        // Each question says that Cancel stops the album.
        album.host.onMessage = [&album](const Message& m) {
            EXPECT_EQ(album.host.outcomes.size() + 1, album.host.progress.size());
            EXPECT_EQ(m.cancelStops.empty(), m.buttons == Buttons::Ok);
        };
        album.state.lastAnswer = kAnswerCancel;  // left by an earlier command: no reason to stop
        const std::string lines = album.dir.expand(row.lines);
        const BatchOutcome outcome = album.convert(lines);
        // Each entry is named as it is taken up, before anything is shown about it, and told done.
        for (std::size_t i = 0; i < outcome.entries.size(); ++i)
            EXPECT_EQ(album.host.progress.at(i), std::to_string(i + 1) + "/" +
                                                     std::to_string(albumNames(lines).size()) +
                                                     " " + album.host.outcomes.at(i).sourcePath);
        EXPECT_EQ(joined(album.converted(outcome)), row.converted) << row.lines;
        // A missing entry's outcome holds the answer to its question, as a conversion's does, and
        // why it was not found.
        for (const SessionOutcome& entry : outcome.entries) {
            const bool told =
                !entry.messages.empty() && entry.messages[0].kind == MessageKind::SessionNotFound;
            EXPECT_EQ(entry.status == SessionOutcome::Status::NotFound, told) << row.lines;
            if (!told) continue;
            EXPECT_TRUE(entry.answer == kAnswerOk || entry.answer == kAnswerCancel) << row.lines;
            EXPECT_EQ(entry.runError ? entry.runError->description : "", entry.messages[0].title)
                << row.lines;
        }
        EXPECT_EQ(joined(outcome.notReached), album.dir.expand(row.notReached)) << row.lines;
        EXPECT_EQ(outcome.stop != StopCause::None, !row.notReached.empty()) << row.lines;
        Names messages;
        for (const Message& m : album.host.messages) {
            messages.push_back((m.title.empty() ? "" : m.title + ": ") + m.lines[0]);
            if (m.kind != MessageKind::SessionNotFound) continue;
            EXPECT_EQ(m.text(),
                      m.lines[0] + "\r\ncould not be found.\r\nNo Orvanel session was created.");
            EXPECT_EQ(m.buttons, Buttons::OkCancel);
        }
        EXPECT_EQ(joined(messages), album.dir.expand(row.messages)) << row.lines;
        EXPECT_EQ(album.host.eventsCalls, row.events) << row.lines;
        // A missing entry's folder is not the dialog's; the session command afterwards shows its
        // dialog as usual.
        EXPECT_EQ(album.state.lastFolder, album.dir.path().string());
        runSessionConversion(album.state, album.host);
        EXPECT_EQ(album.host.dialogs.size(), 2U);
    }
}

TEST_F(Album, DialogAndUnreadableAlbums) {
    // Cancel: nothing at all.
    BatchOutcome outcome = runAlbumConversion(state, host);
    EXPECT_EQ(std::tuple(outcome.label, host.messages.size()), std::tuple("", 0U));
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
    if (const auto grows = testing::system::growingFile())
        albums.emplace_back(*grows, "Device I/O error");
    for (const auto& [album, error] : albums) {
        host.messages.clear();
        host.picks.push_back(album);
        outcome = runAlbumConversion(state, host);
        EXPECT_EQ(std::tuple(outcome.label, outcome.entries.size()), std::tuple(album, 0U));
        ASSERT_EQ(host.messages.size(), 1U) << album;
        EXPECT_EQ(host.messages[0].text(), error + ("\r\n" + album));
    }
    // The largest album that is read.
    writeText(dir / "Huge.ZA2", "A.ZS2\r\n");
    fs::resize_file(dir.path() / "Huge.ZA2", kMaxAlbumBytes);
    std::vector<ResolvedEntry> entries;
    EXPECT_FALSE(readAlbumEntries(dir / "Huge.ZA2", entries));
    ASSERT_EQ(entries.size(), 2U);
    EXPECT_EQ(entries[0].path, dir / "A.ZS2");
}

// A folder is a batch as an album is, of the sessions below it in byte order of their paths.
TEST_F(Album, FolderConvertsEverySessionBelowIt) {
    const auto folder = [this](const std::string& path, const std::string& before = {}) {
        Batch batch(host, {});
        if (!before.empty()) batch.convert(before);
        convertFolder(batch, path);
        return batch.finish();
    };
    const BatchOutcome outcome = folder(fromPath(dir.path()));
    EXPECT_EQ(converted(outcome), (std::vector<std::string>{"A.OSw", "Deep/B.OSw"}));
    EXPECT_EQ(outcome.counts().failed, 1);  // Short.ZS2
    EXPECT_EQ(host.progress,
              (std::vector<std::string>{"1/3 " + (dir / "A.ZS2"), "2/3 " + (dir / "Deep/B.ZS2"),
                                        "3/3 " + (dir / "Short.ZS2")}));
    EXPECT_TRUE(host.dialogs.empty());

    // A folder that cannot be listed is one message, about that folder; a session converted
    // before it in the batch is in place by the time the message waits for the user.
    host.messages.clear();
    host.asks = true;
    fs::remove(dir.path() / "A.OSw");
    host.onMessage = [this](const Message&) { EXPECT_TRUE(fs::exists(dir.path() / "A.OSw")); };
    const BatchOutcome gone = folder(dir / "Gone", dir / "A.ZS2");
    EXPECT_EQ(std::tuple(gone.entries.size(), gone.problems.size()), std::tuple(1U, 1U));
    ASSERT_EQ(host.messages.size(), 1U);
    EXPECT_EQ(host.messages[0].subject(), dir / "Gone");
    EXPECT_EQ(host.messages[0].text(), "File not found\r\n" + (dir / "Gone"));
    // The user asks to stop before the first session: none is reached.
    host.stopAtEventsCall = host.eventsCalls + 1;
    EXPECT_EQ(folder(fromPath(dir.path())).notReached.size(), 3U);
}

}  // namespace
}  // namespace z2o
