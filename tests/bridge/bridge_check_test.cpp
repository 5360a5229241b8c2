// The bridge check against the simulated module on a pseudo-terminal, over real sockets on
// 127.0.0.1: every role, every bridge fault, the deadlines, a stop, and what the module is left
// in afterwards.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <mutex>
#include <thread>

#include "bridge_check.h"
#include "bridge_roles.h"
#include "loopback_socket.h"
#include "sim_module.h"

namespace {

using std::chrono::milliseconds;
constexpr uint32_t kGuardMs = 100;  // the module's; the check waits a little longer

std::string Describe(const WayReport& way) {
    return "sent " + std::to_string(way.sent) + " received " + std::to_string(way.received) +
           " intact " + std::to_string(way.intact) + " lost " + std::to_string(way.lost) +
           " corrupted " + std::to_string(way.corrupted) + " reordered " +
           std::to_string(way.reordered);
}

// What a failing expectation prints of a report.
std::string Describe(const BridgeReport& report) {
    return std::string(BridgeOutcomeName(report.outcome)) + ": " + report.message +
           "\n  to network: " + Describe(report.toNetwork) +
           "\n  to serial:  " + Describe(report.toSerial);
}

class RecordingLog : public ExchangeLog {
  public:
    void Log(std::string_view text) override {
        std::lock_guard lock(mutex_);
        text_ += text;
    }
    std::string Text() {
        std::lock_guard lock(mutex_);
        return text_;
    }

  private:
    std::mutex mutex_;
    std::string text_;
};

class PhaseLog : public BridgeProgress {
  public:
    void Phase(BridgePhase phase) override { phases.push_back(phase); }
    void Carried(uint64_t toNetwork, uint64_t toSerial, uint64_t eachWay) override {
        carried = toNetwork + toSerial;
        total = 2 * eachWay;
    }
    std::vector<BridgePhase> phases;
    uint64_t carried = 0;
    uint64_t total = 0;
};

class BridgeCheckTest : public ::testing::Test {
  protected:
    void Start(SimOptions options = {}) {
        options.escapeGuardMs = kGuardMs;
        options.clientRetryMs = 50;
        sim = std::make_unique<SimModule>(options);
        ASSERT_EQ(sim->Start(), 0);
        link = {sim->SlavePath(), options.baud, true};
    }
    ExchangeContext Context() { return {link, stop, log}; }
    // Settings through the module's own command line, as a user would have submitted them.
    void Set(const std::map<std::string, std::string>& settings) {
        std::string script;
        for (const auto& [key, value] : settings) script += "at+" + key + "=" + value + "\r\n";
        ASSERT_EQ(SendScript(Context(), script).outcome, ExchangeOutcome::kReplied);
    }
    BridgeRequest Request() {
        BridgeRequest request;
        request.bytes = 4096;
        request.probes = 5;
        request.connectTimeoutMs = 2000;
        request.quietTimeoutMs = 500;
        request.escapeGuardMs = kGuardMs + 50;
        return request;
    }
    BridgeReport Check(const BridgeRequest& request) {
        return RunBridgeCheck(Context(), request, &progress);
    }
    void ExpectBackInCommandMode(const BridgeReport& report) {
        EXPECT_EQ(report.commandMode, CommandMode::kConfirmed);
        EXPECT_FALSE(sim->Transparent());
        EXPECT_EQ(SendScript(Context(), "at\r\n").outcome, ExchangeOutcome::kReplied);
    }

    std::unique_ptr<SimModule> sim;
    LinkSettings link;
    ExchangeStop stop;
    RecordingLog log;
    PhaseLog progress;
};

class BridgeRoleTest : public BridgeCheckTest, public ::testing::WithParamInterface<BridgeRole> {};

TEST_P(BridgeRoleTest, CleanBridgeIsIntactBothWays) {
    Start();
    const BridgeRole role = GetParam();
    const bool udp = std::string_view(role.remotepro) == "udp";
    Set({{"remotepro", role.remotepro},
         {"mode", role.mode},
         {"remoteip", "127.0.0.1"},
         {"remoteport", std::to_string(LoopbackSocket::FreePort(udp))}});
    const BridgeReport report = Check(Request());
    EXPECT_EQ(report.outcome, BridgeOutcome::kIntact) << Describe(report);
    for (const WayReport* way : {&report.toNetwork, &report.toSerial}) {
        EXPECT_EQ(way->sent, 4096u);
        EXPECT_EQ(way->intact, 4096u);
        EXPECT_TRUE(way->Intact());
        EXPECT_GT(way->bytesPerSecond, 0);
        EXPECT_LT(way->bytesPerSecond, 115200 / 10 * 1.1);  // never faster than the line
    }
    EXPECT_EQ(report.latency.answered, 5u);
    EXPECT_GT(report.latency.p50Ms, 16 * 2 * 10000.0 / 115200);  // the probe's line time
    EXPECT_LE(report.latency.p50Ms, report.latency.p99Ms);
    EXPECT_LE(report.latency.p99Ms, report.latency.maxMs);
    EXPECT_EQ(report.peer.rfind("127.0.0.1:", 0), 0u) << report.peer;
    ExpectBackInCommandMode(report);
    // It asked, entered transparent mode, escaped and confirmed, all through the exchanges.
    const std::string logged = log.Text();
    EXPECT_NE(logged.find("at+net_wanip=?"), std::string::npos);
    EXPECT_NE(logged.find("at+reconn=1\r\r\nok"), std::string::npos);
    EXPECT_NE(logged.find(">:\r\nok\r\n"), std::string::npos);
    EXPECT_EQ(progress.carried, progress.total);
    EXPECT_EQ(progress.phases.back(), BridgePhase::kLeavingTransparent);
}

INSTANTIATE_TEST_SUITE_P(Roles, BridgeRoleTest, AllBridgeRoles(), BridgeRoleName);

class BridgeFaultTest : public BridgeCheckTest {
  protected:
    BridgeReport CheckWith(BridgeFault fault, FaultDirection direction = FaultDirection::kBoth) {
        SimOptions options;
        options.bridgeFault = fault;
        options.bridgeFaultDirection = direction;
        options.bridgeFaultEvery = 500;
        options.bridgeDelayMs = 100;
        options.disconnectAfterBytes = 3000;
        Start(options);
        Set({{"remoteport", std::to_string(LoopbackSocket::FreePort())}});
        return Check(Request());
    }
};

TEST_F(BridgeFaultTest, DropIsLossOnTheWayItHappens) {
    const BridgeReport report = CheckWith(BridgeFault::kDrop, FaultDirection::kToNetwork);
    EXPECT_EQ(report.outcome, BridgeOutcome::kDamaged) << Describe(report);
    EXPECT_EQ(report.toNetwork.lost, 4096u / 500);  // the probes went first: 80 of them
    EXPECT_EQ(report.toNetwork.corrupted, 0u);
    EXPECT_TRUE(report.toSerial.Intact());
    ExpectBackInCommandMode(report);
}

TEST_F(BridgeFaultTest, CorruptIsCorruption) {
    const BridgeReport report = CheckWith(BridgeFault::kCorrupt, FaultDirection::kToSerial);
    EXPECT_EQ(report.outcome, BridgeOutcome::kDamaged) << Describe(report);
    EXPECT_GE(report.toSerial.corrupted, 4096u / 500 - 1);
    EXPECT_EQ(report.toSerial.lost, 0u);
    EXPECT_TRUE(report.toNetwork.Intact());
}

TEST_F(BridgeFaultTest, ReorderIsReordering) {
    const BridgeReport report = CheckWith(BridgeFault::kReorder, FaultDirection::kToNetwork);
    EXPECT_EQ(report.outcome, BridgeOutcome::kDamaged) << Describe(report);
    EXPECT_GT(report.toNetwork.reordered, 0u);
    EXPECT_EQ(report.toNetwork.lost, 0u);
    EXPECT_EQ(report.toNetwork.received, report.toNetwork.sent);
}

TEST_F(BridgeFaultTest, DelayShowsInTheLatency) {
    const BridgeReport report = CheckWith(BridgeFault::kDelay);
    EXPECT_EQ(report.outcome, BridgeOutcome::kIntact) << Describe(report);
    EXPECT_GE(report.latency.p50Ms, 200);  // delayed both ways
    EXPECT_GT(report.latency.p50Ms, report.latency.limitMs + 100);
}

TEST_F(BridgeFaultTest, RefusedConnectionIsRefusedAndTheModuleIsEscaped) {
    const BridgeReport report = CheckWith(BridgeFault::kRefuse);
    EXPECT_EQ(report.outcome, BridgeOutcome::kRefused) << Describe(report);
    EXPECT_NE(report.message.find("refused the connection"), std::string::npos);
    EXPECT_EQ(report.toNetwork.sent, 0u);
    ExpectBackInCommandMode(report);
}

TEST_F(BridgeCheckTest, AUdpServerThatIsNotThereIsRefused) {
    SimOptions options;
    options.bridgeFault = BridgeFault::kRefuse;  // its port stays closed
    Start(options);
    Set({{"remotepro", "udp"}, {"remoteport", std::to_string(LoopbackSocket::FreePort(true))}});
    const BridgeReport report = Check(Request());
    EXPECT_EQ(report.outcome, BridgeOutcome::kRefused) << Describe(report);
    EXPECT_NE(report.message.find("udp 127.0.0.1:"), std::string::npos) << report.message;
    ExpectBackInCommandMode(report);
}

TEST_F(BridgeFaultTest, DisconnectIsAConnectionDropped) {
    const BridgeReport report = CheckWith(BridgeFault::kDisconnect);
    EXPECT_EQ(report.outcome, BridgeOutcome::kDamaged) << Describe(report);
    EXPECT_NE(report.message.find("closed the connection"), std::string::npos) << Describe(report);
    ExpectBackInCommandMode(report);
}

TEST_F(BridgeCheckTest, AModuleThatNeverEntersIsNotTransparentNotLossy) {
    Start();
    Set({{"remoteport", std::to_string(LoopbackSocket::FreePort())}});
    BridgeRequest request = Request();
    request.alreadyTransparent = true;  // it is not: the user was wrong
    const BridgeReport report = Check(request);
    EXPECT_EQ(report.outcome, BridgeOutcome::kNotTransparent) << Describe(report);
    EXPECT_EQ(report.commandMode, CommandMode::kConfirmed);
}

TEST_F(BridgeCheckTest, AModuleThatDropsOutIsReportedAsSuch) {
    SimOptions options;
    options.baud = 9600;  // 16 KiB take 17 s: it leaves after 1.5 s
    options.transparentReturnMs = 1500;
    Start(options);
    Set({{"remoteport", std::to_string(LoopbackSocket::FreePort())}});
    BridgeRequest request = Request();
    request.bytes = 16384;
    const BridgeReport report = Check(request);
    EXPECT_EQ(report.outcome, BridgeOutcome::kLeftTransparent) << Describe(report) << log.Text();
    EXPECT_FALSE(sim->Transparent());
}

TEST_F(BridgeCheckTest, BadEndpointSendsNothing) {
    Start();
    Set({{"remoteport", "0"}});
    sim->ClearReceived();
    const BridgeReport report = Check(Request());
    EXPECT_EQ(report.outcome, BridgeOutcome::kBadEndpoint);
    EXPECT_NE(report.message.find("remoteport: port 0 is not a port (1 to 65535)"),
              std::string::npos)
        << Describe(report);
    EXPECT_EQ(sim->Received().find("at+reconn"), std::string::npos);  // only the query went
    EXPECT_FALSE(sim->Transparent());
}

TEST_F(BridgeCheckTest, AModuleThatNeverConnectsMeetsTheDeadline) {
    SimOptions options;
    options.bridgeFault = BridgeFault::kRefuse;  // a client that never calls
    Start(options);
    Set({{"mode", "client"},
         {"remoteip", "127.0.0.1"},
         {"remoteport", std::to_string(LoopbackSocket::FreePort())}});
    BridgeRequest request = Request();
    request.connectTimeoutMs = 500;
    const auto start = std::chrono::steady_clock::now();
    const BridgeReport report = Check(request);
    EXPECT_EQ(report.outcome, BridgeOutcome::kTimedOut) << Describe(report);
    EXPECT_NE(report.message.find("did not connect"), std::string::npos) << Describe(report);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    ExpectBackInCommandMode(report);
}

TEST_F(BridgeCheckTest, ATakenPortIsAddressInUse) {
    Start();
    LoopbackSocket taken = LoopbackSocket::TcpListen(LoopbackSocket::FreePort());
    ASSERT_TRUE(taken.Valid());
    Set({{"mode", "client"},
         {"remoteip", "127.0.0.1"},
         {"remoteport", std::to_string(taken.LocalPort())}});
    const BridgeReport report = Check(Request());
    EXPECT_EQ(report.outcome, BridgeOutcome::kAddressInUse) << Describe(report);
    ExpectBackInCommandMode(report);
}

TEST_F(BridgeCheckTest, OverridesNeedNoQueryAndStayLeavesItTransparent) {
    Start();
    const uint16_t port = LoopbackSocket::FreePort();
    Set({{"remoteport", std::to_string(port)}});
    sim->ClearReceived();
    BridgeRequest request = Request();
    request.overrides = {NetProto::kTcp, ModuleRole::kServer, "127.0.0.1", port};
    request.stay = true;
    const BridgeReport report = Check(request);
    EXPECT_EQ(report.outcome, BridgeOutcome::kIntact) << Describe(report);
    EXPECT_EQ(report.commandMode, CommandMode::kSkipped);
    EXPECT_TRUE(sim->Transparent());
    EXPECT_EQ(sim->Received().find("=?"), std::string::npos);
}

TEST_F(BridgeCheckTest, StopClosesTheSocketAndStillEscapes) {
    SimOptions options;
    options.baud = 9600;
    Start(options);
    Set({{"remoteport", std::to_string(LoopbackSocket::FreePort())}});
    BridgeRequest request = Request();
    request.bytes = 65536;  // a minute of line time
    std::thread stopper([this] {
        std::this_thread::sleep_for(milliseconds(2500));
        stop.Stop();
    });
    const auto start = std::chrono::steady_clock::now();
    const BridgeReport report = Check(request);
    stopper.join();
    EXPECT_EQ(report.outcome, BridgeOutcome::kStopped);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
    EXPECT_FALSE(sim->Transparent());  // the escape went out after the stop
    stop.Reset();
    EXPECT_EQ(SendScript(Context(), "at\r\n").outcome, ExchangeOutcome::kReplied);
}

}  // namespace
