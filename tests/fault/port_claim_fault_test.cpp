// qn7cfg claiming a port the way the field tries it: another program's UUCP lock in every form it
// is written, a stale lock that cannot be removed, one device under two names, and a program
// started with its standard output closed.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "exit_codes.h"
#include "run_process.h"
#include "sim_module.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

const std::string kScript = "at+netmode=2\r\n";

// "LCK..pts_N", the first name the lock of /dev/pts/N goes by.
std::string LockNameOf(const std::string& ptyPath) {
    std::string below = ptyPath.substr(std::string("/dev/").size());
    for (char& c : below) c = c == '/' ? '_' : c;
    return "LCK.." + below;
}

// A PID of three digits that no process has, so "%3d\n" is a 4-byte ASCII lock of a dead one.
// The system skips PIDs below 300 once it wraps around, so it does not hand one out meanwhile.
pid_t DeadThreeDigitPid() {
    for (pid_t pid = 299; pid >= 100; --pid) {
        if (kill(pid, 0) != 0 && errno == ESRCH) return pid;
    }
    return 0;
}

class FaultPortClaim : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(sim_.Start(), 0);
        port_ = sim_.SlavePath();
    }
    ProcessResult Run(const std::vector<std::string>& args, ProcessSetup setup = {},
                      const std::string& program = QN7CFG_PATH) {
        setup.environment.push_back("QN7_LOCK_DIR=" + locks_.Path().string());
        return RunProcess(program, args, kScript, setup);
    }

    SimModule sim_;
    std::string port_;
    TempDir locks_;
};

// "  1\n": four bytes, read as a binary PID no process has, but in ASCII the live process 1.
TEST_F(FaultPortClaim, FourByteAsciiLockOfALiveProcessKeepsThePort) {
    const std::string lock = LockNameOf(port_);
    locks_.Write(lock, "  1\n");

    const ProcessResult result = Run({"-p", port_, "submit", "-"});

    EXPECT_EQ(result.exitCode, exit_code::kIoError);
    EXPECT_NE(result.err.find("busy"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("(process 1)"), std::string::npos) << result.err;
    EXPECT_EQ(locks_.Read(lock), "  1\n");
    EXPECT_EQ(sim_.Received(), "");
}

// Dead under both readings: the lock is stale, removed, and the port taken.
TEST_F(FaultPortClaim, FourByteLockDeadUnderEveryReadingIsCleared) {
    const pid_t dead = DeadThreeDigitPid();
    ASSERT_NE(dead, 0);
    char text[8];
    std::snprintf(text, sizeof text, "%3d\n", static_cast<int>(dead));
    locks_.Write(LockNameOf(port_), text);

    const ProcessResult result = Run({"-p", port_, "submit", "-"});

    EXPECT_EQ(result.exitCode, exit_code::kOk) << result.err;
    EXPECT_EQ(sim_.Received(), kScript);
    EXPECT_TRUE(fs::is_empty(locks_.Path()));
}

// Root's stale lock in a sticky lock folder, met by an ordinary user: it cannot go, and the
// message says so and where it is, rather than blaming a program that locked the port just now.
TEST_F(FaultPortClaim, StaleLockThatCannotBeRemovedIsNamedWithItsPath) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to leave a lock an ordinary user cannot remove";
    const pid_t dead = DeadThreeDigitPid();
    ASSERT_NE(dead, 0);
    fs::permissions(locks_.Path(), fs::perms::all | fs::perms::sticky_bit);
    char text[16];
    std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(dead));
    const fs::path lock = locks_.Write(LockNameOf(port_), text);
    ASSERT_EQ(chmod(port_.c_str(), 0666), 0);
    // The build folder may be closed to others: the unprivileged user runs a copy.
    TempDir programs;
    fs::permissions(programs.Path(), fs::perms::owner_all | fs::perms::group_exec |
                                         fs::perms::group_read | fs::perms::others_exec |
                                         fs::perms::others_read);
    const fs::path program = programs.Path() / "qn7cfg";
    fs::copy_file(QN7CFG_PATH, program);

    ProcessSetup setup;
    setup.asNobody = true;
    const ProcessResult result = Run({"-p", port_, "submit", "-"}, setup, program.string());

    EXPECT_EQ(result.exitCode, exit_code::kIoError) << result.err;
    EXPECT_NE(result.err.find("stale lock file"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find(lock.string()), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("just now"), std::string::npos) << result.err;
    EXPECT_EQ(locks_.Read(lock.filename().string()), text);
    EXPECT_EQ(sim_.Received(), "");
}

// A link and its target, or a path spelt another way, are the same device: refused before any
// port is opened, as the same name given twice is.
TEST_F(FaultPortClaim, SameDeviceUnderTwoNamesIsRefusedAsGivenTwice) {
    const fs::path link = locks_.Path() / "by-id-link";
    fs::create_symlink(port_, link);
    const std::string slashes = "/dev/pts//" + port_.substr(port_.rfind('/') + 1);
    for (const std::string& other : {slashes, link.string()}) {
        const ProcessResult result = Run({"-p", port_, "-p", other, "submit", "-"});
        EXPECT_EQ(result.exitCode, exit_code::kUsage) << other;
        EXPECT_NE(result.err.find("port '" + other + "' given twice: it is the same device as '" +
                                  port_ + "'"),
                  std::string::npos)
            << result.err;
    }
    TempDir lists;
    const fs::path list = lists.Write("rig.txt", slashes + "\n");
    const ProcessResult fromFile = Run({"-p", port_, "--ports-from", list.string(), "submit", "-"});
    EXPECT_EQ(fromFile.exitCode, exit_code::kDataError);
    EXPECT_NE(fromFile.err.find("same device"), std::string::npos) << fromFile.err;
    EXPECT_EQ(sim_.Received(), "");
    fs::remove(link);
}

// Started with standard output closed, the program must not take the port for its output (or
// for the terminal it runs in); what it would print there is lost, and it says so.
TEST_F(FaultPortClaim, ClosedStandardOutputLeavesThePortToTheExchange) {
    ProcessSetup closed;
    closed.output = "-";
    const ProcessResult submit = Run({"-p", port_, "submit", "-"}, closed);
    EXPECT_EQ(submit.exitCode, exit_code::kOk) << submit.err;
    EXPECT_EQ(sim_.Received(), kScript);

    sim_.ClearReceived();
    const ProcessResult search = Run({"-p", port_, "search"}, closed);
    EXPECT_EQ(search.exitCode, exit_code::kIoError);
    EXPECT_NE(search.err.find("qn7cfg: standard output could not be written (Bad file descriptor)"),
              std::string::npos)
        << search.err;
    EXPECT_EQ(sim_.Received(), "at\r\n");
    EXPECT_TRUE(fs::is_empty(locks_.Path()));
}

}  // namespace
