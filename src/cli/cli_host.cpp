#include "cli/cli_host.h"

#include <iostream>

#include "convert/file_io.h"

namespace z2o::cli {

std::string countText(int count, const std::string& one, const std::string& many) {
    return std::to_string(count) + ' ' + (count == 1 ? one : many);
}

std::int32_t CliHost::showMessage(const Message& message) {
    if (message.kind == MessageKind::SessionNotFound) {
        problem(message.subject(), "could not be found");
        return kAnswerOk;
    }
    clearProgress();
    // The window's lines on one line.
    std::string text;
    for (const std::string& line : message.lines) {
        if (line.empty()) continue;
        if (!text.empty()) text += ' ';
        text += line;
    }
    report("z2o-convert: " + message.subject() + ": " + text,
           message.kind == MessageKind::StepError);
    return kAnswerOk;
}

void CliHost::conversionEnded(const SessionOutcome& outcome) {
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

void CliHost::batchProgress(int index, int count, const std::string& sourcePath) {
    if (!showProgress) return;
    // One line rewritten in place: carriage return, then clear to the end of the line.
    std::cerr << "\rConverting " << index << " of " << count << ": "
              << fromPath(toPath(sourcePath).filename()) << "\x1b[K" << std::flush;
    m_progressShown = true;
}

void CliHost::problem(const std::string& subject, const std::string& text) {
    clearProgress();
    report("z2o-convert: " + subject + ": " + text, false);
}

void CliHost::report(std::string text, bool stepError) {
    if (stepError || !m_pending.empty()) {
        m_pending.push_back({std::move(text), stepError});
    } else {
        std::cerr << text << '\n';
    }
}

void CliHost::clearProgress() {
    if (m_progressShown) std::cerr << "\r\x1b[K" << std::flush;
    m_progressShown = false;
}

void CliHost::sessionDone(const SessionOutcome& outcome) {
    if (outcome.status == SessionOutcome::Status::Stopped) {
        problem(outcome.sourcePath,
                "stopped before its target was complete; an old target stays as it was");
    }
    if (!outcome.succeeded()) return;
    const std::string steps = countText(outcome.steps, "step", "steps");
    std::string state;
    if (outcome.status == SessionOutcome::Status::UpToDate) {
        state = "up to date, ";
    } else if (dryRun) {
        state = outcome.replaced ? "replaced, " : "new, ";
    }
    result(outcome.sourcePath + " -> " + outcome.targetPath + " (" + state + steps + ")");
}

void CliHost::result(const std::string& line) {
    if (quiet) return;
    if (stdoutIsTerminal) clearProgress();
    std::cout << line << '\n';
}

void CliHost::summary(const std::string& label, const BatchCounts& counts, std::size_t notReached,
                      StopCause stop) {
    if (stdoutIsTerminal) clearProgress();
    std::cout << label << ": ";
    if (dryRun) {
        std::cout << counts.converted << " to convert, " << counts.upToDate << " up to date, "
                  << counts.failed << " would fail, ";
    } else {
        std::cout << counts.converted << " converted, " << counts.upToDate << " up to date, "
                  << counts.failed << " failed, ";
    }
    std::cout << counts.notFound << " not found";
    if (counts.stopped > 0) std::cout << ", " << counts.stopped << " stopped";
    if (stop != StopCause::None) std::cout << ", " << notReached << " not reached";
    std::cout << '\n';
}

std::string CliHost::programFolder() {
    return programFileFolder();
}

}  // namespace z2o::cli
