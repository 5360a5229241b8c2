// The check's test pattern: sequence-numbered, checksummed blocks, and the reading of what came
// out of the bridge. A block is two marker bytes, the way it travels, its sequence number (four
// bytes, most significant first), filler drawn from the number, and a CRC-32 of all before it,
// so a receiver can find blocks again after damage and tell lost, changed, extra and late bytes
// apart.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "bridge_check.h"

inline constexpr std::size_t kMinBlockSize = 16;

enum class PatternWay : uint8_t { kToNetwork = 1, kToSerial = 2 };

// Block `sequence` of a stream going `way`, `blockSize` bytes (at least kMinBlockSize).
std::string PatternBlock(PatternWay way, uint32_t sequence, std::size_t blockSize);

uint32_t Crc32(std::string_view bytes);

// Reads one direction's stream as it arrives, in any pieces.
class PatternReader {
  public:
    PatternReader(PatternWay way, std::size_t blockSize, uint32_t blocksSent);

    void Feed(std::string_view bytes);
    // Reads what is left as the stream's end.
    void Finish();
    // Every block arrived, intact and in order, and nothing else.
    bool Complete() const;
    std::size_t Received() const { return received_; }

    // The counts so far (after Finish: final). `sent` is the blocks sent times their size.
    WayReport Report() const;

  private:
    void Parse(bool final);
    bool ValidAt(std::size_t at) const;
    std::size_t NextMarker(std::size_t from) const;
    void TakeBlock(uint32_t sequence);
    // Bytes between blocks that came whole, where `missing` blocks were due.
    void TakeDamaged(std::string_view segment, int64_t missing);

    PatternWay way_;
    std::size_t blockSize_;
    uint32_t blocksSent_;
    std::string buffer_;
    std::size_t received_ = 0;
    std::vector<uint8_t> seen_;  // per sequence number: 0 not yet, 1 intact, 2 damaged
    int64_t highest_ = -1;       // the highest sequence number taken intact
    uint64_t intact_ = 0;
    uint64_t reordered_ = 0;
    uint64_t corrupted_ = 0;
    uint32_t damagedBlocks_ = 0;
};
