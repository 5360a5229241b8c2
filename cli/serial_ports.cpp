#include "serial_ports.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <tuple>

namespace fs = std::filesystem;

namespace {

#if defined(_WIN32)

std::vector<std::string> PresentPorts() {
    std::vector<std::string> ports;
    for (int n = 1; n <= 16; ++n) ports.push_back("COM" + std::to_string(n));
    return ports;
}

#else

constexpr std::string_view kSysTty = "/sys/class/tty";

bool HasHardware(const fs::path& sysEntry) {
    std::error_code ec;
    if (!fs::exists(sysEntry / "device", ec)) return false;  // virtual consoles, pseudo ttys
    // The serial core reports port type 0 for a legacy UART slot with no chip behind it.
    std::ifstream type(sysEntry / "type");
    int portType = -1;
    return !(type >> portType) || portType != 0;
}

std::vector<std::string> PresentPorts() {
    std::vector<std::string> ports;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(kSysTty, ec)) {
        const std::string name = entry.path().filename().string();
        const fs::path device = fs::path("/dev") / name;
        if (HasHardware(entry.path()) && fs::exists(device, ec)) ports.push_back(device.string());
    }
    return ports;
}

#endif

// "ttyUSB10" sorts after "ttyUSB9": compare the text before the trailing number, then the
// number by its length and digits (no conversion, so any length is fine).
bool NaturalLess(const std::string& a, const std::string& b) {
    const auto split = [](const std::string& s) {
        std::size_t digits = s.size();
        while (digits > 0 && s[digits - 1] >= '0' && s[digits - 1] <= '9') --digits;
        return std::make_tuple(s.substr(0, digits), s.size() - digits, s.substr(digits));
    };
    return split(a) < split(b);
}

}  // namespace

std::vector<std::string> ListSerialPorts() {
    std::vector<std::string> ports = PresentPorts();
    std::sort(ports.begin(), ports.end(), NaturalLess);
    return ports;
}
