// Odd files where a script or a slot should be: a FIFO that would block the open, a device that
// never ends, a file far too large, a symbolic link, a NUL that would cut the script short, an
// empty script. Each is refused at once with its reason, and nothing reaches the wire.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli_run.h"
#include "exit_codes.h"
#include "pane.h"
#include "process_probe.h"
#include "pty_pair.h"
#include "session.h"
#include "sim_module.h"
#include "temp_dir.h"
#include "user_slots.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

// A test that blocks (a FIFO's open) would hang the suite: it runs in a child with an alarm.
constexpr unsigned kWatchdogSeconds = 10;

class FaultOddFile : public ::testing::Test {
  protected:
    void SetUp() override {
        session.SetSlotDirectory(dir);
        cmd.Append("at+netmode=1\r\n");
    }
    void Write(const fs::path& path, const std::string& bytes) const {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    std::string Read(const fs::path& path) const {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // Loading the slot changes nothing in the command pane and says `reason` in the log pane.
    int LoadIsRefusedInChild(const char* reason) {
        return RunInChild([&] {
            alarm(kWatchdogSeconds);
            session.LoadUserSlot("user1");
            if (cmd.Text() != "at+netmode=1\r\n") return 40;
            const std::string logged = log.Text();
            if (!logged.starts_with("Could not load user slot \"")) return 41;
            return logged.find(reason) == std::string::npos ? 42 : 0;
        });
    }
    TempDir temp{"qn7-odd"};
    const fs::path& dir = temp.Path();
    MemoryPane cmd;
    MemoryPane log;
    Session session{&cmd, &log};
};

TEST_F(FaultOddFile, SlotThatIsAFifoIsRefusedWithoutBlocking) {
    ASSERT_EQ(::mkfifo((dir / "user1").c_str(), 0600), 0);
    EXPECT_EQ(LoadIsRefusedInChild("FIFO"), 0);
}

TEST_F(FaultOddFile, SlotLinkedToAFileIsNotFollowed) {
    Write(dir / "secret", "root:x:0:0:root:/root:/bin/bash\n");
    fs::create_symlink(dir / "secret", dir / "user1");
    EXPECT_EQ(LoadIsRefusedInChild("symbolic link"), 0);
}

TEST_F(FaultOddFile, SlotLinkedToAnEndlessDeviceIsNotFollowed) {
    fs::create_symlink("/dev/zero", dir / "user1");
    EXPECT_EQ(LoadIsRefusedInChild("symbolic link"), 0);
}

TEST_F(FaultOddFile, SlotOverOneMebibyteIsRefused) {
    Write(dir / "user1", std::string((1 << 20) + 1, 'a'));
    EXPECT_EQ(LoadIsRefusedInChild("too large"), 0);
}

TEST_F(FaultOddFile, SlotAtTheLimitStillLoads) {
    Write(dir / "user1", std::string(1 << 20, 'a'));
    session.LoadUserSlot("user1");
    EXPECT_EQ(log.Text(), "");
    EXPECT_NE(cmd.Text(), "at+netmode=1\r\n");
}

TEST_F(FaultOddFile, SavingOverALinkReplacesTheLinkByAPrivateFile) {
    Write(dir / "target", "untouched");
    fs::permissions(dir / "target", fs::perms(0644));
    fs::create_symlink(dir / "target", dir / "user0");
    ASSERT_TRUE(session.SaveUserSlot("user0"));
    EXPECT_EQ(Read(dir / "target"), "untouched");
    EXPECT_FALSE(fs::is_symlink(fs::symlink_status(dir / "user0")));
    EXPECT_EQ(Read(dir / "user0"), "at+netmode=1\r\n");
    EXPECT_EQ(fs::status(dir / "user0").permissions() & fs::perms::all, fs::perms(0600));
    EXPECT_NE(log.Text().find("was a symbolic link"), std::string::npos) << log.Text();
}

// A folder the user may not create files in, holding a slot the user may write: the save goes
// into the slot itself and says that it was not atomic. Root creates files anywhere, so the
// save runs as nobody, who owns only the slot.
TEST_F(FaultOddFile, WritableSlotInAClosedFolderIsRewrittenInPlace) {
    Write(dir / "user0", "at+netmode=3\r\nat+wifi_conf=OLD,wpa2_aes,longerthanthenewtext\r\n");
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown((dir / "user0").c_str(), kNobodyId, kNobodyId), 0);
    }
    fs::permissions(dir / "user0", fs::perms(0600));
    fs::permissions(dir, fs::perms(0555));
    const int status = RunInChild([&] {
        if (root && !BecomeNobody()) return 50;
        if (!session.SaveUserSlot("user0")) return 51;
        return log.Text().find("not atomic") == std::string::npos ? 52 : 0;
    });
    fs::permissions(dir, fs::perms::owner_all);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Read(dir / "user0"), "at+netmode=1\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator{}), 1);
}

// ---- qn7cfg: refused before the port is opened ---------------------------------------------

struct OddSourceCase {
    const char* name;
    std::vector<std::string> args;  // DIR is the test folder, PORT the simulator
    int status;
    const char* reason;
};

class FaultOddScriptSource : public FaultOddFile,
                             public ::testing::WithParamInterface<OddSourceCase> {};

TEST_P(FaultOddScriptSource, IsRefusedAtOnceAndNothingIsSent) {
    Write(dir / "big.txt", std::string((1 << 20) + 10, 'x'));
    Write(dir / "nul.txt", "at+netmode=2\r\n\0at+default=1\r\n"s);
    Write(dir / "empty.txt", "");
    Write(dir / "user2", "at+netmode=2\r\n\0at+default=1\r\n"s);
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((dir / "user3").c_str(), 0600), 0);
    // A bare pseudo-terminal rather than the simulator: the child forks from a process
    // without other threads.
    PtyPair pty;
    ASSERT_FALSE(pty.path.empty());
    std::vector<std::string> args = GetParam().args;
    for (std::string& arg : args) {
        if (arg.starts_with("DIR")) arg = dir.string() + arg.substr(3);
        if (arg == "PORT") arg = pty.path;
    }
    const int status = RunInChild([&] {
        alarm(kWatchdogSeconds);
        const CliRun run = RunQn7cfg(args);
        if (run.status != GetParam().status) return 60;
        if (!run.out.empty()) return 61;
        return run.err.find(GetParam().reason) == std::string::npos ? 62 : 0;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(pty.ReadMaster(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Table, FaultOddScriptSource,
    ::testing::Values(OddSourceCase{"SubmitDevZero",
                                    {"-p", "PORT", "submit", "/dev/zero"},
                                    exit_code::kNoInput,
                                    "character device, not a regular file"},
                      OddSourceCase{"ComposeFromDevZero",
                                    {"compose", "--from", "/dev/zero"},
                                    exit_code::kNoInput,
                                    "character device"},
                      OddSourceCase{"SubmitFifo",
                                    {"-p", "PORT", "submit", "DIR/fifo"},
                                    exit_code::kNoInput,
                                    "FIFO"},
                      OddSourceCase{"SubmitOverOneMebibyte",
                                    {"-p", "PORT", "submit", "DIR/big.txt"},
                                    exit_code::kNoInput,
                                    "too large (over 1 MiB)"},
                      OddSourceCase{"SubmitWithNul",
                                    {"-p", "PORT", "submit", "DIR/nul.txt"},
                                    exit_code::kDataError,
                                    "NUL byte at offset 14"},
                      OddSourceCase{"SlotWithNul",
                                    {"-p", "PORT", "--slot-dir", "DIR", "submit", "user2"},
                                    exit_code::kDataError,
                                    "NUL byte"},
                      OddSourceCase{"EmptyScript",
                                    {"-p", "/nonexistent/port", "submit", "DIR/empty.txt"},
                                    exit_code::kDataError,
                                    "is empty"},
                      OddSourceCase{"SlotFifo",
                                    {"-p", "PORT", "--slot-dir", "DIR", "submit", "user3"},
                                    exit_code::kNoInput,
                                    "cannot read user slot 'user3'"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FaultOddFile, StandardInputOverOneMebibyteIsRefused) {
    SimModule sim;
    ASSERT_EQ(sim.Start(), 0);
    const CliRun run =
        RunQn7cfg({"-p", sim.SlavePath(), "submit", "-"}, std::string((1 << 20) + 1, 'x'));
    EXPECT_EQ(run.status, exit_code::kNoInput);
    EXPECT_NE(run.err.find("standard input: it is too large"), std::string::npos) << run.err;
    EXPECT_EQ(sim.Received(), "");
}

}  // namespace
