#include "line_pacer.h"

#include <algorithm>

void LinePacer::SetBaud(uint32_t baud, bool pace) {
    byteTime_ = pace && baud ? Clock::duration(std::chrono::nanoseconds(10'000'000'000LL / baud))
                             : Clock::duration::zero();
}

void LinePacer::Queue(std::string bytes, Clock::time_point notBefore) {
    if (bytes.empty()) return;
    // A line that has been idle has no credit to burst with.
    if (queue_.empty()) lineFreeAt_ = std::max(lineFreeAt_, notBefore);
    queued_ += bytes.size();
    queue_.push_back({std::move(bytes), notBefore});
}

void LinePacer::PutBack(std::string bytes, Clock::time_point now) {
    if (bytes.empty()) return;
    queued_ += bytes.size();
    queue_.push_front({std::move(bytes), now});
}

LinePacer::Clock::time_point LinePacer::NextDue() const {
    return std::max(lineFreeAt_, queue_.front().notBefore);
}

std::string LinePacer::TakeDue(Clock::time_point now) {
    std::string due;
    while (!queue_.empty()) {
        Segment& front = queue_.front();
        Clock::time_point start = std::max(lineFreeAt_, front.notBefore);
        if (start > now) break;
        std::size_t affordable = byteTime_ == Clock::duration::zero()
                                     ? front.bytes.size()
                                     : static_cast<std::size_t>((now - start) / byteTime_) + 1;
        std::size_t n = std::min(affordable, front.bytes.size());
        due.append(front.bytes, 0, n);
        front.bytes.erase(0, n);
        queued_ -= n;
        lineFreeAt_ = start + byteTime_ * static_cast<long>(n);
        if (front.bytes.empty()) queue_.pop_front();
    }
    return due;
}
