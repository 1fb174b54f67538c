#include "convert/errors.h"

#include <cerrno>

namespace z2o {
namespace {}  // namespace

std::string describeError(int number) {
    switch (number) {
        case kInvalidCall:
            return "Invalid procedure call or argument";
        case kOverflow:
            return "Overflow";
        case kOutOfMemory:
            return "Out of memory";
        case kBadFileName:
            return "Bad file name or number";
        case kFileNotFound:
            return "File not found";
        case kDeviceIoError:
            return "Device I/O error";
        case kDiskFull:
            return "Disk full";
        case kPermissionDenied:
            return "Permission denied";
        case kPathFileAccessError:
            return "Path/File access error";
        case kPathNotFound:
            return "Path not found";
        default:
            return "Application-defined or object-defined error";
    }
}

RunError runError(int number) {
    return {number, describeError(number)};
}

RunError fromSystemError(std::error_code ec) {
    switch (ec.value()) {
        case ENOENT:
            return runError(kFileNotFound);
        case ENOTDIR:
            return runError(kPathNotFound);
        case EACCES:
        case EPERM:
        case EROFS:
        case ETXTBSY:
            return runError(kPermissionDenied);
        case ENOSPC:
#ifdef EDQUOT  // a full quota is a full disk to the user; not every system has quotas
        case EDQUOT:
#endif
        case EFBIG:
            return runError(kDiskFull);
        case ENAMETOOLONG:
        case EINVAL:
            return runError(kBadFileName);
        case EIO:
            return runError(kDeviceIoError);
        default:
            return runError(kPathFileAccessError);
    }
}

}  // namespace z2o
