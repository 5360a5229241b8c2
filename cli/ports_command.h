// qn7cfg ports: the serial ports present, as paths, as "PATH — DESCRIPTION" (-v) or as JSON.
#pragma once

#include <ostream>
#include <vector>

#include "port_list.h"

enum class PortsFormat { kPaths, kLabels, kJson };

void PrintPorts(const std::vector<SerialPortInfo>& ports, PortsFormat format, std::ostream& out);
