// Windows error codes on every system: callers show them to the user, so a failure reads the
// same wherever the tool runs, and the codes CSerial sets itself never collide with errno values.
#pragma once

#include <cstdint>
#include <string>

// A short explanation of a code, for when the system's own text is not at hand.
std::string WinErrorDescription(int32_t code);

// The POSIX backends' errno values as the Windows error codes the callers show.
int32_t WinErrorFromErrno(int err);
