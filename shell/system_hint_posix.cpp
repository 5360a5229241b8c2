// The hint that differs on a POSIX system: access to serial ports comes with a group.
#include "exchange_feedback.h"
#include "serial_port.h"

std::string SystemHint(int32_t code) {
    if (code == kErrorAccessDenied)
        return "Allow your user to use serial ports: sudo usermod -aG dialout $USER, then log "
               "out and in again.";
    return {};
}
