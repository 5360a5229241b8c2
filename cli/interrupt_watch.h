// Ctrl+C, SIGTERM, a closed terminal (SIGHUP) and SIGPIPE during an exchange: instead of dying
// with the port raw, exclusive and locked, the program stops the exchange, lets the port be
// restored and released as on any other exit, and then exits with the shell's status for the
// signal (130, 143, 129, 141).
#pragma once

#include <atomic>
#include <functional>
#include <memory>

class InterruptWatch {
  public:
    // `onInterrupt` runs on a thread of the watch's own, once for each interrupt.
    explicit InterruptWatch(std::function<void()> onInterrupt);
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    // 0 while no interrupt came, else 128 + the number of the first signal.
    int ExitStatus() const { return exitStatus_; }

  private:
    struct System;

    std::function<void()> onInterrupt_;
    std::atomic<int> exitStatus_{0};
    std::unique_ptr<System> system_;
};
