#include "uart_packer.h"

#include <algorithm>
#include <utility>

UartPacker::UartPacker(std::size_t packLen, std::chrono::milliseconds quietTimeout)
    : packLen_(std::max<std::size_t>(packLen, 1)), quietTimeout_(quietTimeout) {}

void UartPacker::Add(std::string_view bytes, Clock::time_point at,
                     std::vector<std::string>* packets) {
    if (bytes.empty()) return;
    lastArrival_ = at;
    while (!bytes.empty()) {
        std::size_t n = std::min(packLen_ - gathered_.size(), bytes.size());
        gathered_.append(bytes.substr(0, n));
        bytes.remove_prefix(n);
        if (gathered_.size() == packLen_) packets->push_back(std::exchange(gathered_, {}));
    }
    if (quietTimeout_.count() == 0 && !gathered_.empty())
        packets->push_back(std::exchange(gathered_, {}));
}

std::string UartPacker::TakeIfQuiet(Clock::time_point now) {
    if (gathered_.empty() || now - lastArrival_ < quietTimeout_) return {};
    return std::exchange(gathered_, {});
}

std::optional<UartPacker::Clock::time_point> UartPacker::QuietDeadline() const {
    if (gathered_.empty()) return std::nullopt;
    return lastArrival_ + quietTimeout_;
}
