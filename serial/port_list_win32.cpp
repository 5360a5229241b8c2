// The Windows port list: the COM ports a user can pick, whether or not one is fitted.
#include <string_view>

#include "port_list.h"

std::vector<SerialPortInfo> ListSerialPorts() {
    std::vector<SerialPortInfo> ports;
    for (int n = 1; n <= 16; ++n) ports.push_back({"COM" + std::to_string(n), {}});
    return ports;
}

std::string PortDeviceKey(const std::string& path) {
    constexpr std::string_view kDevicePrefix = R"(\\.\)";
    std::string name = path.starts_with(kDevicePrefix) ? path.substr(kDevicePrefix.size()) : path;
    for (char& c : name) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    return name;
}
