#include "exchanges.h"

#include <gtest/gtest.h>

#include <chrono>

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
    EXPECT_TRUE(SearchModule(host));
    EXPECT_EQ(host.link.baud, 57600u);
    EXPECT_EQ(host.sleeps, std::vector<uint32_t>(3, 100));
    ASSERT_EQ(host.logs.size(), 2u);
    EXPECT_EQ(host.logs[0], ">:at\r\r\nok\r\r\n");
    EXPECT_EQ(host.logs[1], "(:Found Device at " + sim->SlavePath() + "(57600)!\r\n");
    EXPECT_EQ(sim->Received(), "at\r\nat\r\nat\r\n");
    EXPECT_TRUE(host.errors.empty());
}

TEST_F(ExchangeTest, SearchWithoutModuleTriesNineRatesSilently) {
    StartSimAt(115200, SimFault::kNoAnswer);
    host.link.baud = 38400;
    EXPECT_FALSE(SearchModule(host));
    EXPECT_EQ(host.sleeps, std::vector<uint32_t>(9, 100));
    EXPECT_TRUE(host.logs.empty());
    EXPECT_TRUE(host.errors.empty());
    EXPECT_EQ(host.link.baud, 38400u);
    std::string nine;
    for (int i = 0; i < 9; ++i) nine += "at\r\n";
    EXPECT_EQ(sim->Received(), nine);
}

TEST_F(ExchangeTest, QueryAt9600IsOneBlock) {
    StartSimAt(9600);
    std::string reply = "untouched";
    EXPECT_TRUE(QueryConfig(host, &reply));
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

// A caller that only wants the log and the flag may pass no reply at all.
TEST_F(ExchangeTest, QueryWithoutReplyPointerStillLogs) {
    StartSimAt(9600);
    EXPECT_TRUE(QueryConfig(host, nullptr));
    ASSERT_EQ(host.logs.size(), 1u);
    EXPECT_NE(host.logs[0].find("at+netmode=?"), std::string::npos);
}

TEST_F(ExchangeTest, QueryBelow9600IsFiveChunks) {
    StartSimAt(4800);
    std::string reply;
    EXPECT_TRUE(QueryConfig(host, &reply));
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
    std::string reply = "untouched";
    EXPECT_FALSE(QueryConfig(host, &reply));
    EXPECT_EQ(reply, "untouched");
    ASSERT_EQ(host.logs.size(), 1u);
    EXPECT_EQ(host.logs[0], ">:a\r\n");
}

TEST_F(ExchangeTest, CapitalsAloneAreNotTheModule) {
    StartSimAt(115200, SimFault::kCapitals);
    EXPECT_FALSE(SendScript(host, "at+netmode=1\r\n"));
    ASSERT_EQ(host.logs.size(), 1u);
    EXPECT_EQ(host.logs[0], ">:AT+NETMODE=1\r\r\nOK\r\r\n");
}

TEST_F(ExchangeTest, SubmitAppliesTheScriptAndTransparentModeFollows) {
    StartSimAt(115200);
    EXPECT_TRUE(SendScript(host, "at+mode=client\r\nat+remoteport=9000\r\n"));
    EXPECT_EQ(sim->State().at("mode"), "client");
    EXPECT_EQ(sim->State().at("remoteport"), "9000");
    EXPECT_TRUE(SendScript(host, kFactoryResetCommand));
    EXPECT_EQ(sim->State().at("mode"), "server");
    EXPECT_TRUE(SendScript(host, kTransparentCommand));
    EXPECT_TRUE(sim->Transparent());
    EXPECT_EQ(host.sleeps, std::vector<uint32_t>(3, 500));
}

TEST_F(ExchangeTest, EmptySubmitWritesNothingAndStillWaits) {
    StartSimAt(115200);
    EXPECT_FALSE(SendScript(host, ""));
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
        ScanWifi(host, kWifiScanCommand);
        EXPECT_EQ(host.sleeps, std::vector<uint32_t>{wait}) << baud;
        EXPECT_EQ(host.expectedWaits, std::vector<uint32_t>{wait}) << baud;
    }
    EXPECT_TRUE(host.errors.empty());
}

TEST_F(ExchangeTest, ScanLogsTheNetworkList) {
    SimOptions options;
    options.scanDelayMs = 50;
    StartSim(options);
    host.sleepCapMs = 400;
    EXPECT_TRUE(ScanWifi(host, kWifiScanCommand));
    ASSERT_EQ(host.logs.size(), 1u);
    EXPECT_NE(host.logs[0].find("ZOVRA"), std::string::npos);
}

TEST_F(ExchangeTest, ScanHandsBackTheReplyItLogged) {
    SimOptions options;
    options.scanDelayMs = 50;
    StartSim(options);
    host.sleepCapMs = 400;
    std::string reply;
    EXPECT_TRUE(ScanWifi(host, kWifiScanCommand, &reply));
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
    std::string reply;
    EXPECT_FALSE(ScanWifi(host, kWifiScanCommand, &reply));
    ASSERT_EQ(host.logs.size(), 1u);
    EXPECT_EQ(">:" + reply + "\r\n", host.logs[0]);
    EXPECT_NE(reply.find("AT+WIFI_SCAN"), std::string::npos) << reply;
}

TEST_F(ExchangeTest, ScanLeavesTheReplyAloneWhenNothingArrives) {
    StartSimAt(115200, SimFault::kNoAnswer);
    host.sleepCapMs = 0;
    std::string reply = "untouched";
    EXPECT_FALSE(ScanWifi(host, kWifiScanCommand, &reply));
    EXPECT_EQ(reply, "untouched");
    EXPECT_TRUE(host.logs.empty());
}

TEST_F(ExchangeTest, MissingPortFailsToOpenWithTheSystemCode) {
    host.link.port = "/dev/ttyQN7-missing";
    const std::vector<std::function<void()>> exchanges = {
        [&] { SearchModule(host); },
        [&] { ScanWifi(host, kWifiScanCommand); },
        [&] { SendScript(host, "at\r\n"); },
        [&] {
            std::string reply;
            QueryConfig(host, &reply);
        },
    };
    for (const auto& exchange : exchanges) {
        host.errors.clear();
        exchange();
        ASSERT_EQ(host.errors.size(), 1u);
        EXPECT_EQ(host.errors[0].code, 2);
        EXPECT_TRUE(host.errors[0].text.starts_with("Unable to open COM-port\n(error code 2)\n"))
            << host.errors[0].text;
    }
    EXPECT_TRUE(host.logs.empty());
    EXPECT_TRUE(host.sleeps.empty());
}

TEST_F(ExchangeTest, ErrorBoxComesWhileThePortIsOpenAndItClosesAfter) {
    StartSimAt(115200);
    host.link.baud = 0;
    int heldBusy = 0;
    host.onError = [&] {
        CSerial other;
        heldBusy = other.OpenPort(host.link.port.c_str(), 0, 0, true);
    };
    EXPECT_FALSE(SendScript(host, "at\r\n"));
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_TRUE(host.errors[0].text.starts_with("Unable to set COM-port setting\n(error code 87)"));
    EXPECT_EQ(heldBusy, kErrorSharingViolation);
    CSerial after;
    EXPECT_EQ(after.OpenPort(host.link.port.c_str(), 0, 0, true), 0);
    EXPECT_TRUE(sim->Received().empty());
}

TEST_F(ExchangeTest, VanishedModuleFailsPromptlyAndReleasesThePort) {
    SimOptions options;
    options.fault = SimFault::kHangUp;
    options.hangUpAfterBytes = 4;
    StartSim(options);
    int duringBox = 0;
    host.onError = [&] { duringBox = OpenFdCount(); };
    auto start = Clock::now();
    EXPECT_FALSE(SendScript(host, "at+netmode=1\r\n"));
    // The wait is 500 ms; the rest is a generous allowance for a loaded machine.
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(2000));
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(host.errors[0].code, kErrorDeviceNotConnected);
    EXPECT_TRUE(host.errors[0].text.starts_with("Unable to read data\n(error code 1167)\n"));
    EXPECT_NE(host.errors[0].text.find("disconnected"), std::string::npos);
    EXPECT_GT(duringBox, OpenFdCount());  // held while the box shows, released after
}

struct ErrorTextCase {
    int32_t code;
    const char* mentions;
};

class ExchangeErrorText : public ::testing::TestWithParam<ErrorTextCase> {};

TEST_P(ExchangeErrorText, NamesTheCodeAndHelps) {
    auto [code, mentions] = GetParam();
    std::string text = SerialErrorText(code, "Unable to open COM-port");
    EXPECT_TRUE(
        text.starts_with("Unable to open COM-port\n(error code " + std::to_string(code) + ")\n"))
        << text;
    EXPECT_NE(text.find(mentions), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(Codes, ExchangeErrorText,
                         ::testing::Values(ErrorTextCase{5, "usermod -aG dialout $USER"},
                                           ErrorTextCase{32, "Another program holds the port"},
                                           ErrorTextCase{1167, "disconnected"},
                                           ErrorTextCase{2, "No such device"}));

TEST(ExchangeErrorText, SystemExplanationTakesPrecedence) {
    EXPECT_EQ(SerialErrorText(1460, "Unable to read data", "Timer expired"),
              "Unable to read data\n(error code 1460)\nTimer expired");
}

TEST(ExchangeCleanQueryReply, RemovesEveryQueryMark) {
    EXPECT_EQ(CleanQueryReply("at+netmode=?\r\r\n1\rat+dhcpc=?\r\r\n0\r"),
              "at+netmode=1\rat+dhcpc=0\r");
    EXPECT_EQ(CleanQueryReply("no marks?\r\n"), "no marks?\r\n");
    EXPECT_EQ(CleanQueryReply("?\r\r\n?\r\r\n"), "");
    EXPECT_EQ(CleanQueryReply(""), "");
}

}  // namespace
