// The runner's sequencing: outcomes, the found rate coming back with the result, log lines in
// order on the user-interface thread, the blocking error box, cancelling.
#include "exchange_runner.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "fake_front_end.h"
#include "pty_pair.h"
#include "serial_port.h"

namespace {

struct RecordingSink : ExchangeSink {
    void Log(std::string_view text) override { events.push_back("log " + std::string(text)); }
    void ShowError(std::string_view text) override {
        events.push_back("error " + std::string(text));
    }
    void ExpectWait(uint32_t totalMs) override {
        events.push_back("wait " + std::to_string(totalMs));
    }
    void Finished(const ExchangeResult& result) override {
        events.push_back("finished");
        finished.push_back(result);
    }
    std::vector<std::string> events;
    std::vector<ExchangeResult> finished;
};

class ExchangeRunnerTest : public testing::Test {
  protected:
    void RunToEnd(ExchangeRunner::Work work) {
        ASSERT_TRUE(runner.Start({"/dev/null", 9600}, std::move(work),
                                 [this](const ExchangeResult&) { sink.events.push_back("then"); }));
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (runner.Busy() && std::chrono::steady_clock::now() < end) {
            ui.ServeEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_FALSE(runner.Busy());
        ASSERT_EQ(sink.finished.size(), 1u);
    }

    QueueUiThread ui;
    RecordingSink sink;
    ExchangeRunner runner{ui, sink};
};

TEST_F(ExchangeRunnerTest, AnsweredExchangeLogsInOrderAndKeepsItsReply) {
    RunToEnd([](ExchangeHost& host, std::string& reply) {
        EXPECT_EQ(host.Link().port, "/dev/null");
        host.ExpectWait(500);
        host.Log("one");
        host.Log("two");
        reply = "at+x=1\r";
        return true;
    });
    EXPECT_EQ(sink.events,
              (std::vector<std::string>{"wait 500", "log one", "log two", "finished", "then"}));
    EXPECT_EQ(sink.finished[0].outcome, ExchangeOutcome::kAnswered);
    EXPECT_EQ(sink.finished[0].reply, "at+x=1\r");
    EXPECT_FALSE(sink.finished[0].foundBaud);
}

TEST_F(ExchangeRunnerTest, TheFoundRateComesBackWithTheResult) {
    RunToEnd([](ExchangeHost& host, std::string&) {
        host.SetLinkBaud(57600);
        EXPECT_EQ(host.Link().baud, 57600u);  // the rest of this exchange uses it
        return true;
    });
    EXPECT_EQ(sink.finished[0].foundBaud, 57600u);
}

TEST_F(ExchangeRunnerTest, TheErrorBoxIsShownBeforeTheWorkGoesOn) {
    RunToEnd([this](ExchangeHost& host, std::string&) {
        host.ShowError(2, "Unable to open COM-port");
        // The box has been shown (and dismissed) by the time the call returns.
        EXPECT_EQ(sink.events.back(), "error Unable to open COM-port");
        return false;
    });
    EXPECT_EQ(sink.finished[0].outcome, ExchangeOutcome::kSerialError);
}

TEST_F(ExchangeRunnerTest, SilenceIsItsOwnOutcome) {
    RunToEnd([](ExchangeHost&, std::string&) { return false; });
    EXPECT_EQ(sink.finished[0].outcome, ExchangeOutcome::kSilent);
    EXPECT_EQ(sink.events.back(), "then");
}

TEST_F(ExchangeRunnerTest, CancelEndsTheWaitAndSkipsTheThen) {
    std::atomic<bool> waiting{false};
    ASSERT_TRUE(runner.Start(
        {"/dev/null", 9600},
        [&](ExchangeHost& host, std::string&) {
            waiting = true;
            host.Sleep(60000);
            host.ShowError(5, "too late");  // nobody is shown an error after a cancel
            return true;
        },
        [this](const ExchangeResult&) { sink.events.push_back("then"); }));
    EXPECT_FALSE(runner.Start({}, [](ExchangeHost&, std::string&) { return true; }));
    while (!waiting) std::this_thread::yield();
    const auto start = std::chrono::steady_clock::now();
    runner.Cancel();
    while (runner.Busy()) {
        ui.ServeEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    ASSERT_EQ(sink.finished.size(), 1u);
    EXPECT_EQ(sink.finished[0].outcome, ExchangeOutcome::kCancelled);
    EXPECT_EQ(sink.events, std::vector<std::string>{"finished"});
}

// A user-interface thread on which the user acts while the shutdown waits: each time its
// events are served (a moment late, so the ended exchange's report is among them), it tries to
// start another exchange, as a click would.
class ClickingUiThread : public QueueUiThread {
  public:
    void ServeEvents() override {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        QueueUiThread::ServeEvents();
        if (click) click();
    }
    std::function<void()> click;
};

TEST(ExchangeRunnerShutdownTest, NothingServedMeanwhileStartsAnotherOrReportsTheEndedOne) {
    ClickingUiThread ui;
    RecordingSink sink;
    ExchangeRunner runner{ui, sink};
    std::atomic<bool> waiting{false};
    ASSERT_TRUE(runner.Start({"/dev/null", 9600}, [&](ExchangeHost& host, std::string&) {
        waiting = true;
        host.Sleep(60000);
        return true;
    }));
    while (!waiting) std::this_thread::yield();
    int started = 0;
    ui.click = [&] {
        if (runner.Start({"/dev/null", 9600}, [](ExchangeHost&, std::string&) { return true; })) {
            ++started;
        }
    };
    runner.Shutdown();
    EXPECT_FALSE(runner.Busy());
    EXPECT_EQ(started, 0);
    EXPECT_TRUE(sink.finished.empty());
    // Afterwards the runner takes exchanges again (a window shown once more).
    ui.click = {};
    ASSERT_TRUE(
        runner.Start({"/dev/null", 9600}, [](ExchangeHost&, std::string&) { return true; }));
    while (runner.Busy()) ui.ServeEvents();
    EXPECT_EQ(sink.finished.size(), 1u);
}

// A write to a line nobody reads is bounded only by its line time (minutes for a large script
// at 9600 baud): Stop, and closing the window, must not wait for it.
TEST_F(ExchangeRunnerTest, CancelCutsAPendingWriteShortAndReleasesThePort) {
    PtyPair pty;
    ASSERT_FALSE(pty.path.empty());
    ASSERT_TRUE(runner.Start({pty.path, 9600}, [](ExchangeHost& host, std::string&) {
        return SendScript(host, std::string(1 << 20, 'x'));
    }));
    const auto pending = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    while (std::chrono::steady_clock::now() < pending) ui.ServeEvents();
    ASSERT_TRUE(runner.Busy());
    const auto start = std::chrono::steady_clock::now();
    runner.Cancel();
    const auto end = start + std::chrono::seconds(10);
    while (runner.Busy() && std::chrono::steady_clock::now() < end) {
        ui.ServeEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_FALSE(runner.Busy());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    ASSERT_EQ(sink.finished.size(), 1u);
    EXPECT_EQ(sink.finished[0].outcome, ExchangeOutcome::kCancelled);
    for (const std::string& event : sink.events) EXPECT_FALSE(event.starts_with("error")) << event;
    CSerial next;
    EXPECT_EQ(next.OpenPort(pty.path.c_str(), 0, 0, true), 0) << next.LastErrorText();
}

}  // namespace
