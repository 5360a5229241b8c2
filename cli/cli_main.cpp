#include "cli_main.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

#include <cstdio>
#include <iostream>

#include "cli_options.h"
#include "compose_command.h"
#include "exit_codes.h"
#include "module_commands.h"
#include "port_list.h"
#include "ports_command.h"
#include "terminal_text.h"

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

int RunOnStandardStreams(std::span<const std::string> args) {
#ifdef _WIN32
    // Scripts and replies carry their own CR LF: the standard streams pass bytes unchanged
    // instead of turning each LF into another CR LF.
    for (std::FILE* stream : {stdin, stdout, stderr}) _setmode(_fileno(stream), _O_BINARY);
#endif
    // A terminal obeys the control bytes a module may answer with; a pipe or a file gets the
    // bytes as they came.
    ControlEscapingBuf outEscaping(std::cout.rdbuf());
    ControlEscapingBuf errEscaping(std::cerr.rdbuf());
    std::ostream escapedOut(&outEscaping);
    std::ostream escapedErr(&errEscaping);
    escapedErr.setf(std::ios::unitbuf);
    std::ostream& out = isatty(1) ? escapedOut : std::cout;
    std::ostream& err = isatty(2) ? escapedErr : std::cerr;
    const int status = RunCli(args, std::cin, out, err);
    out.flush();
    return status;
}
