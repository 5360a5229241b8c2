// What the program needs to know and set of its standard streams, per system.
#pragma once

// Scripts and replies carry their own CR LF: the standard streams must pass bytes unchanged.
void UseBinaryStandardStreams();

// Whether the standard stream `fd` (1 or 2) is a terminal.
bool IsTerminal(int fd);
