// The POSIX side of the error seam: errno mapped to Windows codes.
#include <cerrno>

#include "serial_port.h"
#include "win_error.h"

namespace {
constexpr int32_t kErrorNotEnoughMemory = 8;
constexpr int32_t kErrorTooManyOpenFiles = 4;
constexpr int32_t kErrorWriteProtect = 19;
constexpr int32_t kErrorGenFailure = 31;
constexpr int32_t kErrorFilenameTooLong = 206;
}  // namespace

int32_t WinErrorFromErrno(int err) {
    switch (err) {
        case 0:
            return 0;
        case ENOENT:
        case ENOTDIR:
            return kErrorFileNotFound;
        case EACCES:
        case EPERM:
            return kErrorAccessDenied;
        case EBUSY:
        case EWOULDBLOCK:
            return kErrorSharingViolation;
        case ENXIO:
            return kErrorBadUnit;
        case ENODEV:
        case EIO:
            return kErrorDeviceNotConnected;
        case EBADF:
            return kErrorInvalidHandle;
        case EINVAL:
            return kErrorInvalidParameter;
        case ENOTTY:
        case ENOTSUP:
            return kErrorNotSupported;
        case ENOMEM:
            return kErrorNotEnoughMemory;
        case EMFILE:
        case ENFILE:
            return kErrorTooManyOpenFiles;
        case EROFS:
            return kErrorWriteProtect;
        case ENAMETOOLONG:
            return kErrorFilenameTooLong;
        case EINTR:
            return kErrorOperationAborted;
        case ETIMEDOUT:
            return kErrorTimeout;
        default:
            return kErrorGenFailure;
    }
}
