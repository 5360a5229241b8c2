#include "ports_command.h"

#include "query_answers.h"

void PrintPorts(const std::vector<SerialPortInfo>& ports, PortsFormat format, std::ostream& out) {
    if (format != PortsFormat::kJson) {
        for (const SerialPortInfo& port : ports) {
            out << (format == PortsFormat::kLabels ? PortLabel(port) : port.path) << '\n';
        }
        return;
    }
    if (ports.empty()) {
        out << "[]\n";
        return;
    }
    out << "[\n";
    for (std::size_t i = 0; i < ports.size(); ++i) {
        out << "  {\"path\": " << JsonString(ports[i].path)
            << ", \"description\": " << JsonString(ports[i].description) << '}'
            << (i + 1 < ports.size() ? ",\n" : "\n");
    }
    out << "]\n";
}
