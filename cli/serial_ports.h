// The serial ports present on this machine, as device paths ("COMn" names on Windows).
#pragma once

#include <string>
#include <vector>

// USB adapters, CDC-ACM devices and UARTs with hardware behind them; virtual consoles and
// placeholder UARTs are left out. In natural order: ttyS2 before ttyS10.
std::vector<std::string> ListSerialPorts();
