// The serial ports a user can pick, each with what it is. Linux: the devices actually present
// (USB adapters, CDC-ACM devices, on-board UARTs that are fitted, Bluetooth links, and the stable
// /dev/serial/by-id names), described from sysfs. Windows: COM1 … COM16.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct SerialPortInfo {
    std::string path;         // what is opened: /dev/ttyUSB0, COM3
    std::string description;  // what it is: "FTDI FT232R USB UART (A50285BI)"; may be empty

    bool operator==(const SerialPortInfo&) const = default;
};

// "PATH — DESCRIPTION", or the path alone when nothing is known about it.
std::string PortLabel(const SerialPortInfo& port);

std::vector<SerialPortInfo> ListSerialPorts();

// What a port name stands for, so that two names of one device compare equal: on POSIX systems
// its device number (a /dev/serial/by-id link and its target, "/dev/pts//3" and "/dev/pts/3"),
// on Windows its COM name ("\\.\COM3" and "com3"). A name that cannot be looked up stands
// for itself.
std::string PortDeviceKey(const std::string& path);

// The Linux scan of a system tree: ROOT/dev and ROOT/sys (tests pass a fake tree).
std::vector<SerialPortInfo> ListSerialPortsUnder(const std::filesystem::path& root);

// What came and went between two scans, each in scan order.
struct PortChanges {
    std::vector<SerialPortInfo> added;
    std::vector<SerialPortInfo> removed;

    bool Empty() const { return added.empty() && removed.empty(); }
};
PortChanges ComparePortLists(const std::vector<SerialPortInfo>& before,
                             const std::vector<SerialPortInfo>& after);

// The log pane's lines for them: "(:Port added: LABEL" and "(:Port removed: LABEL", CR LF each.
std::string PortChangesLogText(const PortChanges& changes);
