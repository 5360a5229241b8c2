#include "win_error.h"

#include "serial_port.h"

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
        case kErrorBadUnit:
            return "No device behind this name";
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
        case kErrorOperationAborted:
            return "The operation was stopped";
        case kErrorTimeout:
            return "The operation timed out";
        case kErrorInvalidArg:
            return "Invalid argument";
        default:
            return "System error";
    }
}
