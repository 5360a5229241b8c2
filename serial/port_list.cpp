#include "port_list.h"

#include <algorithm>
#include <fstream>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool StartsWith(const std::string& text, std::string_view prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// ttyS0 … ttyS31 exist whether or not a UART is fitted; sysfs reports type 0 for the empty ones.
bool IsFittedUart(const fs::path& sysTtyDir, const std::string& name) {
    std::error_code ec;
    if (!fs::exists(sysTtyDir / name / "device", ec)) return false;
    std::ifstream typeFile(sysTtyDir / name / "type");
    int type = 0;
    return typeFile >> type && type != 0;
}

bool IsSerialDevice(const fs::path& sysTtyDir, const std::string& name) {
    if (StartsWith(name, "ttyUSB") || StartsWith(name, "ttyACM")) return true;
    return StartsWith(name, "ttyS") && IsFittedUart(sysTtyDir, name);
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

std::vector<std::string> SortedEntries(const fs::path& dir, auto keep) {
    std::vector<std::string> found;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir, ec)) {
        const std::string name = entry.path().filename().string();
        if (keep(name)) found.push_back((dir / name).string());
    }
    std::sort(found.begin(), found.end(), PortLess);
    return found;
}

}  // namespace

std::vector<std::string> ListSerialPortsUnder(const fs::path& devDir, const fs::path& sysTtyDir) {
    std::vector<std::string> ports = SortedEntries(
        devDir, [&](const std::string& name) { return IsSerialDevice(sysTtyDir, name); });
    const std::vector<std::string> byId =
        SortedEntries(devDir / "serial" / "by-id", [](const std::string&) { return true; });
    ports.insert(ports.end(), byId.begin(), byId.end());
    return ports;
}

std::vector<std::string> ListSerialPorts() {
#ifdef _WIN32
    std::vector<std::string> ports;
    for (int n = 1; n <= 16; ++n) ports.push_back("COM" + std::to_string(n));
    return ports;
#else
    return ListSerialPortsUnder("/dev", "/sys/class/tty");
#endif
}
