#include "win_error.h"

#include <cerrno>

#include "serial_port.h"

namespace {
constexpr int32_t kErrorNotEnoughMemory = 8;
constexpr int32_t kErrorTooManyOpenFiles = 4;
constexpr int32_t kErrorWriteProtect = 19;
constexpr int32_t kErrorGenFailure = 31;
constexpr int32_t kErrorFilenameTooLong = 206;
constexpr int32_t kErrorOperationAborted = 995;
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

std::string WinErrorDescription(int32_t code) {
    switch (code) {
        case kErrorInvalidFunction:
            return "Not possible on a port opened without overlapped I/O";
        case kErrorFileNotFound:
            return "No such device";
        case kErrorAccessDenied:
            return "Permission denied";
        case kErrorInvalidHandle:
            return "The port is not open";
        case kErrorSharingViolation:
            return "The port is busy";
        case kErrorNotSupported:
            return "Not supported by this device";
        case kErrorInvalidParameter:
            return "Invalid line setting";
        case kErrorDeviceNotConnected:
            return "The device is not connected";
        case kErrorAlreadyInitialized:
            return "The port is already open";
        case kErrorTimeout:
            return "The operation timed out";
        case kErrorInvalidArg:
            return "Invalid argument";
        default:
            return "System error";
    }
}

std::string WinErrorHint(int32_t code) {
    switch (code) {
        case kErrorFileNotFound:
            return "Check the port name and that the adapter is plugged in.";
        case kErrorAccessDenied:
#ifdef _WIN32
            // Windows refuses a COM port held by another program with this code.
            return "Another program may hold the port; close it and try again.";
#else
            return "Allow your user to use serial ports: sudo usermod -aG dialout $USER, then log "
                   "out and in again.";
#endif
        case kErrorSharingViolation:
            return "Another program holds the port; close it and try again.";
        case kErrorDeviceNotConnected:
            return "The device was disconnected; plug it in again and retry.";
        default:
            return {};
    }
}
