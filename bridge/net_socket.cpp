#include "net_socket.h"

std::string_view NetErrorName(NetError error) {
    switch (error) {
        case NetError::kNone:
            return "no error";
        case NetError::kRefused:
            return "refused";
        case NetError::kUnreachable:
            return "unreachable";
        case NetError::kTimedOut:
            return "timed out";
        case NetError::kAddressInUse:
            return "address in use";
        case NetError::kAddressNotAvailable:
            return "address not available";
        case NetError::kBadAddress:
            return "bad address";
        case NetError::kClosed:
            return "connection closed";
        case NetError::kStopped:
            return "stopped";
        case NetError::kOther:
            break;
    }
    return "failed";
}
