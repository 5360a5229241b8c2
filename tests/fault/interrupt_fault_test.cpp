// qn7cfg stopped by Ctrl+C, SIGTERM, a closed terminal (SIGHUP) or SIGPIPE in the middle of an
// exchange: it must leave the port as it found it (settings, not exclusive, no lock file) and
// exit with the shell's status.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "process_probe.h"
#include "pty_pair.h"
#include "temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;

struct InterruptCase {
    const char* name;
    int signal;
    int exitStatus;
};

class FaultInterrupted : public ::testing::TestWithParam<InterruptCase> {};

TEST_P(FaultInterrupted, RestoresAndReleasesThePortAndExitsWithTheSignalStatus) {
    PtyPair pty;  // nobody answers: the scan waits its whole 4 s window
    ASSERT_FALSE(pty.path.empty());
    ASSERT_EQ(chmod(pty.path.c_str(), 0666), 0);  // so that nobody may try it afterwards
    termios before{};
    ASSERT_EQ(tcgetattr(pty.slave, &before), 0);
    TempDir locks;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        setenv("QN7_LOCK_DIR", locks.Path().c_str(), 1);
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        signal(SIGPIPE, SIG_DFL);  // as a shell starts it
        execl(QN7CFG_PATH, QN7CFG_PATH, "-p", pty.path.c_str(), "scan", nullptr);
        _exit(127);
    }
    // The exchange holds the port once its lock file is there.
    const auto held = [&] { return !std::filesystem::is_empty(locks.Path()); };
    for (auto end = Clock::now() + std::chrono::seconds(10); !held() && Clock::now() < end;)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(held());
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto start = Clock::now();
    ASSERT_EQ(kill(child, GetParam().signal), 0);

    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));  // not the rest of the window
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), GetParam().exitStatus);
    EXPECT_TRUE(std::filesystem::is_empty(locks.Path()));
    termios after{};
    ASSERT_EQ(tcgetattr(pty.slave, &after), 0);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    // Not left exclusive: an unprivileged program opens it.
    EXPECT_EQ(RunInChild([&] {
                  if (!BecomeNobody()) return 20;
                  const int fd = open(pty.path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
                  return fd >= 0 ? 0 : 21;
              }),
              0);
}

INSTANTIATE_TEST_SUITE_P(Signals, FaultInterrupted,
                         ::testing::Values(InterruptCase{"CtrlC", SIGINT, 130},
                                           InterruptCase{"Term", SIGTERM, 143},
                                           InterruptCase{"HangUp", SIGHUP, 129},
                                           InterruptCase{"BrokenPipe", SIGPIPE, 141}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
