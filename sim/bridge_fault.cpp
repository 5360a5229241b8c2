#include "bridge_fault.h"

#include <algorithm>

namespace {

// How long a chunk held for swapping waits for the next one.
constexpr std::chrono::milliseconds kReorderHold{200};

}  // namespace

FaultLane::FaultLane(BridgeFault fault, bool acts, uint32_t every, uint32_t delayMs)
    : fault_(acts ? fault : BridgeFault::kNone),
      every_(std::max<uint32_t>(every, 1)),
      delay_(delayMs) {}

void FaultLane::Carry(std::string chunk, Clock::time_point now, std::vector<TimedChunk>* out) {
    if (chunk.empty()) return;
    const uint64_t first = carried_ + 1;  // the count of the chunk's first byte
    carried_ += chunk.size();
    const uint64_t firstMarked = (first + every_ - 1) / every_ * every_;
    const bool marked = firstMarked <= carried_;
    switch (fault_) {
        case BridgeFault::kDrop:
        case BridgeFault::kCorrupt: {
            std::string kept;
            kept.reserve(chunk.size());
            for (std::size_t i = 0; i < chunk.size(); ++i) {
                if ((first + i) % every_ != 0)
                    kept += chunk[i];
                else if (fault_ == BridgeFault::kCorrupt)
                    kept += static_cast<char>(chunk[i] ^ 0xFF);
            }
            out->push_back({std::move(kept), now});
            return;
        }
        case BridgeFault::kDelay:
            out->push_back({std::move(chunk), now + delay_});
            return;
        case BridgeFault::kReorder:
            if (held_) {
                out->push_back({std::move(chunk), now});
                out->push_back({std::move(held_->bytes), now});
                held_.reset();
            } else if (marked) {
                held_ = TimedChunk{std::move(chunk), now};
                heldUntil_ = now + kReorderHold;
            } else {
                out->push_back({std::move(chunk), now});
            }
            return;
        default:
            out->push_back({std::move(chunk), now});
            return;
    }
}

void FaultLane::ReleaseHeld(Clock::time_point now, std::vector<TimedChunk>* out) {
    if (!held_ || now < heldUntil_) return;
    out->push_back({std::move(held_->bytes), now});
    held_.reset();
}

std::optional<FaultLane::Clock::time_point> FaultLane::HeldUntil() const {
    if (!held_) return std::nullopt;
    return heldUntil_;
}
