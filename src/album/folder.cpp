#include "album/folder.h"

#include <algorithm>
#include <filesystem>

#include "convert/file_io.h"
#include "convert/file_kind.h"

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

void convertSessions(Batch& batch, const std::vector<std::string>& sessions) {
    for (std::size_t i = 0; i < sessions.size(); ++i) {
        if (const StopCause cause = batch.stopHere(); cause != StopCause::None) {
            batch.stop(cause, std::span(sessions).subspan(i));
            return;
        }
        batch.host().batchProgress(static_cast<int>(i + 1), static_cast<int>(sessions.size()),
                                   sessions[i]);
        batch.convert(sessions[i]);
    }
}

std::size_t convertFolder(Batch& batch, const std::string& folder) {
    const FolderScan scan = findSessions(folder);
    for (const FolderProblem& problem : scan.problems)
        batch.fail(problem.error, problem.path);
    convertSessions(batch, scan.sessions);
    return scan.sessions.size();
}

}  // namespace z2o
