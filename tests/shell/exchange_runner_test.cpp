// The runner's sequencing: log lines and progress in order on the user-interface thread, the
// result handed over once, after them, cancelling and shutting down.
#include "exchange_runner.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "fake_front_end.h"
#include "pty_pair.h"
#include "serial_port.h"

namespace {

// The user-interface thread's side: what reached it, in order.
struct RecordingLog : ExchangeLog {
    void Log(std::string_view text) override { events.push_back("log " + std::string(text)); }
    void ExpectWait(uint32_t totalMs) override {
        events.push_back("wait " + std::to_string(totalMs));
    }
    std::vector<std::string> events;
};

class ExchangeRunnerTest : public testing::Test {
  protected:
    bool Start(ExchangeRunner::Exchange exchange, LinkSettings link = {"/dev/null", 9600}) {
        return runner.Start(std::move(link), log, std::move(exchange),
                            [this](const ExchangeResult& result) {
                                log.events.push_back("done");
                                results.push_back(result);
                            });
    }
    // Serves the user-interface thread until the exchange has ended and been reported.
    void WaitForEnd() {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (runner.Busy() && std::chrono::steady_clock::now() < end) {
            ui.RunPosted();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_FALSE(runner.Busy());
    }

    QueueUiThread ui;
    RecordingLog log;
    std::vector<ExchangeResult> results;
    ExchangeRunner runner{ui};
};

TEST_F(ExchangeRunnerTest, LinesComeInOrderThenTheResultOnce) {
    ASSERT_TRUE(Start([](const ExchangeContext& context) {
        EXPECT_EQ(context.link.port, "/dev/null");
        context.log.ExpectWait(500);
        context.log.Log("one");
        context.log.Log("two");
        ExchangeResult result;
        result.outcome = ExchangeOutcome::kReplied;
        result.reply = "at+x=1\r";
        result.foundBaud = 57600;
        return result;
    }));
    WaitForEnd();
    ui.RunPosted();
    EXPECT_EQ(log.events, (std::vector<std::string>{"wait 500", "log one", "log two", "done"}));
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].outcome, ExchangeOutcome::kReplied);
    EXPECT_EQ(results[0].reply, "at+x=1\r");
    EXPECT_EQ(results[0].foundBaud, 57600u);
}

TEST_F(ExchangeRunnerTest, ASerialFailureComesBackWhole) {
    ASSERT_TRUE(Start([](const ExchangeContext&) {
        ExchangeResult result;
        result.outcome = ExchangeOutcome::kSerialError;
        result.failure = {2, "Unable to open COM-port", "No such device"};
        return result;
    }));
    WaitForEnd();
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].outcome, ExchangeOutcome::kSerialError);
    EXPECT_EQ(results[0].failure.code, 2);
    EXPECT_EQ(results[0].failure.message, "Unable to open COM-port");
    EXPECT_EQ(results[0].failure.explanation, "No such device");
}

TEST_F(ExchangeRunnerTest, CancelEndsTheWaitAndOneAtATime) {
    std::atomic<bool> waiting{false};
    ASSERT_TRUE(Start([&](const ExchangeContext& context) {
        waiting = true;
        context.stop.Sleep(60000);
        ExchangeResult result;
        if (context.stop.Stopped()) result.outcome = ExchangeOutcome::kStopped;
        return result;
    }));
    EXPECT_FALSE(Start([](const ExchangeContext&) { return ExchangeResult{}; }));
    while (!waiting) std::this_thread::yield();
    const auto start = std::chrono::steady_clock::now();
    runner.Cancel();
    WaitForEnd();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].outcome, ExchangeOutcome::kStopped);
}

// Shutdown ends the exchange and releases the port without reporting it, even when its report
// is served only after the next exchange has started (a window shown once more).
TEST_F(ExchangeRunnerTest, ShutdownReportsNothingOfTheEndedExchange) {
    std::atomic<bool> waiting{false};
    ASSERT_TRUE(Start([&](const ExchangeContext& context) {
        waiting = true;
        context.stop.Sleep(60000);
        return ExchangeResult{};
    }));
    while (!waiting) std::this_thread::yield();
    const auto start = std::chrono::steady_clock::now();
    runner.Shutdown();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_FALSE(runner.Busy());

    std::atomic<bool> release{false};
    ASSERT_TRUE(Start([&](const ExchangeContext&) {
        while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ExchangeResult result;
        result.reply = "second";
        return result;
    }));
    ui.RunPosted();  // the ended exchange's report: it neither waits for nor reports the second
    EXPECT_TRUE(runner.Busy());
    EXPECT_TRUE(results.empty());
    release = true;
    WaitForEnd();
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].reply, "second");
}

// A write to a line nobody reads is bounded only by its line time (minutes for a large script
// at 9600 baud): Stop, and closing the window, must not wait for it.
TEST_F(ExchangeRunnerTest, CancelCutsAPendingWriteShortAndReleasesThePort) {
    PtyPair pty;
    ASSERT_FALSE(pty.path.empty());
    ASSERT_TRUE(Start(
        [](const ExchangeContext& context) {
            return SendScript(context, std::string(1 << 20, 'x'));
        },
        {pty.path, 9600}));
    const auto pending = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    while (std::chrono::steady_clock::now() < pending) ui.RunPosted();
    ASSERT_TRUE(runner.Busy());
    const auto start = std::chrono::steady_clock::now();
    runner.Cancel();
    WaitForEnd();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].outcome, ExchangeOutcome::kStopped);
    CSerial next;
    EXPECT_EQ(next.OpenPort(pty.path.c_str(), 0, 0, true), 0) << next.LastErrorText();
}

}  // namespace
