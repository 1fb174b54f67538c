#include "convert/handler.h"

#include "convert/file_io.h"
#include "convert/messages.h"

namespace z2o {

void CommandHandler::raise(const RunError& error) {
    if (error.number == kPathNotFound) m_state.lastFolder = m_host.programFolder();
}

void CommandHandler::fail(const RunError& error, const std::string& path) {
    show(failureMessage(error, path, path));
}

void CommandHandler::show(const Message& message) {
    m_state.lastAnswer = m_host.showMessage(message);
}

std::optional<PickedFile> pickFile(ProgramState& state, Host& host, CommandHandler& handler,
                                   OpenDialogSettings settings) {
    // An empty or vanished folder is a path that is not found, which resets it.
    if (!isFolder(state.lastFolder)) handler.raise(runError(kPathNotFound));
    settings.initDir = state.lastFolder;
    if (!host.processEvents()) return std::nullopt;
    settings.flags = kOpenFlags;
    settings.cancelError = true;
    std::optional<PickedFile> picked = host.showOpen(settings);
    if (!picked) {
        handler.raise(runError(kDialogCancelled));
        return std::nullopt;
    }
    state.lastFolder = fromPath(toPath(picked->fileName).parent_path());
    return picked;
}

}  // namespace z2o
