// Fast reply windows: the same bytes on the wire and the same log lines as the fixed windows,
// the full window whenever the reply stays incomplete, and the rules that tell a complete reply.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "exchanges.h"
#include "presets.h"
#include "query_texts.h"
#include "recording_host.h"
#include "reply_window.h"
#include "sim_module.h"

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

struct ExchangeRun {
    bool answered = false;
    std::string received;  // what reached the module
    std::vector<std::string> logs;
    std::size_t errors = 0;  // serial errors
    Clock::duration took{};
};

using Exchange = std::function<ExchangeResult(RecordingHost&)>;

// One exchange against a fresh simulated module.
ExchangeRun RunOnce(const SimOptions& options, uint32_t linkBaud, bool fast,
                    const Exchange& exchange) {
    SimModule sim(options);
    ExchangeRun run;
    if (sim.Start() != 0) return run;
    RecordingHost host;
    host.link = {sim.SlavePath(), linkBaud, fast};
    auto start = Clock::now();
    const ExchangeResult result = exchange(host);
    run.took = Clock::now() - start;
    run.answered = Replied(result);
    run.received = sim.Received();
    // Each run has a pseudo-terminal of its own, and the logs name it.
    for (std::string line : host.logs) {
        if (const std::size_t at = line.find(sim.SlavePath()); at != std::string::npos)
            line.replace(at, sim.SlavePath().size(), "PORT");
        run.logs.push_back(std::move(line));
    }
    run.errors = result.outcome == ExchangeOutcome::kSerialError ? 1 : 0;
    return run;
}

struct ParityCase {
    const char* name;
    uint32_t baud;
    uint32_t linkBaud;  // the rate the exchange starts at
    Exchange exchange;
};

std::string SpacedName(const ::testing::TestParamInfo<ParityCase>& info) {
    return info.param.name;
}

class FastWindowParity : public ::testing::TestWithParam<ParityCase> {};

TEST_P(FastWindowParity, SameWireAndLogAsTheFixedWindow) {
    const ParityCase& c = GetParam();
    SimOptions options;
    options.baud = c.baud;
    options.scanDelayMs = 100;
    // The fixed windows are short (100 ms a rate while searching): a loaded machine can let a
    // reply miss one, and then the two runs differ for a reason of the machine, not the
    // window. A difference the fast window makes shows in every round.
    ExchangeRun fixed, fast;
    for (int round = 0; round < 3; ++round) {
        fixed = RunOnce(options, c.linkBaud, false, c.exchange);
        fast = RunOnce(options, c.linkBaud, true, c.exchange);
        if (fixed.answered && fast.received == fixed.received && fast.logs == fixed.logs) break;
    }
    EXPECT_TRUE(fixed.answered);
    EXPECT_TRUE(fast.answered);
    EXPECT_FALSE(fast.received.empty());
    EXPECT_EQ(fast.received, fixed.received);
    EXPECT_EQ(fast.logs, fixed.logs);
    EXPECT_EQ(fast.errors + fixed.errors, 0u);
}

ExchangeResult Query(RecordingHost& host) {
    return QueryConfig(host.Context());
}

ExchangeResult Search(RecordingHost& host) {
    return SearchModule(host.Context());
}

INSTANTIATE_TEST_SUITE_P(
    Exchanges, FastWindowParity,
    ::testing::Values(
        ParityCase{"SearchAtTheThirdRate", 57600, 115200, Search},
        ParityCase{"Query", 115200, 115200, Query}, ParityCase{"SlowQuery", 4800, 4800, Query},
        ParityCase{"SubmitStartUpScript", 115200, 115200,
                   [](RecordingHost& h) { return SendScript(h.Context(), FirstPresetScript()); }},
        ParityCase{"Transparent", 115200, 115200,
                   [](RecordingHost& h) { return SendScript(h.Context(), kTransparentCommand); }},
        ParityCase{"FactoryReset", 38400, 38400,
                   [](RecordingHost& h) { return SendScript(h.Context(), kFactoryResetCommand); }},
        ParityCase{"Scan", 115200, 115200,
                   [](RecordingHost& h) {
                       h.sleepCapMs = 700;  // the list is in long before the fixed 4 s
                       return ScanWifi(h.Context(), kWifiScanCommand);
                   }}),
    SpacedName);

// A reply that never completes keeps the window open to its fixed end, and what it logs is
// what the fixed window logs.
TEST(FastWindow, IncompleteReplyWaitsTheWholeWindow) {
    SimOptions options;
    options.fault = SimFault::kTruncate;
    const std::string script(FirstPresetScript());
    const Exchange submit = [&](RecordingHost& h) { return SendScript(h.Context(), script); };
    const ExchangeRun fixed = RunOnce(options, 115200, false, submit);
    const ExchangeRun fast = RunOnce(options, 115200, true, submit);
    EXPECT_GE(fast.took, Ms(500));
    EXPECT_EQ(fast.logs, fixed.logs);
    EXPECT_EQ(fast.received, fixed.received);

    const Exchange query = Query;
    EXPECT_GE(RunOnce(options, 115200, true, query).took, Ms(1000));
}

TEST(FastWindow, SilentModuleTakesEveryFixedWindow) {
    SimOptions options;
    options.fault = SimFault::kNoAnswer;
    const ExchangeRun fast = RunOnce(options, 115200, true, Search);
    EXPECT_FALSE(fast.answered);
    EXPECT_GE(fast.took, Ms(9 * 100));
    EXPECT_TRUE(fast.logs.empty());
    EXPECT_EQ(fast.received.size(), 9 * 4u);
}

// Loose bounds: the replies need well under a tenth of their fixed windows.
TEST(FastWindow, CompleteRepliesEndBeforeTheFixedWindow) {
    const SimOptions options;
    EXPECT_LT(RunOnce(options, 115200, true, Query).took, Ms(1000));
    SimOptions scan;
    scan.scanDelayMs = 100;
    EXPECT_LT(RunOnce(scan, 115200, true,
                      [](RecordingHost& h) { return ScanWifi(h.Context(), kWifiScanCommand); })
                  .took,
              Ms(4000));
}

// At 1200 baud the answer to these four lines needs 650 ms of line time, more than the fixed
// 500 ms: the fast window stays open while it is still arriving and takes it whole.
TEST(FastWindow, ReplyStillArrivingExtendsTheWindow) {
    SimOptions options;
    options.baud = 1200;
    const std::string script =
        "at+netmode=1\r\nat+dhcpc=1\r\nat+remoteport=8080\r\nat+mode=server\r\n";
    const Exchange submit = [&](RecordingHost& h) { return SendScript(h.Context(), script); };
    const ExchangeRun fixed = RunOnce(options, 1200, false, submit);
    const ExchangeRun fast = RunOnce(options, 1200, true, submit);
    ASSERT_EQ(fixed.logs.size(), 1u);
    ASSERT_EQ(fast.logs.size(), 1u);
    EXPECT_FALSE(EchoedEveryLine(script, fixed.logs[0]));
    EXPECT_TRUE(EchoedEveryLine(script, fast.logs[0])) << fast.logs[0];
    // The fixed window's reply, without its log line's CR LF, begins the fast one's.
    EXPECT_TRUE(fast.logs[0].starts_with(fixed.logs[0].substr(0, fixed.logs[0].size() - 2)));
    EXPECT_LT(fast.took, Ms(2000));
}

TEST(FastWindow, CancelEndsTheWindowWithoutAReply) {
    SimOptions options;
    options.scanDelayMs = 1500;
    const ExchangeRun run = RunOnce(options, 115200, true, [](RecordingHost& h) {
        std::thread stop([&h] {
            std::this_thread::sleep_for(Ms(200));
            h.stop.Stop();
        });
        const ExchangeResult result = ScanWifi(h.Context(), kWifiScanCommand);
        stop.join();
        EXPECT_EQ(result.outcome, ExchangeOutcome::kStopped);
        return result;
    });
    EXPECT_FALSE(run.answered);
    EXPECT_TRUE(run.logs.empty());
}

TEST(ReplyRules, GapIsTwentyMillisecondsOrTenCharacters) {
    EXPECT_EQ(ReplyGapMs(115200), 20u);
    EXPECT_EQ(ReplyGapMs(9600), 20u);
    EXPECT_EQ(ReplyGapMs(4800), 21u);
    EXPECT_EQ(ReplyGapMs(1200), 84u);
}

TEST(ReplyRules, EchoOfEveryLineInOrder) {
    const std::string_view script = "at+netmode=1\r\nat+dhcpc=1\r\n";
    EXPECT_TRUE(EchoedEveryLine(script, "at+netmode=1\r\r\nok\rat+dhcpc=1\r\r\nok\r"));
    EXPECT_FALSE(EchoedEveryLine(script, "at+netmode=1\r\r\nok\rat+dhc"));
    EXPECT_FALSE(EchoedEveryLine(script, "at+dhcpc=1\r\r\nok\rat+netmode=1\r\r\nok\r"));
    // Only the text up to a NUL is sent, so only that is echoed.
    EXPECT_TRUE(EchoedEveryLine(std::string_view("at\r\n\0at+x=1\r\n", 14), "at\r\r\nok\r"));
    EXPECT_TRUE(EchoedEveryLine("", ""));
    EXPECT_TRUE(EchoedEveryLine("at", "at"));  // a last line without CR LF
}

TEST(ReplyRules, AnAnswerLineAfterTheEchoOfTheLastLine) {
    const std::string_view script = "at+netmode=1\r\nat+nosuchkey=1\r\n";
    const std::string echoes = "at+netmode=1\r\r\nok\rat+nosuchkey=1";
    EXPECT_FALSE(AnsweredLastLine(script, echoes));
    EXPECT_FALSE(AnsweredLastLine(script, echoes + "\r\r\n"));
    EXPECT_FALSE(AnsweredLastLine(script, echoes + "\r\r\nERR"));  // the line is not ended
    EXPECT_TRUE(AnsweredLastLine(script, echoes + "\r\r\nERROR\r"));
    EXPECT_TRUE(AnsweredLastLine(script, echoes + "\r\nok\r\n"));
    EXPECT_FALSE(AnsweredLastLine(script, echoes + "x\r\nok\r"));  // another line, not its echo
    // The scan: its echo is not its list.
    EXPECT_FALSE(AnsweredLastLine(kWifiScanCommand, "at+wifi_Scan=?\r\r\n"));
    EXPECT_TRUE(AnsweredLastLine(kWifiScanCommand, "at+wifi_Scan=?\r\r\nSSID,Channel\r\nLab"));
    // Nothing written, nothing to show the reply is complete.
    EXPECT_FALSE(AnsweredLastLine("", "at\r\r\nok\r"));
    EXPECT_FALSE(AnsweredLastLine("\r\n", "\r\nok\r"));
}

TEST(ReplyRules, AnswerOfEveryQueryInTheReplyShape) {
    const std::string asked = "at+ver=?\r\n" + QuerySpacer() + "at+netmode=?\r\nat+ver=?\r\n";
    const std::string one = "at+ver=?\r\r\nV1\r";
    const std::string two = "at+netmode=?\r\r\n1\r";
    EXPECT_TRUE(AnsweredEveryQuery(asked, one + QuerySpacer() + two + one));
    EXPECT_FALSE(AnsweredEveryQuery(asked, one + two));                       // ver is asked twice
    EXPECT_FALSE(AnsweredEveryQuery(asked, one + two + "at+ver=?\r\r\nV1"));  // value not ended
    EXPECT_FALSE(AnsweredEveryQuery(asked, one + "at+netmode=?\r\n1\r" + one));  // no CR CR LF
}

}  // namespace
