// Ctrl+C, Ctrl+Break and closing the console window: the system calls the handler on a thread
// of its own, which stops the exchange. Ctrl+C counts as SIGINT (130), the others as SIGTERM.
#include <windows.h>

#include <mutex>

#include "interrupt_watch.h"

struct InterruptWatch::System {};

namespace {

// The one watch the console handler reports to.
InterruptWatch*& Current(std::mutex** guard) {
    static std::mutex mutex;
    static InterruptWatch* current = nullptr;
    *guard = &mutex;
    return current;
}

}  // namespace

InterruptWatch::InterruptWatch(std::function<void()> onInterrupt)
    : onInterrupt_(std::move(onInterrupt)), system_(std::make_unique<System>()) {
    std::mutex* guard = nullptr;
    InterruptWatch*& current = Current(&guard);
    {
        std::lock_guard lock(*guard);
        current = this;
    }
    SetConsoleCtrlHandler(
        [](DWORD event) -> BOOL {
            std::mutex* guard = nullptr;
            InterruptWatch*& current = Current(&guard);
            std::lock_guard lock(*guard);
            if (current == nullptr) return FALSE;
            int none = 0;
            current->exitStatus_.compare_exchange_strong(none, event == CTRL_C_EVENT ? 130 : 143);
            current->onInterrupt_();
            return TRUE;
        },
        TRUE);
}

InterruptWatch::~InterruptWatch() {
    std::mutex* guard = nullptr;
    InterruptWatch*& current = Current(&guard);
    std::lock_guard lock(*guard);
    current = nullptr;
}
