// The test pattern and its reading: what each kind of damage on the way looks like.
#include <gtest/gtest.h>

#include <random>

#include "test_pattern.h"

namespace {

constexpr std::size_t kBlock = 64;
constexpr uint32_t kBlocks = 32;

std::string Stream(uint32_t blocks = kBlocks, PatternWay way = PatternWay::kToNetwork) {
    std::string stream;
    for (uint32_t n = 0; n < blocks; ++n) stream += PatternBlock(way, n, kBlock);
    return stream;
}

WayReport Read(const std::string& stream, std::size_t piece = 7) {
    PatternReader reader(PatternWay::kToNetwork, kBlock, kBlocks);
    for (std::size_t at = 0; at < stream.size(); at += piece)
        reader.Feed(std::string_view(stream).substr(at, piece));
    reader.Finish();
    return reader.Report();
}

TEST(PatternBlock, NumberedChecksummedAndDistinct) {
    std::string block = PatternBlock(PatternWay::kToSerial, 0x01020304, kBlock);
    ASSERT_EQ(block.size(), kBlock);
    EXPECT_EQ(block.substr(2, 5), std::string("\x02\x01\x02\x03\x04", 5));
    uint32_t crc = Crc32(std::string_view(block).substr(0, kBlock - 4));
    EXPECT_EQ(static_cast<uint8_t>(block[kBlock - 1]), crc & 0xFF);
    EXPECT_NE(PatternBlock(PatternWay::kToSerial, 1, kBlock),
              PatternBlock(PatternWay::kToSerial, 2, kBlock));
    EXPECT_NE(PatternBlock(PatternWay::kToSerial, 1, kBlock),
              PatternBlock(PatternWay::kToNetwork, 1, kBlock));
    EXPECT_EQ(PatternBlock(PatternWay::kToSerial, 1, 3).size(), kMinBlockSize);
    EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);  // the standard check value
}

TEST(PatternReader, WholeStreamInAnyPiecesIsIntact) {
    for (std::size_t piece : {1u, 7u, 64u, 100u, 5000u}) {
        PatternReader reader(PatternWay::kToNetwork, kBlock, kBlocks);
        std::string stream = Stream();
        for (std::size_t at = 0; at < stream.size(); at += piece)
            reader.Feed(std::string_view(stream).substr(at, piece));
        EXPECT_TRUE(reader.Complete()) << piece;
        WayReport report = reader.Report();
        EXPECT_EQ(report.sent, kBlock * kBlocks);
        EXPECT_EQ(report.intact, report.sent);
        EXPECT_TRUE(report.Intact());
    }
}

TEST(PatternReader, DroppedBytesAreLostAndDamageOnlyTheirBlocks) {
    std::string stream = Stream();
    stream.erase(1000, 1);
    stream.erase(100, 1);
    WayReport report = Read(stream);
    EXPECT_EQ(report.lost, 2u);
    EXPECT_EQ(report.corrupted, 0u);
    EXPECT_EQ(report.damagedBlocks, 2u);
    EXPECT_EQ(report.intact, (kBlocks - 2) * kBlock);
    EXPECT_FALSE(report.Intact());
}

TEST(PatternReader, ChangedBytesAreCorruptedWhereverTheyAre) {
    std::string stream = Stream();
    stream[200] ^= 0x40;        // filler
    stream[64 * 5] ^= 1;        // a marker
    stream[64 * 9 + 4] ^= 1;    // a sequence number
    stream[64 * 12 + 63] ^= 1;  // a checksum
    WayReport report = Read(stream);
    EXPECT_EQ(report.corrupted, 4u);
    EXPECT_EQ(report.lost, 0u);
    EXPECT_EQ(report.damagedBlocks, 4u);
    EXPECT_EQ(report.intact, (kBlocks - 4) * kBlock);
}

TEST(PatternReader, SwappedBlocksAreReordered) {
    std::string stream = Stream();
    std::string swapped = stream.substr(0, 2 * kBlock) + stream.substr(3 * kBlock, kBlock) +
                          stream.substr(2 * kBlock, kBlock) + stream.substr(4 * kBlock);
    WayReport report = Read(swapped);
    EXPECT_EQ(report.reordered, kBlock);
    EXPECT_EQ(report.intact, (kBlocks - 1) * kBlock);
    EXPECT_EQ(report.lost + report.corrupted, 0u);
    EXPECT_FALSE(report.Intact());
}

TEST(PatternReader, AddedAndRepeatedBytesAreCorrupted) {
    std::string stream = Stream();
    std::string added = stream.substr(0, 3 * kBlock) + "\r\nok\r\n" + stream.substr(3 * kBlock);
    WayReport report = Read(added);
    EXPECT_EQ(report.corrupted, 6u);
    EXPECT_EQ(report.intact, kBlocks * kBlock);
    EXPECT_FALSE(report.Intact());  // more came than was sent
    std::string repeated = stream + stream.substr(0, kBlock);
    EXPECT_EQ(Read(repeated).corrupted, kBlock);
}

TEST(PatternReader, NothingOrACutStreamIsLost) {
    EXPECT_EQ(Read("").lost, kBlock * kBlocks);
    WayReport cut = Read(Stream().substr(0, 10 * kBlock + 20));
    EXPECT_EQ(cut.intact, 10 * kBlock);
    EXPECT_EQ(cut.lost, kBlocks * kBlock - (10 * kBlock + 20));
    EXPECT_EQ(cut.damagedBlocks, 1u);
}

TEST(PatternReader, NoiseIsCountedAndNotKept) {
    PatternReader reader(PatternWay::kToSerial, kBlock, kBlocks);
    std::mt19937 random(3);
    std::string noise(1 << 20, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    reader.Feed(noise);
    std::string stream = Stream(kBlocks, PatternWay::kToSerial);
    reader.Feed(stream);
    reader.Finish();
    WayReport report = reader.Report();
    EXPECT_EQ(report.intact, kBlocks * kBlock);  // found again after the noise
    // All of the noise but the last block's worth, which may have hidden a block's start.
    EXPECT_GE(report.corrupted, noise.size() - 2 * kBlock);
    EXPECT_LE(report.corrupted, noise.size());
}

TEST(PatternReader, TheOtherWaysBlocksAreNotTaken) {
    PatternReader reader(PatternWay::kToNetwork, kBlock, kBlocks);
    reader.Feed(Stream(kBlocks, PatternWay::kToSerial));
    reader.Finish();
    EXPECT_EQ(reader.Report().intact, 0u);
}

}  // namespace
