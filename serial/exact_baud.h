// Rates outside the termios table (14400, 56000, 128000, 256000 …) set and read exactly. Kept
// apart because the kernel's termios2 header cannot share a file with <termios.h>.
#pragma once

#include <cstdint>

// 0 or an errno value; ENOTSUP where the system cannot set an arbitrary rate.
int SetExactBaud(int fd, uint32_t baud);
// 0 or an errno value. On a pseudo-terminal master it reads the rate its slave was set to.
int GetExactBaud(int fd, uint32_t* baud);
