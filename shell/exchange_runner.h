// Runs the module exchanges on a worker thread, one at a time, so the window keeps serving its
// events during their fixed waits (up to 42 s for a scan at 1200 baud). Log lines and progress
// reach the user-interface thread as they happen; the result reaches it once, after the port
// is released.
#pragma once

#include <cstdint>
#include <functional>
#include <thread>

#include "exchange_stop.h"
#include "exchanges.h"
#include "ui_thread.h"

class ExchangeRunner {
  public:
    // The exchange itself, on the worker.
    using Exchange = std::function<ExchangeResult(const ExchangeContext& context)>;
    // On the user-interface thread, once the exchange has ended and released its port.
    using Done = std::function<void(const ExchangeResult& result)>;

    explicit ExchangeRunner(UiThread& ui) : ui_(ui) {}
    ~ExchangeRunner() { Shutdown(); }
    ExchangeRunner(const ExchangeRunner&) = delete;
    ExchangeRunner& operator=(const ExchangeRunner&) = delete;

    bool Busy() const { return worker_.joinable(); }
    // Runs `exchange` on the worker over `link`; its log lines and progress go to `log` on the
    // user-interface thread, its result to `done`. False when an exchange is already running.
    bool Start(LinkSettings link, ExchangeLog& log, Exchange exchange, Done done);
    // Cuts the running exchange's waits and a transfer pending on its port short; it ends as
    // stopped.
    void Cancel();
    // Cancels a running exchange and waits until it has released the port; for the end of the
    // window: its `done` does not run.
    void Shutdown();

  private:
    class UiLog;

    void Finish(uint64_t run);

    UiThread& ui_;
    std::thread worker_;
    Done done_;
    ExchangeResult result_;  // written by the worker, read once it is joined
    ExchangeStop stop_;
    uint64_t run_ = 0;  // numbers each exchange; user-interface thread only
};
