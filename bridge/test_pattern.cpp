#include "test_pattern.h"

#include <algorithm>
#include <array>

namespace {

constexpr uint8_t kMarker0 = 0xB7;
constexpr uint8_t kMarker1 = 0x1D;
constexpr std::size_t kHeaderSize = 7;  // marker, way, sequence number
constexpr std::size_t kCrcSize = 4;
// A stretch without any block in it is given up as damaged once it is this many blocks long,
// so a stream of noise cannot grow the buffer.
constexpr std::size_t kMaxHeldBlocks = 3;

uint8_t Byte(std::string_view bytes, std::size_t at) {
    return static_cast<uint8_t>(bytes[at]);
}

uint32_t ReadBigEndian(std::string_view bytes, std::size_t at) {
    return uint32_t{Byte(bytes, at)} << 24 | uint32_t{Byte(bytes, at + 1)} << 16 |
           uint32_t{Byte(bytes, at + 2)} << 8 | uint32_t{Byte(bytes, at + 3)};
}

void AppendBigEndian(std::string& bytes, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>(value >> shift);
}

const std::array<uint32_t, 256>& CrcTable() {
    static const std::array<uint32_t, 256> kTable = [] {
        std::array<uint32_t, 256> table{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
        return table;
    }();
    return kTable;
}

}  // namespace

uint32_t Crc32(std::string_view bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (char c : bytes) crc = CrcTable()[(crc ^ static_cast<uint8_t>(c)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

std::string PatternBlock(PatternWay way, uint32_t sequence, std::size_t blockSize) {
    blockSize = std::max(blockSize, kMinBlockSize);
    std::string block;
    block.reserve(blockSize);
    block += static_cast<char>(kMarker0);
    block += static_cast<char>(kMarker1);
    block += static_cast<char>(way);
    AppendBigEndian(block, sequence);
    // Filler from a xorshift generator seeded by the number and the way: every block differs.
    uint32_t state =
        (sequence * 2654435761u) ^ (uint32_t{static_cast<uint8_t>(way)} << 24) ^ 0x9E3779B9u;
    while (block.size() < blockSize - kCrcSize) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        block += static_cast<char>(state >> 11);
    }
    AppendBigEndian(block, Crc32(block));
    return block;
}

PatternReader::PatternReader(PatternWay way, std::size_t blockSize, uint32_t blocksSent)
    : way_(way),
      blockSize_(std::max(blockSize, kMinBlockSize)),
      blocksSent_(blocksSent),
      seen_(blocksSent, 0) {}

void PatternReader::Feed(std::string_view bytes) {
    received_ += bytes.size();
    buffer_.append(bytes);
    Parse(false);
}

void PatternReader::Finish() {
    Parse(true);
}

bool PatternReader::ValidAt(std::size_t at) const {
    std::string_view view = buffer_;
    if (view.size() - at < blockSize_ || Byte(view, at) != kMarker0 ||
        Byte(view, at + 1) != kMarker1 || Byte(view, at + 2) != static_cast<uint8_t>(way_))
        return false;
    std::string_view block = view.substr(at, blockSize_);
    if (ReadBigEndian(block, kHeaderSize - 4) >= blocksSent_) return false;
    return Crc32(block.substr(0, blockSize_ - kCrcSize)) ==
           ReadBigEndian(block, blockSize_ - kCrcSize);
}

std::size_t PatternReader::NextMarker(std::size_t from) const {
    for (std::size_t at = from; at + blockSize_ <= buffer_.size(); ++at)
        if (ValidAt(at)) return at;
    return std::string::npos;
}

void PatternReader::TakeBlock(uint32_t sequence) {
    if (seen_[sequence] == 1) {  // a second copy: bytes that should not be there
        corrupted_ += blockSize_;
        return;
    }
    seen_[sequence] = 1;
    if (static_cast<int64_t>(sequence) < highest_) {
        reordered_ += blockSize_;
        return;
    }
    highest_ = sequence;
    intact_ += blockSize_;
}

void PatternReader::TakeDamaged(std::string_view segment, int64_t missing) {
    ++damagedBlocks_;
    const uint64_t expected = static_cast<uint64_t>(missing) * blockSize_;
    if (segment.size() > expected) {  // bytes added among or inside the blocks
        corrupted_ += segment.size() - expected;
        return;
    }
    if (segment.size() < expected) return;  // bytes missing: counted as lost overall
    // The missing blocks' length, with other bytes in it: compare with what belongs there.
    int64_t sequence = highest_ + 1;
    if (missing == 1 && Byte(segment, 0) == kMarker0 && Byte(segment, 1) == kMarker1) {
        const uint32_t named = ReadBigEndian(segment, kHeaderSize - 4);
        if (named < blocksSent_ && seen_[named] == 0) sequence = named;
    }
    for (std::size_t at = 0; at < segment.size(); at += blockSize_, ++sequence) {
        const std::string block = PatternBlock(way_, static_cast<uint32_t>(sequence), blockSize_);
        uint64_t changed = 0;
        for (std::size_t i = 0; i < blockSize_; ++i) changed += segment[at + i] != block[i];
        corrupted_ += std::max<uint64_t>(changed, 1);
        seen_[static_cast<std::size_t>(sequence)] = 2;
    }
}

void PatternReader::Parse(bool final) {
    std::size_t at = 0;
    while (at < buffer_.size()) {
        if (ValidAt(at)) {
            TakeBlock(ReadBigEndian(buffer_, at + kHeaderSize - 4));
            at += blockSize_;
            continue;
        }
        if (!final && buffer_.size() - at < blockSize_) break;  // the block may still come
        std::size_t next = NextMarker(at + 1);
        if (next == std::string::npos) {
            // Damage up to the end: the rest of the blocks were due there.
            const int64_t rest = static_cast<int64_t>(blocksSent_) - 1 - highest_;
            if (final) {
                TakeDamaged(std::string_view(buffer_).substr(at), rest);
                at = buffer_.size();
            } else if (buffer_.size() - at >= kMaxHeldBlocks * blockSize_) {
                // Keep the last block's worth: a valid block may begin in it.
                std::size_t end = buffer_.size() - blockSize_ + 1;
                TakeDamaged(std::string_view(buffer_).substr(at, end - at), 0);
                at = end;
            }
            break;
        }
        // The blocks missing between the last intact one and the next one that came.
        const int64_t following = ReadBigEndian(buffer_, next + kHeaderSize - 4);
        TakeDamaged(std::string_view(buffer_).substr(at, next - at),
                    std::max<int64_t>(0, following - highest_ - 1));
        at = next;
    }
    buffer_.erase(0, at);
}

bool PatternReader::Complete() const {
    const uint64_t sent = uint64_t{blocksSent_} * blockSize_;
    return intact_ == sent && received_ == sent;
}

WayReport PatternReader::Report() const {
    WayReport report;
    report.sent = uint64_t{blocksSent_} * blockSize_;
    report.received = received_;
    report.intact = intact_;
    report.reordered = reordered_;
    report.corrupted = corrupted_;
    report.lost = report.sent > received_ ? report.sent - received_ : 0;
    report.damagedBlocks = damagedBlocks_;
    return report;
}
