// Runs the module exchanges on a worker thread, one at a time, so the window keeps serving its
// events during their fixed waits (up to 42 s for a scan at 1200 baud). Log lines reach the
// user-interface thread as they happen; the error box is shown there while the exchange waits
// for it, so the port is closed only after the box is dismissed.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "exchange_stop.h"
#include "exchanges.h"
#include "ui_thread.h"

enum class ExchangeOutcome {
    kAnswered,     // the module answered
    kSilent,       // no answer from the module, no serial error either
    kSerialError,  // a step failed and the error box was shown
    kCancelled,    // cut short by Cancel or Shutdown
};

struct ExchangeResult {
    ExchangeOutcome outcome = ExchangeOutcome::kSilent;
    std::optional<uint32_t> foundBaud;  // the rate the search found the module at
    std::string reply;                  // what the work kept of the module's reply
};

// The user-interface thread's side of a running exchange; every call comes on that thread.
class ExchangeSink {
  public:
    virtual ~ExchangeSink() = default;
    virtual void Log(std::string_view text) = 0;
    virtual void ShowError(std::string_view text) = 0;
    virtual void ExpectWait(uint32_t totalMs) = 0;
    // The worker has ended and released the port.
    virtual void Finished(const ExchangeResult& result) = 0;
};

class ExchangeRunner {
  public:
    // The exchange itself: true when the module answered; it may keep a reply in `reply`.
    using Work = std::function<bool(ExchangeHost& host, std::string& reply)>;
    // What follows on the user-interface thread, after the sink's Finished, unless cancelled.
    using Then = std::function<void(const ExchangeResult& result)>;

    ExchangeRunner(UiThread& ui, ExchangeSink& sink) : ui_(ui), sink_(sink) {}
    ~ExchangeRunner() { Shutdown(); }
    ExchangeRunner(const ExchangeRunner&) = delete;
    ExchangeRunner& operator=(const ExchangeRunner&) = delete;

    bool Busy() const { return worker_.joinable(); }
    // Runs `work` on the worker over `link`. False when an exchange is already running or the
    // runner is shutting down.
    bool Start(LinkSettings link, Work work, Then then = {});
    // Cuts the running exchange's waits and a transfer pending on its port short; it ends as
    // cancelled.
    void Cancel();
    // Cancels a running exchange and waits, serving the user-interface thread, until it has
    // released the port; for the end of the window: neither the sink's Finished nor the Then
    // runs for it, and nothing served meanwhile starts another.
    void Shutdown();

  private:
    class Host;

    void Finish();

    UiThread& ui_;
    ExchangeSink& sink_;
    std::thread worker_;
    Then then_;
    ExchangeResult result_;  // written by the worker, read once it is joined
    ExchangeStop stop_;
    std::atomic<bool> done_{false};
    bool shuttingDown_ = false;  // user-interface thread only
};
