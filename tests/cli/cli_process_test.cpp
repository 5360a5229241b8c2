// qn7cfg as a process against the simulated module, where the program itself is the point: its
// standard streams, standard input, and the exit status it ends with. The commands' behaviour is
// tested in-process (cli_commands_test.cpp).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_sim_fixture.h"
#include "exit_codes.h"
#include "run_process.h"

namespace {

class CliProcess : public CliOnSim {
  protected:
    ProcessResult Run(const std::vector<std::string>& args, const std::string& input = {}) {
        return RunProcess(QN7CFG_PATH, args, input);
    }
    // A module command on the simulator's port.
    ProcessResult RunOnPort(std::vector<std::string> args, const std::string& input = {}) {
        args.insert(args.begin(), {"--port", port_});
        return Run(args, input);
    }
};

TEST_F(CliProcess, SearchPrintsPortAndRateAndLogsTheFoundLine) {
    const ProcessResult result = RunOnPort({"search"});
    EXPECT_EQ(result.exitCode, exit_code::kOk);
    EXPECT_EQ(result.out, port_ + " 115200\n");
    EXPECT_TRUE(Contains(result.err, ">:")) << result.err;
    EXPECT_TRUE(Contains(result.err, "(:Found Device at " + port_ + "(115200)!\r\n"));
    EXPECT_EQ(sim_->Received(), "at\r\n");
}

TEST_F(CliProcess, SubmitFromStandardInputSendsItWithCrLf) {
    const ProcessResult result = RunOnPort({"submit", "-"}, "at+netmode=2\nat+dhcpc=0\r\n");
    EXPECT_EQ(result.exitCode, exit_code::kOk) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(Contains(result.err, ">:")) << result.err;
    EXPECT_EQ(sim_->Received(), "at+netmode=2\r\nat+dhcpc=0\r\n");
}

TEST_F(CliProcess, MissingDeviceIsASerialErrorWithTheBoxText) {
    const ProcessResult result = Run({"-p", "/dev/qn7-no-such-port", "query"});
    EXPECT_EQ(result.exitCode, exit_code::kIoError);
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(Contains(result.err, "Unable to open COM-port\n(error code 2)\n")) << result.err;
}

TEST_F(CliProcess, HelpAndVersionGoToStandardOutput) {
    const ProcessResult help = Run({"--help"});
    EXPECT_EQ(help.exitCode, exit_code::kOk);
    for (const char* command :
         {"ports", "search", "query", "submit", "scan", "transparent", "reset", "compose"}) {
        EXPECT_TRUE(Contains(help.out, command)) << command;
    }
    EXPECT_TRUE(Run({"--version"}).out.starts_with("qn7cfg "));
}

}  // namespace
