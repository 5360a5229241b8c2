// qn7cfg as a function of its arguments and streams; main() only adapts argv.
#pragma once

#include <iosfwd>
#include <span>
#include <string>

// `args` excludes the program name. Returns the exit status.
int RunCli(std::span<const std::string> args, std::istream& in, std::ostream& out,
           std::ostream& err);

// RunCli on the process's standard streams, as the program runs: binary streams on Windows,
// control bytes escaped in what goes to a terminal, and exit status 74 when standard output or
// error could not be written.
int RunOnStandardStreams(std::span<const std::string> args);
