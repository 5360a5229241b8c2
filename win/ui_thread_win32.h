// The dialog's thread as the exchange runner sees it: tasks from the worker reach the dialog
// window as messages, so they run inside its message loop, in the order they were posted.
#pragma once

#include <windows.h>

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>

#include "ui_thread.h"

class WindowUiThread final : public UiThread {
  public:
    static constexpr UINT kTaskMessage = WM_APP + 1;  // wakes the window for queued tasks
    static constexpr UINT kCallMessage = WM_APP + 2;  // lParam: a task to run before it returns

    // The window whose procedure passes its messages to HandleMessage; null drops queued tasks.
    void Attach(HWND window);

    void Post(std::function<void()> task) override;
    void Call(std::function<void()> task) override;
    void ServeEvents() override;

    // For the window procedure: runs the tasks of kTaskMessage and kCallMessage; false for
    // any other message.
    bool HandleMessage(UINT message, LPARAM lParam);

  private:
    void RunQueued();

    std::atomic<HWND> window_{nullptr};
    std::mutex mutex_;
    std::deque<std::function<void()>> tasks_;
};
