// The serial ports a user can pick. Linux: the devices actually present (USB adapters, CDC-ACM
// devices, on-board UARTs that exist, and the stable /dev/serial/by-id names), not a fixed list.
// Windows: COM1 … COM16.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

std::vector<std::string> ListSerialPorts();

// The Linux scan over a device folder and a sysfs tty folder (tests pass fake trees).
std::vector<std::string> ListSerialPortsUnder(const std::filesystem::path& devDir,
                                              const std::filesystem::path& sysTtyDir);
