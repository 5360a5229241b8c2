// One direction through the simulated module's bridge, as a faulty module carries it: bytes
// dropped or changed at a fixed spacing, chunks delayed or swapped with the next one. Counting
// bytes rather than drawing random numbers makes every fault show up at the same place each run.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim_module.h"

struct TimedChunk {
    std::string bytes;
    std::chrono::steady_clock::time_point notBefore;
};

class FaultLane {
  public:
    using Clock = std::chrono::steady_clock;

    // A lane the fault does not act on (`acts` false) carries everything as it comes.
    FaultLane(BridgeFault fault, bool acts, uint32_t every, uint32_t delayMs);

    // A chunk handed over at `now`; what leaves goes to `out`, in the order it leaves.
    void Carry(std::string chunk, Clock::time_point now, std::vector<TimedChunk>* out);
    // A chunk held back to be swapped leaves by itself when no next chunk comes in time.
    void ReleaseHeld(Clock::time_point now, std::vector<TimedChunk>* out);
    std::optional<Clock::time_point> HeldUntil() const;

  private:
    BridgeFault fault_;
    uint64_t every_;
    std::chrono::milliseconds delay_;
    uint64_t carried_ = 0;  // bytes handed over so far
    std::optional<TimedChunk> held_;
    Clock::time_point heldUntil_{};
};
