// qn7cfg ports: the serial ports present, as paths, as "PATH — DESCRIPTION" (-v) or as JSON.
#pragma once

#include <istream>
#include <ostream>
#include <vector>

#include "cli_options.h"
#include "port_list.h"

enum class PortsFormat { kPaths, kLabels, kJson };

void PrintPorts(const std::vector<SerialPortInfo>& ports, PortsFormat format, std::ostream& out);

// qn7cfg ports: the ports present, as the options ask.
int RunPorts(const CliOptions& options, std::istream& in, std::ostream& out, std::ostream& err);
