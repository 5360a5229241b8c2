#include "exchange_runner.h"

#include <string>
#include <utility>

// The worker's side of the log: each line and the progress are posted to the user-interface
// thread, in order.
class ExchangeRunner::UiLog : public ExchangeLog {
  public:
    UiLog(UiThread& ui, ExchangeLog& log) : ui_(ui), log_(log) {}

    void Log(std::string_view text) override {
        ui_.Post([log = &log_, line = std::string(text)] { log->Log(line); });
    }

    void ExpectWait(uint32_t totalMs) override {
        ui_.Post([log = &log_, totalMs] { log->ExpectWait(totalMs); });
    }

  private:
    UiThread& ui_;
    ExchangeLog& log_;
};

bool ExchangeRunner::Start(LinkSettings link, ExchangeLog& log, Exchange exchange, Done done) {
    if (Busy()) return false;
    stop_.Reset();
    done_ = std::move(done);
    result_ = {};
    const uint64_t run = ++run_;
    worker_ =
        std::thread([this, &log, run, link = std::move(link), exchange = std::move(exchange)] {
            UiLog uiLog(ui_, log);
            result_ = exchange({link, stop_, uiLog});
            ui_.Post([this, run] { Finish(run); });
        });
    return true;
}

void ExchangeRunner::Finish(uint64_t run) {
    // An exchange that Shutdown ended is not reported, not even after a later one started.
    if (run != run_ || !worker_.joinable()) return;
    worker_.join();
    Done done = std::exchange(done_, {});
    if (done) done(result_);
}

void ExchangeRunner::Cancel() {
    stop_.Stop();
}

void ExchangeRunner::Shutdown() {
    if (!worker_.joinable()) return;
    Cancel();
    // The worker never waits for this thread, and once stopped it ends within moments.
    worker_.join();
    done_ = {};
    ++run_;
}
