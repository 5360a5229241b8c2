#include "transparent_mode.h"

#include <algorithm>

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

std::string TransparentMode::OnData(std::string_view data, Clock::time_point now) {
    std::string carry;
    for (char c : data) {
        bool quietBefore = now - lastDataAt_ >= guard_;
        if (c == '+' && pluses_ < 3 && (pluses_ > 0 || quietBefore)) {
            ++pluses_;
        } else {
            carry.append(static_cast<std::size_t>(pluses_), '+');
            carry += c;
            pluses_ = 0;
        }
        lastDataAt_ = now;
    }
    return carry;
}

bool TransparentMode::Update(Clock::time_point now, std::string* carry) {
    if (!active_) return false;
    bool quietAfter = now - lastDataAt_ >= guard_;
    bool escaped = pluses_ == 3 && quietAfter;
    bool timedOut = returnAfter_.count() > 0 && now - enteredAt_ >= returnAfter_;
    if (escaped || timedOut) {
        active_ = false;
        pluses_ = 0;
        return true;
    }
    if (pluses_ > 0 && quietAfter) {  // "+" or "++" alone: data after all
        carry->append(static_cast<std::size_t>(pluses_), '+');
        pluses_ = 0;
    }
    return false;
}

TransparentMode::Clock::time_point TransparentMode::NextUpdate() const {
    auto next = Clock::time_point::max();
    if (pluses_ > 0) next = lastDataAt_ + guard_;
    if (returnAfter_.count() > 0) next = std::min(next, enteredAt_ + returnAfter_);
    return next;
}
