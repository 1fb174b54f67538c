// Run-time errors of a conversion command: a number and a description, as the user sees them.
#pragma once

#include <string>
#include <system_error>

namespace z2o {

enum ErrorNumber : int {
    kInvalidCall = 5,
    kOverflow = 6,
    kOutOfMemory = 7,
    kBadFileName = 52,
    kFileNotFound = 53,
    kDeviceIoError = 57,
    kDiskFull = 61,
    kPermissionDenied = 70,
    kPathFileAccessError = 75,
    kPathNotFound = 76,
    kDialogCancelled = 32755,
};

struct RunError {
    int number = 0;
    std::string description;
};

// The fixed description of an error number ("Overflow", "File not found", ...).
std::string describeError(int number);

RunError runError(int number);

// Maps an operating-system failure onto the numbers above, so that every front end words it the
// same way.
RunError fromSystemError(std::error_code ec);

}  // namespace z2o

#include <functional>

namespace z2o {

// Where the conversion core raises an error into the running command's handler; the core then
// goes on with its next operation.
using ErrorSink = std::function<void(int number)>;

}  // namespace z2o
