// Translation between the Windows-style line state and termios, kept free of I/O so that data
// bits and parity (which a pseudo-terminal ignores) can be checked directly.
#pragma once

#include <termios.h>

#include <cstdint>

#include "serial_port.h"

// The termios speed code of a rate, or B0 when the rate is not in the termios table.
speed_t SpeedFromBaud(uint32_t baud);
// The rate of a termios speed code, or 0 for a code that names no rate.
uint32_t BaudFromSpeed(speed_t speed);

// Writes the line state into `tio`, leaving every flag it does not govern alone. Returns 0, or
// kErrorInvalidParameter for data bits, parity or stop bits that termios cannot express. A rate
// outside the termios table leaves the speed untouched: the caller sets it exactly.
int32_t LineStateToTermios(const LineState& line, termios* tio);
// Reads back the fields termios holds; the others (DTR/DSR handshake, event character) and, for
// a speed outside the table, the rate keep the values already in `line`.
void TermiosToLineState(const termios& tio, LineState* line);
// Raw data line: no echo, no line editing, no character translation; reads wait for one byte.
void MakeRaw(termios* tio);
