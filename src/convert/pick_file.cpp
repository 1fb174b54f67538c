#include "convert/pick_file.h"

#include "convert/file_io.h"

namespace z2o {

std::optional<PickedFile> pickFile(ProgramState& state, Host& host, OpenDialogSettings settings) {
    if (!isFolder(state.lastFolder)) state.lastFolder = host.programFolder();
    settings.initDir = state.lastFolder;
    host.processEvents();
    settings.flags = kOpenFlags;
    settings.cancelError = true;
    std::optional<PickedFile> picked = host.showOpen(settings);
    if (picked) rememberFolderOf(state, picked->fileName);
    return picked;
}

void rememberFolderOf(ProgramState& state, const std::string& path) {
    state.lastFolder = fromPath(toPath(path).parent_path());
}

}  // namespace z2o
