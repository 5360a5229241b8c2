#include "exchange_runner.h"

#include <QCoreApplication>
#include <chrono>

#include "link_settings.h"
#include "message_boxes.h"

class ExchangeRunner::Host : public ExchangeHost {
  public:
    Host(ExchangeRunner& runner, std::string port) : runner_(runner), port_(std::move(port)) {}

    LinkSettings Link() const override { return {port_, g_nLinkBaud.load()}; }

    void SetLinkBaud(uint32_t baud) override { g_nLinkBaud = baud; }

    void Log(std::string_view text) override {
        QMetaObject::invokeMethod(
            &runner_,
            [runner = &runner_, line = std::string(text)] { runner->session_.AppendLog(line); },
            Qt::QueuedConnection);
    }

    bool Cancelled() const override { return runner_.cancel_; }

    void ShowError(int32_t /*code*/, std::string_view text) override {
        if (runner_.cancel_) return;
        runner_.errorShown_ = true;
        const QString message = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        ExchangeRunner* runner = &runner_;
        QMetaObject::invokeMethod(
            runner,
            [runner, message] {
                if (!runner->cancel_) ShowErrorBox(message);
            },
            Qt::BlockingQueuedConnection);
    }

    void Sleep(uint32_t ms) override {
        std::unique_lock lock(runner_.mutex_);
        runner_.wake_.wait_for(lock, std::chrono::milliseconds(ms),
                               [this] { return runner_.cancel_.load(); });
    }

    void ExpectWait(uint32_t totalMs) override {
        QMetaObject::invokeMethod(
            &runner_, [runner = &runner_, totalMs] { emit runner->waitExpected(totalMs); },
            Qt::QueuedConnection);
    }

  private:
    ExchangeRunner& runner_;
    std::string port_;
};

ExchangeRunner::ExchangeRunner(Session& session, QObject* parent)
    : QObject(parent), session_(session) {}

ExchangeRunner::~ExchangeRunner() {
    Shutdown();
}

bool ExchangeRunner::Start(std::string port, Work work, Then then) {
    if (Busy()) return false;
    cancel_ = false;
    done_ = false;
    errorShown_ = false;
    stopping_ = false;
    then_ = std::move(then);
    worker_ = std::thread([this, port = std::move(port), work = std::move(work)]() mutable {
        Host host(*this, std::move(port));
        work(host);
        done_ = true;
        QMetaObject::invokeMethod(
            this, [this] { Finish(); }, Qt::QueuedConnection);
    });
    emit busyChanged(true);
    return true;
}

void ExchangeRunner::Finish() {
    if (!worker_.joinable()) return;
    worker_.join();
    emit busyChanged(false);
    Then then = std::move(then_);
    then_ = {};
    if (stopping_) {
        stopping_ = false;
        emit stopped();
    } else if (!cancel_ && then) {
        then();
    }
}

void ExchangeRunner::Stop() {
    if (!Busy() || cancel_) return;
    stopping_ = true;
    {
        std::lock_guard lock(mutex_);
        cancel_ = true;
    }
    wake_.notify_all();
}

void ExchangeRunner::Shutdown() {
    if (!worker_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        cancel_ = true;
    }
    wake_.notify_all();
    // The worker may be waiting for the GUI thread (an error box call); keep serving it.
    while (!done_) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    // The events served above may have run Finish, which joins.
    if (worker_.joinable()) worker_.join();
    then_ = {};
}
