// The Linux port list: the serial devices present, from /dev and sysfs.
#include <sys/stat.h>

#include "port_list.h"

std::vector<SerialPortInfo> ListSerialPorts() {
    return ListSerialPortsUnder("/");
}

std::string PortDeviceKey(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return "name " + path;
    if (S_ISCHR(info.st_mode)) return "device " + std::to_string(info.st_rdev);
    return "file " + std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
}

std::vector<SerialPortInfo> ListPortChoices() {
    return ListSerialPorts();
}
