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
// end counts, nothing is trimmed and empty lines are kept (albumNames passes them over).
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

struct AlbumOutcome {
    std::string albumPath;                // empty when the dialog was cancelled
    std::vector<SessionOutcome> entries;  // each entry taken up, found or not
    bool stopped = false;                 // the user chose Cancel, or the program is ending
    std::vector<std::string> notReached;  // the entries a stop left unconverted, in order
    int converted() const;
    int failed() const;
    int notFound() const;
};

inline constexpr std::uint64_t kMaxAlbumBytes = 64ULL << 20;

// The command: picks an album in the open dialog and converts it.
AlbumOutcome runAlbumConversion(ProgramState& state, Host& host);

// Converts every session the album at `albumPath` lists, in order: an entry that is not there
// asks whether to go on, and Cancel in any message stops the album.
AlbumOutcome convertAlbum(ProgramState& state, Host& host, const std::string& albumPath);

// The entries of the album at `albumPath`, resolved against its folder, as the album command
// takes them up, appended to `entries` (which its callers hand over empty); an error when the
// album cannot be read.
std::optional<RunError> readAlbumEntries(const std::string& albumPath,
                                         std::vector<ResolvedEntry>& entries);

// One session of a batch, found to exist: its outcome joins `outcome`. Pending events run
// first; false when the batch is to stop (Cancel in a message, or the program is ending).
bool convertListedSession(ProgramState& state, Host& host, const std::string& sourcePath,
                          AlbumOutcome& outcome);

// Stops a batch at `sessions[current]`, which is listed as not reached unless it was taken up
// (the outcome then holds more than `takenBefore` entries), as are all after it.
void stopBatch(AlbumOutcome& outcome, const std::vector<std::string>& sessions, std::size_t current,
               std::size_t takenBefore);

}  // namespace z2o
