// z2o-convert's host: how the conversion's messages, progress and results reach a terminal.
#pragma once

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "album/album.h"
#include "convert/host.h"

namespace z2o::cli {

// Answers every question as a user who wants the batch to go on would, and reports on
// standard error what the window would show.
class CliHost : public Host {
  public:
    // Answers false once `stopSignal` is set: the current file is then abandoned.
    explicit CliHost(const volatile std::sig_atomic_t& stopSignal) : m_stopSignal(stopSignal) {}

    // Every file comes from the command line; there is no dialog to show.
    std::optional<PickedFile> showOpen(const OpenDialogSettings&) override { return std::nullopt; }

    std::int32_t showMessage(const Message& message) override;

    // A step error is printed once the session is done, with how often it came; what follows it
    // in the same session waits too, so that the lines keep their order.
    void sessionDone(const SessionOutcome& outcome) override;

    bool processEvents() override { return m_stopSignal == 0; }

    void albumProgress(int index, int count, const std::string& sourcePath) override;

    void clearProgress();

    void albumSessionDone(const SessionOutcome& outcome) override {
        converted(outcome.sourcePath, outcome.targetPath, outcome);
    }

    // The result line of a converted session, named as the user knows it.
    void converted(const std::string& source, const std::string& target,
                   const SessionOutcome& outcome);

    // A line of standard output that --quiet leaves out.
    void result(const std::string& line);

    void summary(const std::string& batch, const AlbumOutcome& outcome);

    std::string programFolder() override;

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
    void report(std::string text, bool stepError);

    const volatile std::sig_atomic_t& m_stopSignal;
    std::vector<Pending> m_pending;
    bool m_progressShown = false;
};

// Whether `stream` is a terminal, where a progress line can be rewritten in place.
bool isTerminal(std::FILE* stream);

}  // namespace z2o::cli
