// The command line of qn7cfg as data: parsing is a pure function, so it can be tested and
// fuzzed without a port or a process.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "bridge_check.h"
#include "command_table.h"

struct ComposeRequest {
    std::optional<std::string> fromFile;  // "-" is standard input
    std::optional<std::string> fromJson;  // a profile; "-" is standard input
    std::vector<std::pair<std::string, std::string>> pairs;
};

struct CliOptions {
    Command command = Command::kNone;
    std::vector<std::string> ports;        // in the order given; one thread each
    std::optional<std::string> portsFrom;  // a file naming more ports, read by RunCli
    uint32_t baud = 115200;
    bool autoBaud = false;  // search first, then use the rate found
    std::optional<std::string> slotDir;
    bool quiet = false;
    bool fast = false;  // reply windows end once the reply is complete
    bool help = false;
    bool version = false;
    bool json = false;       // query, ports
    bool raw = false;        // query
    bool verbose = false;    // ports
    bool yes = false;        // reset
    bool verify = false;     // submit, apply
    std::string source;      // submit, apply, diff
    ComposeRequest compose;  // its --from FILE is bridge's too
    BridgeRequest bridge;    // bridge: all but the settings, which --from names
};

struct ParseResult {
    CliOptions options;
    std::string error;  // empty when the command line is valid
    bool Ok() const { return error.empty(); }
};

// `args` excludes the program name.
ParseResult ParseCommandLine(std::span<const std::string> args);

// Whether a command talks to the module (and so needs --port).
bool UsesModule(Command command);
