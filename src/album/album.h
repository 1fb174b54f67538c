// The command "Convert Zendrel Album": converts every session that a ZA2 album lists.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/errors.h"
#include "convert/host.h"

namespace z2o {

// Lines of an album's bytes: CR LF, a lone CR or a lone LF ends a line, a last line without an
// end counts, nothing is trimmed and blank lines are entries too.
std::vector<std::string> splitAlbumLines(std::string_view bytes);

struct ResolvedEntry {
    std::string path;
    bool reachable = true;  // false: a form that cannot name a file on this system
};

// Resolves an album line against the album's folder (which ends with its separator).
ResolvedEntry resolveAlbumEntry(std::string_view albumFolder, std::string_view line);
// The same by the rule of the system that wrote the album: absolute when the line holds both
// ":" and "\", else the folder followed by the line, nothing added or removed.
ResolvedEntry resolveWindowsAlbumEntry(std::string_view albumFolder, std::string_view line);
ResolvedEntry resolvePosixAlbumEntry(std::string_view albumFolder, std::string_view line);

struct AlbumEntryOutcome {
    std::string sourcePath;
    bool found = false;
    SessionOutcome session;
};

struct AlbumOutcome {
    std::string albumPath;  // empty when the dialog was cancelled
    std::vector<AlbumEntryOutcome> entries;
    bool stopped = false;  // the user chose Cancel, or the program is ending
    int converted() const;
    int failed() const;
};

inline constexpr std::uint64_t kMaxAlbumBytes = 64ULL << 20;

AlbumOutcome runAlbumConversion(ProgramState& state, Host& host);

// The entries of the album at `albumPath`, resolved against its folder, as the album command
// takes them up; an error when the album cannot be read.
std::optional<RunError> readAlbumEntries(const std::string& albumPath,
                                         std::vector<ResolvedEntry>& entries);

// One session of a batch, found to exist: its outcome joins `outcome`. Pending events run
// first; false when the batch is to stop (Cancel in a message, or the program is ending).
bool convertListedSession(ProgramState& state, Host& host, const std::string& sourcePath,
                          AlbumOutcome& outcome);

}  // namespace z2o
