// POSIX backends: errno values as the Windows error codes the callers show.
#pragma once

#include <cstdint>

int32_t WinErrorFromErrno(int err);
