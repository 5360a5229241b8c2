// Runs a program as a child process with given standard input and collects what it printed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct ProcessResult {
    int exitCode = -1;  // -1 when the child did not exit normally
    std::string out;
    std::string err;
};

// How the child starts beyond its arguments. It always starts with SIGPIPE at its default, as a
// shell starts a program.
struct ProcessSetup {
    std::vector<std::string> environment;  // "NAME=VALUE" over this process's environment
    // Standard output: collected when empty; "-" closed; "|" a pipe whose reader has gone;
    // anything else a file to write ("/dev/full").
    std::string output;
    bool asNobody = false;  // run as the unprivileged user
};

// `input` is written to the child's standard input, which is then closed.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         std::string_view input = {}, const ProcessSetup& setup = {});
