// One session conversion: a source path and the ramp settings in, a target beside the source and
// an outcome out. The command "Convert Zendrel Session" is the open dialog and then this call.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "convert/file_io.h"
#include "convert/host.h"

namespace z2o {

#ifdef _WIN32
inline constexpr std::string_view kFolderSeparators = "\\/";
#else
inline constexpr std::string_view kFolderSeparators = "/";
#endif

// The target of a source: its own file name's extension replaced by "OSw", or ".OSw" added.
// The one place a target is named.
std::string targetPathFor(std::string_view sourcePath,
                          std::string_view separators = kFolderSeparators);

// What one conversion leaves: its outcome and, where bytes are to be written, its complete
// target still without a name, for the caller to commit.
struct Conversion {
    SessionOutcome outcome;
    std::unique_ptr<TargetFile> target;
};

// Converts `sourcePath` by `mode`. What goes wrong is shown through `host` (errors of single
// steps once per kind; an OK/Cancel question carries `cancelStops`) and lands in the outcome
// too; the host is told `conversionEnded`. An existing target stays as it was.
Conversion convertSource(const std::string& sourcePath, const RampSettings& ramp, TargetMode mode,
                         Host& host, const std::string& cancelStops = {});

// Converts `sourcePath` and puts its target in place: a batch of one session.
SessionOutcome convertSessionFile(const std::string& sourcePath, const RampSettings& ramp,
                                  Host& host, TargetMode mode = TargetMode::Write);

// The command: picks a source in the open dialog and converts it. The outcome's source is empty
// when the dialog was cancelled.
SessionOutcome runSessionConversion(ProgramState& state, Host& host);

}  // namespace z2o
