// The open dialog of the two menu commands.
#pragma once

#include <optional>

#include "convert/host.h"

namespace z2o {

// Shows the open dialog in `lastFolder` (the program's folder when that is empty or gone) and
// makes the picked file's folder the next `lastFolder`. Nothing when the user cancelled.
std::optional<PickedFile> pickFile(ProgramState& state, Host& host, OpenDialogSettings settings);

// The next open dialog opens in the folder of `path`, as after a pick: the one place that
// writes `lastFolder` once a file was chosen, in the dialog or otherwise.
void rememberFolderOf(ProgramState& state, const std::string& path);

}  // namespace z2o
