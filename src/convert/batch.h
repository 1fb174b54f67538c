// A batch is a value: the sessions of one command (a single session, an album, a folder, a drop,
// a command line), the targets that wait to be committed together, the stop that ended it and
// the outcome of each session, handed down explicitly to everything that takes part in it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "convert/commit_group.h"
#include "convert/file_io.h"
#include "convert/host.h"

namespace z2o {

// How the sessions of a batch, or of part of one, came out.
struct BatchCounts {
    int converted = 0;
    int upToDate = 0;
    int failed = 0;  // rejected or not written
    int notFound = 0;
    int stopped = 0;     // abandoned as the program had to end
    int withErrors = 0;  // written, but some steps raised errors
};
BatchCounts countOutcomes(std::span<const SessionOutcome> entries);

struct BatchOutcome {
    std::string label;                    // what the batch is of: an album, a folder, a list
    std::vector<SessionOutcome> entries;  // each session taken up, found or not, in order
    std::vector<Message> problems;        // failures of the batch itself (an album unread)
    StopCause stop = StopCause::None;
    std::vector<std::string> notReached;  // what a stop left, in order

    BatchCounts counts() const { return countOutcomes(entries); }
    // Every session converted or up to date, none with errors, and no failure of the batch.
    bool clean() const;
};

class Batch {
  public:
    Batch(Host& host, const RampSettings& ramp, TargetMode mode = TargetMode::Write);
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;
    ~Batch();  // commits what waits

    Host& host() { return m_host; }
    const BatchOutcome& outcome() const { return m_outcome; }
    bool stopped() const { return m_outcome.stop != StopCause::None; }

    // Converts one session. Its outcome joins the entries at once and is final (and told to the
    // host) when its target is in place. Returns the answer to the last message it showed, or 0.
    // `cancelStops` says what Cancel in its questions stops beyond it (an album), if anything.
    std::int32_t convert(const std::string& sourcePath, const std::string& cancelStops = {});
    // An entry that is not there: shown and kept as its outcome; returns the answer.
    std::int32_t notFound(const std::string& sourcePath, const RunError& error,
                          const std::string& cancelStops = {});
    // A failure of the batch itself, about `path`: shown and kept; returns the answer.
    std::int32_t fail(const RunError& error, const std::string& path);

    // Lets events run, then asks the host whether to stop before the next session.
    StopCause stopHere();
    // Ends the batch, committing what waits first: `notReached` lists what it did not take up.
    void stop(StopCause cause, std::span<const std::string> notReached);
    // The targets that wait take their names, and their outcomes are told.
    void commit();
    // Commits, then hands the outcome over.
    BatchOutcome finish();

  private:
    void settle(std::size_t index, const std::optional<RunError>& error);
    // Tells the host of each outcome that is final, in the order of the entries.
    void tellFinal();

    Host& m_host;
    RampSettings m_ramp;
    TargetMode m_mode;
    BatchOutcome m_outcome;
    std::vector<bool> m_final;  // by entry: its outcome will change no more
    std::size_t m_told = 0;     // the entries told to the host
    CommitGroup m_group;        // after the outcome, which its last commit writes into
};

}  // namespace z2o
