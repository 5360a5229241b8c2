// How the module packs its serial input into network packets: a packet leaves when the packing
// length has gathered, or when the line has been quiet for the packing timeout.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class UartPacker {
  public:
    using Clock = std::chrono::steady_clock;

    // `packLen` 0 is taken as 1; a timeout of 0 lets every arrival leave at once.
    UartPacker(std::size_t packLen, std::chrono::milliseconds quietTimeout);

    // Bytes whose last one arrived at `at`; the packets they complete go to `packets`.
    void Add(std::string_view bytes, Clock::time_point at, std::vector<std::string>* packets);
    // What has gathered, once the line has been quiet for the timeout; empty before that.
    std::string TakeIfQuiet(Clock::time_point now);
    // When TakeIfQuiet gives a packet, if anything has gathered.
    std::optional<Clock::time_point> QuietDeadline() const;
    void Clear() { gathered_.clear(); }

  private:
    std::size_t packLen_;
    std::chrono::milliseconds quietTimeout_;
    std::string gathered_;
    Clock::time_point lastArrival_{};
};
