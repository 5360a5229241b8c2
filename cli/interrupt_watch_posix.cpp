// SIGINT, SIGTERM, SIGHUP and SIGPIPE are blocked in the program's threads and taken by sigwait
// on a watcher thread, where stopping the exchange may lock and wake like any other thread.
// A write to a closed pipe raises SIGPIPE in the writing thread only, where it stays blocked and
// the write fails with EPIPE instead; the program ignores SIGPIPE, so it is never delivered.
#include <pthread.h>
#include <signal.h>

#include <thread>

#include "interrupt_watch.h"

struct InterruptWatch::System {
    sigset_t signals{};
    sigset_t before{};
    std::atomic<bool> ending{false};
    std::thread watcher;
};

InterruptWatch::InterruptWatch(std::function<void()> onInterrupt)
    : onInterrupt_(std::move(onInterrupt)), system_(std::make_unique<System>()) {
    sigemptyset(&system_->signals);
    sigaddset(&system_->signals, SIGINT);
    sigaddset(&system_->signals, SIGTERM);
    sigaddset(&system_->signals, SIGHUP);
    sigaddset(&system_->signals, SIGPIPE);
    // Before the thread starts, so it and every later thread inherit the mask.
    pthread_sigmask(SIG_BLOCK, &system_->signals, &system_->before);
    system_->watcher = std::thread([this] {
        int signal = 0;
        while (sigwait(&system_->signals, &signal) == 0 && !system_->ending) {
            int none = 0;
            exitStatus_.compare_exchange_strong(none, 128 + signal);
            onInterrupt_();
        }
    });
}

InterruptWatch::~InterruptWatch() {
    system_->ending = true;
    pthread_kill(system_->watcher.native_handle(), SIGTERM);
    system_->watcher.join();
    pthread_sigmask(SIG_SETMASK, &system_->before, nullptr);
}
