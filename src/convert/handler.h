// The one error handler of a command (the session and album commands, a folder batch): it
// reacts to an error by its number, and the command then goes on with its next operation.
#pragma once

#include <optional>
#include <string>

#include "convert/errors.h"
#include "convert/host.h"

namespace z2o {

class CommandHandler {
  public:
    CommandHandler(ProgramState& state, Host& host) : m_state(state), m_host(host) {}

    // An error of the open dialog: 76 (path not found) sends the next dialog to the program's
    // folder; 53 (file not found) and 32755 (the dialog was cancelled) need nothing said.
    void raise(const RunError& error);

    // A failure that ends an operation (an album or a folder that cannot be read): always shown,
    // with the file it concerns, whatever its number.
    void fail(const RunError& error, const std::string& path);

    // Every message of a command goes through here, so that its answer lands in `lastAnswer`.
    void show(const Message& message);

  private:
    ProgramState& m_state;
    Host& m_host;
};

// Shows the open dialog in `lastFolder` (the program's folder when that is gone) and makes the
// picked file's folder the next `lastFolder`. Nothing when the user cancelled or is quitting.
std::optional<PickedFile> pickFile(ProgramState& state, Host& host, CommandHandler& handler,
                                   OpenDialogSettings settings);

}  // namespace z2o
