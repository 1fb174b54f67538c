#include "cli/jobs.h"

#include <filesystem>
#include <iostream>

#include "album/album.h"
#include "album/folder.h"
#include "convert/file_io.h"

namespace z2o::cli {
namespace {

std::string absolutePath(const std::string& path) {
    std::error_code ec;
    return fromPath(std::filesystem::absolute(toPath(path), ec));
}

// The sessions a job not taken up would have converted.
std::size_t sessionsOf(const Job& job) {
    switch (job.kind) {
        case Job::Kind::Session:
            return 1;
        case Job::Kind::Album: {
            std::vector<ResolvedEntry> entries;
            readAlbumEntries(absolutePath(job.path), entries);
            return entries.size();
        }
        case Job::Kind::Folder:
            return findSessions(job.path).sessions.size();
    }
    return 0;
}

}  // namespace

Job jobFor(const std::string& path) {
    return {isFolder(path) ? Job::Kind::Folder : Job::Kind::Session, path};
}

RunResult runJobs(CliHost& host, const RampSettings& ramp, TargetMode mode,
                  const std::vector<Job>& jobs) {
    ProgramState state;
    state.ramp = ramp;
    Batch batch(host, ramp, mode);
    RunResult result;
    std::vector<std::string> sessions;  // named one by one: one list of their own for progress
    for (const Job& job : jobs) {
        if (job.kind == Job::Kind::Session) sessions.push_back(job.path);
    }
    std::size_t sessionIndex = 0;
    std::size_t notReached = 0;
    for (std::size_t j = 0; j < jobs.size(); ++j) {
        const Job& job = jobs[j];
        if (batch.stopped()) {
            notReached += sessionsOf(job);
            continue;
        }
        const std::size_t first = batch.outcome().entries.size();
        switch (job.kind) {
            case Job::Kind::Session:
                if (const StopCause cause = batch.stopHere(); cause != StopCause::None) {
                    batch.stop(cause, std::span(&job.path, 1));
                    break;
                }
                host.batchProgress(static_cast<int>(++sessionIndex),
                                   static_cast<int>(sessions.size()), job.path);
                batch.convert(job.path);
                break;
            case Job::Kind::Album:
                convertAlbum(state, batch, absolutePath(job.path));
                break;
            case Job::Kind::Folder:
                if (convertFolder(batch, job.path) == 0) {
                    result.emptyFolder = true;
                    host.problem(job.path, "no session (.ZS2) below it");
                }
                break;
        }
        batch.commit();
        if (job.kind != Job::Kind::Session) {
            const auto& entries = batch.outcome().entries;
            host.summary(job.path, countOutcomes(std::span(entries).subspan(first)),
                         batch.outcome().notReached.size(), batch.outcome().stop);
        }
        std::cout.flush();
    }
    result.outcome = batch.finish();
    notReached += result.outcome.notReached.size();
    // A run of several ends with its own counts; one album or folder has said them already.
    if (jobs.size() > 1) {
        host.summary("total", result.outcome.counts(), notReached, result.outcome.stop);
    }
    return result;
}

}  // namespace z2o::cli
