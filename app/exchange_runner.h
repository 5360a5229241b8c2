// Runs the module exchanges on a worker thread, one at a time, so the window keeps repainting
// during their fixed waits (up to 42 s for a scan at 1200 baud). Log lines reach the log pane
// as they happen; the error box is shown on the GUI thread while the exchange waits for it, so
// the port is closed only after the box is dismissed.
#pragma once

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "exchanges.h"
#include "session.h"

class ExchangeRunner : public QObject {
    Q_OBJECT
  public:
    using Work = std::function<void(ExchangeHost& host)>;
    using Then = std::function<void()>;

    // Log lines go to the session's log pane.
    explicit ExchangeRunner(Session& session, QObject* parent = nullptr);
    ~ExchangeRunner() override;

    bool Busy() const { return worker_.joinable(); }
    // Runs `work` on the worker against `port`; `then` follows on the GUI thread unless the
    // runner was shut down meanwhile. False when an exchange is already running.
    bool Start(std::string port, Work work, Then then = {});
    // Cancels a running exchange (its waits end at once) and waits for it to release the port.
    void Shutdown();
    // Cancels a running exchange at its next wait and returns at once; busyChanged(false) and
    // then stopped() follow once the worker has closed the port. `then` does not run.
    void Stop();
    // Whether the last exchange met a serial failure (and showed its box).
    bool ErrorShown() const { return errorShown_; }

  signals:
    void busyChanged(bool busy);
    void stopped();
    void waitExpected(quint32 totalMs);

  private:
    class Host;

    void Finish();

    Session& session_;
    std::thread worker_;
    Then then_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> done_{false};
    std::atomic<bool> errorShown_{false};
    bool stopping_ = false;
    std::mutex mutex_;
    std::condition_variable wake_;
};
