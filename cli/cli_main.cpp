#include "cli_main.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <system_error>
#include <utility>

#include "cli_options.h"
#include "exit_codes.h"
#include "port_list.h"
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

// Two names of one device would race against each other for its lock, as one name given twice
// would: the second is refused like a repeated name, before any port is opened.
int RefuseSameDeviceTwice(const CliOptions& options, std::size_t fromCommandLine,
                          std::ostream& err) {
    std::vector<std::string> keys;
    for (const std::string& port : options.ports) {
        const std::string key = PortDeviceKey(port);
        const auto same = std::find(keys.begin(), keys.end(), key);
        if (same != keys.end()) {
            const std::string& first = options.ports[static_cast<std::size_t>(same - keys.begin())];
            err << "qn7cfg: port '" << port << "' given twice: it is the same device as '" << first
                << "'\n";
            return keys.size() < fromCommandLine ? exit_code::kUsage : exit_code::kDataError;
        }
        keys.push_back(key);
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
    const std::size_t fromCommandLine = options.ports.size();
    if (options.portsFrom) {
        if (const int status = AddPortsFromFile(options, in, err)) return status;
    }
    if (const int status = RefuseSameDeviceTwice(options, fromCommandLine, err)) return status;
    return SpecOf(options.command).run(options, in, out, err);
}

int RunOnStandardStreams(std::span<const std::string> args) {
    const unsigned closed = PrepareStandardStreams();
    StandardStreamBuf outBuf(1, (closed & 2u) != 0);
    StandardStreamBuf errBuf(2, (closed & 4u) != 0);
    // A terminal obeys the control bytes a module may answer with, and a line ended by a bare CR
    // would be overwritten by the next; a pipe or a file gets the bytes as they came.
    TerminalTextBuf outTerminal(&outBuf);
    TerminalTextBuf errTerminal(&errBuf);
    std::ostream out(IsTerminal(1) ? static_cast<std::streambuf*>(&outTerminal) : &outBuf);
    std::ostream err(IsTerminal(2) ? static_cast<std::streambuf*>(&errTerminal) : &errBuf);
    int status = RunCli(args, std::cin, out, err);
    outTerminal.Finish();
    errTerminal.Finish();
    // A backup that never reached its file is a failure, whatever the module did.
    const std::pair<const StandardStreamBuf*, const char*> streams[] = {
        {&outBuf, "standard output"}, {&errBuf, "standard error"}};
    for (const auto& [buf, name] : streams) {
        if (buf->Error() == 0) continue;
        err.clear();
        err << "qn7cfg: " << name << " could not be written ("
            << std::generic_category().message(buf->Error())
            << "); what was printed there is lost\n";
        status = std::max(status, exit_code::kIoError);
    }
    return status;
}
