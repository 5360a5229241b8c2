#include "port_list.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// How far up from a tty's device the USB device with the strings may sit (the interface, and
// for usb-serial drivers one more level for the port).
constexpr int kUsbSearchDepth = 4;

bool StartsWith(const std::string& text, std::string_view prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::string ReadAttribute(const fs::path& file) {
    std::ifstream in(file);
    std::string value;
    std::getline(in, value);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\r')) value.pop_back();
    return value;
}

// ttyS0 … ttyS31 exist whether or not a UART is fitted; sysfs reports type 0 for the empty ones.
bool IsFittedUart(const fs::path& sysTtyDir, const std::string& name) {
    std::error_code ec;
    if (!fs::exists(sysTtyDir / name / "device", ec)) return false;
    std::ifstream typeFile(sysTtyDir / name / "type");
    int type = 0;
    return typeFile >> type && type != 0;
}

struct DeviceKind {
    std::string_view prefix;
    std::string_view description;  // when sysfs tells nothing more
};

constexpr DeviceKind kDeviceKinds[] = {
    {"ttyUSB", "USB serial adapter"},    {"ttyACM", "USB CDC-ACM device"},
    {"ttyS", "on-board serial port"},    {"ttyAMA", "on-board UART"},
    {"rfcomm", "Bluetooth serial link"},
};

const DeviceKind* KindOf(const std::string& name) {
    for (const DeviceKind& kind : kDeviceKinds) {
        if (StartsWith(name, kind.prefix)) return &kind;
    }
    return nullptr;
}

bool IsSerialDevice(const fs::path& sysTtyDir, const std::string& name) {
    const DeviceKind* kind = KindOf(name);
    if (kind == nullptr) return false;
    return kind->prefix != "ttyS" || IsFittedUart(sysTtyDir, name);
}

// "Manufacturer Product (serial)" of the USB device above a tty, empty when it is none.
std::string UsbDescription(const fs::path& sysDir, const fs::path& sysTtyDir,
                           const std::string& name) {
    std::error_code ec;
    fs::path dir = fs::canonical(sysTtyDir / name / "device", ec);
    if (ec) return {};
    const fs::path sysRoot = fs::canonical(sysDir, ec);
    for (int level = 0; level < kUsbSearchDepth && !ec; ++level, dir = dir.parent_path()) {
        if (!StartsWith(dir.string(), sysRoot.string()) || dir == sysRoot) break;
        if (!fs::exists(dir / "idVendor", ec)) continue;
        const std::string manufacturer = ReadAttribute(dir / "manufacturer");
        const std::string product = ReadAttribute(dir / "product");
        const std::string serial = ReadAttribute(dir / "serial");
        std::string text = product;
        if (!manufacturer.empty() && !StartsWith(product, manufacturer)) {
            text = product.empty() ? manufacturer : manufacturer + " " + product;
        }
        if (text.empty()) {
            text = "USB device " + ReadAttribute(dir / "idVendor") + ":" +
                   ReadAttribute(dir / "idProduct");
        }
        if (!serial.empty()) text += " (" + serial + ")";
        return text;
    }
    return {};
}

std::string DescribeDevice(const fs::path& sysDir, const fs::path& sysTtyDir,
                           const std::string& name) {
    const std::string usb = UsbDescription(sysDir, sysTtyDir, name);
    if (!usb.empty()) return usb;
    const DeviceKind* kind = KindOf(name);
    return kind != nullptr ? std::string(kind->description) : std::string();
}

// Digit runs compared as numbers of any length (no conversion that could overflow).
int CompareNumbers(std::string_view a, std::string_view b) {
    a.remove_prefix(std::min(a.find_first_not_of('0'), a.size()));
    b.remove_prefix(std::min(b.find_first_not_of('0'), b.size()));
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

// Natural order, so ttyUSB2 comes before ttyUSB10.
bool PortLess(const std::string& a, const std::string& b) {
    const auto digits = [](const std::string& s) {
        return s.size() - (s.find_last_not_of("0123456789") + 1);
    };
    const std::string_view stemA(a.data(), a.size() - digits(a));
    const std::string_view stemB(b.data(), b.size() - digits(b));
    if (stemA != stemB || digits(a) == 0 || digits(b) == 0) return a < b;
    int order = CompareNumbers(std::string_view(a).substr(stemA.size()),
                               std::string_view(b).substr(stemB.size()));
    return order != 0 ? order < 0 : a < b;
}

std::vector<std::string> SortedNames(const fs::path& dir, auto keep) {
    std::vector<std::string> found;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir, ec)) {
        const std::string name = entry.path().filename().string();
        if (keep(name)) found.push_back(name);
    }
    std::sort(found.begin(), found.end(), PortLess);
    return found;
}

// Kernel devices of the serial drivers a user meets most, and what they stand for.
struct KernelDeviceKind {
    std::string_view stem;  // the device name without "\Device\" and its number
    std::string_view description;
};

constexpr KernelDeviceKind kKernelDeviceKinds[] = {
    {"Serial", "serial port"},
    {"USBSER", "USB CDC-ACM device"},
    {"VCP", "FTDI USB serial adapter"},
    {"Silabser", "Silicon Labs CP210x USB serial adapter"},
    {"BthModem", "Bluetooth serial link"},
};

constexpr std::string_view kKernelDevicePrefix = "\\Device\\";

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

std::string UpperCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// "serial port" for "\Device\Serial0"; an unknown driver's device by its own name.
std::string DescribeKernelDevice(std::string_view device) {
    if (device.size() >= kKernelDevicePrefix.size() &&
        EqualNoCase(device.substr(0, kKernelDevicePrefix.size()), kKernelDevicePrefix)) {
        device.remove_prefix(kKernelDevicePrefix.size());
    }
    const std::string_view stem = device.substr(0, device.find_last_not_of("0123456789") + 1);
    for (const KernelDeviceKind& kind : kKernelDeviceKinds) {
        if (EqualNoCase(stem, kind.stem)) return std::string(kind.description);
    }
    return std::string(device);
}

// "USB-SERIAL CH340 (COM5)" names COM5 "USB-SERIAL CH340".
std::string WithoutPortSuffix(std::string friendlyName, std::string_view port) {
    const std::string suffix = " (" + std::string(port) + ")";
    if (friendlyName.size() > suffix.size() &&
        EqualNoCase(std::string_view(friendlyName).substr(friendlyName.size() - suffix.size()),
                    suffix)) {
        friendlyName.resize(friendlyName.size() - suffix.size());
    }
    return friendlyName;
}

bool IsComPort(std::string_view name) {
    return name.size() > 3 && EqualNoCase(name.substr(0, 3), "COM") &&
           name.find_first_not_of("0123456789", 3) == std::string_view::npos;
}

}  // namespace

std::string PortLabel(const SerialPortInfo& port) {
    return port.description.empty() ? port.path : port.path + " \u2014 " + port.description;
}

std::vector<SerialPortInfo> ListSerialPortsUnder(const fs::path& root) {
    const fs::path devDir = root / "dev";
    const fs::path sysDir = root / "sys";
    const fs::path sysTtyDir = sysDir / "class" / "tty";
    std::vector<SerialPortInfo> ports;
    const auto isDevice = [&](const std::string& name) { return IsSerialDevice(sysTtyDir, name); };
    for (const std::string& name : SortedNames(devDir, isDevice)) {
        ports.push_back({(devDir / name).string(), DescribeDevice(sysDir, sysTtyDir, name)});
    }
    // A stable name tells what it stands for: the device it links to and that one's description.
    const fs::path byIdDir = devDir / "serial" / "by-id";
    for (const std::string& name : SortedNames(byIdDir, [](const std::string&) { return true; })) {
        std::error_code ec;
        const fs::path target = fs::canonical(byIdDir / name, ec);
        std::string description;
        if (!ec) {
            const std::string targetName = target.filename().string();
            description = DescribeDevice(sysDir, sysTtyDir, targetName);
            description += (description.empty() ? "" : ", ") + ("same as " + target.string());
        }
        ports.push_back({(byIdDir / name).string(), description});
    }
    return ports;
}

PortChanges ComparePortLists(const std::vector<SerialPortInfo>& before,
                             const std::vector<SerialPortInfo>& after) {
    const auto missingFrom = [](const std::vector<SerialPortInfo>& list) {
        return [&list](const SerialPortInfo& port) {
            return std::none_of(list.begin(), list.end(), [&](const SerialPortInfo& other) {
                return other.path == port.path;
            });
        };
    };
    PortChanges changes;
    std::copy_if(after.begin(), after.end(), std::back_inserter(changes.added),
                 missingFrom(before));
    std::copy_if(before.begin(), before.end(), std::back_inserter(changes.removed),
                 missingFrom(after));
    return changes;
}

std::string PortChangesLogText(const PortChanges& changes) {
    std::string text;
    for (const SerialPortInfo& port : changes.added)
        text += "(:Port added: " + PortLabel(port) + "\r\n";
    for (const SerialPortInfo& port : changes.removed) {
        text += "(:Port removed: " + PortLabel(port) + "\r\n";
    }
    return text;
}

std::vector<SerialPortInfo> DescribeWindowsPorts(const WindowsPortSources& sources) {
    // Port names in capitals: Windows takes "com5" for COM5.
    std::map<std::string, std::string> described;
    for (const WindowsPortSources::Mapping& mapping : sources.serialComm) {
        if (mapping.portName.empty()) continue;
        described[UpperCase(mapping.portName)] = DescribeKernelDevice(mapping.kernelDevice);
    }
    for (const WindowsPortSources::Device& device : sources.portsClass) {
        if (!IsComPort(device.portName)) continue;
        std::string name = WithoutPortSuffix(device.friendlyName, device.portName);
        std::string& description = described[UpperCase(device.portName)];
        if (!name.empty()) description = std::move(name);
    }
    std::vector<SerialPortInfo> ports;
    for (auto& [port, description] : described) ports.push_back({port, std::move(description)});
    std::sort(ports.begin(), ports.end(), [](const SerialPortInfo& a, const SerialPortInfo& b) {
        return PortLess(a.path, b.path);
    });
    return ports;
}

std::vector<SerialPortInfo> WindowsPortChoices(const std::vector<SerialPortInfo>& present) {
    constexpr int kListedPorts = 16;
    std::vector<SerialPortInfo> choices;
    for (int n = 1; n <= kListedPorts; ++n) choices.push_back({"COM" + std::to_string(n), {}});
    for (const SerialPortInfo& port : present) {
        const auto listed =
            std::find_if(choices.begin(), choices.begin() + kListedPorts,
                         [&](const SerialPortInfo& c) { return c.path == port.path; });
        if (listed != choices.begin() + kListedPorts) {
            listed->description = port.description;
        } else {
            choices.push_back(port);
        }
    }
    return choices;
}
