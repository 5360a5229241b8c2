#include "exchanges.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "process_probe.h"
#include "pty_pair.h"
#include "query_texts.h"
#include "recording_host.h"
#include "serial_port.h"
#include "sim_module.h"

namespace {

using Clock = std::chrono::steady_clock;

class ExchangeTest : public ::testing::Test {
  protected:
    void StartSim(SimOptions options) {
        sim = std::make_unique<SimModule>(options);
        ASSERT_EQ(sim->Start(), 0);
        host.link.port = sim->SlavePath();
    }
    void StartSimAt(uint32_t baud, SimFault fault = SimFault::kNone) {
        SimOptions options;
        options.baud = baud;
        options.fault = fault;
        StartSim(options);
        host.link.baud = baud;
    }
    std::unique_ptr<SimModule> sim;
    RecordingHost host;
};

TEST_F(ExchangeTest, SearchFindsA57600ModuleAtTheThirdAttempt) {
    StartSimAt(57600);
    host.link.baud = 115200;
    const ExchangeResult result = SearchModule(host.Context());
    EXPECT_TRUE(Replied(result));
    EXPECT_EQ(result.foundBaud, 57600u);
    EXPECT_EQ(host.sleeps, std::vector<uint32_t>(3, 100));
    ASSERT_EQ(host.logs.size(), 2u);
    EXPECT_EQ(host.logs[0], ">:at\r\r\nok\r\r\n");
    EXPECT_EQ(host.logs[1], "(:Found Device at " + sim->SlavePath() + "(57600)!\r\n");
    EXPECT_EQ(sim->Received(), "at\r\nat\r\nat\r\n");
}

TEST_F(ExchangeTest, SearchWithoutModuleTriesNineRatesSilently) {
    StartSimAt(115200, SimFault::kNoAnswer);
    host.link.baud = 38400;
    const ExchangeResult result = SearchModule(host.Context());
    EXPECT_EQ(result.outcome, ExchangeOutcome::kNoReply);
    EXPECT_EQ(host.sleeps, std::vector<uint32_t>(9, 100));
    EXPECT_TRUE(host.logs.empty());
    EXPECT_FALSE(result.foundBaud);
    std::string nine;
    for (int i = 0; i < 9; ++i) nine += "at\r\n";
    EXPECT_EQ(sim->Received(), nine);
}

TEST_F(ExchangeTest, QueryAt9600IsOneBlock) {
    StartSimAt(9600);
    const ExchangeResult result = QueryConfig(host.Context());
    const std::string& reply = result.reply;
    EXPECT_TRUE(Replied(result));
    std::string spacer(125, ' ');
    spacer += "dd\r\n";
    std::string block = QueryBlock();
    EXPECT_EQ(block.size(), 393u);
    EXPECT_TRUE(block.starts_with("at+netmode=?\r\nat+wifi_conf=?\r\n"));
    EXPECT_TRUE(block.ends_with("at+COM2=?\r\n"));
    EXPECT_EQ(sim->Received(), "at+ver=?\r\nat+remoteip=?\r\n" + spacer + block);
    EXPECT_EQ(host.sleeps, std::vector<uint32_t>{1000});
    ASSERT_EQ(host.logs.size(), 1u);
    EXPECT_EQ(host.logs[0], ">:" + reply + "\r\n");
    EXPECT_NE(CleanQueryReply(reply).find("at+ver=QN7-SIM 1.6.0\r"), std::string::npos);
}

TEST_F(ExchangeTest, QueryBelow9600IsFiveChunks) {
    StartSimAt(4800);
    const ExchangeResult result = QueryConfig(host.Context());
    const std::string& reply = result.reply;
    EXPECT_TRUE(Replied(result));
    auto chunks = QueryChunks();
    std::vector<std::size_t> sizes;
    std::string wire;
    for (const auto& chunk : chunks) {
        sizes.push_back(chunk.size());
        wire += chunk;
    }
    EXPECT_EQ(sizes, (std::vector<std::size_t>{57, 58, 62, 52, 50}));
    EXPECT_EQ(chunks[0], "at+netmode=?\r\nat+wifi_conf=?\r\nat+dhcpd=?\r\nat+dhcpd_ip=?\r\n");
    EXPECT_EQ(sim->Received(), wire);
    EXPECT_EQ(host.sleeps, std::vector<uint32_t>(5, 375));
    EXPECT_EQ(host.expectedWaits, std::vector<uint32_t>{1875});
    ASSERT_EQ(host.logs.size(), 1u);  // one line for the whole query
    std::string cleaned = CleanQueryReply(reply);
    EXPECT_NE(cleaned.find("at+netmode=1\r"), std::string::npos);
    EXPECT_NE(cleaned.find("at+ver=QN7-SIM 1.6.0\r"), std::string::npos);
    EXPECT_EQ(cleaned.find("CLport"), std::string::npos);
}

TEST_F(ExchangeTest, ReplyEndsAtItsFirstNul) {
    StartSimAt(115200, SimFault::kNulBytes);
    const ExchangeResult result = QueryConfig(host.Context());
    EXPECT_EQ(result.outcome, ExchangeOutcome::kNoReply);
    EXPECT_EQ(result.reply, "a");
    ASSERT_EQ(host.logs.size(), 1u);
    EXPECT_EQ(host.logs[0], ">:a\r\n");
}

TEST_F(ExchangeTest, CapitalsAloneAreNotTheModule) {
    StartSimAt(115200, SimFault::kCapitals);
    EXPECT_FALSE(Replied(SendScript(host.Context(), "at+netmode=1\r\n")));
    ASSERT_EQ(host.logs.size(), 1u);
    EXPECT_EQ(host.logs[0], ">:AT+NETMODE=1\r\r\nOK\r\r\n");
}

TEST_F(ExchangeTest, SubmitAppliesTheScriptAndTransparentModeFollows) {
    StartSimAt(115200);
    EXPECT_TRUE(Replied(SendScript(host.Context(), "at+mode=client\r\nat+remoteport=9000\r\n")));
    EXPECT_EQ(sim->State().at("mode"), "client");
    EXPECT_EQ(sim->State().at("remoteport"), "9000");
    EXPECT_TRUE(Replied(SendScript(host.Context(), kFactoryResetCommand)));
    EXPECT_EQ(sim->State().at("mode"), "server");
    EXPECT_TRUE(Replied(SendScript(host.Context(), kTransparentCommand)));
    EXPECT_TRUE(sim->Transparent());
    EXPECT_EQ(host.sleeps, std::vector<uint32_t>(3, 500));
}

TEST_F(ExchangeTest, EmptySubmitWritesNothingAndStillWaits) {
    StartSimAt(115200);
    EXPECT_EQ(SendScript(host.Context(), "").outcome, ExchangeOutcome::kNoReply);
    EXPECT_EQ(sim->Received(), "");
    EXPECT_EQ(host.sleeps, std::vector<uint32_t>{500});
    EXPECT_TRUE(host.logs.empty());
}

TEST_F(ExchangeTest, ScanWaitsGrowWithTheLineTime) {
    StartSimAt(115200, SimFault::kNoAnswer);
    host.sleepCapMs = 0;
    for (auto [baud, wait] : {std::pair{115200u, 4000u},
                              {57600u, 4400u},
                              {9600u, 8400u},
                              {4800u, 13200u},
                              {1200u, 42000u}}) {
        host.link.baud = baud;
        host.sleeps.clear();
        host.expectedWaits.clear();
        EXPECT_EQ(ScanWifi(host.Context(), kWifiScanCommand).outcome, ExchangeOutcome::kNoReply);
        EXPECT_EQ(host.sleeps, std::vector<uint32_t>{wait}) << baud;
        EXPECT_EQ(host.expectedWaits, std::vector<uint32_t>{wait}) << baud;
    }
}

TEST_F(ExchangeTest, ScanLogsTheNetworkList) {
    SimOptions options;
    options.scanDelayMs = 50;
    StartSim(options);
    host.sleepCapMs = 400;
    EXPECT_TRUE(Replied(ScanWifi(host.Context(), kWifiScanCommand)));
    ASSERT_EQ(host.logs.size(), 1u);
    EXPECT_NE(host.logs[0].find("ZOVRA"), std::string::npos);
}

TEST_F(ExchangeTest, ScanHandsBackTheReplyItLogged) {
    SimOptions options;
    options.scanDelayMs = 50;
    StartSim(options);
    host.sleepCapMs = 400;
    const ExchangeResult result = ScanWifi(host.Context(), kWifiScanCommand);
    const std::string& reply = result.reply;
    EXPECT_TRUE(Replied(result));
    ASSERT_EQ(host.logs.size(), 1u);
    EXPECT_EQ(">:" + reply + "\r\n", host.logs[0]);
    EXPECT_NE(reply.find("ZOVRA"), std::string::npos) << reply;
}

TEST_F(ExchangeTest, ScanHandsBackAReplyWithoutAtButReportsNoModule) {
    SimOptions options;
    options.scanDelayMs = 50;
    options.fault = SimFault::kCapitals;
    StartSim(options);
    host.sleepCapMs = 400;
    const ExchangeResult result = ScanWifi(host.Context(), kWifiScanCommand);
    const std::string& reply = result.reply;
    EXPECT_EQ(result.outcome, ExchangeOutcome::kNoReply);
    ASSERT_EQ(host.logs.size(), 1u);
    EXPECT_EQ(">:" + reply + "\r\n", host.logs[0]);
    EXPECT_NE(reply.find("AT+WIFI_SCAN"), std::string::npos) << reply;
}

TEST_F(ExchangeTest, ScanLeavesTheReplyAloneWhenNothingArrives) {
    StartSimAt(115200, SimFault::kNoAnswer);
    host.sleepCapMs = 0;
    const ExchangeResult result = ScanWifi(host.Context(), kWifiScanCommand);
    EXPECT_EQ(result.outcome, ExchangeOutcome::kNoReply);
    EXPECT_EQ(result.reply, "");
    EXPECT_TRUE(host.logs.empty());
}

TEST_F(ExchangeTest, MissingPortFailsToOpenWithTheSystemCode) {
    host.link.port = "/dev/ttyQN7-missing";
    const std::vector<std::function<ExchangeResult(const ExchangeContext&)>> exchanges = {
        SearchModule,
        [](const ExchangeContext& context) { return ScanWifi(context, kWifiScanCommand); },
        [](const ExchangeContext& context) { return SendScript(context, "at\r\n"); },
        QueryConfig,
    };
    for (const auto& exchange : exchanges) {
        const ExchangeResult result = exchange(host.Context());
        ASSERT_EQ(result.outcome, ExchangeOutcome::kSerialError);
        EXPECT_EQ(result.failure.code, 2);
        EXPECT_EQ(result.failure.message, "Unable to open COM-port");
        EXPECT_FALSE(result.failure.explanation.empty());
    }
    EXPECT_TRUE(host.logs.empty());
    EXPECT_TRUE(host.sleeps.empty());
}

// The exchange releases the port before it returns its failure, so whatever the caller shows
// of it, the port is free meanwhile.
TEST_F(ExchangeTest, AFailedStepReleasesThePortBeforeItReturns) {
    StartSimAt(115200);
    host.link.baud = 0;
    const ExchangeResult result = SendScript(host.Context(), "at\r\n");
    ASSERT_EQ(result.outcome, ExchangeOutcome::kSerialError);
    EXPECT_EQ(result.failure.code, kErrorInvalidParameter);
    EXPECT_EQ(result.failure.message, "Unable to set COM-port setting");
    CSerial after;
    EXPECT_EQ(after.OpenPort(host.link.port.c_str(), 0, 0, true), 0);
    EXPECT_TRUE(sim->Received().empty());
}

TEST_F(ExchangeTest, VanishedModuleFailsPromptlyAndReleasesThePort) {
    SimOptions options;
    options.fault = SimFault::kHangUp;
    options.hangUpAfterBytes = 4;
    const int before = OpenFdCount();
    StartSim(options);
    auto start = Clock::now();
    const ExchangeResult result = SendScript(host.Context(), "at+netmode=1\r\n");
    // The wait is 500 ms; the rest is a generous allowance for a loaded machine.
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(2000));
    ASSERT_EQ(result.outcome, ExchangeOutcome::kSerialError);
    EXPECT_EQ(result.failure.code, kErrorDeviceNotConnected);
    EXPECT_EQ(result.failure.message, "Unable to read data");
    EXPECT_FALSE(result.failure.explanation.empty());
    sim.reset();
    EXPECT_EQ(OpenFdCount(), before);  // released by the time the failure comes back
}

// A stop from another thread ends the exchange in its wait, with no reply and no failure.
TEST_F(ExchangeTest, StopEndsTheExchangeAsStopped) {
    StartSimAt(1200);
    std::thread stopper([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        host.stop.Stop();
    });
    const auto start = Clock::now();
    const ExchangeResult result = ScanWifi(host.Context(), kWifiScanCommand);
    stopper.join();
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));  // not the 42 s window
    EXPECT_EQ(result.outcome, ExchangeOutcome::kStopped);
    EXPECT_TRUE(host.logs.empty());
}

TEST(ExchangeCleanQueryReply, RemovesEveryQueryMark) {
    EXPECT_EQ(CleanQueryReply("at+netmode=?\r\r\n1\rat+dhcpc=?\r\r\n0\r"),
              "at+netmode=1\rat+dhcpc=0\r");
    EXPECT_EQ(CleanQueryReply("no marks?\r\n"), "no marks?\r\n");
    EXPECT_EQ(CleanQueryReply("?\r\r\n?\r\r\n"), "");
    EXPECT_EQ(CleanQueryReply(""), "");
}

}  // namespace
