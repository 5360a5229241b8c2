#include "cli_main.h"

#include <ostream>

#include "cli_options.h"
#include "compose_command.h"
#include "exit_codes.h"
#include "module_commands.h"
#include "port_list.h"
#include "ports_command.h"

#ifndef QN7_VERSION
#define QN7_VERSION "unknown"
#endif

int RunCli(std::span<const std::string> args, std::istream& in, std::ostream& out,
           std::ostream& err) {
    const ParseResult parsed = ParseCommandLine(args);
    if (!parsed.Ok()) {
        err << "qn7cfg: " << parsed.error << "\nTry 'qn7cfg --help' for more information.\n";
        return exit_code::kUsage;
    }
    const CliOptions& options = parsed.options;
    if (options.help) {
        out << UsageText();
        return exit_code::kOk;
    }
    if (options.version) {
        out << "qn7cfg " QN7_VERSION "\n";
        return exit_code::kOk;
    }
    switch (options.command) {
        case Command::kPorts:
            PrintPorts(ListSerialPorts(),
                       options.json      ? PortsFormat::kJson
                       : options.verbose ? PortsFormat::kLabels
                                         : PortsFormat::kPaths,
                       out);
            return exit_code::kOk;
        case Command::kCompose:
            return RunCompose(options.compose, in, out, err);
        default:
            return RunModuleCommand(options, in, out, err);
    }
}
