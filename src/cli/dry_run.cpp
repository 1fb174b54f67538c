#include "cli/dry_run.h"

#include <filesystem>

#include "album/folder.h"
#include "convert/driver.h"
#include "convert/file_io.h"
#include "convert/messages.h"

namespace z2o::cli {
namespace {

// What a conversion would report of a file that cannot be read, or of a missing album entry.
void reportFailure(CliHost& host, const RunError& error, const std::string& path) {
    host.showMessage(failureMessage(error, path, path));
}

void reportNotFound(CliHost& host, const RunError& error, const std::string& path) {
    host.showMessage(notFoundMessage(error, path));
}

}  // namespace

std::string absolutePath(const std::string& path) {
    std::error_code ec;
    return fromPath(std::filesystem::absolute(toPath(path), ec));
}

void dryRun(CliHost& host, const Job& job) {
    if (job.album) {
        const std::string album = absolutePath(job.path);
        std::vector<ResolvedEntry> entries;
        if (const std::optional<RunError> error = readAlbumEntries(album, entries)) {
            reportFailure(host, *error, album);
        }
        for (const ResolvedEntry& entry : entries) {
            SourceFile file;
            const std::optional<RunError> error =
                entry.reachable ? file.open(entry.path) : runError(kPathNotFound);
            if (error && (error->number == kFileNotFound || error->number == kPathNotFound)) {
                reportNotFound(host, *error, entry.path);
            } else {
                // Any other trouble is for the conversion itself to find.
                host.result(entry.path + " -> " + targetPathFor(entry.path));
            }
        }
    } else if (isFolder(job.path)) {
        const FolderScan scan = findSessions(job.path);
        for (const FolderProblem& problem : scan.problems) {
            reportFailure(host, problem.error, problem.path);
        }
        for (const std::string& session : scan.sessions) {
            host.result(session + " -> " + targetPathFor(session));
        }
    } else {
        host.label = job.path;
        SourceFile file;
        if (const std::optional<RunError> error = file.open(job.path)) {
            reportFailure(host, *error, absolutePath(job.path));
        } else {
            host.result(job.path + " -> " + targetPathFor(job.path));
        }
    }
}

}  // namespace z2o::cli
