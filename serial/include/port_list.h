// The serial ports a user can pick, each with what it is. Linux: the devices actually present
// (USB adapters, CDC-ACM devices, on-board UARTs that are fitted, Bluetooth links, and the stable
// /dev/serial/by-id names), described from sysfs. Windows: the COM ports present, named from the
// ports device class (SetupAPI) and the registry's HARDWARE\DEVICEMAP\SERIALCOMM; the dialog's
// list holds COM1 … COM16 besides.
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

// The ports present, each with what it is (qn7cfg ports).
std::vector<SerialPortInfo> ListSerialPorts();
// What the dialog's port list offers: on Windows COM1 … COM16 whether or not present, then the
// present ports beyond them; elsewhere the ports present.
std::vector<SerialPortInfo> ListPortChoices();

// What a port name stands for, so that two names of one device compare equal: on POSIX systems
// its device number (a /dev/serial/by-id link and its target, "/dev/pts//3" and "/dev/pts/3"),
// on Windows its COM name ("\\.\COM3" and "com3"). A name that cannot be looked up stands
// for itself.
std::string PortDeviceKey(const std::string& path);

// The Linux scan of a system tree: ROOT/dev and ROOT/sys (tests pass a fake tree).
std::vector<SerialPortInfo> ListSerialPortsUnder(const std::filesystem::path& root);

// What Windows reports of its serial ports (read by the Windows backend; tests give their own, as
// they give the Linux scan a fake tree).
struct WindowsPortSources {
    // A device of the ports class: its PortName value and its friendly name,
    // "USB-SERIAL CH340 (COM5)".
    struct Device {
        std::string portName;
        std::string friendlyName;
    };
    // A value of SERIALCOMM: the kernel device, "\Device\Serial0", and its port name, "COM1".
    struct Mapping {
        std::string kernelDevice;
        std::string portName;
    };
    std::vector<Device> portsClass;
    std::vector<Mapping> serialComm;
};
// This system's (Windows only).
WindowsPortSources ReadWindowsPortSources();

// The ports those sources report, in number order (COM2 before COM10), each once, named by its
// device's friendly name without the "(COMn)" that repeats the port, else by the kind of its
// kernel device. Devices of the class that are not COM ports (LPT1) are left out.
std::vector<SerialPortInfo> DescribeWindowsPorts(const WindowsPortSources& sources);
// The Windows port list: COM1 … COM16, described where present, then the other present ports.
std::vector<SerialPortInfo> WindowsPortChoices(const std::vector<SerialPortInfo>& present);

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
