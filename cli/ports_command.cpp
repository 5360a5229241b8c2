#include "ports_command.h"

#include "exit_codes.h"
#include "json_text.h"

void PrintPorts(const std::vector<SerialPortInfo>& ports, PortsFormat format, std::ostream& out) {
    if (format != PortsFormat::kJson) {
        for (const SerialPortInfo& port : ports) {
            out << (format == PortsFormat::kLabels ? PortLabel(port) : port.path) << '\n';
        }
        return;
    }
    Json list = Json::array();
    for (const SerialPortInfo& port : ports) {
        list.push_back(
            {{"path", BytesToJson(port.path)}, {"description", BytesToJson(port.description)}});
    }
    out << JsonText(list);
}

int RunPorts(const CliOptions& options, std::istream&, std::ostream& out, std::ostream&) {
    PrintPorts(ListSerialPorts(),
               options.json      ? PortsFormat::kJson
               : options.verbose ? PortsFormat::kLabels
                                 : PortsFormat::kPaths,
               out);
    return exit_code::kOk;
}
