#include "ui_thread_win32.h"

void WindowUiThread::Attach(HWND window) {
    window_ = window;
    if (!window) tasks_.Clear();
}

void WindowUiThread::Post(std::function<void()> task) {
    HWND window = window_;
    if (!window) return;
    tasks_.Push(std::move(task));
    PostMessageW(window, kTaskMessage, 0, 0);
}

bool WindowUiThread::HandleMessage(UINT message) {
    if (message != kTaskMessage) return false;
    tasks_.RunAll();
    return true;
}
