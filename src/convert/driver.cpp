#include "convert/driver.h"

#include <array>
#include <filesystem>
#include <vector>

#include "convert/file_io.h"
#include "convert/session.h"

namespace z2o {

void CommandHandler::show(const Message& message) {
    m_state.lastAnswer = m_host.showMessage(message);
}

void CommandHandler::raise(const RunError& error) {
    errorNumber = error.number;
    errorText = error.description;
    switch (error.number) {
        case kFileNotFound:
        case kDialogCancelled:
            break;  // the caller says what it means, or nothing needs saying
        case kPathNotFound:
            // A vanished remembered folder: the next dialog opens in the program's folder.
            if (!checkingSession) m_state.lastFolder = m_host.programFolder();
            break;
        default:
            show({error.description, Buttons::Ok, {}, MessageKind::Error, m_state.sourcePath});
    }
}

void CommandHandler::raiseStepError(int number) {
    for (ErrorTally& tally : stepErrors) {
        if (tally.number == number) {
            ++tally.count;
            return;
        }
    }
    const RunError error = runError(number);
    stepErrors.push_back({number, error.description, 1});
    show({error.description, Buttons::Ok, {}, MessageKind::StepError, m_state.sourcePath});
}

void CommandHandler::fail(const RunError& error, const std::string& path) {
    show({error.description + "\r\n" + path,
          Buttons::Ok,
          {},
          MessageKind::Error,
          m_state.sourcePath});
}

std::optional<PickedFile> pickFile(ProgramState& state, Host& host, CommandHandler& handler,
                                   OpenDialogSettings settings) {
    // An empty or vanished folder is a path that is not found, which resets it.
    if (!isFolder(state.lastFolder)) handler.raise(kPathNotFound);
    settings.initDir = state.lastFolder;
    if (!host.processEvents()) return std::nullopt;
    settings.flags = kOpenFlags;
    settings.cancelError = true;
    std::optional<PickedFile> picked = host.showOpen(settings);
    if (!picked) {
        handler.raise(kDialogCancelled);
        return std::nullopt;
    }
    state.lastFolder = fromPath(toPath(picked->fileName).parent_path());
    return picked;
}

std::string targetPathFor(std::string_view sourcePath, std::string_view separators) {
    const std::size_t lastSeparator = sourcePath.find_last_of(separators);
    const std::size_t nameStart = lastSeparator == std::string_view::npos ? 0 : lastSeparator + 1;
    const std::size_t dot = sourcePath.rfind('.');
    if (dot == std::string_view::npos || dot < nameStart) {
        return std::string(sourcePath) + ".OSw";
    }
    return std::string(sourcePath.substr(0, dot + 1)) + "OSw";
}

namespace {

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return std::filesystem::equivalent(toPath(a), toPath(b), ec);
}

Message incompatibleMessage(const std::string& sourcePath) {
    return {"Data in ...\r\n" + sourcePath +
                "\r\nisn't compatible with current spec.s.\r\n'Open File' aborted",
            Buttons::OkCancel,
            {},
            MessageKind::Incompatible,
            sourcePath};
}

}  // namespace

SessionOutcome runSessionConversion(ProgramState& state, Host& host) {
    CommandHandler handler(state, host);
    SessionOutcome outcome;
    const auto finish = [&](SessionOutcome::Status status) {
        outcome.status = status;
        outcome.stepErrors = std::move(handler.stepErrors);
        host.sessionDone(outcome);
        return outcome;
    };

    if (!state.albumMode) {
        const std::optional<PickedFile> picked = pickFile(
            state, host, handler,
            {"Zendrel Session (*.ZS2)|*.ZS2", "*.ZS2", "Select Zendrel session/s to convert", {}});
        if (!picked) return finish(SessionOutcome::Status::Cancelled);
        state.sourcePath = picked->fileName;
    }
    const std::string sourcePath = state.sourcePath;

    SourceFile source;
    if (const auto error = source.open(sourcePath)) {
        handler.fail(*error, sourcePath);
        return finish(SessionOutcome::Status::Failed);
    }
    switch (checkSourceLength(source.size())) {
        case SourceLength::NotWholeRecords:
            handler.show(incompatibleMessage(sourcePath));
            return finish(SessionOutcome::Status::Rejected);
        case SourceLength::TooManyRecords:
            handler.fail(runError(kOverflow), sourcePath);
            return finish(SessionOutcome::Status::Failed);
        case SourceLength::Valid:
            break;
    }
    state.recordCount = static_cast<std::int16_t>(source.size() / kSourceRecordSize);

    outcome.targetPath = targetPathFor(sourcePath);
    if (sameFile(sourcePath, outcome.targetPath)) {
        // Writing the target would destroy the only copy of the source.
        handler.fail(runError(kPathFileAccessError), outcome.targetPath);
        return finish(SessionOutcome::Status::Failed);
    }
    TargetFile target;
    if (const auto error = target.create(outcome.targetPath)) {
        handler.fail(*error, outcome.targetPath);
        return finish(SessionOutcome::Status::Failed);
    }

    // The records stream from the source through the converter's buffer into the target, so
    // memory stays the same for any session; the target is put in place only once complete.
    std::optional<RunError> writeError;
    const auto write = [&](std::span<const std::uint8_t> bytes) {
        writeError = target.write(bytes);
        return !writeError;
    };
    const auto raise = [&handler](int number) { handler.raiseStepError(number); };
    SessionConverter converter(state.ramp, raise, write);
    std::array<std::uint8_t, 1456 * kSourceRecordSize> chunk;  // 64 KiB of whole records
    for (;;) {
        std::size_t got = 0;
        if (const auto error = source.readNext(chunk, got)) {
            handler.fail(*error, sourcePath);
            return finish(SessionOutcome::Status::Failed);
        }
        if (got == 0) break;
        if (!converter.add(std::span(chunk).first(got))) break;
        // Between parts the program may be told to end: the target is then abandoned.
        if (got == chunk.size() && !host.processEvents()) {
            return finish(SessionOutcome::Status::Cancelled);
        }
    }
    if (!converter.tooManySteps() && !writeError) converter.finish();
    if (converter.tooManySteps()) {
        handler.fail(runError(kOverflow), sourcePath);
        return finish(SessionOutcome::Status::Failed);
    }
    if (!writeError) writeError = target.commit();
    if (writeError) {
        handler.fail(*writeError, outcome.targetPath);
        return finish(SessionOutcome::Status::Failed);
    }
    outcome.steps = converter.steps();
    return finish(SessionOutcome::Status::Converted);
}

}  // namespace z2o
