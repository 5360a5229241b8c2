// The simulator's own settings of its pseudo-terminal: raw from the start, and the line rate the
// module runs at, set on its own end and read back from the end the tool under test set.
#pragma once

#include <cstdint>

// Each returns 0 or an errno value.
// No echo, no line editing, no translation; reads wait for one byte.
int MakePtyRaw(int fd);
int SetPtyRate(int fd, uint32_t baud);
// On the master end: the rate its slave was last set to.
int GetPtyRate(int fd, uint32_t* baud);
