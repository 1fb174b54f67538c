#include "album/folder.h"

#include <algorithm>
#include <filesystem>

#include "convert/driver.h"
#include "convert/file_io.h"
#include "convert/file_kind.h"
#include "convert/handler.h"

namespace z2o {
namespace fs = std::filesystem;
namespace {

void walk(const fs::path& folder, FolderScan& scan) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) {
        scan.problems.push_back({fromPath(folder), fromSystemError(ec)});
        return;
    }
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        const fs::path& path = it->path();
        std::error_code statusError;
        if (it->is_symlink(statusError) || !it->is_directory(statusError)) {
            if (fileKindOf(fromPath(path.filename())) == FileKind::Session &&
                it->is_regular_file(statusError)) {
                scan.sessions.push_back(fromPath(path));
            }
        } else {
            walk(path, scan);
        }
    }
    if (ec) scan.problems.push_back({fromPath(folder), fromSystemError(ec)});
}

}  // namespace

FolderScan findSessions(const std::string& folder) {
    FolderScan scan;
    walk(toPath(folder), scan);
    // std::string compares its characters as unsigned bytes.
    std::sort(scan.sessions.begin(), scan.sessions.end());
    return scan;
}

AlbumOutcome runSessionBatch(ProgramState& state, Host& host, const std::string& label,
                             const std::vector<std::string>& sessions) {
    AlbumOutcome outcome;
    outcome.albumPath = label;
    for (std::size_t i = 0; i < sessions.size(); ++i) {
        const std::size_t taken = outcome.entries.size();
        host.albumProgress(static_cast<int>(i + 1), static_cast<int>(sessions.size()), sessions[i]);
        if (!convertListedSession(state, host, sessions[i], outcome)) {
            stopBatch(outcome, sessions, i, taken);
            break;
        }
    }
    return outcome;
}

AlbumOutcome runFolderConversion(ProgramState& state, Host& host, const std::string& folder) {
    const FolderScan scan = findSessions(folder);
    CommandHandler handler(state, host);
    for (const FolderProblem& problem : scan.problems) {
        handler.fail(problem.error, problem.path);
    }
    return runSessionBatch(state, host, folder, scan.sessions);
}

}  // namespace z2o
