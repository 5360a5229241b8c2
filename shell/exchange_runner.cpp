#include "exchange_runner.h"

#include <chrono>
#include <utility>

// The worker's host: the link is its own copy, the log and the error box go to the
// user-interface thread, and the waits end early on a cancel.
class ExchangeRunner::Host : public ExchangeHost {
  public:
    Host(ExchangeRunner& runner, LinkSettings link) : runner_(runner), link_(std::move(link)) {}

    LinkSettings Link() const override { return link_; }

    void SetLinkBaud(uint32_t baud) override {
        link_.baud = baud;
        runner_.result_.foundBaud = baud;
    }

    void Log(std::string_view text) override {
        runner_.ui_.Post([sink = &runner_.sink_, line = std::string(text)] { sink->Log(line); });
    }

    void ShowError(int32_t /*code*/, std::string_view text) override {
        errorShown_ = true;
        if (Cancelled()) return;
        ExchangeRunner* runner = &runner_;
        runner_.ui_.Call([runner, message = std::string(text)] {
            if (!runner->stop_.Stopped()) runner->sink_.ShowError(message);
        });
    }

    void Sleep(uint32_t ms) override { runner_.stop_.Sleep(ms); }

    void ExpectWait(uint32_t totalMs) override {
        runner_.ui_.Post([sink = &runner_.sink_, totalMs] { sink->ExpectWait(totalMs); });
    }

    bool Cancelled() const override { return runner_.stop_.Stopped(); }

    void HoldPort(CSerial* port) override { runner_.stop_.Hold(port); }

    bool ErrorShown() const { return errorShown_; }

  private:
    ExchangeRunner& runner_;
    LinkSettings link_;
    bool errorShown_ = false;
};

bool ExchangeRunner::Start(LinkSettings link, Work work, Then then) {
    if (Busy() || shuttingDown_) return false;
    stop_.Reset();
    done_ = false;
    then_ = std::move(then);
    result_ = {};
    worker_ = std::thread([this, link = std::move(link), work = std::move(work)]() mutable {
        Host host(*this, std::move(link));
        const bool answered = work(host, result_.reply);
        if (stop_.Stopped()) {
            result_.outcome = ExchangeOutcome::kCancelled;
        } else if (answered) {
            result_.outcome = ExchangeOutcome::kAnswered;
        } else {
            result_.outcome =
                host.ErrorShown() ? ExchangeOutcome::kSerialError : ExchangeOutcome::kSilent;
        }
        done_ = true;
        ui_.Post([this] { Finish(); });
    });
    return true;
}

void ExchangeRunner::Finish() {
    if (!worker_.joinable()) return;
    worker_.join();
    if (shuttingDown_) return;  // served while Shutdown waits: the exchange is not reported
    const ExchangeResult result = std::move(result_);
    Then then = std::exchange(then_, {});
    sink_.Finished(result);
    if (!stop_.Stopped() && then) then(result);
}

void ExchangeRunner::Cancel() {
    stop_.Stop();
}

void ExchangeRunner::Shutdown() {
    if (!worker_.joinable()) return;
    shuttingDown_ = true;
    Cancel();
    // The worker may be waiting for the user-interface thread (an error box call); keep
    // serving it.
    while (!done_) {
        ui_.ServeEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    // The events served above may have run Finish, which joins.
    if (worker_.joinable()) worker_.join();
    then_ = {};
    shuttingDown_ = false;
}
