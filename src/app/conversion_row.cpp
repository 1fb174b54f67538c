#include "app/conversion_row.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace z2o {
namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("ConversionRow", text);
}

QString fileName(const QString& path) {
    return QFileInfo(path).fileName();
}

}  // namespace

ConversionRow rowFor(const SessionOutcome& outcome, const RampSettings& ramp) {
    ConversionRow row(ConversionRow::Outcome::Converted,
                      QString::fromStdString(outcome.sourcePath));
    row.targetPath = QString::fromStdString(outcome.targetPath);
    row.stepErrors = outcome.stepErrors;
    row.messages = outcome.messages;
    row.ramp = ramp;
    switch (outcome.status) {
        case SessionOutcome::Status::Converted:
            row.steps = outcome.steps;
            row.playingTenths = outcome.playingTenths;
            row.errors = outcome.errorCount();
            break;
        case SessionOutcome::Status::Rejected:
            row.outcome = ConversionRow::Outcome::NotConverted;
            row.reason = tr("its data is not compatible");
            break;
        case SessionOutcome::Status::NotFound:
            row.outcome = ConversionRow::Outcome::NotFound;
            break;
        case SessionOutcome::Status::Failed:
            row.outcome = ConversionRow::Outcome::NotConverted;
            if (outcome.runError)
                row.reason = QString::fromStdString(outcome.runError->description);
            break;
        case SessionOutcome::Status::Cancelled:
            row.outcome = ConversionRow::Outcome::Stopped;
            break;
    }
    return row;
}

QString errorCountText(int errors) {
    return errors == 1 ? tr("1 error") : tr("%1 errors").arg(errors);
}

QString outcomeText(const ConversionRow& row) {
    switch (row.outcome) {
        case ConversionRow::Outcome::Converted:
            return row.errors == 0 ? tr("converted")
                                   : tr("converted with %1").arg(errorCountText(row.errors));
        case ConversionRow::Outcome::NotConverted:
            return row.reason.isEmpty() ? tr("not converted")
                                        : tr("not converted: %1").arg(row.reason);
        case ConversionRow::Outcome::NotFound:
            return tr("not found");
        case ConversionRow::Outcome::Stopped:
            return tr("not converted (stopped)");
    }
    return {};
}

QString statusText(const ConversionRow& row) {
    const QString source = fileName(row.sourcePath);
    switch (row.outcome) {
        case ConversionRow::Outcome::Converted: {
            QString text = tr("%1 converted to %2: %3 steps")
                               .arg(source, fileName(row.targetPath))
                               .arg(row.steps);
            if (row.errors > 0) text += QStringLiteral(", ") + errorCountText(row.errors);
            return text;
        }
        case ConversionRow::Outcome::NotFound:
            return tr("%1 was not found").arg(source);
        default:
            return tr("%1 was not converted").arg(source);
    }
}

QString detailsText(const ConversionRow& row) {
    if (!row.hasProblems()) return {};
    QStringList lines{fileName(row.sourcePath) + QStringLiteral(": ") + outcomeText(row)};
    if (row.outcome == ConversionRow::Outcome::Stopped) {
        lines << tr("The batch was stopped before this session was converted.");
    }
    // Only the first of each error of single steps was shown; its count says how many followed.
    for (const ErrorTally& tally : row.stepErrors) {
        const QString error = QString::fromStdString(tally.description);
        lines << (tally.count == 1 ? tr("Error %1, %2: once, shown").arg(tally.number).arg(error)
                                   : tr("Error %1, %2: %3 times, the first shown")
                                         .arg(tally.number)
                                         .arg(error)
                                         .arg(tally.count));
    }
    for (const Message& message : row.messages) {
        if (message.kind == MessageKind::StepError) continue;
        QString text = QString::fromStdString(message.text());
        text.replace(QLatin1String("\r\n"), QLatin1String(" "));
        lines << tr("Shown: %1").arg(text);
    }
    if (row.needsCheck()) {
        lines << tr("Warning: %1 was written, but its conversion raised %2. A value that could "
                    "not be computed keeps what an earlier step left in it: check the values of "
                    "this session before use.")
                     .arg(fileName(row.targetPath), errorCountText(row.errors));
    }
    return lines.join(QLatin1Char('\n'));
}

}  // namespace z2o
