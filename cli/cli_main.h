// qn7cfg as a function of its arguments and streams; main() only adapts argv.
#pragma once

#include <iosfwd>
#include <span>
#include <string>

// `args` excludes the program name. Returns the exit status.
int RunCli(std::span<const std::string> args, std::istream& in, std::ostream& out,
           std::ostream& err);
