// The line rate the simulator's pseudo-terminal runs at, set on its own end and read back from
// the end the tool under test set. Kept apart from <termios.h>, which the Linux backend's
// kernel header cannot share a file with.
#pragma once

#include <cstdint>

// Each returns 0 or an errno value.
int SetPtyRate(int fd, uint32_t baud);
// On the master end: the rate its slave was last set to.
int GetPtyRate(int fd, uint32_t* baud);
