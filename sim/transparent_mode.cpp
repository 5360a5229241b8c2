#include "transparent_mode.h"

void TransparentMode::SetTimes(uint32_t guardMs, uint32_t returnMs) {
    guard_ = std::chrono::milliseconds(guardMs);
    returnAfter_ = std::chrono::milliseconds(returnMs);
}

void TransparentMode::Enter(Clock::time_point now) {
    active_ = true;
    enteredAt_ = now;
    lastDataAt_ = now;
    pluses_ = 0;
}

void TransparentMode::OnData(std::string_view data, Clock::time_point now) {
    for (char c : data) {
        bool quietBefore = now - lastDataAt_ >= guard_;
        if (c == '+' && pluses_ < 3 && (pluses_ > 0 || quietBefore))
            ++pluses_;
        else
            pluses_ = 0;
        lastDataAt_ = now;
    }
}

bool TransparentMode::Update(Clock::time_point now) {
    if (!active_) return false;
    bool escaped = pluses_ == 3 && now - lastDataAt_ >= guard_;
    bool timedOut = returnAfter_.count() > 0 && now - enteredAt_ >= returnAfter_;
    if (escaped || timedOut) active_ = false;
    return !active_;
}
