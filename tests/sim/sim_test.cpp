#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "line_pacer.h"
#include "module_state.h"
#include "reply_fault.h"
#include "sim_module.h"
#include "sim_options_parse.h"
#include "transparent_mode.h"

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
    mode.Enter(t);
    mode.OnData("+++", t + milliseconds(50));  // too soon after entering
    EXPECT_FALSE(mode.Update(t + milliseconds(300)));
    mode.OnData("+++", t + milliseconds(500));
    mode.OnData("x", t + milliseconds(550));  // data right after: not an escape
    EXPECT_FALSE(mode.Update(t + milliseconds(800)));
    mode.OnData("+++", t + milliseconds(1000));
    EXPECT_FALSE(mode.Update(t + milliseconds(1050)));
    EXPECT_TRUE(mode.Update(t + milliseconds(1100)));
    EXPECT_FALSE(mode.Active());
}

TEST(SimTransparentMode, ReturnsByItselfWhenAsked) {
    TransparentMode mode(1000, 200);
    auto t = Clock::now();
    mode.Enter(t);
    EXPECT_FALSE(mode.Update(t + milliseconds(150)));
    EXPECT_TRUE(mode.Update(t + milliseconds(200)));
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

}  // namespace
