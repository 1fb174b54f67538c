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

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "album/album.h"
#include "album/folder.h"
#include "cli/arguments.h"
#include "convert/driver.h"
#include "convert/file_io.h"
#include "convert/messages.h"

namespace {

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
#ifdef _WIN32
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
#else
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
#endif
}

// Answers every question as a user who wants the batch to go on would, and reports on
// standard error what the window would show.
class CliHost : public z2o::Host {
  public:
    // Every file comes from the command line; there is no dialog to show.
    std::optional<z2o::PickedFile> showOpen(const z2o::OpenDialogSettings&) override {
        return std::nullopt;
    }

    std::int32_t showMessage(const z2o::Message& message) override {
        clearProgress();
        ++problems;
        const std::string& subject = label.empty() ? message.subject() : label;
        if (message.kind == z2o::MessageKind::SessionNotFound) {
            report("z2o-convert: " + subject + ": could not be found", false);
            return z2o::kAnswerOk;
        }
        // The window's lines on one line.
        std::string text;
        for (const std::string& line : message.lines) {
            if (line.empty()) continue;
            if (!text.empty()) text += ' ';
            text += line;
        }
        report("z2o-convert: " + subject + ": " + text,
               message.kind == z2o::MessageKind::StepError);
        return z2o::kAnswerOk;
    }

    // A step error is printed once the session is done, with how often it came; what follows it
    // in the same session waits too, so that the lines keep their order.
    void sessionDone(const z2o::SessionOutcome& outcome) override {
        std::size_t step = 0;
        for (const Pending& line : m_pending) {
            std::cerr << line.text;
            if (line.stepError && step < outcome.stepErrors.size()) {
                const int count = outcome.stepErrors[step++].count;
                if (count > 1) std::cerr << " (" << count << " times)";
            }
            std::cerr << '\n';
        }
        m_pending.clear();
    }

    // False once the user asked the program to end: the current file is then abandoned.
    bool processEvents() override { return g_signal == 0; }

    void albumProgress(int index, int count, const std::string& sourcePath) override {
        if (!showProgress) return;
        // One line rewritten in place: carriage return, then clear to the end of the line.
        std::cerr << "\rConverting " << index << " of " << count << ": "
                  << z2o::fromPath(z2o::toPath(sourcePath).filename()) << "\x1b[K" << std::flush;
        m_progressShown = true;
    }

    void clearProgress() {
        if (m_progressShown) std::cerr << "\r\x1b[K" << std::flush;
        m_progressShown = false;
    }

    void albumSessionDone(const z2o::SessionOutcome& outcome) override {
        converted(outcome.sourcePath, outcome.targetPath, outcome);
    }

    void converted(const std::string& source, const std::string& target,
                   const z2o::SessionOutcome& outcome) {
        if (outcome.status == z2o::SessionOutcome::Status::Converted) {
            result(source + " -> " + target + " (" + std::to_string(outcome.steps) + " steps)");
        }
    }

    // A line of standard output that --quiet leaves out.
    void result(const std::string& line) {
        if (quiet) return;
        if (stdoutIsTerminal) clearProgress();
        std::cout << line << '\n';
    }

    void summary(const std::string& batch, const z2o::AlbumOutcome& outcome) {
        if (stdoutIsTerminal) clearProgress();
        std::cout << batch << ": " << outcome.converted() << " converted, " << outcome.failed()
                  << " failed\n";
    }

    std::string programFolder() override { return z2o::programFileFolder(); }

    std::string label;  // the name the user gave, shown instead of the full path
    int problems = 0;
    bool quiet = false;
    bool showProgress = false;
    bool stdoutIsTerminal = false;  // then the progress line is cleared before a result too

  private:
    struct Pending {
        std::string text;
        bool stepError;
    };
    void report(std::string text, bool stepError) {
        if (stepError || !m_pending.empty()) {
            m_pending.push_back({std::move(text), stepError});
        } else {
            std::cerr << text << '\n';
        }
    }

    std::vector<Pending> m_pending;
    bool m_progressShown = false;
};

int usageError(const std::string& reason) {
    std::cerr << "z2o-convert: " << reason << "\nTry 'z2o-convert --help' for more information.\n";
    return 2;
}

struct Job {
    bool album = false;
    std::string path;
};

bool isTerminal(std::FILE* stream) {
#ifdef _WIN32
    return _isatty(_fileno(stream)) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

// What a conversion would report of a file that cannot be read, or of a missing album entry.
void reportFailure(CliHost& host, const z2o::RunError& error, const std::string& path) {
    host.showMessage(z2o::failureMessage(error, path, path));
}

void reportNotFound(CliHost& host, const z2o::RunError& error, const std::string& path) {
    host.showMessage(z2o::notFoundMessage(error, path));
}

std::string absolutePath(const std::string& path) {
    std::error_code ec;
    return z2o::fromPath(std::filesystem::absolute(z2o::toPath(path), ec));
}

// --dry-run: names each source that a run would take up and its target, and reports what the run
// would find missing or unreadable, without reading a session or writing anything.
void dryRun(CliHost& host, const Job& job) {
    if (job.album) {
        const std::string album = absolutePath(job.path);
        std::vector<z2o::ResolvedEntry> entries;
        if (const std::optional<z2o::RunError> error = z2o::readAlbumEntries(album, entries)) {
            reportFailure(host, *error, album);
        }
        for (const z2o::ResolvedEntry& entry : entries) {
            z2o::SourceFile file;
            const std::optional<z2o::RunError> error =
                entry.reachable ? file.open(entry.path) : z2o::runError(z2o::kPathNotFound);
            if (error &&
                (error->number == z2o::kFileNotFound || error->number == z2o::kPathNotFound)) {
                reportNotFound(host, *error, entry.path);
            } else {
                // Any other trouble is for the conversion itself to find.
                host.result(entry.path + " -> " + z2o::targetPathFor(entry.path));
            }
        }
    } else if (z2o::isFolder(job.path)) {
        const z2o::FolderScan scan = z2o::findSessions(job.path);
        for (const z2o::FolderProblem& problem : scan.problems) {
            reportFailure(host, problem.error, problem.path);
        }
        for (const std::string& session : scan.sessions) {
            host.result(session + " -> " + z2o::targetPathFor(session));
        }
    } else {
        host.label = job.path;
        z2o::SourceFile file;
        if (const std::optional<z2o::RunError> error = file.open(job.path)) {
            reportFailure(host, *error, absolutePath(job.path));
        } else {
            host.result(job.path + " -> " + z2o::targetPathFor(job.path));
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    const z2o::Utf8Arguments utf8(argc, argv);
    z2o::ProgramState state;
    std::vector<Job> jobs;
    bool dryRunOnly = false;
    CliHost host;
    static constexpr z2o::cli::Option kOptions[] = {
        {'r', "ramp-time", "a number of seconds"},
        {0, "no-soft-ramping"},
        {0, "album", "an album file"},
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
            const auto [end, ec] =
                std::from_chars(value.data(), value.data() + value.size(), seconds);
            if (ec != std::errc{} || end != value.data() + value.size() || seconds < 0 ||
                seconds > 10) {
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
    host.showProgress = !host.quiet && !dryRunOnly && isTerminal(stderr);
    host.stdoutIsTerminal = isTerminal(stdout);
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
            dryRun(host, job);
        } else if (job.album) {
            host.label.clear();
            host.summary(job.path, z2o::convertAlbum(state, host, absolutePath(job.path)));
        } else if (z2o::isFolder(job.path)) {
            host.label.clear();
            host.summary(job.path, z2o::runFolderConversion(state, host, job.path));
        } else {
            host.label = job.path;
            host.albumProgress(++sessionIndex, sessionCount, job.path);
            const z2o::SessionOutcome outcome =
                z2o::convertSessionFile(absolutePath(job.path), state.ramp, host);
            // Named as the user gave it.
            host.converted(job.path, z2o::targetPathFor(job.path), outcome);
        }
        std::cout.flush();
        failed = failed || host.problems > 0;
    }
    host.clearProgress();
    if (g_signal != 0) return 128 + g_signal;
    return failed ? 1 : 0;
}
