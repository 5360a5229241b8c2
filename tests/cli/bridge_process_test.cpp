// qn7cfg bridge as a process against the simulated module, over real sockets on 127.0.0.1: a
// clean check in each role, each bridge fault with its status, the deadlines, bad input, the
// signals and several ports at once.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <nlohmann/json.hpp>
#include <thread>

#include "bridge_roles.h"
#include "cli_sim_fixture.h"
#include "loopback_socket.h"
#include "run_process.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr uint32_t kGuardMs = 100;

// The options every check here runs with: short, and the escape's guard time just above the
// simulated module's.
std::vector<std::string> Quick() {
    return {"--bytes", "4K", "--probes", "5", "--guard", std::to_string(kGuardMs + 50)};
}

class BridgeProcess : public CliOnSim {
  protected:
    void SetUp() override {}
    void Start(SimOptions options = {}) {
        options.escapeGuardMs = kGuardMs;
        options.clientRetryMs = 50;
        baud_ = std::to_string(options.baud);
        StartSim(options);
    }
    // The module's settings, submitted as a user would.
    void Set(const std::map<std::string, std::string>& settings, const std::string& port = {}) {
        std::string script;
        for (const auto& [key, value] : settings) script += "at+" + key + "=" + value + "\n";
        ProcessResult result = RunProcess(
            QN7CFG_PATH,
            {"-q", "--fast", "-b", baud_, "-p", port.empty() ? port_ : port, "submit", "-"},
            script);
        ASSERT_EQ(result.exitCode, 0) << result.err;
    }
    ProcessResult Bridge(std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"-q", "--fast", "-p", port_, "bridge"};
        for (const std::string& arg : Quick()) args.push_back(arg);
        for (std::string& arg : extra) args.push_back(std::move(arg));
        return RunProcess(QN7CFG_PATH, args);
    }
    nlohmann::json Json(const ProcessResult& result) {
        return nlohmann::json::parse(result.out, nullptr, false);
    }
    void ExpectCommandMode() {
        EXPECT_FALSE(sim_->Transparent());
        EXPECT_EQ(RunProcess(QN7CFG_PATH, {"-q", "--fast", "-p", port_, "transparent"}).exitCode,
                  0);  // it answers commands
    }

    std::string baud_;
};

class BridgeProcessRole : public BridgeProcess, public ::testing::WithParamInterface<BridgeRole> {};

TEST_P(BridgeProcessRole, CleanCheckIsIntactAndExitsZero) {
    Start();
    const BridgeRole role = GetParam();
    Set({{"remotepro", role.remotepro},
         {"mode", role.mode},
         {"remoteip", "127.0.0.1"},
         {"remoteport",
          std::to_string(LoopbackSocket::FreePort(std::string_view(role.remotepro) == "udp"))}});
    ProcessResult result = Bridge();
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_TRUE(Contains(result.out, "result        intact: every byte arrived intact both ways"))
        << result.out;
    EXPECT_TRUE(
        Contains(result.out, std::string("endpoint      ") + role.remotepro + " 127.0.0.1:"));
    EXPECT_TRUE(Contains(result.out, "to network    4096      4096      4096      0"));
    EXPECT_TRUE(Contains(result.out, "to serial     4096      4096      4096      0"));
    EXPECT_TRUE(Contains(result.out, "command mode  confirmed"));
    ExpectCommandMode();
}

INSTANTIATE_TEST_SUITE_P(Roles, BridgeProcessRole, AllBridgeRoles(), BridgeRoleName);

TEST_F(BridgeProcess, JsonHasEveryCount) {
    Start();
    Set({{"remoteport", std::to_string(LoopbackSocket::FreePort())}});
    ProcessResult result = Bridge({"--json"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    nlohmann::json json = Json(result);
    ASSERT_FALSE(json.is_discarded()) << result.out;
    EXPECT_EQ(json["outcome"], "intact");
    EXPECT_EQ(json["status"], 0);
    EXPECT_EQ(json["rate"], 115200);
    EXPECT_EQ(json["endpoint"]["proto"], "tcp");
    EXPECT_EQ(json["endpoint"]["role"], "server");
    EXPECT_EQ(json["endpoint"]["host"], "127.0.0.1");
    for (const char* way : {"toNetwork", "toSerial"}) {
        EXPECT_EQ(json[way]["sent"], 4096);
        EXPECT_EQ(json[way]["intact"], 4096);
        EXPECT_GT(json[way]["ofLine"].get<double>(), 0.5);
        EXPECT_LT(json[way]["ofLine"].get<double>(), 1.1);
    }
    EXPECT_EQ(json["latency"]["answered"], 5);
    EXPECT_EQ(json["commandMode"], "confirmed");
}

struct FaultCase {
    const char* name;
    BridgeFault fault;
    int status;
    const char* says;
};

class BridgeProcessFault : public BridgeProcess, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(BridgeProcessFault, IsDetectedWithItsStatus) {
    SimOptions options;
    options.bridgeFault = GetParam().fault;
    options.bridgeFaultEvery = 700;
    options.bridgeDelayMs = 100;
    options.disconnectAfterBytes = 3000;
    Start(options);
    Set({{"remoteport", std::to_string(LoopbackSocket::FreePort())}});
    ProcessResult result = Bridge({"--json"});
    EXPECT_EQ(result.exitCode, GetParam().status) << result.out << result.err;
    nlohmann::json json = Json(result);
    ASSERT_FALSE(json.is_discarded()) << result.out;
    EXPECT_TRUE(Contains(json["message"].get<std::string>(), GetParam().says)) << json["message"];
    if (GetParam().fault == BridgeFault::kDelay) {
        EXPECT_GE(json["latency"]["p50Ms"], 200);  // late both ways
    }
    if (GetParam().fault == BridgeFault::kReorder) {
        EXPECT_GT(
            json["toNetwork"]["reordered"].get<int>() + json["toSerial"]["reordered"].get<int>(),
            0);
    }
    ExpectCommandMode();
}

INSTANTIATE_TEST_SUITE_P(
    Faults, BridgeProcessFault,
    ::testing::Values(FaultCase{"Drop", BridgeFault::kDrop, 1, "bytes lost"},
                      FaultCase{"Corrupt", BridgeFault::kCorrupt, 1, "corrupted"},
                      FaultCase{"Reorder", BridgeFault::kReorder, 1, "reordered"},
                      FaultCase{"Delay", BridgeFault::kDelay, 0, "intact"},
                      FaultCase{"Refuse", BridgeFault::kRefuse, 69, "refused the connection"},
                      FaultCase{"Disconnect", BridgeFault::kDisconnect, 1,
                                "closed the connection"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BridgeProcess, AModuleThatNeverConnectsEndsAtTheDeadline) {
    SimOptions options;
    options.bridgeFault = BridgeFault::kRefuse;
    Start(options);
    Set({{"mode", "client"},
         {"remoteip", "127.0.0.1"},
         {"remoteport", std::to_string(LoopbackSocket::FreePort())}});
    const auto start = Clock::now();
    ProcessResult result = Bridge({"--connect-timeout", "500"});
    EXPECT_EQ(result.exitCode, 75) << result.out << result.err;
    EXPECT_TRUE(Contains(result.err, "the module did not connect to tcp 127.0.0.1:")) << result.err;
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(20));
    ExpectCommandMode();
}

TEST_F(BridgeProcess, APeerThatNeverAnswersEndsAfterTheQuietTime) {
    Start();
    // The module sends to one port; the PC listens on another: nothing ever comes.
    Set({{"remotepro", "udp"},
         {"mode", "client"},
         {"remoteip", "127.0.0.1"},
         {"remoteport", std::to_string(LoopbackSocket::FreePort(true))}});
    const auto start = Clock::now();
    ProcessResult result =
        Bridge({"--json", "--net-port", std::to_string(LoopbackSocket::FreePort(true))});
    EXPECT_EQ(result.exitCode, 1) << result.out << result.err;
    nlohmann::json json = Json(result);
    EXPECT_EQ(json["toNetwork"]["lost"], 4096);
    EXPECT_EQ(json["toSerial"]["lost"], 4096);
    EXPECT_EQ(json["latency"]["answered"], 0);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(30));
    ExpectCommandMode();
}

TEST_F(BridgeProcess, ATakenPortIsAddressInUse) {
    Start();
    LoopbackSocket taken = LoopbackSocket::TcpListen(LoopbackSocket::FreePort());
    ASSERT_TRUE(taken.Valid());
    Set({{"mode", "client"},
         {"remoteip", "127.0.0.1"},
         {"remoteport", std::to_string(taken.LocalPort())}});
    ProcessResult result = Bridge();
    EXPECT_EQ(result.exitCode, 73) << result.out << result.err;
    EXPECT_TRUE(Contains(result.err, "the port is in use")) << result.err;
    ExpectCommandMode();
}

TEST_F(BridgeProcess, BadEndpointOptionsAreUsageErrorsAndSendNothing) {
    Start();
    for (std::vector<std::string> bad : {std::vector<std::string>{"--net-port", "0"},
                                         {"--net-port", "65536"},
                                         {"--net-port", "http"},
                                         {"--host", "999.1.1.1"},
                                         {"--host", "localhost"},
                                         {"--proto", "sctp"},
                                         {"--role", "peer"},
                                         {"--bytes", "0"},
                                         {"--guard", "x"}}) {
        ProcessResult result = Bridge(bad);
        EXPECT_EQ(result.exitCode, 64) << bad[0] << " " << bad[1] << ": " << result.err;
        EXPECT_TRUE(Contains(result.err, bad[0])) << result.err;
    }
    EXPECT_EQ(sim_->Received(), "");
    ProcessResult other = RunProcess(QN7CFG_PATH, {"-p", port_, "query", "--stay"});
    EXPECT_EQ(other.exitCode, 64);
    EXPECT_TRUE(Contains(other.err, "--stay applies only to bridge")) << other.err;
}

TEST_F(BridgeProcess, BadSettingsInTheModuleSayWhichAndSendNoData) {
    Start();
    Set({{"remoteport", "0"}});
    sim_->ClearReceived();
    ProcessResult result = Bridge();
    EXPECT_EQ(result.exitCode, 65) << result.err;
    EXPECT_TRUE(Contains(result.err,
                         "remoteport: port 0 is not a port (1 to 65535): nothing was "
                         "sent"))
        << result.err;
    EXPECT_FALSE(Contains(sim_->Received(), "reconn"));
    EXPECT_FALSE(sim_->Transparent());
}

TEST_F(BridgeProcess, FromAProfileOrAScriptInsteadOfAQuery) {
    Start();
    const uint16_t port = LoopbackSocket::FreePort();
    Set({{"remoteport", std::to_string(port)}});
    const std::string profile = (dir_.Path() / "module.json").string();
    ProcessResult saved = RunProcess(QN7CFG_PATH, {"-q", "--fast", "-p", port_, "query", "--json"});
    ASSERT_EQ(saved.exitCode, 0);
    {
        FILE* file = std::fopen(profile.c_str(), "w");
        ASSERT_NE(file, nullptr);
        std::fputs(saved.out.c_str(), file);
        std::fclose(file);
    }
    sim_->ClearReceived();
    ProcessResult result = Bridge({"--from", profile});
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_FALSE(Contains(sim_->Received(), "=?"));  // nothing asked
    ProcessResult fromScript = RunProcess(
        QN7CFG_PATH,
        {"-q", "--fast", "-p", port_, "bridge", "--bytes", "1K", "--probes", "1", "--guard", "150",
         "--from", "-", "--host", "127.0.0.1"},
        "at+remotepro=tcp\nat+mode=server\nat+remoteport=" + std::to_string(port) + "\n");
    EXPECT_EQ(fromScript.exitCode, 0) << fromScript.out << fromScript.err;
}

TEST_F(BridgeProcess, NeverTransparentAndDroppingOutAreNotDataLoss) {
    SimOptions options;
    options.baud = 9600;
    options.transparentReturnMs = 1500;
    Start(options);
    Set({{"remoteport", std::to_string(LoopbackSocket::FreePort())}});
    ProcessResult never =
        RunProcess(QN7CFG_PATH, {"-q", "--fast", "-b", "9600", "-p", port_, "bridge",
                                 "--already-transparent", "--probes", "2", "--guard", "150"});
    EXPECT_EQ(never.exitCode, 76) << never.out << never.err;
    EXPECT_TRUE(Contains(never.err, "did not enter transparent mode")) << never.err;
    ProcessResult dropped =
        RunProcess(QN7CFG_PATH, {"-q", "--fast", "-b", "9600", "-p", port_, "bridge", "--bytes",
                                 "16K", "--probes", "2", "--guard", "150"});
    EXPECT_EQ(dropped.exitCode, 76) << dropped.out << dropped.err;
    EXPECT_TRUE(Contains(dropped.err, "left transparent mode during the check")) << dropped.err;
}

TEST_F(BridgeProcess, StayLeavesTheModuleTransparent) {
    Start();
    Set({{"remoteport", std::to_string(LoopbackSocket::FreePort())}});
    ProcessResult result = Bridge({"--stay"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(Contains(result.out, "command mode  not asked"));
    EXPECT_TRUE(sim_->Transparent());
}

TEST_F(BridgeProcess, SeveralPortsEachWithItsOwnEndpointAndASummary) {
    Start();
    SimOptions faulty;
    faulty.escapeGuardMs = kGuardMs;
    faulty.bridgeFault = BridgeFault::kDrop;
    faulty.bridgeFaultEvery = 700;
    SimModule second(faulty);
    ASSERT_EQ(second.Start(), 0);
    Set({{"remoteport", std::to_string(LoopbackSocket::FreePort())}});
    Set({{"remoteport", std::to_string(LoopbackSocket::FreePort())}}, second.SlavePath());
    std::vector<std::string> args = {"-q", "--fast",           "-p",    port_,
                                     "-p", second.SlavePath(), "bridge"};
    for (const std::string& arg : Quick()) args.push_back(arg);
    ProcessResult result = RunProcess(QN7CFG_PATH, args);
    EXPECT_EQ(result.exitCode, 1) << result.out << result.err;  // the worst of the two
    EXPECT_TRUE(Contains(result.out, port_ + ": result        intact")) << result.out;
    EXPECT_TRUE(Contains(result.out, second.SlavePath() + ": result        damaged")) << result.out;
    EXPECT_TRUE(Contains(result.out, "PORT"));
    EXPECT_TRUE(Contains(result.out, "OUTCOME                  DETAIL"));
    EXPECT_TRUE(Contains(result.out, "bytes lost"));
    EXPECT_FALSE(sim_->Transparent());
    EXPECT_FALSE(second.Transparent());
}

struct SignalCase {
    const char* name;
    int signal;
    int status;
};

class BridgeProcessSignal : public BridgeProcess,
                            public ::testing::WithParamInterface<SignalCase> {};

TEST_P(BridgeProcessSignal, ClosesTheSocketEscapesAndReleasesThePort) {
    SimOptions options;
    options.baud = 9600;  // 64 KiB take over a minute
    Start(options);
    const uint16_t remotePort = LoopbackSocket::FreePort();
    Set({{"remoteport", std::to_string(remotePort)}});
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        execl(QN7CFG_PATH, QN7CFG_PATH, "-q", "--fast", "-b", "9600", "-p", port_.c_str(), "bridge",
              "--guard", "150", nullptr);
        _exit(127);
    }
    // Under way once the module is transparent and the pattern flows.
    for (auto end = Clock::now() + std::chrono::seconds(20);
         !sim_->Transparent() && Clock::now() < end;)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(sim_->Transparent());
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    ASSERT_EQ(kill(child, GetParam().signal), 0);
    const auto start = Clock::now();
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), GetParam().status);
    EXPECT_FALSE(sim_->Transparent());  // the escape went out
    // The module's socket is closed (the escape closes it) and the port is free for the next.
    EXPECT_EQ(LoopbackSocket::TcpConnectOnce(remotePort).ConnectError(), ECONNREFUSED);
    EXPECT_EQ(
        RunProcess(QN7CFG_PATH, {"-q", "--fast", "-b", "9600", "-p", port_, "search"}).exitCode, 0);
}

INSTANTIATE_TEST_SUITE_P(Signals, BridgeProcessSignal,
                         ::testing::Values(SignalCase{"CtrlC", SIGINT, 130},
                                           SignalCase{"Term", SIGTERM, 143}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
