#include "convert/driver.h"

#include <array>
#include <filesystem>

#include "convert/batch.h"
#include "convert/file_io.h"
#include "convert/messages.h"
#include "convert/pick_file.h"
#include "convert/session.h"

namespace z2o {

std::string targetPathFor(std::string_view sourcePath, std::string_view separators) {
    // The name's last dot is the last of all dots and separators, if it is a dot at all.
    std::string stops(separators);
    stops += '.';
    const std::size_t dot = sourcePath.find_last_of(stops);
    if (dot == std::string_view::npos || sourcePath[dot] != '.') {
        return std::string(sourcePath) + ".OSw";
    }
    return std::string(sourcePath.substr(0, dot + 1)) + "OSw";
}

namespace {

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return std::filesystem::equivalent(toPath(a), toPath(b), ec);
}

// The run's reporting: every message goes to the host and into the outcome, and errors of single
// steps are shown once per kind and counted, so that a damaged file cannot flood the user.
class Run {
  public:
    Run(const std::string& sourcePath, Host& host, const std::string& cancelStops)
        : m_host(host), m_cancelStops(cancelStops) {
        outcome.sourcePath = sourcePath;
    }

    void show(Message message) {
        if (message.buttons == Buttons::OkCancel) message.cancelStops = m_cancelStops;
        outcome.answer = m_host.showMessage(message);
        outcome.messages.push_back(std::move(message));
    }

    void stepError(int number, int record) {
        for (ErrorTally& tally : outcome.stepErrors) {
            if (tally.number == number) {
                ++tally.count;
                return;
            }
        }
        const RunError error = runError(number);
        outcome.stepErrors.push_back({number, error.description, 1, record});
        show(stepErrorMessage(error, outcome.sourcePath));
    }

    // A failure that ends the run, always shown with the file it concerns.
    Conversion fail(const RunError& error, const std::string& path) {
        outcome.runError = error;
        show(failureMessage(error, outcome.sourcePath, path));
        return end(SessionOutcome::Status::Failed);
    }

    Conversion end(SessionOutcome::Status status, std::unique_ptr<TargetFile> target = {}) {
        outcome.status = status;
        m_host.conversionEnded(outcome);
        return {std::move(outcome), std::move(target)};
    }

    SessionOutcome outcome;

  private:
    Host& m_host;
    const std::string& m_cancelStops;
};

}  // namespace

Conversion convertSource(const std::string& sourcePath, const RampSettings& ramp, TargetMode mode,
                         Host& host, const std::string& cancelStops) {
    Run run(sourcePath, host, cancelStops);
    SourceFile source;
    if (const auto error = source.open(sourcePath)) return run.fail(*error, sourcePath);
    switch (checkSourceLength(source.size())) {
        case SourceLength::NotWholeRecords:
            run.show(incompatibleMessage(sourcePath));
            return run.end(SessionOutcome::Status::Rejected);
        case SourceLength::TooManyRecords:
            return run.fail(runError(kOverflow), sourcePath);
        case SourceLength::Valid:
            break;
    }

    const std::string targetPath = targetPathFor(sourcePath);
    // Writing the target would destroy the only copy of the source.
    if (sameFile(sourcePath, targetPath))
        return run.fail(runError(kPathFileAccessError), targetPath);
    auto target = std::make_unique<TargetFile>();
    if (const auto error = target->create(targetPath, mode)) return run.fail(*error, targetPath);

    // The records stream from the source through the converter's buffer into the target, so
    // memory stays the same for any session; the target is put in place only once complete.
    std::optional<RunError> writeError;
    const auto write = [&](std::span<const std::uint8_t> bytes) {
        writeError = target->write(bytes);
        return !writeError;
    };
    const SessionConverter* running = nullptr;
    const auto raise = [&run, &running](int number) { run.stepError(number, running->record()); };
    SessionConverter converter(ramp, raise, write);
    running = &converter;
    std::array<std::uint8_t, 1456 * kSourceRecordSize> chunk;  // 64 KiB of whole records
    for (;;) {
        std::size_t got = 0;
        if (const auto error = source.readNext(chunk, got)) return run.fail(*error, sourcePath);
        if (got == 0) break;
        if (!converter.add(std::span(chunk).first(got))) break;
        // Only a program that has to end at once abandons a file halfway; a Stop waits for it.
        if (got == chunk.size() && host.endingNow())
            return run.end(SessionOutcome::Status::Stopped);
    }
    converter.finish();  // nothing more once it stopped
    if (converter.tooManySteps()) return run.fail(runError(kOverflow), sourcePath);
    if (!writeError) writeError = target->finish();
    if (writeError) return run.fail(*writeError, targetPath);
    run.outcome.targetPath = targetPath;
    run.outcome.replaced = target->replacing();
    run.outcome.steps = converter.steps();
    run.outcome.playingTenths = converter.playingTenths();
    if (target->upToDate()) return run.end(SessionOutcome::Status::UpToDate);
    if (!target->writes()) return run.end(SessionOutcome::Status::Converted);
    return run.end(SessionOutcome::Status::Converted, std::move(target));
}

SessionOutcome convertSessionFile(const std::string& sourcePath, const RampSettings& ramp,
                                  Host& host, TargetMode mode) {
    Batch batch(host, ramp, mode);
    batch.convert(sourcePath);
    return std::move(batch.finish().entries.front());
}

SessionOutcome runSessionConversion(ProgramState& state, Host& host) {
    const std::optional<PickedFile> picked =
        pickFile(state, host,
                 {"Zendrel Session", "*.ZS2", "*.ZS2", "Select Zendrel session/s to convert", {}});
    if (!picked) {
        SessionOutcome cancelled;
        host.sessionDone(cancelled);
        return cancelled;
    }
    return convertSessionFile(picked->fileName, state.ramp, host);
}

}  // namespace z2o
