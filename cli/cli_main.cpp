#include "cli_main.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <sstream>

#include "cli_options.h"
#include "exit_codes.h"
#include "script_source.h"
#include "standard_streams.h"
#include "terminal_text.h"

#ifndef QN7_VERSION
#define QN7_VERSION "unknown"
#endif

namespace {

// The ports a --ports-from file names, one a line; blank lines and lines starting with "#" are
// left out, and so is white space around a name.
int AddPortsFromFile(CliOptions& options, std::istream& in, std::ostream& err) {
    const std::string& source = *options.portsFrom;
    std::string text;
    std::string error;
    if (const int status = ReadSourceBytes(source, in, text, error)) {
        err << "qn7cfg: " << error << '\n';
        return status;
    }
    std::istringstream lines(text);
    bool named = false;
    for (std::string line; std::getline(lines, line);) {
        const std::size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') continue;
        const std::string port = line.substr(first, line.find_last_not_of(" \t\r") + 1 - first);
        if (std::find(options.ports.begin(), options.ports.end(), port) != options.ports.end()) {
            err << "qn7cfg: " << DescribedSource(source) << ": port '" << port << "' given twice\n";
            return exit_code::kDataError;
        }
        options.ports.push_back(port);
        named = true;
    }
    if (!named) {
        err << "qn7cfg: " << DescribedSource(source) << " names no port\n";
        return exit_code::kDataError;
    }
    return exit_code::kOk;
}

}  // namespace

int RunCli(std::span<const std::string> args, std::istream& in, std::ostream& out,
           std::ostream& err) {
    ParseResult parsed = ParseCommandLine(args);
    if (!parsed.Ok()) {
        err << "qn7cfg: " << parsed.error << "\nTry 'qn7cfg --help' for more information.\n";
        return exit_code::kUsage;
    }
    CliOptions& options = parsed.options;
    if (options.help) {
        out << UsageText();
        return exit_code::kOk;
    }
    if (options.version) {
        out << "qn7cfg " QN7_VERSION "\n";
        return exit_code::kOk;
    }
    if (options.portsFrom) {
        if (const int status = AddPortsFromFile(options, in, err)) return status;
    }
    return SpecOf(options.command).run(options, in, out, err);
}

int RunOnStandardStreams(std::span<const std::string> args) {
    UseBinaryStandardStreams();
    // A terminal obeys the control bytes a module may answer with, and a line ended by a bare CR
    // would be overwritten by the next; a pipe or a file gets the bytes as they came.
    TerminalTextBuf outTerminal(std::cout.rdbuf());
    TerminalTextBuf errTerminal(std::cerr.rdbuf());
    std::ostream terminalOut(&outTerminal);
    std::ostream terminalErr(&errTerminal);
    terminalErr.setf(std::ios::unitbuf);
    std::ostream& out = IsTerminal(1) ? terminalOut : std::cout;
    std::ostream& err = IsTerminal(2) ? terminalErr : std::cerr;
    const int status = RunCli(args, std::cin, out, err);
    outTerminal.Finish();
    errTerminal.Finish();
    out.flush();
    err.flush();
    return status;
}
