// The Linux port list: the serial devices present, from /dev and sysfs.
#include "port_list.h"

std::vector<SerialPortInfo> ListSerialPorts() {
    return ListSerialPortsUnder("/");
}

std::vector<SerialPortInfo> ListPortChoices() {
    return ListSerialPorts();
}
