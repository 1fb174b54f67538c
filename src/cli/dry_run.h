// z2o-convert --dry-run, and what it shares with a real run: the jobs the command line names.
#pragma once

#include <string>

#include "cli/cli_host.h"

namespace z2o::cli {

struct Job {
    bool album = false;
    std::string path;
};

std::string absolutePath(const std::string& path);

// Names each source that a run would take up and its target, and reports what the run would find
// missing or unreadable, without reading a session or writing anything.
void dryRun(CliHost& host, const Job& job);

}  // namespace z2o::cli
