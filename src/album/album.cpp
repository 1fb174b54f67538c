#include "album/album.h"

#include <algorithm>

#include "convert/driver.h"
#include "convert/file_io.h"

namespace z2o {

std::vector<std::string> splitAlbumLines(std::string_view bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(bytes.substr(start));
            break;
        }
        lines.emplace_back(bytes.substr(start, end - start));
        start = end + (bytes.substr(end, 2) == "\r\n" ? 2 : 1);
    }
    return lines;
}

ResolvedEntry resolveWindowsAlbumEntry(std::string_view albumFolder, std::string_view line) {
    const bool absolute =
        line.find(':') != std::string_view::npos && line.find('\\') != std::string_view::npos;
    if (absolute) return {std::string(line), true};
    return {std::string(albumFolder) + std::string(line), true};
}

ResolvedEntry resolvePosixAlbumEntry(std::string_view albumFolder, std::string_view line) {
    if (line.starts_with('/')) return {std::string(line), true};
    if (line.find(':') != std::string_view::npos && line.find('\\') != std::string_view::npos) {
        // C:\Sessions\A.ZS2 names a drive this system does not have.
        return {std::string(line), false};
    }
    // Albums written on Windows separate their folders with "\".
    std::string relative(line);
    std::replace(relative.begin(), relative.end(), '\\', '/');
    return {std::string(albumFolder) + relative, true};
}

ResolvedEntry resolveAlbumEntry(std::string_view albumFolder, std::string_view line) {
#ifdef _WIN32
    return resolveWindowsAlbumEntry(albumFolder, line);
#else
    return resolvePosixAlbumEntry(albumFolder, line);
#endif
}

int AlbumOutcome::converted() const {
    return static_cast<int>(std::count_if(entries.begin(), entries.end(), [](const auto& e) {
        return e.session.status == SessionOutcome::Status::Converted;
    }));
}

int AlbumOutcome::failed() const {
    return static_cast<int>(entries.size()) - converted();
}

namespace {

Message notFoundMessage(const std::string& sourcePath, const std::string& title) {
    return {
        "The session " + sourcePath + "\r\ncould not be found.\r\nNo Orvanel session was created.",
        Buttons::OkCancel, title, MessageKind::SessionNotFound, sourcePath};
}

// `albumMode` is on only while an entry converts, however its conversion ends.
struct AlbumModeGuard {
    ProgramState& state;
    ~AlbumModeGuard() { state.albumMode = false; }
};

}  // namespace

bool convertListedSession(ProgramState& state, Host& host, const std::string& sourcePath,
                          AlbumOutcome& outcome) {
    const AlbumModeGuard guard{state};
    state.albumMode = true;
    state.sourcePath = sourcePath;
    if (!host.processEvents()) {
        outcome.stopped = true;
        return false;
    }
    AlbumEntryOutcome& result = outcome.entries.emplace_back();
    result.sourcePath = sourcePath;
    result.found = true;
    state.lastAnswer = kAnswerYes;
    result.session = runSessionConversion(state, host);
    host.albumSessionDone(sourcePath, result.session);
    if (state.lastAnswer == kAnswerCancel) {
        outcome.stopped = true;
        return false;
    }
    return true;
}

std::optional<RunError> readAlbumEntries(const std::string& albumPath,
                                         std::vector<ResolvedEntry>& entries) {
    std::vector<std::uint8_t> bytes;
    SourceFile album;
    std::optional<RunError> error = album.open(albumPath);
    // A text of paths this long is some other file picked by mistake; do not load it whole.
    if (!error && album.size() > kMaxAlbumBytes) error = runError(kOutOfMemory);
    if (!error) error = album.readAll(bytes);
    if (error) return error;
    const std::size_t lastSeparator = albumPath.find_last_of(kFolderSeparators);
    const std::string albumFolder =
        lastSeparator == std::string::npos ? std::string() : albumPath.substr(0, lastSeparator + 1);
    entries.clear();
    for (const std::string& line : splitAlbumLines(
             std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()))) {
        entries.push_back(resolveAlbumEntry(albumFolder, nameAsUtf8(line)));
    }
    return std::nullopt;
}

AlbumOutcome runAlbumConversion(ProgramState& state, Host& host) {
    CommandHandler handler(state, host);
    AlbumOutcome outcome;

    const std::optional<PickedFile> picked =
        pickFile(state, host, handler,
                 {"Zendrel Album (*.ZA2)|*.ZA2", "*.ZA2", "Select Zendrel album to convert", {}});
    if (!picked) return outcome;
    state.sourcePath = picked->fileName;
    outcome.albumPath = picked->fileName;
    std::vector<ResolvedEntry> entries;
    if (const std::optional<RunError> error = readAlbumEntries(outcome.albumPath, entries)) {
        handler.fail(*error, outcome.albumPath);
        return outcome;
    }

    for (std::size_t i = 0; i < entries.size(); ++i) {
        handler.checkingSession = true;
        handler.errorNumber = 0;
        const ResolvedEntry& entry = entries[i];
        state.sourcePath = entry.path;
        // Named before its existence test, so that a not-found message never shows beside the
        // name of the entry before it.
        host.albumProgress(static_cast<int>(i + 1), static_cast<int>(entries.size()), entry.path);

        // Only "not there" is decided here; any other trouble with the file is reported once,
        // by the conversion that follows.
        if (!entry.reachable) {
            handler.raise(kPathNotFound);
        } else {
            SourceFile test;
            if (const auto error = test.open(entry.path);
                error && (error->number == kFileNotFound || error->number == kPathNotFound)) {
                handler.raise(*error);
            }
        }
        handler.checkingSession = false;

        if (handler.errorNumber == kFileNotFound || handler.errorNumber == kPathNotFound) {
            handler.show(notFoundMessage(entry.path, handler.errorText));
            AlbumEntryOutcome& result = outcome.entries.emplace_back();
            result.sourcePath = entry.path;
            result.session.status = SessionOutcome::Status::Failed;
            if (state.lastAnswer == kAnswerCancel) {
                outcome.stopped = true;
                break;
            }
            continue;
        }
        if (!convertListedSession(state, host, entry.path, outcome)) {
            break;
        }
    }
    return outcome;
}

}  // namespace z2o
