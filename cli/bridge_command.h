// qn7cfg bridge: the bridge check on one port, printed as a table or as one line of JSON, with
// an exit status a production line can act on.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "bridge_check.h"

struct CliOptions;
class TerminalHost;

struct BridgeRun {
    int status = 0;
    std::string detail;  // the summary table's figures for this port
};

// The settings --from names (a profile or a script) as script lines, read once for all ports;
// none without --from. Returns kOk, or the status of a source that cannot be read.
int ReadBridgeSettings(const CliOptions& options, std::istream& in,
                       std::optional<std::string>* settings, std::ostream& err);

BridgeRun RunBridgeOnPort(const CliOptions& options, const std::optional<std::string>& settings,
                          TerminalHost& host, std::ostream& out, std::ostream& err);

int BridgeExitStatus(const BridgeReport& report);
// One line of JSON, ended by LF.
std::string BridgeJson(const std::string& port, const BridgeReport& report, int status);
// "to network 11498 B/s, to serial 11502 B/s, p50 13.1 ms", or the outcome's message.
std::string BridgeSummary(const BridgeReport& report);
