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

// `input` is written to the child's standard input, which is then closed.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         std::string_view input = {});
