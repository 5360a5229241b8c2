// The Windows side of the error seam: the codes are the system's own; only hints differ.
#include "serial_port.h"
#include "win_error.h"

std::string SystemHint(int32_t code) {
    // Windows refuses a COM port held by another program with this code.
    if (code == kErrorAccessDenied)
        return "Another program may hold the port; close it and try again.";
    return {};
}
