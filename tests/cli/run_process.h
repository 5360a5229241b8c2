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

struct ProcessOptions {
    std::string input;      // written to the child's standard input, then closed
    bool dropRoot = false;  // run as nobody when started as root (permission tests)
};

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const ProcessOptions& options = {});
