// What a pane of the Bridge window shows: the traffic of one side as rows (text lines, or 16
// bytes each in hex), with the time each began and its way, the oldest going once the scrollback
// is full. Data comes in batches; a row grows across batches until it ends. Plain text, no
// toolkit: a front end paints the rows it has room for.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "bridge_monitor.h"

enum class TrafficFormat { kText, kHex };

struct TrafficRow {
    std::chrono::system_clock::time_point time;
    TrafficWay way = TrafficWay::kReceived;
    std::string bytes;      // as they came (text: up to and with the LF)
    bool complete = false;  // ended (text: by a LF or the width; hex: 16 bytes)
    uint64_t skipped = 0;   // a marker row: this many bytes came while nobody took them
};

class TrafficScrollback {
  public:
    static constexpr std::size_t kDefaultRows = 2000;
    static constexpr std::size_t kTextWidth = 256;  // a longer line wraps
    static constexpr std::size_t kHexWidth = 16;

    explicit TrafficScrollback(std::size_t maxRows = kDefaultRows) : maxRows_(maxRows) {}

    void Add(const TrafficChunk& chunk);
    // A marker that `bytes` went by unseen, between what came before and after.
    void AddSkipped(uint64_t bytes);
    // Shows the rows kept in the other format.
    void SetFormat(TrafficFormat format);
    TrafficFormat Format() const { return format_; }
    void Clear();

    std::size_t RowCount() const { return rows_.size(); }
    const TrafficRow& Row(std::size_t index) const { return rows_[index]; }
    // Rows dropped at the front so far: a front end keeps its place with it.
    uint64_t RowsDropped() const { return dropped_; }
    // A row as shown: "12:00:01.234 " when `timestamps`, "> " for what the PC sent, "< " for what
    // it received, then the text (control bytes as '.', line breaks left out) or the hex dump.
    std::string RowText(std::size_t index, bool timestamps) const;

  private:
    std::size_t Width() const { return format_ == TrafficFormat::kText ? kTextWidth : kHexWidth; }
    void Append(std::chrono::system_clock::time_point time, TrafficWay way, std::string_view bytes);
    void Trim();

    std::size_t maxRows_;
    TrafficFormat format_ = TrafficFormat::kText;
    std::deque<TrafficRow> rows_;
    uint64_t dropped_ = 0;
};

// "hh:mm:ss.mmm" in local time.
std::string ClockText(std::chrono::system_clock::time_point time);

// The live rate of a counter: bytes a second over about the last second of samples.
class RateMeter {
  public:
    void Sample(std::chrono::steady_clock::time_point at, uint64_t count);
    double BytesPerSecond() const { return rate_; }
    void Reset();

  private:
    std::deque<std::pair<std::chrono::steady_clock::time_point, uint64_t>> samples_;
    double rate_ = 0;
};

// "12.3 KB/s", "1.05 MB/s", "0 B/s".
std::string RateText(double bytesPerSecond);

enum class LineEnding { kNone, kCr, kLf, kCrLf };
// The send line's text with the line ending the user chose.
std::string WithLineEnding(std::string_view text, LineEnding ending);
