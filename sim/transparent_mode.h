// Transparent (data) mode: commands are no longer read. The way back is "+++" framed by the
// guard time of silence on both sides, or, if asked for, a fixed time after entering.
#pragma once

#include <chrono>
#include <cstdint>
#include <string_view>

class TransparentMode {
  public:
    using Clock = std::chrono::steady_clock;

    TransparentMode(uint32_t guardMs, uint32_t returnMs)
        : guard_(guardMs), returnAfter_(returnMs) {}

    void SetTimes(uint32_t guardMs, uint32_t returnMs);
    void Enter(Clock::time_point now);
    bool Active() const { return active_; }
    // Data received while transparent.
    void OnData(std::string_view data, Clock::time_point now);
    // Leaves transparent mode when its time has come; true when it did just now.
    bool Update(Clock::time_point now);

  private:
    std::chrono::milliseconds guard_;
    std::chrono::milliseconds returnAfter_;
    bool active_ = false;
    Clock::time_point enteredAt_{};
    Clock::time_point lastDataAt_{};
    int pluses_ = 0;
};
