// The hint that differs on Windows: the codes are the system's own.
#include "exchange_feedback.h"
#include "serial_port.h"

std::string SystemHint(int32_t code) {
    // Windows refuses a COM port held by another program with this code.
    if (code == kErrorAccessDenied)
        return "Another program may hold the port; close it and try again.";
    return {};
}
