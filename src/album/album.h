// The command "Convert Zendrel Album": converts every session that a ZA2 album lists.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/batch.h"
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

inline constexpr std::uint64_t kMaxAlbumBytes = 64ULL << 20;

// The command: picks an album in the open dialog and converts it, with its messages asking as
// they always did. The outcome's label is empty when the dialog was cancelled.
BatchOutcome runAlbumConversion(ProgramState& state, Host& host);

// Converts every session the album at `albumPath` lists into `batch`, in order: an entry that is
// not there is told (and asks whether to go on), and Cancel in any message stops the album, as
// does a stop the host asks for between sessions.
void convertAlbum(ProgramState& state, Batch& batch, const std::string& albumPath);

// The entries of the album at `albumPath`, resolved against its folder, as the album command
// takes them up, appended to `entries` (which its callers hand over empty); an error when the
// album cannot be read.
std::optional<RunError> readAlbumEntries(const std::string& albumPath,
                                         std::vector<ResolvedEntry>& entries);

// Whether an entry is not there, decided before its conversion; any other trouble with the file
// is for the conversion itself to find and report.
std::optional<RunError> entryMissing(const ResolvedEntry& entry);

}  // namespace z2o
