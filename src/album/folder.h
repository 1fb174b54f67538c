// Whole folders of sessions, for libraries kept without albums.
#pragma once

#include <string>
#include <vector>

#include "convert/batch.h"
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

// Converts each session into `batch` in order, asking between sessions whether to stop.
void convertSessions(Batch& batch, const std::vector<std::string>& sessions);

// findSessions, each folder that cannot be read told as a failure of the batch, then
// convertSessions. How many sessions the walk found.
std::size_t convertFolder(Batch& batch, const std::string& folder);

}  // namespace z2o
