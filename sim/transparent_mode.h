// Transparent (data) mode: commands are no longer read. The way back is "+++" framed by the
// guard time of silence on both sides, or, if asked for, a fixed time after entering. A "+"
// that may begin the escape is held back, so an escape never reaches the network, and carried
// on once other data follows or the guard time passes without the escape.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

class TransparentMode {
  public:
    using Clock = std::chrono::steady_clock;

    TransparentMode(uint32_t guardMs, uint32_t returnMs)
        : guard_(guardMs), returnAfter_(returnMs) {}

    void SetTimes(uint32_t guardMs, uint32_t returnMs);
    void Enter(Clock::time_point now);
    bool Active() const { return active_; }
    // Data that arrived while transparent; returns the bytes to carry to the network.
    std::string OnData(std::string_view data, Clock::time_point now);
    // Leaves transparent mode when its time has come; true when it did just now. Held "+" that
    // did not become an escape are appended to `carry`.
    bool Update(Clock::time_point now, std::string* carry);
    // When Update next has something to do, while active.
    Clock::time_point NextUpdate() const;

  private:
    std::chrono::milliseconds guard_;
    std::chrono::milliseconds returnAfter_;
    bool active_ = false;
    Clock::time_point enteredAt_{};
    Clock::time_point lastDataAt_{};
    int pluses_ = 0;  // held back
};
