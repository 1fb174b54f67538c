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

#include "cli/arguments.h"
#include "cli/cli_host.h"
#include "cli/jobs.h"
#include "convert/file_io.h"

namespace {

using z2o::cli::CliHost;
using z2o::cli::Job;

constexpr const char* kUsage =
    "Usage: z2o-convert [-n] [-q] [-r SECONDS] [--no-soft-ramping] [--rewrite]\n"
    "                   [--album ALBUM]... [SESSION|FOLDER]...\n"
    "Converts Zendrel sessions (ZS2) into Orvanel sessions (OSw) written beside them. A folder\n"
    "stands for every file below it whose name ends in .ZS2 in any letter case, taken in byte\n"
    "order of their paths; links to folders are not followed.\n"
    "\n"
    "  -r, --ramp-time SECONDS  soft on/off ramp time, whole seconds 0 to 10 (default 5;\n"
    "                           0: no ramps)\n"
    "      --no-soft-ramping    do not interpolate the inner end of a ramp\n"
    "      --album ALBUM        convert every session that the album (ZA2) lists\n"
    "      --rewrite            write every target, also one that is up to date\n"
    "  -n, --dry-run            convert in memory, write nothing, and tell what a run would do\n"
    "  -q, --quiet              print only problems and the summary lines\n"
    "  -h, --help               show this help and exit\n"
    "  -V, --version            show the version and exit\n"
    "Short options go together (-qn) and take their value joined or apart (-r5, -r 5).\n"
    "\n"
    "Prints \"SOURCE -> TARGET (N steps)\" for each written session, \"(up to date, N steps)\"\n"
    "for a target that already held exactly those bytes and was left alone, and with -n\n"
    "\"(new, ...)\" or \"(replaced, ...)\". After each album or folder, and at the end of a run\n"
    "of several, a summary: \"LABEL: N converted, N up to date, N failed, N not found\", with\n"
    "\"N stopped, N not reached\" after a signal. Problems go to standard error, where a\n"
    "terminal also shows the progress of a batch on one line.\n"
    "Exit status: 0 all converted or up to date; 1 a session failed, was not found or reported\n"
    "an error, or a folder held no session; 2 bad usage; 128+N stopped by signal N. A dry run\n"
    "exits as the real run would.\n";

volatile std::sig_atomic_t g_signal = 0;

// SIGINT and SIGTERM end the run between files or parts of a file, never in the middle of
// putting a target in place: the targets complete by then still take their names.
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

const char* signalName(int number) {
    return number == SIGINT ? "SIGINT" : number == SIGTERM ? "SIGTERM" : "a signal";
}

}  // namespace

int main(int argc, char** argv) {
    const z2o::Utf8Arguments utf8(argc, argv);
    z2o::RampSettings ramp;
    std::vector<Job> jobs;
    z2o::TargetMode mode = z2o::TargetMode::Write;
    CliHost host(g_signal);
    // '\0': no short form.
    static constexpr z2o::cli::Option kOptions[] = {
        {'r', "ramp-time", "a number of seconds"},
        {'\0', "no-soft-ramping"},
        {'\0', "album", "an album file"},
        {'\0', "rewrite"},
        {'n', "dry-run"},
        {'q', "quiet"},
    };
    z2o::cli::Arguments args(argc, argv, "z2o-convert", kUsage, kOptions);
    const auto addPath = [&jobs](const std::string& path) {
        jobs.push_back(z2o::cli::jobFor(path));
    };
    bool rewrite = false;
    while (const std::optional<z2o::cli::Given> given = args.next(addPath)) {
        const std::string_view name = given->option->name;
        const std::string& value = given->value;
        if (name == "dry-run") {
            host.dryRun = true;
        } else if (name == "rewrite") {
            rewrite = true;
        } else if (name == "quiet") {
            host.quiet = true;
        } else if (name == "no-soft-ramping") {
            ramp.softRamping = false;
        } else if (name == "ramp-time") {
            int seconds = -1;
            const char* const last = value.data() + value.size();
            const auto [end, ec] = std::from_chars(value.data(), last, seconds);
            if (ec != std::errc{} || end != last || seconds < 0 || seconds > 10) {
                return usageError(given->as + " takes whole seconds from 0 to 10, not '" + value +
                                  "'");
            }
            ramp.rampTime = static_cast<std::int16_t>(10 * seconds);
        } else if (name == "album") {
            jobs.push_back({Job::Kind::Album, value});
        }
    }
    if (!args.error.empty()) return usageError(args.error);
    if (args.printed) return 0;
    if (jobs.empty()) return usageError("no session, folder or album given");
    if (host.dryRun) {
        mode = z2o::TargetMode::Check;
    } else if (rewrite) {
        mode = z2o::TargetMode::Rewrite;
    }

    handleSignals();
    host.showProgress = !host.quiet && z2o::cli::isTerminal(stderr);
    host.stdoutIsTerminal = z2o::cli::isTerminal(stdout);
    const z2o::cli::RunResult run = z2o::cli::runJobs(host, ramp, mode, jobs);
    host.clearProgress();
    if (g_signal != 0) {
        std::cerr << "z2o-convert: stopped by " << signalName(g_signal) << '\n';
        return 128 + g_signal;
    }
    return run.outcome.clean() && !run.emptyFolder ? 0 : 1;
}
