// The module's receive line: bytes taken from the pseudo-terminal arrive one after another at
// the line time of the rate (ten bits a byte), as over a real UART, however fast the tool wrote
// them. Used in transparent mode, where the data rate is what the bridge is measured by.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class LineReceiver {
  public:
    using Clock = std::chrono::steady_clock;

    void SetBaud(uint32_t baud, bool pace);
    // Bytes read from the line at `now`: they arrive after what is still on its way.
    void Accept(std::string_view bytes, Clock::time_point now);
    // The bytes that have arrived by `now`, removed; `lastArrival` is when the last of them did.
    std::string TakeArrived(Clock::time_point now, Clock::time_point* lastArrival);
    // Bytes read but not yet arrived.
    std::size_t Backlog() const { return pending_.size(); }
    // How many bytes the line carries in `span`, at least one.
    std::size_t BytesIn(std::chrono::milliseconds span) const;
    std::optional<Clock::time_point> NextArrival() const;
    void Clear() { pending_.clear(); }

  private:
    Clock::duration byteTime_{};
    std::string pending_;
    Clock::time_point firstArrival_{};  // of pending_[0]
    Clock::time_point lineFreeAt_{};    // when the last byte accepted has arrived
};
