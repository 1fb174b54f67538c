#include "album/album.h"

#include <algorithm>

#include "album/album_text.h"
#include "convert/driver.h"
#include "convert/file_io.h"
#include "convert/messages.h"
#include "convert/pick_file.h"

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

// Only "not there" is decided before the conversion; any other trouble with the file is reported
// once, by the conversion itself.
std::optional<RunError> entryMissing(const ResolvedEntry& entry) {
    if (!entry.reachable) return runError(kPathNotFound);
    SourceFile test;
    std::optional<RunError> error = test.open(entry.path);
    if (error && (error->number == kFileNotFound || error->number == kPathNotFound)) return error;
    return std::nullopt;
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

BatchOutcome runAlbumConversion(ProgramState& state, Host& host) {
    const std::optional<PickedFile> picked = pickFile(
        state, host, {"Zendrel Album", "*.ZA2", "*.ZA2", "Select Zendrel album to convert", {}});
    if (!picked) return {};
    Batch batch(host, state.ramp);
    convertAlbum(state, batch, picked->fileName);
    BatchOutcome outcome = batch.finish();
    outcome.label = picked->fileName;
    return outcome;
}

namespace {

// One entry: the not-found question, or the conversion. The answer to its last message lands
// in `lastAnswer`, read here alone: Cancel stops the album.
bool convertEntry(ProgramState& state, Batch& batch, const ResolvedEntry& entry) {
    state.lastAnswer = kAnswerYes;
    static const std::string kCancelStops =
        "Cancel stops the album: the sessions after this one are not converted.";
    const std::optional<RunError> missing = entryMissing(entry);
    const std::int32_t answer = missing ? batch.notFound(entry.path, *missing, kCancelStops)
                                        : batch.convert(entry.path, kCancelStops);
    if (answer != 0) state.lastAnswer = answer;
    return state.lastAnswer != kAnswerCancel;
}

}  // namespace

void convertAlbum(ProgramState& state, Batch& batch, const std::string& albumPath) {
    std::vector<ResolvedEntry> entries;
    if (const std::optional<RunError> error = readAlbumEntries(albumPath, entries)) {
        batch.fail(*error, albumPath);
        return;
    }
    std::vector<std::string> paths;
    for (const ResolvedEntry& entry : entries)
        paths.push_back(entry.path);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (const StopCause cause = batch.stopHere(); cause != StopCause::None) {
            batch.stop(cause, std::span(paths).subspan(i));
            break;
        }
        // Named before its existence test, so that a not-found message never shows beside the
        // name of the entry before it.
        batch.host().batchProgress(static_cast<int>(i + 1), static_cast<int>(entries.size()),
                                   entries[i].path);
        if (!convertEntry(state, batch, entries[i])) {
            batch.stop(StopCause::Cancel, std::span(paths).subspan(i + 1));
            break;
        }
    }
}

}  // namespace z2o
