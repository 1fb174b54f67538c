#include "driver.h"

#include <filesystem>
#include <vector>

#include "file_io.h"
#include "session.h"

namespace z2o {

void CommandHandler::show(const Message& message) {
    m_state.lastAnswer = m_host.showMessage(message);
}

void CommandHandler::raise(const RunError& error) {
    errorNumber = error.number;
    errorText = error.description;
    switch (error.number) {
        case kFileNotFound:
            break;
        case kPathNotFound:
            // A vanished remembered folder: the next dialog opens in the program's folder.
            if (!checkingSession) m_state.lastFolder = m_host.programFolder();
            cancelled = false;
            break;
        case kDialogCancelled:
            cancelled = true;
            break;
        default:
            show({error.description, Buttons::Ok, {}, MessageKind::Error, m_state.sourcePath});
    }
}

void CommandHandler::fail(const RunError& error, const std::string& path) {
    errorNumber = error.number;
    errorText = error.description;
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
        return outcome;
    };

    if (!state.albumMode) {
        const std::optional<PickedFile> picked = pickFile(state, host, handler,
                                                          {"Zendrel Session (*.ZS2)|*.ZS2",
                                                           "*.ZS2",
                                                           "Select Zendrel session/s to convert",
                                                           {},
                                                           0,
                                                           false});
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
    std::vector<std::uint8_t> bytes;
    if (const auto error = source.readAll(bytes)) {
        handler.fail(*error, sourcePath);
        return finish(SessionOutcome::Status::Failed);
    }

    const ConversionResult result =
        convertSession(bytes, state.ramp, [&handler](int number) { handler.raise(number); });
    if (result.tooManySteps) {
        handler.fail(runError(kOverflow), sourcePath);
        return finish(SessionOutcome::Status::Failed);
    }
    if (const auto error = replaceFile(outcome.targetPath, result.target)) {
        handler.fail(*error, outcome.targetPath);
        return finish(SessionOutcome::Status::Failed);
    }
    outcome.steps = result.steps;
    return finish(SessionOutcome::Status::Converted);
}

}  // namespace z2o
