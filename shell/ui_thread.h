// The front end's user-interface thread, as the exchange runner needs it: the window keeps
// serving its events while an exchange runs on a worker thread.
#pragma once

#include <functional>

class UiThread {
  public:
    virtual ~UiThread() = default;
    // From any thread: runs `task` later on the user-interface thread, in the order posted.
    // Tasks still queued when the front end goes are dropped.
    virtual void Post(std::function<void()> task) = 0;
    // From a worker thread: runs `task` on the user-interface thread and returns once it has
    // run (the error box, which the exchange waits for before it closes the port).
    virtual void Call(std::function<void()> task) = 0;
    // On the user-interface thread: serves the events and tasks that are waiting, for a moment
    // at most, while it waits for a worker.
    virtual void ServeEvents() = 0;
};
