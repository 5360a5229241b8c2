// The commands that talk to the module: each runs the dialog's exchanges on a port, and on
// every port at once when several are given.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

#include "cli_options.h"

// search, query, submit, apply, diff, scan, transparent, reset on `options.ports` (the ports
// of --ports-from already added). Returns the exit status.
int RunModuleCommand(const CliOptions& options, std::istream& in, std::ostream& out,
                     std::ostream& err);
