// What the window learnt of one conversion of this run, and how it words it: the results list,
// the details under it and the status line all take their text from here.
#pragma once

#include <QString>
#include <vector>

#include "convert/batch.h"
#include "convert/host.h"

namespace z2o {

struct ConversionRow {
    enum class Outcome { Converted, NotConverted, NotFound, Stopped };
    ConversionRow() = default;
    ConversionRow(Outcome outcome, QString source, QString why = {})
        : outcome(outcome), sourcePath(std::move(source)), reason(std::move(why)) {}

    Outcome outcome = Outcome::Converted;
    QString sourcePath;
    QString targetPath;  // empty when no target was named
    int steps = 0;
    qint64 playingTenths = -1;  // of the target as written; -1 when there is none
    int errors = 0;             // per-step errors the session raised
    QString reason;             // why it was not converted
    std::vector<ErrorTally> stepErrors;
    std::vector<Message> messages;  // every message shown about it, in order
    RampSettings ramp;              // the settings it was converted with
    bool upToDate = false;          // converted: its target already held these bytes

    // A target was written, but some of its steps raised errors.
    bool needsCheck() const { return outcome == Outcome::Converted && errors > 0; }
    bool hasProblems() const { return outcome != Outcome::Converted || errors > 0; }
};

// The row of a session conversion, from its outcome alone.
ConversionRow rowFor(const SessionOutcome& outcome, const RampSettings& ramp);

QString outcomeText(const ConversionRow& row);
QString errorCountText(int errors);  // "1 error", "3 errors"
// One line for the status line.
QString statusText(const ConversionRow& row);
// The status line after a batch: its counts, and what a stop left.
QString summaryText(const QString& label, const BatchCounts& counts, std::size_t notReached,
                    bool stopped);
// In plain words, what the user can do about an error of this number.
QString adviceFor(int errorNumber);
// What went wrong, for the details under the list: each distinct error with its count, the
// messages shown, and a warning for a target that holds values to check. Empty without problems.
QString detailsText(const ConversionRow& row);

}  // namespace z2o
