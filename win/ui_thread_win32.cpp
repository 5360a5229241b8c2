#include "ui_thread_win32.h"

void WindowUiThread::Attach(HWND window) {
    window_ = window;
    if (window) return;
    std::lock_guard lock(mutex_);
    tasks_.clear();
}

void WindowUiThread::Post(std::function<void()> task) {
    HWND window = window_;
    if (!window) return;
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    PostMessageW(window, kTaskMessage, 0, 0);
}

void WindowUiThread::Call(std::function<void()> task) {
    // A sent message is served before the posted ones: the tasks posted earlier run first
    // (HandleMessage), so a log line still comes before the error box that follows it.
    if (HWND window = window_) {
        SendMessageW(window, kCallMessage, 0, reinterpret_cast<LPARAM>(&task));
    }
}

void WindowUiThread::ServeEvents() {
    // Sent messages are served by the wait itself; posted ones are dispatched here.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop that waits for it
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool WindowUiThread::HandleMessage(UINT message, LPARAM lParam) {
    if (message != kTaskMessage && message != kCallMessage) return false;
    RunQueued();
    if (message == kCallMessage) (*reinterpret_cast<std::function<void()>*>(lParam))();
    return true;
}

void WindowUiThread::RunQueued() {
    for (;;) {
        std::function<void()> task;
        {
            std::lock_guard lock(mutex_);
            if (tasks_.empty()) return;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
    }
}
