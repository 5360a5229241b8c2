// qn7cfg whose output goes nowhere: a full disk, a reader that went away. The output is lost,
// so the run fails with a message, and the ports are still left as found.
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "exit_codes.h"
#include "process_probe.h"
#include "run_process.h"
#include "sim_module.h"
#include "temp_dir.h"

namespace {

// `query --json > backup.json` on a full disk: no backup, so no success.
TEST(FaultOutput, FullDiskFailsTheQueryWithAMessage) {
    SimModule sim;
    ASSERT_EQ(sim.Start(), 0);
    ProcessSetup full;
    full.output = "/dev/full";

    const ProcessResult result =
        RunProcess(QN7CFG_PATH, {"-q", "-p", sim.SlavePath(), "query", "--json"}, {}, full);

    EXPECT_EQ(result.exitCode, exit_code::kIoError);
    EXPECT_NE(result.err.find("qn7cfg: standard output could not be written (No space left on "
                              "device)"),
              std::string::npos)
        << result.err;
}

termios SlaveSettings(const std::string& path) {
    termios settings{};
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0) tcgetattr(fd, &settings);
    if (fd >= 0) close(fd);
    return settings;
}

// `qn7cfg -p A -p B scan | head -1`: the reader is gone while B's scan still runs. A's lines
// meet the closed pipe; the program must not die there with B raw, exclusive and locked.
TEST(FaultOutput, ReaderGoneMidRunLeavesEveryPortAsFound) {
    SimOptions early;
    early.scanDelayMs = 50;
    SimModule a(early);
    SimOptions late;
    late.scanDelayMs = 2500;
    SimModule b(late);
    ASSERT_EQ(a.Start(), 0);
    ASSERT_EQ(b.Start(), 0);
    ASSERT_EQ(chmod(b.SlavePath().c_str(), 0666), 0);
    const termios before = SlaveSettings(b.SlavePath());
    TempDir locks;
    ProcessSetup gone;
    gone.output = "|";
    gone.environment.push_back("QN7_LOCK_DIR=" + locks.Path().string());

    const ProcessResult result = RunProcess(
        QN7CFG_PATH, {"--fast", "-p", a.SlavePath(), "-p", b.SlavePath(), "scan"}, {}, gone);

    EXPECT_EQ(result.exitCode, exit_code::kIoError) << result.err;
    EXPECT_NE(result.err.find("qn7cfg: standard output could not be written (Broken pipe)"),
              std::string::npos)
        << result.err;
    // B's scan ran to its end: its reply was read and logged.
    EXPECT_NE(result.err.find(b.SlavePath() + ": >:"), std::string::npos) << result.err;
    EXPECT_TRUE(std::filesystem::is_empty(locks.Path()));
    const termios after = SlaveSettings(b.SlavePath());
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(RunInChild([&] {
                  if (!BecomeNobody()) return 20;
                  const int fd = open(b.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
                  return fd >= 0 ? 0 : 21;
              }),
              0);
}

}  // namespace
