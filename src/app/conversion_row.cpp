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
        case SessionOutcome::Status::UpToDate:
            row.upToDate = true;
            [[fallthrough]];
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
        case SessionOutcome::Status::Stopped:
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
        case ConversionRow::Outcome::Converted: {
            const QString done = row.upToDate ? tr("up to date") : tr("converted");
            return row.errors == 0 ? done : tr("%1 with %2").arg(done, errorCountText(row.errors));
        }
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
            QString text =
                (row.upToDate ? tr("%1: %2 is up to date, %3") : tr("%1 converted to %2: %3"))
                    .arg(source, fileName(row.targetPath),
                         row.steps == 1 ? tr("1 step") : tr("%1 steps").arg(row.steps));
            if (row.errors > 0) text += QStringLiteral(", ") + errorCountText(row.errors);
            return text;
        }
        case ConversionRow::Outcome::NotFound:
            return tr("%1 was not found").arg(source);
        default:
            return tr("%1 was not converted").arg(source);
    }
}

QString summaryText(const QString& label, const BatchCounts& counts, std::size_t notReached,
                    bool stopped) {
    QString text = tr("%1: %2 converted, %3 up to date, %4 failed, %5 not found")
                       .arg(label)
                       .arg(counts.converted)
                       .arg(counts.upToDate)
                       .arg(counts.failed)
                       .arg(counts.notFound);
    if (counts.stopped > 0) text += tr(", %1 stopped").arg(counts.stopped);
    if (stopped) text += tr(", %1 not reached (stopped)").arg(notReached);
    return text;
}

QString adviceFor(int errorNumber) {
    switch (errorNumber) {
        case kFileNotFound:
        case kPathNotFound:
            return tr("Check that the session is still there, or correct the line that names it.");
        case kPermissionDenied:
            return tr(
                "Make the target and its folder writable for you, or convert a copy "
                "elsewhere.");
        case kDiskFull:
            return tr("Free some space on that disk, then convert it again.");
        case kDeviceIoError:
            return tr("The disk reported an error: check it, or copy the session elsewhere.");
        case kPathFileAccessError:
            return tr(
                "Check that the target's name is not a folder or the source itself, and "
                "that its folder can be written.");
        case kBadFileName:
            return tr("Rename the file to a name this system accepts.");
        case kOverflow:
        case kInvalidCall:
            return tr(
                "A value of this step is out of range: check the step in the program that "
                "made the session.");
        case kOutOfMemory:
            return tr(
                "This file is too large to be an album: check that the right file was "
                "picked.");
        default:
            return tr("Convert it again once the cause is mended; an old target stays as it was.");
    }
}

QString detailsText(const ConversionRow& row) {
    if (!row.hasProblems()) return {};
    QStringList lines{fileName(row.sourcePath) + QStringLiteral(": ") + outcomeText(row)};
    if (row.outcome == ConversionRow::Outcome::Stopped) {
        lines << tr("The batch was stopped before this session was converted.");
    }
    // Each error of single steps once, with the record it first came from and its count.
    for (const ErrorTally& tally : row.stepErrors) {
        const QString error = QString::fromStdString(tally.description);
        const QString times =
            tally.count == 1 ? tr("once") : tr("%1 times, the first").arg(tally.count);
        lines << tr("Error %1, %2: %3 at source record %4. %5")
                     .arg(tally.number)
                     .arg(error, times)
                     .arg(tally.firstRecord)
                     .arg(adviceFor(tally.number));
    }
    for (const Message& message : row.messages) {
        if (message.kind == MessageKind::StepError) continue;
        QString text = QString::fromStdString(message.text());
        text.replace(QLatin1String("\r\n"), QLatin1String(" "));
        const QString advice = message.kind == MessageKind::Incompatible
                                   ? tr("The file is damaged or is no Zendrel session: save it "
                                        "again in the program that made it.")
                                   : adviceFor(message.errorNumber);
        if (!text.endsWith(QLatin1Char('.'))) text += QLatin1Char('.');
        lines << (message.errorNumber != 0
                      ? tr("Error %1: %2 %3").arg(message.errorNumber).arg(text, advice)
                      : tr("%1 %2").arg(text, advice));
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
