#include "link_lists.h"

#include <algorithm>
#include <cstdlib>

int InitialPortIndex(const std::vector<std::string>& ports) {
    if (ports.empty()) return -1;
    const auto initial = std::find(ports.begin(), ports.end(), kInitialPort);
    return initial == ports.end() ? 0 : static_cast<int>(initial - ports.begin());
}

uint32_t LinkBaudOfEntry(std::string_view entry) {
    return static_cast<uint32_t>(std::strtoul(std::string(entry).c_str(), nullptr, 10));
}
