// What z2o-convert's command line asks for, and its run as one batch.
#pragma once

#include <string>
#include <vector>

#include "cli/cli_host.h"
#include "convert/batch.h"

namespace z2o::cli {

struct Job {
    enum class Kind { Session, Album, Folder };
    Kind kind = Kind::Session;
    std::string path;  // as the user gave it
};

// A folder or a session, as the path given names it.
Job jobFor(const std::string& path);

struct RunResult {
    BatchOutcome outcome;
    bool emptyFolder = false;  // a folder given held no session
};

// Runs every job in order in one batch, with a summary after each album or folder and one for
// the whole run, until the batch stops.
RunResult runJobs(CliHost& host, const RampSettings& ramp, TargetMode mode,
                  const std::vector<Job>& jobs);

}  // namespace z2o::cli
