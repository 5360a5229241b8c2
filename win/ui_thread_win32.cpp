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

namespace {

// The message numbers of a user's input: the mouse over the frame, raw input, keys, the mouse
// over the client area.
struct MessageRange {
    UINT first;
    UINT last;
};
constexpr MessageRange kUserInput[] = {{WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK},
                                       {WM_INPUT, WM_INPUT},
                                       {WM_KEYFIRST, WM_KEYLAST},
                                       {WM_MOUSEFIRST, WM_MOUSELAST}};

// Takes the next waiting message that is not a user's input; input stays queued.
bool TakeNonInput(MSG* msg) {
    UINT from = 0;
    for (const MessageRange& input : kUserInput) {
        if (input.first > from && PeekMessageW(msg, nullptr, from, input.first - 1, PM_REMOVE))
            return true;
        from = input.last + 1;
    }
    return PeekMessageW(msg, nullptr, from, ~UINT{0}, PM_REMOVE) != FALSE;
}

}  // namespace

void WindowUiThread::ServeEvents() {
    // Only the worker's tasks and the window's own messages: a click or key served while the
    // window waits to close would act on a window that is going. Sent messages are served by
    // the wait itself; posted ones are dispatched here.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10,
                              QS_POSTMESSAGE | QS_SENDMESSAGE | QS_PAINT | QS_TIMER);
    MSG msg;
    while (TakeNonInput(&msg)) {
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
