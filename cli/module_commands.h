// The commands that talk to the module: each runs the dialog's exchange on the port.
#pragma once

#include <iosfwd>

#include "cli_options.h"

// search, query, submit, scan, transparent, reset. Returns the exit status.
int RunModuleCommand(const CliOptions& options, std::istream& in, std::ostream& out,
                     std::ostream& err);
