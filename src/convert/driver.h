// The command "Convert Zendrel Session": picks a source, converts it and writes its target
// beside it. Also the error handler that every command runs under.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/errors.h"
#include "convert/host.h"

namespace z2o {

#ifdef _WIN32
inline constexpr std::string_view kFolderSeparators = "\\/";
#else
inline constexpr std::string_view kFolderSeparators = "/";
#endif

// The one error handler of a command. It reacts to an error by its number and the command then
// goes on with its next operation; nothing is retried.
class CommandHandler {
  public:
    CommandHandler(ProgramState& state, Host& host) : m_state(state), m_host(host) {}

    void raise(int number) { raise(runError(number)); }
    void raise(const RunError& error);

    // An error of a single step: only the first of each number in this command is shown, the
    // rest are counted in `stepErrors`, so that a damaged file cannot flood the user.
    void raiseStepError(int number);

    // A failure that ends the run (a file that cannot be read or written, a count that would
    // overflow). It is always shown, with the file it concerns, whatever its number.
    void fail(const RunError& error, const std::string& path);

    // Every message of a command goes through here, so that its answer lands in `lastAnswer`.
    void show(const Message& message);

    bool checkingSession = false;  // set while an album entry is tested for existence
    // The last error passed to `raise`, which an album entry's existence test reads.
    int errorNumber = 0;
    std::string errorText;
    std::vector<ErrorTally> stepErrors;

  private:
    ProgramState& m_state;
    Host& m_host;
};

// Shows the open dialog in `lastFolder` (the program's folder when that is gone) and makes the
// picked file's folder the next `lastFolder`. Nothing when the user cancelled or is quitting.
std::optional<PickedFile> pickFile(ProgramState& state, Host& host, CommandHandler& handler,
                                   OpenDialogSettings settings);

// The target of a source: its own file name's extension replaced by "OSw", or ".OSw" added.
std::string targetPathFor(std::string_view sourcePath,
                          std::string_view separators = kFolderSeparators);

// One run. With `albumMode` on it converts `sourcePath` without asking.
SessionOutcome runSessionConversion(ProgramState& state, Host& host);

}  // namespace z2o
