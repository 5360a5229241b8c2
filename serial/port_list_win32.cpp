// The Windows port list: the COM ports a user can pick, whether or not one is fitted.
#include "port_list.h"

std::vector<SerialPortInfo> ListSerialPorts() {
    std::vector<SerialPortInfo> ports;
    for (int n = 1; n <= 16; ++n) ports.push_back({"COM" + std::to_string(n), {}});
    return ports;
}
