// A module that floods the line: garbage, NUL bytes, a whole MiB. The tool reads into fixed
// buffers and the log pane keeps its cap, so memory stays bounded whatever arrives.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "fault_host.h"
#include "process_probe.h"
#include "pty_pair.h"

namespace {

// qn7-sim as a process of its own, so its buffers do not count as the tool's memory.
class SimProcess {
  public:
    explicit SimProcess(const std::vector<std::string>& args) {
        int out[2];
        if (pipe(out) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            std::vector<char*> argv{const_cast<char*>(QN7SIM_PATH)};
            for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
            argv.push_back(nullptr);
            execv(QN7SIM_PATH, argv.data());
            _exit(127);
        }
        close(out[1]);
        char c;
        while (read(out[0], &c, 1) == 1 && c != '\n') port_ += c;
        close(out[0]);
    }
    ~SimProcess() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    const std::string& Port() const { return port_; }

  private:
    pid_t pid_ = -1;
    std::string port_;
};

struct FloodCase {
    const char* name;
    std::vector<std::string> simArgs;
};

class FaultFloodingModule : public ::testing::TestWithParam<FloodCase> {};

TEST_P(FaultFloodingModule, MemoryStaysBoundedAndTheLogKeepsItsCap) {
    SimProcess sim(GetParam().simArgs);
    ASSERT_FALSE(sim.Port().empty());
    LogPaneScope log;
    FaultHost host;
    host.log = &log.pane;
    host.link = {sim.Port(), 115200};
    host.sleepCapMs = 20;
    const auto submit = [](const ExchangeContext& context) {
        return SendScript(context, "at+netmode=1\r\n");
    };
    host.Run(submit);  // the first line starts a flood
    const int fdsBefore = OpenFdCount();
    const std::size_t residentBefore = ResidentKiB();
    std::string reply;
    for (int i = 0; i < 150; ++i) {
        if (i % 3 == 0) reply = host.Run(QueryConfig).reply;
        host.Run(submit);
        ASSERT_LE(log.pane.LineCount(), kPaneLineCap + 1);
    }
    EXPECT_EQ(host.errors, 0);
    EXPECT_LT(ResidentKiB() - std::min(ResidentKiB(), residentBefore),
              ResidentGrowthAllowanceKiB());
    EXPECT_LE(reply.size(), 2047u);
    EXPECT_EQ(OpenFdCount(), fdsBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultFloodingModule,
    ::testing::Values(FloodCase{"MiBOfGarbageAtTheLineRate",
                                {"--fault", "flood", "--flood-bytes", "1048576"}},
                      FloodCase{"MiBOfGarbageUnpaced",
                                {"--fault", "flood", "--flood-bytes", "1048576", "--no-pace"}},
                      FloodCase{"GarbageReplies", {"--fault", "garbage", "--no-pace"}},
                      FloodCase{"NulBytes", {"--fault", "nul", "--no-pace"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
