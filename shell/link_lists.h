// The link lists: the port list and the hidden link-baud list, and how a pick in them becomes
// the link settings.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::array<const char*, 15> kLinkBaudEntries = {
    "110",   "300",   "600",   "1200",  "2400",   "4800",   "9600",  "14400",
    "19200", "38400", "56000", "57600", "115200", "128000", "256000"};
inline constexpr int kLinkBaudInitialIndex = 12;  // "115200", the initial link rate
inline constexpr uint32_t kInitialLinkBaud = 115200;
// The port the list starts on where it exists (the Windows list of COM1 … COM16).
inline constexpr std::string_view kInitialPort = "COM11";

// The initial port's index in the port list, else the first entry; -1 for an empty list.
int InitialPortIndex(const std::vector<std::string>& ports);
// A link-baud entry's leading decimal number, 0 when it has none.
uint32_t LinkBaudOfEntry(std::string_view entry);
