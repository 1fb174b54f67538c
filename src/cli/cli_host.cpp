#include "cli/cli_host.h"

#include <iostream>

#include "convert/file_io.h"

namespace z2o::cli {

std::int32_t CliHost::showMessage(const Message& message) {
    clearProgress();
    ++problems;
    const std::string& subject = label.empty() ? message.subject() : label;
    if (message.kind == MessageKind::SessionNotFound) {
        report("z2o-convert: " + subject + ": could not be found", false);
        return kAnswerOk;
    }
    // The window's lines on one line.
    std::string text;
    for (const std::string& line : message.lines) {
        if (line.empty()) continue;
        if (!text.empty()) text += ' ';
        text += line;
    }
    report("z2o-convert: " + subject + ": " + text, message.kind == MessageKind::StepError);
    return kAnswerOk;
}

void CliHost::sessionDone(const SessionOutcome& outcome) {
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

void CliHost::albumProgress(int index, int count, const std::string& sourcePath) {
    if (!showProgress) return;
    // One line rewritten in place: carriage return, then clear to the end of the line.
    std::cerr << "\rConverting " << index << " of " << count << ": "
              << fromPath(toPath(sourcePath).filename()) << "\x1b[K" << std::flush;
    m_progressShown = true;
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

void CliHost::converted(const std::string& source, const std::string& target,
                        const SessionOutcome& outcome) {
    if (outcome.status == SessionOutcome::Status::Converted) {
        result(source + " -> " + target + " (" + std::to_string(outcome.steps) +
               (outcome.steps == 1 ? " step)" : " steps)"));
    }
}

void CliHost::result(const std::string& line) {
    if (quiet) return;
    if (stdoutIsTerminal) clearProgress();
    std::cout << line << '\n';
}

void CliHost::summary(const std::string& batch, const AlbumOutcome& outcome) {
    if (stdoutIsTerminal) clearProgress();
    std::cout << batch << ": " << outcome.converted() << " converted, " << outcome.failed()
              << " failed\n";
}

std::string CliHost::programFolder() {
    return programFileFolder();
}

}  // namespace z2o::cli
