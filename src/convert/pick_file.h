// The open dialog of the two menu commands.
#pragma once

#include <optional>

#include "convert/host.h"

namespace z2o {

// Shows the open dialog in `lastFolder` (the program's folder when that is empty or gone) and
// makes the picked file's folder the next `lastFolder`. Nothing when the user cancelled.
std::optional<PickedFile> pickFile(ProgramState& state, Host& host, OpenDialogSettings settings);

}  // namespace z2o
