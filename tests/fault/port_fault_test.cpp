// The port under the exchanges fails: the device vanishes mid-exchange, the line stops taking
// bytes, another process holds the port, or the user may not open it.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "exchange_feedback.h"
#include "exchange_port.h"
#include "exchanges.h"
#include "process_probe.h"
#include "pty_pair.h"
#include "query_texts.h"
#include "recording_host.h"
#include "serial_port.h"
#include "sim_module.h"
#include "temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

struct VanishCase {
    const char* name;
    uint32_t baud;
    // Bytes the module takes before it vanishes: 1 drops it at the first byte, more drops it
    // after the request, while the tool waits for the answer.
    std::size_t hangUpAfterBytes;
    uint32_t waitMs;  // the exchange's own wait
    std::function<ExchangeResult(const ExchangeContext&)> run;
};

// What the user is shown of an exchange: whether the module replied, and the error box, if any,
// with its code.
struct Shown {
    struct Box {
        int32_t code;
        std::string text;
    };
    bool replied = false;
    std::vector<Box> errors;
};

Shown ShownOf(const ExchangeResult& result) {
    Shown shown;
    shown.replied = result.outcome == ExchangeOutcome::kReplied;
    if (result.outcome == ExchangeOutcome::kSerialError)
        shown.errors.push_back({result.failure.code, SerialErrorText(result.failure)});
    return shown;
}

ExchangeResult Submit(const ExchangeContext& context) {
    return SendScript(context, "at+x=1\r\n");
}

const VanishCase kVanishCases[] = {
    {"Search", 115200, 1, 900, SearchModule},
    {"SubmitMidWrite", 115200, 1, 500, Submit},
    {"SubmitMidWait", 115200, 8, 500, Submit},
    {"Query", 115200, 1, 1000, QueryConfig},
    {"QueryMidWait", 115200, kQueryLead.size() + QuerySpacer().size() + QueryBlock().size(), 1000,
     QueryConfig},
    {"SlowQuery", 4800, 40, 5 * 375, QueryConfig},
    {"Scan", 115200, kWifiScanCommand.size(), 4000,
     [](const ExchangeContext& context) { return ScanWifi(context, kWifiScanCommand); }},
};

class FaultVanishedDevice : public ::testing::TestWithParam<VanishCase> {};

TEST_P(FaultVanishedDevice, FailsNamingTheDisconnectionWithoutSpinningOrLeaking) {
    const VanishCase& c = GetParam();
    const int fdsBefore = OpenFdCount();
    SimOptions options;
    options.baud = c.baud;
    options.fault = SimFault::kHangUp;
    options.hangUpAfterBytes = c.hangUpAfterBytes;
    SimModule sim(options);
    ASSERT_EQ(sim.Start(), 0);
    RecordingHost host;
    host.link = {sim.SlavePath(), c.baud};
    const long cpuBefore = CpuMs();
    const auto start = Clock::now();

    const Shown shown = ShownOf(c.run(host.Context()));
    EXPECT_FALSE(shown.replied);

    const auto elapsed = Clock::now() - start;
    EXPECT_LT(elapsed, Ms(c.waitMs + 500));
    // A spinning wait would burn the whole wait in CPU time; a sleeping one next to nothing.
    const long wallMs = std::chrono::duration_cast<Ms>(elapsed).count();
    EXPECT_LT(CpuMs() - cpuBefore, 100 + wallMs / 5);
    ASSERT_EQ(shown.errors.size(), 1u);
    EXPECT_EQ(shown.errors[0].code, kErrorDeviceNotConnected);
    EXPECT_NE(shown.errors[0].text.find("disconnected"), std::string::npos) << shown.errors[0].text;
    sim.Stop();
    EXPECT_EQ(OpenFdCount(), fdsBefore);
}

INSTANTIATE_TEST_SUITE_P(Exchanges, FaultVanishedDevice, ::testing::ValuesIn(kVanishCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Nobody reads the far end (a stuck adapter, flow control holding the line): a script larger
// than the driver's buffer must fail within its time limit instead of hanging the exchange.
TEST(FaultStuckLine, SubmitLargerThanTheBufferFailsAsUnableToSendData) {
    PtyPair pty;
    ASSERT_FALSE(pty.path.empty());
    std::string script;
    while (script.size() < (256u << 10)) script += "at+netmode=1\r\n";
    constexpr uint32_t kBaud = 4000000;
    RecordingHost host;
    host.link = {pty.path, kBaud};
    const int fdsBefore = OpenFdCount();
    const auto start = Clock::now();

    const Shown shown = ShownOf(SendScript(host.Context(), script));
    EXPECT_FALSE(shown.replied);

    EXPECT_LT(Clock::now() - start, Ms(WriteTimeLimitMs(script.size(), kBaud) + 3000));
    ASSERT_EQ(shown.errors.size(), 1u);
    EXPECT_EQ(shown.errors[0].code, kErrorTimeout);
    EXPECT_TRUE(shown.errors[0].text.starts_with("Unable to send data\n(error code 1460)"))
        << shown.errors[0].text;
    EXPECT_EQ(OpenFdCount(), fdsBefore);
    CSerial next;  // the port is free again
    EXPECT_EQ(next.OpenPort(pty.path.c_str(), 0, 0, true), 0) << next.LastErrorText();
}

TEST(FaultStuckLine, WriteTimeLimitIsTwiceTheLineTimePlusASecond) {
    EXPECT_EQ(WriteTimeLimitMs(0, 115200), 1000u);
    EXPECT_EQ(WriteTimeLimitMs(11520, 115200), 3000u);          // 1 s of line time
    EXPECT_EQ(WriteTimeLimitMs(1, 1200), 1018u);                // 8.33 ms, rounded up
    EXPECT_EQ(WriteTimeLimitMs(1u << 30, 110), kInfinite - 1);  // never unlimited
}

// `-p /dev/tty` or the pseudo-terminal the user types on: AT lines would land in the shell.
TEST(FaultOwnTerminal, IsRefusedByPathAndAsTheTerminalDevice) {
    PtyPair pty;
    ASSERT_FALSE(pty.path.empty());
    const int status = RunInChild([&] {
        // A session of its own with the pseudo-terminal as its controlling terminal.
        if (setsid() < 0) return 20;
        const int own = open(pty.path.c_str(), O_RDWR);
        if (own < 0 || ioctl(own, TIOCSCTTY, 0) != 0) return 21;
        for (const std::string& path : {pty.path, std::string("/dev/tty")}) {
            RecordingHost host;
            host.link = {path, 115200};
            const Shown shown = ShownOf(SendScript(host.Context(), "at+netmode=1\r\n"));
            if (shown.replied || shown.errors.size() != 1) return 22;
            if (shown.errors[0].code != kErrorNotSupported) return 23;
            if (shown.errors[0].text.find("terminal the program runs in") == std::string::npos)
                return 24;
        }
        return 0;
    });
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(pty.ReadMaster().empty());
}

// Not a disconnected adapter: nothing that takes a serial line is there at all.
TEST(FaultNoDevice, SocketAndTerminalWithoutSessionGetTheirOwnExplanation) {
    TempDir dir;
    const std::string socketPath = (dir.Path() / "sock").string();
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const auto check = [](const std::string& path) {
        RecordingHost host;
        host.link = {path, 115200};
        const Shown shown = ShownOf(SendScript(host.Context(), "at\r\n"));
        if (shown.replied || shown.errors.size() != 1) return 30;
        if (shown.errors[0].code != kErrorBadUnit) return 31;
        const std::string& text = shown.errors[0].text;
        if (text.find("plug it in") != std::string::npos) return 32;
        return text.find("check the port name") == std::string::npos ? 33 : 0;
    };
    EXPECT_EQ(check(socketPath), 0);
    close(listener);
    EXPECT_EQ(RunInChild([&] { return setsid() < 0 ? 20 : check("/dev/tty"); }), 0);
}

// A pipe the parent and a forked child use to step each other through a test.
struct Signal {
    Signal() { (void)!pipe(fds); }
    ~Signal() {
        close(fds[0]);
        close(fds[1]);
    }
    void Give() { (void)!write(fds[1], "x", 1); }
    bool Take() {
        char c;
        return read(fds[0], &c, 1) == 1;
    }
    int fds[2] = {-1, -1};
};

// The holder: opens the port as the tool does, then after the other opener's attempt checks that
// its own line still talks to the module.
int HoldPortAndTalk(const std::string& path, Signal& held, Signal& attempted) {
    CSerial serial;
    if (serial.OpenPort(path.c_str(), 0, 0, true) != 0) return 10;
    if (serial.ConfigureLine(115200, 8, NOPARITY, ONESTOPBIT) != 0) return 11;
    held.Give();
    if (!attempted.Take()) return 12;
    if (serial.WriteString("at\r\n", nullptr, nullptr, 1000) != 0) return 13;
    std::string reply;
    for (auto end = Clock::now() + Ms(3000); reply.find("at") == std::string::npos;) {
        if (Clock::now() > end) return 14;
        char buffer[64];
        uint32_t got = 0;
        serial.ReadData(buffer, sizeof buffer, &got, nullptr, 100);
        reply.append(buffer, got);
    }
    return 0;
}

TEST(FaultBusyPort, RefusedAtOnceWhileTheHolderKeepsWorking) {
    SimModule sim;
    ASSERT_EQ(sim.Start(), 0);
    const std::string path = sim.SlavePath();
    Signal held;
    Signal attempted;
    const pid_t holder = fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) _exit(HoldPortAndTalk(path, held, attempted));
    ASSERT_TRUE(held.Take());

    RecordingHost host;
    host.link = {path, 115200};
    const int fdsBefore = OpenFdCount();
    const auto start = Clock::now();
    const Shown shown = ShownOf(SendScript(host.Context(), "at+netmode=1\r\n"));
    EXPECT_FALSE(shown.replied);
    EXPECT_LT(Clock::now() - start, Ms(500));  // refused before any wait
    attempted.Give();

    ASSERT_EQ(shown.errors.size(), 1u);
    EXPECT_EQ(shown.errors[0].code, kErrorSharingViolation);
    EXPECT_NE(shown.errors[0].text.find("busy"), std::string::npos) << shown.errors[0].text;
    EXPECT_EQ(OpenFdCount(), fdsBefore);
    int status = 0;
    ASSERT_EQ(waitpid(holder, &status, 0), holder);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "holder status " << status;
    EXPECT_EQ(sim.Received().find("netmode"), std::string::npos);
}

TEST(FaultPermissionDenied, ErrorTellsAboutTheDialoutGroup) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to make a port only root may open";
    PtyPair pty;
    ASSERT_FALSE(pty.path.empty());
    ASSERT_EQ(chown(pty.path.c_str(), 0, 0), 0);
    ASSERT_EQ(chmod(pty.path.c_str(), 0600), 0);
    const int status = RunInChild([&] {
        if (!BecomeNobody()) return 20;
        RecordingHost host;
        host.link = {pty.path, 115200};
        const Shown shown = ShownOf(SendScript(host.Context(), "at+netmode=1\r\n"));
        if (shown.replied || shown.errors.size() != 1) return 21;
        if (shown.errors[0].code != kErrorAccessDenied) return 22;
        return shown.errors[0].text.find("dialout") == std::string::npos ? 23 : 0;
    });
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(pty.ReadMaster().empty());
}

}  // namespace
