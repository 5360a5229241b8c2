// The front end's user-interface thread, as the exchange runner needs it: the worker hands its
// log lines, progress and result over to it.
#pragma once

#include <deque>
#include <functional>
#include <mutex>

class UiThread {
  public:
    virtual ~UiThread() = default;
    // From any thread, never blocking: runs `task` later on the user-interface thread, in the
    // order posted. Tasks still queued when the front end goes are dropped.
    virtual void Post(std::function<void()> task) = 0;
};

// The tasks posted to a user-interface thread whose toolkit carries no closures of its own: any
// thread pushes, the user-interface thread runs them in order.
class TaskQueue {
  public:
    void Push(std::function<void()> task);
    // Runs the tasks queued, and those they queue meanwhile, in order.
    void RunAll();
    void Clear();

  private:
    std::mutex mutex_;
    std::deque<std::function<void()>> tasks_;
};
