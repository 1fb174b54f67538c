#include "album/album.h"

#include <algorithm>

#include "album/album_text.h"
#include "convert/driver.h"
#include "convert/file_io.h"
#include "convert/handler.h"
#include "convert/messages.h"

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

#ifdef _WIN32
constexpr bool kWindowsNames = true;
#else
constexpr bool kWindowsNames = false;
#endif

ResolvedEntry resolveAlbumEntry(std::string_view albumFolder, std::string_view line) {
    if constexpr (kWindowsNames) return resolveWindowsAlbumEntry(albumFolder, line);
    return resolvePosixAlbumEntry(albumFolder, line);
}

namespace {

int countOf(const AlbumOutcome& outcome, SessionOutcome::Status status) {
    return static_cast<int>(std::count_if(outcome.entries.begin(), outcome.entries.end(),
                                          [status](const auto& e) { return e.status == status; }));
}

// `albumMode` is on only while an entry converts, however its conversion ends.
struct AlbumModeGuard {
    ProgramState& state;
    ~AlbumModeGuard() { state.albumMode = false; }
};

// Only "not there" is decided before the conversion; any other trouble with the file is reported
// once, by the conversion itself.
std::optional<RunError> missing(const ResolvedEntry& entry) {
    if (!entry.reachable) return runError(kPathNotFound);
    SourceFile test;
    std::optional<RunError> error = test.open(entry.path);
    if (error && (error->number == kFileNotFound || error->number == kPathNotFound)) return error;
    return std::nullopt;
}

}  // namespace

int AlbumOutcome::converted() const {
    return countOf(*this, SessionOutcome::Status::Converted);
}

int AlbumOutcome::failed() const {
    return static_cast<int>(entries.size()) - converted();
}

int AlbumOutcome::notFound() const {
    return countOf(*this, SessionOutcome::Status::NotFound);
}

bool convertListedSession(ProgramState& state, Host& host, const std::string& sourcePath,
                          AlbumOutcome& outcome) {
    const AlbumModeGuard guard{state};
    state.albumMode = true;
    if (!host.processEvents()) {
        outcome.stopped = true;
        return false;
    }
    state.lastAnswer = kAnswerYes;
    const SessionOutcome& session =
        outcome.entries.emplace_back(convertSessionFile(sourcePath, state.ramp, host));
    if (session.answer != 0) state.lastAnswer = session.answer;
    host.albumSessionDone(session);
    if (state.lastAnswer == kAnswerCancel) {
        outcome.stopped = true;
        return false;
    }
    return true;
}

void stopBatch(AlbumOutcome& outcome, const std::vector<std::string>& sessions, std::size_t current,
               std::size_t takenBefore) {
    outcome.stopped = true;
    const std::size_t first = current + (outcome.entries.size() > takenBefore ? 1 : 0);
    outcome.notReached.assign(sessions.begin() + static_cast<std::ptrdiff_t>(first),
                              sessions.end());
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
    for (const std::string& name :
         albumNames(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()))) {
        entries.push_back(resolveAlbumEntry(albumFolder, name));
    }
    return std::nullopt;
}

AlbumOutcome runAlbumConversion(ProgramState& state, Host& host) {
    CommandHandler handler(state, host);
    const std::optional<PickedFile> picked =
        pickFile(state, host, handler,
                 {"Zendrel Album (*.ZA2)|*.ZA2", "*.ZA2", "Select Zendrel album to convert", {}});
    if (!picked) return {};
    return convertAlbum(state, host, picked->fileName);
}

AlbumOutcome convertAlbum(ProgramState& state, Host& host, const std::string& albumPath) {
    CommandHandler handler(state, host);
    AlbumOutcome outcome;
    outcome.albumPath = albumPath;
    std::vector<ResolvedEntry> entries;
    if (const std::optional<RunError> error = readAlbumEntries(albumPath, entries)) {
        handler.fail(*error, albumPath);
        return outcome;
    }
    std::vector<std::string> paths;
    for (const ResolvedEntry& entry : entries)
        paths.push_back(entry.path);

    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::size_t taken = outcome.entries.size();
        const ResolvedEntry& entry = entries[i];
        // Named before its existence test, so that a not-found message never shows beside the
        // name of the entry before it.
        host.albumProgress(static_cast<int>(i + 1), static_cast<int>(entries.size()), entry.path);
        if (const std::optional<RunError> error = missing(entry)) {
            SessionOutcome& session = outcome.entries.emplace_back();
            session.status = SessionOutcome::Status::NotFound;
            session.sourcePath = entry.path;
            session.runError = error;
            session.messages.push_back(notFoundMessage(*error, entry.path));
            handler.show(session.messages.back());
            session.answer = state.lastAnswer;
            host.albumSessionDone(session);
            if (state.lastAnswer != kAnswerCancel) continue;
        } else if (convertListedSession(state, host, entry.path, outcome)) {
            continue;
        }
        stopBatch(outcome, paths, i, taken);
        break;
    }
    return outcome;
}

}  // namespace z2o
