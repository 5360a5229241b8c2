// What the Bridge window's panes show: rows cut at line ends and at the width, a row per way,
// the hex dump, the bound on the scrollback, the rate and the send line's endings.
#include "traffic_scrollback.h"

#include <gtest/gtest.h>

namespace {

using Clock = std::chrono::system_clock;
using std::chrono::milliseconds;

TrafficChunk Chunk(TrafficWay way, std::string bytes, Clock::time_point time = Clock::now()) {
    return {time, way, std::move(bytes)};
}

std::vector<std::string> Rows(const TrafficScrollback& scrollback) {
    std::vector<std::string> rows;
    for (std::size_t i = 0; i < scrollback.RowCount(); ++i)
        rows.push_back(scrollback.RowText(i, false));
    return rows;
}

}  // namespace

TEST(TrafficScrollbackTest, RowsEndAtLineFeedsAndWaysAndGrowAcrossBatches) {
    TrafficScrollback scrollback;
    const Clock::time_point first = Clock::now();
    scrollback.Add(Chunk(TrafficWay::kReceived, "one\r\ntw", first));
    scrollback.Add(Chunk(TrafficWay::kReceived, "o\r\nthr", first + milliseconds(5)));
    scrollback.Add(Chunk(TrafficWay::kSent, "at\r\n"));
    scrollback.Add(Chunk(TrafficWay::kReceived, "\x01\x7f\xff"));
    EXPECT_EQ(Rows(scrollback),
              (std::vector<std::string>{"< one", "< two", "< thr", "> at", "< ..\xff"}));
    // A row keeps the time its first byte came.
    EXPECT_EQ(scrollback.Row(1).time, first);
    EXPECT_TRUE(scrollback.Row(2).complete);  // the other way ended it
    EXPECT_FALSE(scrollback.Row(4).complete);
}

TEST(TrafficScrollbackTest, LongLinesWrapAndOldRowsGo) {
    TrafficScrollback scrollback(3);
    scrollback.Add(Chunk(TrafficWay::kReceived,
                         std::string(TrafficScrollback::kTextWidth, 'a') + "bc\n1\n2\n3\n"));
    EXPECT_EQ(Rows(scrollback), (std::vector<std::string>{"< 1", "< 2", "< 3"}));
    EXPECT_EQ(scrollback.RowsDropped(), 2u);
    scrollback.Clear();
    EXPECT_EQ(scrollback.RowCount(), 0u);
    EXPECT_EQ(scrollback.RowsDropped(), 5u);
}

TEST(TrafficScrollbackTest, HexRowsHoldSixteenBytesAndTheFormatRecutsTheRowsKept) {
    TrafficScrollback scrollback;
    scrollback.Add(Chunk(TrafficWay::kReceived, "hello\r\n"));
    scrollback.Add(Chunk(TrafficWay::kSent, "0123456789abcdefXY"));
    scrollback.SetFormat(TrafficFormat::kHex);
    ASSERT_EQ(scrollback.RowCount(), 3u);
    EXPECT_EQ(scrollback.RowText(0, false),
              "< 68 65 6C 6C 6F 0D 0A" + std::string(29, ' ') + "hello..");
    EXPECT_EQ(scrollback.RowText(1, false),
              "> 30 31 32 33 34 35 36 37 38 39 61 62 63 64 65 66  0123456789abcdef");
    EXPECT_EQ(scrollback.RowText(2, false), "> 58 59" + std::string(44, ' ') + "XY");
    // New bytes of the same way continue the open row.
    scrollback.Add(Chunk(TrafficWay::kSent, "Z"));
    EXPECT_EQ(scrollback.RowCount(), 3u);
    scrollback.SetFormat(TrafficFormat::kText);
    EXPECT_EQ(Rows(scrollback), (std::vector<std::string>{"< hello", "> 0123456789abcdefXYZ"}));
}

TEST(TrafficScrollbackTest, TimestampsAndTheMarkerOfBytesNotShown) {
    TrafficScrollback scrollback;
    scrollback.AddSkipped(0);
    EXPECT_EQ(scrollback.RowCount(), 0u);
    scrollback.AddSkipped(12345);
    scrollback.Add(Chunk(TrafficWay::kReceived, "x"));
    EXPECT_EQ(Rows(scrollback),
              (std::vector<std::string>{"... 12345 bytes went by unshown ...", "< x"}));
    const std::string stamped = scrollback.RowText(1, true);
    ASSERT_EQ(stamped.size(), 16u);  // "hh:mm:ss.mmm < x"
    EXPECT_EQ(stamped.substr(2, 1) + stamped.substr(5, 1) + stamped.substr(8, 1), "::.");
    EXPECT_EQ(stamped.substr(12), " < x");
}

TEST(RateMeterTest, RateOverAboutTheLastSecond) {
    RateMeter meter;
    const auto start = std::chrono::steady_clock::now();
    meter.Sample(start, 0);
    EXPECT_EQ(meter.BytesPerSecond(), 0);
    for (int tick = 1; tick <= 60; ++tick)
        meter.Sample(start + milliseconds(50 * tick), 500u * tick);
    EXPECT_NEAR(meter.BytesPerSecond(), 10000, 1);
    // The line goes quiet: the rate falls to nothing within about a second.
    for (int tick = 61; tick <= 90; ++tick) meter.Sample(start + milliseconds(50 * tick), 30000);
    EXPECT_EQ(meter.BytesPerSecond(), 0);
    EXPECT_EQ(RateText(0), "0 B/s");
    EXPECT_EQ(RateText(12345), "12.3 KB/s");
    EXPECT_EQ(RateText(5.25e6), "5.25 MB/s");
}

TEST(LineEndingTest, EachChoiceAddsItsBytes) {
    EXPECT_EQ(WithLineEnding("at", LineEnding::kNone), "at");
    EXPECT_EQ(WithLineEnding("at", LineEnding::kCr), "at\r");
    EXPECT_EQ(WithLineEnding("at", LineEnding::kLf), "at\n");
    EXPECT_EQ(WithLineEnding("at", LineEnding::kCrLf), "at\r\n");
    EXPECT_EQ(WithLineEnding("", LineEnding::kCrLf), "\r\n");
}
