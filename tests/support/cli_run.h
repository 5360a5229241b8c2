// qn7cfg in-process through its entry point: arguments, standard input and what it printed.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli_main.h"

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

inline CliRun RunQn7cfg(const std::vector<std::string>& args, const std::string& input = {}) {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    CliRun run;
    run.status = RunCli(args, in, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}
