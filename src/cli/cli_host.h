// z2o-convert's host: how the conversion's messages, progress and results reach a terminal.
#pragma once

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "convert/batch.h"
#include "convert/host.h"

namespace z2o::cli {

// Answers every question as a user who wants the batch to go on would, and reports on
// standard error what the window would show.
class CliHost : public Host {
  public:
    // Once `stopSignal` is set, the file being converted is abandoned and the batch stops.
    explicit CliHost(const volatile std::sig_atomic_t& stopSignal) : m_stopSignal(stopSignal) {}

    // Every file comes from the command line; there is no dialog to show.
    std::optional<PickedFile> showOpen(const OpenDialogSettings&) override { return std::nullopt; }
    std::int32_t showMessage(const Message& message) override;
    void processEvents() override {}
    StopCause stopHere() override {
        return m_stopSignal != 0 ? StopCause::Signal : StopCause::None;
    }
    bool endingNow() override { return m_stopSignal != 0; }
    std::string programFolder() override;
    bool asksUser() override { return false; }

    void batchProgress(int index, int count, const std::string& sourcePath) override;
    // A step error is printed once the conversion has ended, with how often it came; what
    // follows it in the same session waits too, so that the lines keep their order.
    void conversionEnded(const SessionOutcome& outcome) override;
    // The result line of a session whose outcome is final.
    void sessionDone(const SessionOutcome& outcome) override;

    void clearProgress();
    // A line of standard error about `subject`, the progress line cleared first.
    void problem(const std::string& subject, const std::string& text);
    // The summary line of a batch or part of one, and what a stop left.
    void summary(const std::string& label, const BatchCounts& counts, std::size_t notReached,
                 StopCause stop);

    bool quiet = false;
    bool dryRun = false;
    bool showProgress = false;
    bool stdoutIsTerminal = false;  // then the progress line is cleared before a result too

  private:
    struct Pending {
        std::string text;
        bool stepError;
    };
    void report(std::string text, bool stepError);
    void result(const std::string& line);

    const volatile std::sig_atomic_t& m_stopSignal;
    std::vector<Pending> m_pending;
    bool m_progressShown = false;
};

// Whether `stream` is a terminal, where a progress line can be rewritten in place.
bool isTerminal(std::FILE* stream);

// "1 step", "2 steps".
std::string countText(int count, const std::string& one, const std::string& many);

}  // namespace z2o::cli
