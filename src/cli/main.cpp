// z2o-convert: converts sessions, whole folders of them and, with --album, every session an album
// lists from the command line, exactly as the window would with the same settings.
#include <algorithm>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "album/album.h"
#include "album/folder.h"
#include "cli/arguments.h"
#include "cli/cli_host.h"
#include "cli/dry_run.h"
#include "convert/driver.h"
#include "convert/file_io.h"
#include "convert/messages.h"

namespace {

using z2o::cli::CliHost;
using z2o::cli::Job;

constexpr const char* kUsage =
    "Usage: z2o-convert [-n] [-q] [-r SECONDS] [--no-soft-ramping] [--album ALBUM]...\n"
    "                   [SESSION|FOLDER]...\n"
    "Converts Zendrel sessions (ZS2) into Orvanel sessions (OSw) written beside them. A folder\n"
    "stands for every file below it whose name ends in .ZS2 in any letter case, taken in byte\n"
    "order of their paths; links to folders are not followed.\n"
    "\n"
    "  -r, --ramp-time SECONDS  soft on/off ramp time, whole seconds 0 to 10 (default 5;\n"
    "                           0: no ramps)\n"
    "      --no-soft-ramping    do not interpolate the inner end of a ramp\n"
    "      --album ALBUM        convert every session that the album (ZA2) lists\n"
    "  -n, --dry-run            print \"SOURCE -> TARGET\" for each session; write nothing\n"
    "  -q, --quiet              print only problems and the summary lines\n"
    "  -h, --help               show this help and exit\n"
    "  -V, --version            show the version and exit\n"
    "Short options go together (-qn) and take their value joined or apart (-r5, -r 5).\n"
    "\n"
    "Prints \"SOURCE -> TARGET (N steps)\" for each written session and, after each album or\n"
    "folder, \"ALBUM: N converted, M failed\". Problems go to standard error, where a terminal\n"
    "also shows the progress of a batch on one line.\n"
    "Exit status: 0 all converted, 1 a session failed or reported an error, 2 bad usage.\n";

volatile std::sig_atomic_t g_signal = 0;

// SIGINT and SIGTERM end the run between files or parts of a file, never in the middle of
// putting a target in place.
extern "C" void onSignal(int number) {
    g_signal = number;
}

void handleSignals() {
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
}

int usageError(const std::string& reason) {
    std::cerr << "z2o-convert: " << reason << "\nTry 'z2o-convert --help' for more information.\n";
    return 2;
}

// Takes up each job in order until a signal comes; true when any reported a problem.
bool runJobs(z2o::ProgramState& state, CliHost& host, const std::vector<Job>& jobs,
             bool dryRunOnly) {
    // Sessions named one by one count as one batch of their own for the progress line.
    const int sessionCount =
        static_cast<int>(std::count_if(jobs.begin(), jobs.end(), [](const Job& job) {
            return !job.album && !z2o::isFolder(job.path);
        }));
    int sessionIndex = 0;
    bool failed = false;
    for (const Job& job : jobs) {
        if (g_signal != 0) break;
        host.problems = 0;
        if (dryRunOnly) {
            host.label.clear();
            z2o::cli::dryRun(host, job);
        } else if (job.album) {
            host.label.clear();
            host.summary(job.path,
                         z2o::convertAlbum(state, host, z2o::cli::absolutePath(job.path)));
        } else if (z2o::isFolder(job.path)) {
            host.label.clear();
            host.summary(job.path, z2o::runFolderConversion(state, host, job.path));
        } else {
            host.label = job.path;
            host.albumProgress(++sessionIndex, sessionCount, job.path);
            const z2o::SessionOutcome outcome =
                z2o::convertSessionFile(z2o::cli::absolutePath(job.path), state.ramp, host);
            // Named as the user gave it.
            host.converted(job.path, z2o::targetPathFor(job.path), outcome);
        }
        std::cout.flush();
        failed = failed || host.problems > 0;
    }
    return failed;
}

}  // namespace

int main(int argc, char** argv) {
    const z2o::Utf8Arguments utf8(argc, argv);
    z2o::ProgramState state;
    std::vector<Job> jobs;
    bool dryRunOnly = false;
    CliHost host(g_signal);
    // '\0': no short form.
    static constexpr z2o::cli::Option kOptions[] = {
        {'r', "ramp-time", "a number of seconds"},
        {'\0', "no-soft-ramping"},
        {'\0', "album", "an album file"},
        {'n', "dry-run"},
        {'q', "quiet"},
    };
    z2o::cli::Arguments args(argc, argv, "z2o-convert", kUsage, kOptions);
    const auto addSession = [&jobs](const std::string& path) { jobs.push_back({false, path}); };
    while (const std::optional<z2o::cli::Given> given = args.next(addSession)) {
        const std::string_view name = given->option->name;
        const std::string& value = given->value;
        if (name == "dry-run") {
            dryRunOnly = true;
        } else if (name == "quiet") {
            host.quiet = true;
        } else if (name == "no-soft-ramping") {
            state.ramp.softRamping = false;
        } else if (name == "ramp-time") {
            int seconds = -1;
            const char* const last = value.data() + value.size();
            const auto [end, ec] = std::from_chars(value.data(), last, seconds);
            if (ec != std::errc{} || end != last || seconds < 0 || seconds > 10) {
                return usageError(given->as + " takes whole seconds from 0 to 10, not '" + value +
                                  "'");
            }
            state.ramp.rampTime = static_cast<std::int16_t>(10 * seconds);
        } else if (name == "album") {
            jobs.push_back({true, value});
        }
    }
    if (!args.error.empty()) return usageError(args.error);
    if (args.printed) return 0;
    if (jobs.empty()) return usageError("no session, folder or album given");

    handleSignals();
    const z2o::FolderSyncBatch batch;  // synced as main returns, after a signal too
    host.showProgress = !host.quiet && !dryRunOnly && z2o::cli::isTerminal(stderr);
    host.stdoutIsTerminal = z2o::cli::isTerminal(stdout);
    const bool failed = runJobs(state, host, jobs, dryRunOnly);
    host.clearProgress();
    if (g_signal != 0) return 128 + g_signal;
    return failed ? 1 : 0;
}
