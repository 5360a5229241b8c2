// One command on several ports at once: a thread per port, each with its own port, host and
// output, so nothing the exchanges touch is shared between ports.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

struct PortOutcome {
    int status = 0;      // the exit status of the command on this port
    uint32_t baud = 0;   // the link rate at the end (the one found by a search)
    std::string detail;  // a command's own summary for the table (the bridge check's figures)
};

using PortRun =
    std::function<PortOutcome(const std::string& port, std::ostream& out, std::ostream& err)>;

// One port: `run` on `out` and `err` as they are, and its status. Several: `run` on each port
// at once, one thread each; every line a run prints starts with "PORT: " and reaches `out` or
// `err` whole, never mixed with another port's. A table of each port's rate and outcome (and
// detail, where a command gives one) then ends `out`, and the status is the highest of the
// ports' (0 < 1 differ < 64 ... 77).
int RunOnPorts(const std::vector<std::string>& ports, const PortRun& run, std::ostream& out,
               std::ostream& err);

// "ok", "settings differ", "serial error" ... for the table.
std::string OutcomeText(int status);
