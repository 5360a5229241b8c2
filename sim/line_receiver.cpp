#include "line_receiver.h"

#include <algorithm>

void LineReceiver::SetBaud(uint32_t baud, bool pace) {
    byteTime_ = pace && baud ? Clock::duration(std::chrono::nanoseconds(10'000'000'000LL / baud))
                             : Clock::duration::zero();
}

void LineReceiver::Accept(std::string_view bytes, Clock::time_point now) {
    if (bytes.empty()) return;
    // A line that has been idle has no credit to burst with.
    if (pending_.empty()) firstArrival_ = std::max(now, lineFreeAt_) + byteTime_;
    pending_.append(bytes);
    lineFreeAt_ = firstArrival_ + byteTime_ * static_cast<long>(pending_.size() - 1);
}

std::string LineReceiver::TakeArrived(Clock::time_point now, Clock::time_point* lastArrival) {
    if (pending_.empty() || now < firstArrival_) return {};
    std::size_t n = pending_.size();
    if (byteTime_ != Clock::duration::zero())
        n = std::min<std::size_t>(n,
                                  static_cast<std::size_t>((now - firstArrival_) / byteTime_) + 1);
    *lastArrival = firstArrival_ + byteTime_ * static_cast<long>(n - 1);
    firstArrival_ += byteTime_ * static_cast<long>(n);
    std::string arrived = pending_.substr(0, n);
    pending_.erase(0, n);
    return arrived;
}

std::size_t LineReceiver::BytesIn(std::chrono::milliseconds span) const {
    if (byteTime_ == Clock::duration::zero()) return 4096;
    return std::max<std::size_t>(1, static_cast<std::size_t>(span / byteTime_));
}

std::optional<LineReceiver::Clock::time_point> LineReceiver::NextArrival() const {
    if (pending_.empty()) return std::nullopt;
    return firstArrival_;
}
