// The module's transmit line: queued bytes leave no faster than the baud rate allows
// (ten bits a byte), each not before the time it was queued for.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <string>

class LinePacer {
  public:
    using Clock = std::chrono::steady_clock;

    void SetBaud(uint32_t baud, bool pace);
    void Queue(std::string bytes, Clock::time_point notBefore);
    void Clear() {
        queue_.clear();
        queued_ = 0;
    }
    bool Empty() const { return queue_.empty(); }
    std::size_t QueuedBytes() const { return queued_; }
    // The bytes due by `now`, removed from the queue.
    std::string TakeDue(Clock::time_point now);
    // Put back bytes the line could not take (they go out first).
    void PutBack(std::string bytes, Clock::time_point now);
    // When the next byte is due; only meaningful while not Empty().
    Clock::time_point NextDue() const;

  private:
    struct Segment {
        std::string bytes;
        Clock::time_point notBefore;
    };
    std::deque<Segment> queue_;
    std::size_t queued_ = 0;
    Clock::duration byteTime_{};
    Clock::time_point lineFreeAt_{};
};
