#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "bridge_fault.h"
#include "bridge_settings.h"
#include "line_pacer.h"
#include "line_receiver.h"
#include "module_state.h"
#include "reply_fault.h"
#include "sim_module.h"
#include "sim_options_parse.h"
#include "transparent_mode.h"
#include "uart_packer.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

TEST(SimModuleState, QueryAnswersInTheModuleShape) {
    ModuleState state;
    EXPECT_EQ(state.Answer("at+remotepro=?").text, "at+remotepro=?\r\r\ntcp\r");
    EXPECT_EQ(state.Answer("at").text, "at\r\r\nok\r");
    EXPECT_EQ(state.Answer("at+nosuchkey=1").text, "at+nosuchkey=1\r\r\nERROR\r");
    std::string spacer = std::string(125, ' ') + "dd";
    EXPECT_EQ(state.Answer(spacer).text, spacer + "\r\n");
}

TEST(SimModuleState, FactoryLooksLikeTheFirstPreset) {
    ModuleState state;
    const std::map<std::string, std::string> expected = {
        {"netmode", "1"},
        {"dhcpc", "1"},
        {"remotepro", "tcp"},
        {"mode", "server"},
        {"remoteip", "192.168.11.245"},
        {"remoteport", "8080"},
        {"uart", "115200,8,n,1"},
        {"uartpacklen", "64"},
        {"uartpacktimeout", "10"},
        {"timeout", "0"},
    };
    for (const auto& [key, value] : expected) EXPECT_EQ(state.Settings().at(key), value) << key;
    EXPECT_EQ(state.Settings().size(), 27u);
}

TEST(SimModuleState, AddressInUseIsTheNetworkAddressAndOnlyAsked) {
    ModuleState state;
    EXPECT_EQ(state.Answer("at+net_wanip=?").text, "at+net_wanip=?\r\r\n127.0.0.1\r");
    state.SetAddressInUse("127.0.0.9");
    EXPECT_EQ(state.Answer("at+net_wanip=10.1.1.1").text, "at+net_wanip=10.1.1.1\r\r\nERROR\r");
    // A static address is kept and answered; the address in use stays.
    state.Answer("at+net_ip=10.0.0.5,255.0.0.0,10.0.0.1");
    EXPECT_EQ(state.Settings().at("net_ip"), "10.0.0.5,255.0.0.0,10.0.0.1");
    state.Answer("at+default=1");
    EXPECT_EQ(state.Settings().at("net_wanip"), "127.0.0.9");
}

TEST(SimModuleState, SetLinesChangeTheStateAndDefaultRestoresIt) {
    ModuleState state;
    EXPECT_EQ(state.Answer("at+uart=9600,7,e,2").text, "at+uart=9600,7,e,2\r\r\nok\r");
    EXPECT_EQ(state.Answer("at+uart=?").text, "at+uart=?\r\r\n9600,7,e,2\r");
    state.Answer("at+default=1");
    EXPECT_EQ(state.Settings().at("uart"), "115200,8,n,1");
    EXPECT_TRUE(state.Answer("at+reconn=1").enterTransparent);
    EXPECT_TRUE(state.Answer("at+wifi_Scan=?").delayed);
}

TEST(SimTransparentMode, EscapeNeedsSilenceOnBothSides) {
    TransparentMode mode(100, 0);
    auto t = Clock::now();
    std::string carry;
    mode.Enter(t);
    EXPECT_EQ(mode.OnData("+++", t + milliseconds(50)), "+++");  // too soon after entering
    EXPECT_FALSE(mode.Update(t + milliseconds(300), &carry));
    EXPECT_EQ(mode.OnData("+++", t + milliseconds(500)), "");    // held: may be the escape
    EXPECT_EQ(mode.OnData("x", t + milliseconds(550)), "+++x");  // data right after: carried
    EXPECT_FALSE(mode.Update(t + milliseconds(800), &carry));
    EXPECT_EQ(mode.OnData("+++", t + milliseconds(1000)), "");
    EXPECT_FALSE(mode.Update(t + milliseconds(1050), &carry));
    EXPECT_EQ(mode.NextUpdate(), t + milliseconds(1100));
    EXPECT_TRUE(mode.Update(t + milliseconds(1100), &carry));
    EXPECT_FALSE(mode.Active());
    EXPECT_EQ(carry, "");  // the escape never reaches the network
}

TEST(SimTransparentMode, LonePlusIsDataOnceTheGuardPasses) {
    TransparentMode mode(100, 0);
    auto t = Clock::now();
    mode.Enter(t);
    EXPECT_EQ(mode.OnData("++", t + milliseconds(200)), "");
    std::string carry;
    EXPECT_FALSE(mode.Update(t + milliseconds(250), &carry));
    EXPECT_EQ(carry, "");
    EXPECT_FALSE(mode.Update(t + milliseconds(300), &carry));
    EXPECT_EQ(carry, "++");
    EXPECT_TRUE(mode.Active());
    EXPECT_EQ(mode.OnData("++++", t + milliseconds(500)), "++++");  // four: not the escape
}

TEST(SimTransparentMode, ReturnsByItselfWhenAsked) {
    TransparentMode mode(1000, 200);
    auto t = Clock::now();
    std::string carry;
    mode.Enter(t);
    EXPECT_FALSE(mode.Update(t + milliseconds(150), &carry));
    EXPECT_TRUE(mode.Update(t + milliseconds(200), &carry));
}

TEST(SimLinePacer, SendsNoFasterThanTheLine) {
    LinePacer pacer;
    pacer.SetBaud(1000, true);  // 10 ms a byte
    auto t = Clock::now();
    pacer.Queue("abcdef", t);
    EXPECT_EQ(pacer.TakeDue(t), "a");
    EXPECT_EQ(pacer.TakeDue(t + milliseconds(25)), "bc");
    pacer.Queue("later", t + milliseconds(500));
    EXPECT_EQ(pacer.TakeDue(t + milliseconds(100)), "def");
    EXPECT_EQ(pacer.TakeDue(t + milliseconds(499)), "");
    EXPECT_EQ(pacer.NextDue(), t + milliseconds(500));
    pacer.SetBaud(1000, false);
    EXPECT_EQ(pacer.TakeDue(t + milliseconds(500)), "later");
}

TEST(SimReplyFault, SpoilsAsAdvertised) {
    std::mt19937 random(1);
    EXPECT_EQ(SpoilReply(SimFault::kTruncate, "at+ver", random), "at+");
    EXPECT_EQ(SpoilReply(SimFault::kNulBytes, "at", random), std::string("a\0t", 3));
    EXPECT_EQ(SpoilReply(SimFault::kCapitals, "at+ok", random), "AT+OK");
    EXPECT_EQ(SpoilReply(SimFault::kNoAnswer, "at", random), "");
    std::string garbage = SpoilReply(SimFault::kGarbage, std::string(500, 'a'), random);
    EXPECT_EQ(garbage.size(), 500u);
    EXPECT_EQ(garbage.find("at"), std::string::npos);
    EXPECT_EQ(garbage.find('\0'), std::string::npos);
}

TEST(SimArgs, ParsesOptions) {
    const char* argv[] = {"qn7-sim", "--baud",         "57600",  "--fault",
                          "hangup",  "--hangup-after", "10",     "--transparent-return",
                          "3000",    "--no-pace",      "--noise"};
    SimOptions options;
    std::string error;
    ASSERT_EQ(ParseSimArgs(11, argv, &options, &error), SimArgs::kRun) << error;
    EXPECT_EQ(options.baud, 57600u);
    EXPECT_EQ(options.fault, SimFault::kHangUp);
    EXPECT_EQ(options.hangUpAfterBytes, 10u);
    EXPECT_EQ(options.transparentReturnMs, 3000u);
    EXPECT_FALSE(options.pace);
    EXPECT_TRUE(options.noiseAtWrongRate);
    EXPECT_FALSE(options.answerDelayMs);
    const char* delayed[] = {"qn7-sim", "--answer-delay", "0"};
    ASSERT_EQ(ParseSimArgs(3, delayed, &options, &error), SimArgs::kRun) << error;
    EXPECT_EQ(options.answerDelayMs, 0u);
}

TEST(SimArgs, RejectsBadInput) {
    for (std::vector<const char*> argv : {std::vector<const char*>{"qn7-sim", "--baud", "fast"},
                                          {"qn7-sim", "--baud"},
                                          {"qn7-sim", "--fault", "fire"},
                                          {"qn7-sim", "--baud", "0"},
                                          {"qn7-sim", "--x", "1"}}) {
        SimOptions options;
        std::string error;
        EXPECT_EQ(ParseSimArgs(static_cast<int>(argv.size()), argv.data(), &options, &error),
                  SimArgs::kError)
            << argv[1];
        EXPECT_FALSE(error.empty());
    }
    const char* help[] = {"qn7-sim", "--help"};
    SimOptions options;
    std::string error;
    EXPECT_EQ(ParseSimArgs(2, help, &options, &error), SimArgs::kHelp);
    const char* version[] = {"qn7-sim", "--baud", "9600", "--version"};
    EXPECT_EQ(ParseSimArgs(4, version, &options, &error), SimArgs::kVersion);
}

TEST(SimUartPacker, PacksByLengthThenByQuietTime) {
    UartPacker packer(4, milliseconds(10));
    auto t = Clock::now();
    std::vector<std::string> packets;
    packer.Add("abcdefghij", t, &packets);
    EXPECT_EQ(packets, (std::vector<std::string>{"abcd", "efgh"}));
    EXPECT_EQ(packer.QuietDeadline(), t + milliseconds(10));
    EXPECT_EQ(packer.TakeIfQuiet(t + milliseconds(9)), "");
    packer.Add("k", t + milliseconds(9), &packets);  // more data: the quiet time starts again
    EXPECT_EQ(packer.TakeIfQuiet(t + milliseconds(15)), "");
    EXPECT_EQ(packer.TakeIfQuiet(t + milliseconds(19)), "ijk");
    EXPECT_FALSE(packer.QuietDeadline());
}

TEST(SimUartPacker, NoTimeoutSendsEachArrival) {
    UartPacker packer(64, milliseconds(0));
    std::vector<std::string> packets;
    packer.Add("ab", Clock::now(), &packets);
    packer.Add("c", Clock::now(), &packets);
    EXPECT_EQ(packets, (std::vector<std::string>{"ab", "c"}));
}

TEST(SimLineReceiver, BytesArriveAtTheLineTime) {
    LineReceiver line;
    line.SetBaud(1000, true);  // 10 ms a byte
    auto t = Clock::now();
    line.Accept("abcdef", t);
    Clock::time_point last{};
    EXPECT_EQ(line.TakeArrived(t + milliseconds(5), &last), "");
    EXPECT_EQ(line.TakeArrived(t + milliseconds(25), &last), "ab");
    EXPECT_EQ(last, t + milliseconds(20));
    EXPECT_EQ(line.Backlog(), 4u);
    EXPECT_EQ(line.NextArrival(), t + milliseconds(30));
    line.Accept("gh", t + milliseconds(26));  // queued behind what is on its way
    EXPECT_EQ(line.TakeArrived(t + milliseconds(80), &last), "cdefgh");
    EXPECT_EQ(last, t + milliseconds(80));
    EXPECT_EQ(line.BytesIn(milliseconds(100)), 10u);
    line.SetBaud(1000, false);
    line.Accept("now", t + milliseconds(90));
    EXPECT_EQ(line.TakeArrived(t + milliseconds(90), &last), "now");
}

std::string Joined(const std::vector<TimedChunk>& chunks) {
    std::string joined;
    for (const TimedChunk& chunk : chunks) joined += chunk.bytes;
    return joined;
}

TEST(SimFaultLane, DropsAndCorruptsEveryNthByteAcrossChunks) {
    auto t = Clock::now();
    FaultLane drop(BridgeFault::kDrop, true, 4, 0);
    std::vector<TimedChunk> out;
    drop.Carry("abcde", t, &out);
    drop.Carry("fghij", t, &out);
    EXPECT_EQ(Joined(out), "abcefgij");  // bytes 4 and 8 gone
    FaultLane corrupt(BridgeFault::kCorrupt, true, 3, 0);
    out.clear();
    corrupt.Carry("abcdef", t, &out);
    EXPECT_EQ(Joined(out), std::string("ab") + char('c' ^ 0xFF) + "de" + char('f' ^ 0xFF));
    FaultLane other(BridgeFault::kDrop, false, 1, 0);  // not this way: carried whole
    out.clear();
    other.Carry("abc", t, &out);
    EXPECT_EQ(Joined(out), "abc");
}

TEST(SimFaultLane, DelaysAndSwapsChunks) {
    auto t = Clock::now();
    FaultLane delay(BridgeFault::kDelay, true, 1000, 200);
    std::vector<TimedChunk> out;
    delay.Carry("late", t, &out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].notBefore, t + milliseconds(200));

    FaultLane reorder(BridgeFault::kReorder, true, 8, 0);
    out.clear();
    reorder.Carry("0123", t, &out);
    reorder.Carry("4567", t, &out);  // reaches byte 8: held
    EXPECT_TRUE(reorder.HeldUntil());
    reorder.Carry("89ab", t, &out);
    EXPECT_EQ(Joined(out), "012389ab4567");
    reorder.Carry("cdef", t, &out);  // byte 16: held, and no chunk follows
    reorder.ReleaseHeld(t + milliseconds(10), &out);
    EXPECT_EQ(Joined(out), "012389ab4567");
    reorder.ReleaseHeld(*reorder.HeldUntil(), &out);
    EXPECT_EQ(Joined(out), "012389ab4567cdef");
}

TEST(SimBridgeSettings, ReadFromTheModuleSettings) {
    ModuleState state;
    BridgeSettings settings;
    ASSERT_TRUE(ReadBridgeSettings(state.Settings(), &settings));
    EXPECT_FALSE(settings.udp);
    EXPECT_TRUE(settings.server);
    EXPECT_EQ(settings.remotePort, 8080);
    EXPECT_EQ(settings.localPort, 8080);
    EXPECT_EQ(settings.packLen, 64u);
    EXPECT_EQ(settings.packTimeoutMs, 10u);
    for (const char* line : {"at+remotepro=udp", "at+mode=client", "at+CLport=", "at+uartpacklen=0",
                             "at+uartpacktimeout=x"})
        state.Answer(line);
    ASSERT_TRUE(ReadBridgeSettings(state.Settings(), &settings));
    EXPECT_TRUE(settings.udp);
    EXPECT_FALSE(settings.server);
    EXPECT_EQ(settings.localPort, 0);  // any
    EXPECT_EQ(settings.packLen, 64u);
    EXPECT_EQ(settings.packTimeoutMs, 10u);
    for (const char* port :
         {"at+remoteport=0", "at+remoteport=65536", "at+remoteport=", "at+remoteport=80x"}) {
        state.Answer(port);
        EXPECT_FALSE(ReadBridgeSettings(state.Settings(), &settings)) << port;
    }
}

TEST(SimBridgeSettings, AddressesAndPorts) {
    EXPECT_TRUE(IsDottedIPv4("127.0.0.1"));
    EXPECT_TRUE(IsDottedIPv4("255.255.255.255"));
    for (const char* bad : {"", "127.0.0", "127.0.0.1.", "127.0.0.256", "a.b.c.d", "1..2.3",
                            "127.0.0.1 ", "localhost"})
        EXPECT_FALSE(IsDottedIPv4(bad)) << bad;
    uint16_t port = 0;
    EXPECT_TRUE(ParsePort("65535", &port));
    EXPECT_EQ(port, 65535);
    EXPECT_FALSE(ParsePort("-1", &port));
}

TEST(SimArgs, ParsesTheNetworkSide) {
    const char* argv[] = {"qn7-sim",   "--net-addr",
                          "127.0.0.2", "--bridge-fault",
                          "reorder",   "--bridge-fault-direction",
                          "to-serial", "--bridge-fault-every",
                          "64",        "--bridge-delay",
                          "50",        "--disconnect-after",
                          "100",       "--client-retry",
                          "20"};
    SimOptions options;
    std::string error;
    ASSERT_EQ(ParseSimArgs(15, argv, &options, &error), SimArgs::kRun) << error;
    EXPECT_EQ(options.netAddr, "127.0.0.2");
    EXPECT_EQ(options.bridgeFault, BridgeFault::kReorder);
    EXPECT_EQ(options.bridgeFaultDirection, FaultDirection::kToSerial);
    EXPECT_EQ(options.bridgeFaultEvery, 64u);
    EXPECT_EQ(options.bridgeDelayMs, 50u);
    EXPECT_EQ(options.disconnectAfterBytes, 100u);
    EXPECT_EQ(options.clientRetryMs, 20u);
    for (std::vector<const char*> bad :
         {std::vector<const char*>{"qn7-sim", "--net-addr", "localhost"},
          {"qn7-sim", "--bridge-fault", "fire"},
          {"qn7-sim", "--bridge-fault-direction", "up"},
          {"qn7-sim", "--bridge-fault-every", "0"}}) {
        EXPECT_EQ(ParseSimArgs(static_cast<int>(bad.size()), bad.data(), &options, &error),
                  SimArgs::kError)
            << bad[1];
    }
}

}  // namespace
