#include "traffic_scrollback.h"

#include <cstdio>
#include <ctime>

namespace {

using SystemClock = std::chrono::system_clock;

constexpr std::chrono::milliseconds kRateWindow{1000};

char Shown(unsigned char byte) {
    return byte < 0x20 || byte == 0x7f ? '.' : static_cast<char>(byte);
}

}  // namespace

void TrafficScrollback::Add(const TrafficChunk& chunk) {
    Append(chunk.time, chunk.way, chunk.bytes);
    Trim();
}

void TrafficScrollback::AddSkipped(uint64_t bytes) {
    if (bytes == 0) return;
    TrafficRow marker;
    marker.time = SystemClock::now();
    marker.complete = true;
    marker.skipped = bytes;
    rows_.push_back(std::move(marker));
    Trim();
}

void TrafficScrollback::Append(SystemClock::time_point time, TrafficWay way,
                               std::string_view bytes) {
    const std::size_t width = Width();
    while (!bytes.empty()) {
        if (rows_.empty() || rows_.back().complete || rows_.back().way != way) {
            if (!rows_.empty()) rows_.back().complete = true;
            rows_.push_back({time, way, {}, false, 0});
        }
        TrafficRow& row = rows_.back();
        std::size_t take = std::min(width - row.bytes.size(), bytes.size());
        if (format_ == TrafficFormat::kText) {
            const std::size_t lf = bytes.substr(0, take).find('\n');
            if (lf != std::string_view::npos) take = lf + 1;
        }
        row.bytes.append(bytes.substr(0, take));
        bytes.remove_prefix(take);
        row.complete = row.bytes.size() == width ||
                       (format_ == TrafficFormat::kText && row.bytes.back() == '\n');
    }
}

void TrafficScrollback::Trim() {
    while (rows_.size() > maxRows_) {
        rows_.pop_front();
        ++dropped_;
    }
}

void TrafficScrollback::SetFormat(TrafficFormat format) {
    if (format == format_) return;
    std::deque<TrafficRow> old;
    old.swap(rows_);
    dropped_ += old.size();
    format_ = format;
    for (TrafficRow& row : old) {
        if (row.skipped > 0) {
            rows_.push_back(std::move(row));
            continue;
        }
        // A run of one way is cut anew; each new row takes the time of the old row its first
        // byte came from.
        Append(row.time, row.way, row.bytes);
    }
    Trim();
}

void TrafficScrollback::Clear() {
    dropped_ += rows_.size();
    rows_.clear();
}

std::string TrafficScrollback::RowText(std::size_t index, bool timestamps) const {
    const TrafficRow& row = rows_[index];
    std::string text;
    if (timestamps) text = ClockText(row.time) + " ";
    if (row.skipped > 0) {
        return text + "... " + std::to_string(row.skipped) + " bytes went by unshown ...";
    }
    text += row.way == TrafficWay::kSent ? "> " : "< ";
    if (format_ == TrafficFormat::kHex) {
        char hex[4];
        for (std::size_t i = 0; i < kHexWidth; ++i) {
            if (i < row.bytes.size()) {
                std::snprintf(hex, sizeof hex, "%02X ", static_cast<unsigned char>(row.bytes[i]));
                text += hex;
            } else {
                text += "   ";
            }
        }
        text += ' ';
        for (char byte : row.bytes) text += Shown(static_cast<unsigned char>(byte));
        return text;
    }
    std::string_view bytes = row.bytes;
    while (!bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r')) bytes.remove_suffix(1);
    for (char byte : bytes) text += Shown(static_cast<unsigned char>(byte));
    return text;
}

std::string ClockText(SystemClock::time_point time) {
    const std::time_t seconds = SystemClock::to_time_t(time);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count() %
        1000;
    // The user-interface thread alone formats times.
    const std::tm* local = std::localtime(&seconds);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local ? local->tm_hour : 0,
                  local ? local->tm_min : 0, local ? local->tm_sec : 0, static_cast<int>(ms));
    return text;
}

void RateMeter::Sample(std::chrono::steady_clock::time_point at, uint64_t count) {
    samples_.emplace_back(at, count);
    // Keep the newest sample at least a window old, so the rate spans a whole window.
    while (samples_.size() > 2 && at - samples_[1].first >= kRateWindow) samples_.pop_front();
    const auto& [firstAt, firstCount] = samples_.front();
    const double seconds = std::chrono::duration<double>(at - firstAt).count();
    rate_ = seconds > 0 ? static_cast<double>(count - firstCount) / seconds : 0;
}

void RateMeter::Reset() {
    samples_.clear();
    rate_ = 0;
}

std::string RateText(double bytesPerSecond) {
    char text[32];
    if (bytesPerSecond >= 1e6)
        std::snprintf(text, sizeof text, "%.2f MB/s", bytesPerSecond / 1e6);
    else if (bytesPerSecond >= 1e3)
        std::snprintf(text, sizeof text, "%.1f KB/s", bytesPerSecond / 1e3);
    else
        std::snprintf(text, sizeof text, "%.0f B/s", bytesPerSecond);
    return text;
}

std::string WithLineEnding(std::string_view text, LineEnding ending) {
    std::string line(text);
    switch (ending) {
        case LineEnding::kNone:
            break;
        case LineEnding::kCr:
            line += '\r';
            break;
        case LineEnding::kLf:
            line += '\n';
            break;
        case LineEnding::kCrLf:
            line += "\r\n";
            break;
    }
    return line;
}
