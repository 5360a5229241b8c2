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

  signals:
    void busyChanged(bool busy);
    void waitExpected(quint32 totalMs);

  private:
    class Host;

    void Finish();

    Session& session_;
    std::thread worker_;
    Then then_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> done_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
};
