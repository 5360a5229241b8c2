// The dialog's thread as the exchange runner sees it: tasks from the worker reach the dialog
// window as messages, so they run inside its message loop, in the order they were posted.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>

#include "ui_thread.h"

class WindowUiThread final : public UiThread {
  public:
    static constexpr UINT kTaskMessage = WM_APP + 1;  // wakes the window for queued tasks

    // The window whose procedure passes its messages to HandleMessage; null drops queued tasks.
    void Attach(HWND window);

    void Post(std::function<void()> task) override;

    // For the window procedure: runs the queued tasks on kTaskMessage; false for any other
    // message.
    bool HandleMessage(UINT message);

  private:
    std::atomic<HWND> window_{nullptr};
    TaskQueue tasks_;
};
