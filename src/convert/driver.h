// One session conversion: a source path and the ramp settings in, a target beside the source and
// an outcome out. The command "Convert Zendrel Session" is the open dialog and then this call.
#pragma once

#include <string>
#include <string_view>

#include "convert/host.h"

namespace z2o {

#ifdef _WIN32
inline constexpr std::string_view kFolderSeparators = "\\/";
#else
inline constexpr std::string_view kFolderSeparators = "/";
#endif

// The target of a source: its own file name's extension replaced by "OSw", or ".OSw" added.
std::string targetPathFor(std::string_view sourcePath,
                          std::string_view separators = kFolderSeparators);

// Converts `sourcePath` into its target. What goes wrong is shown through `host` (errors of
// single steps once per kind) and lands in the outcome too; the host is told `sessionDone` last.
// An existing target stays as it was unless the conversion succeeds.
SessionOutcome convertSessionFile(const std::string& sourcePath, const RampSettings& ramp,
                                  Host& host);

// The command: picks a source in the open dialog and converts it; the answer to its last
// message lands in `lastAnswer`.
SessionOutcome runSessionConversion(ProgramState& state, Host& host);

}  // namespace z2o
