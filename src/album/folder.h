// Whole folders of sessions, for libraries kept without albums.
#pragma once

#include <string>
#include <vector>

#include "album/album.h"
#include "convert/errors.h"

namespace z2o {

struct FolderProblem {
    std::string path;
    RunError error;
};

struct FolderScan {
    std::vector<std::string> sessions;    // in byte order of their paths
    std::vector<FolderProblem> problems;  // folders that could not be read
};

// Every plain file below `folder` whose name ends in ".ZS2" in any letter case. Links to folders
// are not followed, so a link loop cannot trap the walk; links to files are taken.
FolderScan findSessions(const std::string& folder);

// Converts each session as an album entry is converted: no dialog, `albumMode` on, and Cancel
// in a message stops the batch. `label` names the batch in the outcome.
AlbumOutcome runSessionBatch(ProgramState& state, Host& host, const std::string& label,
                             const std::vector<std::string>& sessions);

// findSessions, each unreadable folder reported as a failure, then runSessionBatch.
AlbumOutcome runFolderConversion(ProgramState& state, Host& host, const std::string& folder);

}  // namespace z2o
