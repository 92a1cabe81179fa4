#include "raw/unpack.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <span>
#include <limits>
#include <random>
#include <vector>

namespace {

constexpr std::uint16_t kUntouched = 0xAAAA;

// Packs samples the way the camera does, one bit at a time: a string of
// 14-bit samples, most significant bit first, cut into 16-bit words that are
// stored little-endian.
std::vector<std::uint8_t> pack14(const std::vector<std::uint16_t>& samples) {
    std::vector<bool> bits;
    for (const std::uint16_t sample : samples)
        for (int bit = 13; bit >= 0; --bit) bits.push_back(((sample >> bit) & 1) != 0);
    std::vector<std::uint8_t> bytes;
    for (std::size_t start = 0; start + 16 <= bits.size(); start += 16) {
        unsigned word = 0;
        for (std::size_t k = 0; k < 16; ++k) word = (word << 1) | (bits[start + k] ? 1u : 0u);
        bytes.push_back(static_cast<std::uint8_t>(word & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(word >> 8));
    }
    return bytes;
}

// A table whose entries tell the index they were read from.
std::vector<std::uint16_t> markedTable() {
    std::vector<std::uint16_t> table(16384);
    for (int i = 0; i < 16384; ++i)
        table[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(3 * i + 7);
    return table;
}

std::uint16_t marked(int index) {
    return static_cast<std::uint16_t>(3 * index + 7);
}

std::vector<std::uint16_t> randomSamples(std::size_t count, std::uint32_t seed) {
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> sample(0, 16383);
    std::vector<std::uint16_t> samples(count);
    for (auto& value : samples) value = static_cast<std::uint16_t>(sample(generator));
    return samples;
}

BlackFrame blackFrameOf(int width, int height, std::int32_t value) {
    BlackFrame black;
    black.width = width;
    black.height = height;
    black.values.assign(static_cast<std::size_t>(width * height), value);
    return black;
}

}  // namespace

TEST(UnpackFrame, TakesSamplesFromTheTopOfTheLittleEndianWords) {
    const auto table = markedTable();
    std::vector<std::uint8_t> packed(14, 0);
    packed[0] = 0xFC;
    packed[1] = 0xFF;
    std::vector<std::uint16_t> bayer(8, kUntouched);
    unpackFrame(packed, bayer, nullptr, table, 8, 1, 8, 1, kPacking14, 1);
    EXPECT_EQ(marked(16383), bayer[0]);
    for (int k = 1; k < 8; ++k) EXPECT_EQ(marked(0), bayer[static_cast<std::size_t>(k)]) << k;

    packed.assign(14, 0);
    packed[0] = 0x03;
    unpackFrame(packed, bayer, nullptr, table, 8, 1, 8, 1, kPacking14, 1);
    EXPECT_EQ(marked(0), bayer[0]);
    EXPECT_EQ(marked(12288), bayer[1]);
}

TEST(UnpackFrame, RoundTripsRandomSamplesThroughTheTable) {
    const auto table = markedTable();
    const int width = 48, height = 5;
    const auto samples = randomSamples(width * height, 7);
    const auto packed = pack14(samples);
    ASSERT_EQ(static_cast<std::size_t>(width * height * 14 / 8), packed.size());
    std::vector<std::uint16_t> bayer(samples.size(), kUntouched);
    unpackFrame(packed, bayer, nullptr, table, width, height, width, height, kPacking14, 2);
    for (std::size_t k = 0; k < samples.size(); ++k) ASSERT_EQ(marked(samples[k]), bayer[k]) << k;
}

TEST(UnpackFrame, SubtractsTheBlackFrameAndClampsTheIndexAtBothEnds) {
    const auto table = markedTable();
    const std::vector<std::uint16_t> samples = {500, 499, 100, 16383, 16000, 0, 8, 9};
    const auto packed = pack14(samples);
    BlackFrame black;
    black.width = 8;
    black.height = 1;
    black.values = {500,
                    500,
                    0,
                    -5,
                    -1000,
                    std::numeric_limits<std::int32_t>::min(),
                    std::numeric_limits<std::int32_t>::max(),
                    8};
    std::vector<std::uint16_t> bayer(8, kUntouched);
    unpackFrame(packed, bayer, &black, table, 8, 1, 8, 1, kPacking14, 1);
    const std::vector<std::uint16_t> expected = {marked(0),     marked(0),     marked(100), marked(16383),
                                                 marked(16383), marked(16383), marked(0),   marked(1)};
    EXPECT_EQ(expected, bayer);
}

TEST(UnpackFrame, TreatsABlackFrameOfAnotherSizeAsAbsent) {
    const auto table = markedTable();
    const auto samples = randomSamples(16 * 2, 3);
    const auto packed = pack14(samples);
    BlackFrame black = blackFrameOf(8, 4, 100);  // same pixel count, other shape
    std::vector<std::uint16_t> bayer(samples.size(), kUntouched);
    unpackFrame(packed, bayer, &black, table, 16, 2, 16, 2, kPacking14, 1);
    for (std::size_t k = 0; k < samples.size(); ++k) ASSERT_EQ(marked(samples[k]), bayer[k]);

    unpackFrame(packed, bayer, &black, table, 16, 2, 16, 2, kPacking14, kCalibrationPass);
    for (const std::int32_t value : black.values) EXPECT_EQ(100, value);
}

TEST(UnpackFrame, CalibrationPassAddsIntoTheSumsAndLeavesTheBayerFrame) {
    const auto table = markedTable();
    const auto first = randomSamples(16, 11);
    const auto second = randomSamples(16, 12);
    BlackFrame black = blackFrameOf(8, 2, 0);
    black.values[3] = std::numeric_limits<std::int32_t>::max() - 5;
    std::vector<std::uint16_t> bayer(16, kUntouched);
    unpackFrame(pack14(first), bayer, &black, table, 8, 2, 8, 2, kPacking14, kCalibrationPass);
    unpackFrame(pack14(second), bayer, &black, table, 8, 2, 8, 2, kPacking14, kCalibrationPass);
    for (std::size_t k = 0; k < 16; ++k) {
        EXPECT_EQ(kUntouched, bayer[k]);
        if (k == 3) continue;
        EXPECT_EQ(first[k] + second[k], black.values[k]) << k;
    }
    // A sum that would pass the largest int32 stays there instead of wrapping.
    ASSERT_GT(first[3] + second[3], 5);
    EXPECT_EQ(std::numeric_limits<std::int32_t>::max(), black.values[3]);
}

TEST(UnpackFrame, TenBitPackingScalesAndTurnsTheRowsUpsideDown) {
    // Row 0 holds 1023, 0, 0, 0; row 1 holds 1, 2, 3, 4.
    const std::vector<std::uint8_t> packed = {0xFF, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x40, 0x20, 0x0C, 0x04};
    std::vector<std::uint16_t> bayer(8 + 2, kUntouched);
    unpackFrame(packed, bayer, nullptr, {}, 4, 2, 64, 64, kPacking12, 1);
    const std::vector<std::uint16_t> expected = {64, 128, 192, 256, 65472, 0, 0, 0, kUntouched, kUntouched};
    EXPECT_EQ(expected, bayer);
}

TEST(UnpackFrame, WritesNothingWhenSizesOrPackingDoNotAllowIt) {
    const auto table = markedTable();
    const auto packed = pack14(randomSamples(16, 5));
    std::vector<std::uint16_t> bayer(16, kUntouched);
    const std::vector<std::uint16_t> untouched(16, kUntouched);

    unpackFrame(packed, bayer, nullptr, table, 8, 2, 8, 2, 16, 1);
    EXPECT_EQ(untouched, bayer) << "unknown packing";
    unpackFrame(std::span(packed).first(packed.size() - 1), bayer, nullptr, table, 8, 2, 8, 2, kPacking14, 1);
    EXPECT_EQ(untouched, bayer) << "packed frame one byte short";
    unpackFrame(packed, std::span(bayer).first(15), nullptr, table, 8, 2, 8, 2, kPacking14, 1);
    EXPECT_EQ(untouched, bayer) << "bayer frame one sample short";
    unpackFrame(packed, bayer, nullptr, std::span(table).first(16383), 8, 2, 8, 2, kPacking14, 1);
    EXPECT_EQ(untouched, bayer) << "table one entry short";
    unpackFrame(packed, bayer, nullptr, table, 8, 2, 12, 1, kPacking14, 1);
    EXPECT_EQ(untouched, bayer) << "width not a multiple of 8";
    unpackFrame(packed, bayer, nullptr, table, 8, 2, 8, -2, kPacking14, 1);
    EXPECT_EQ(untouched, bayer) << "negative height";
    unpackFrame(packed, bayer, nullptr, table, 16, 2, 8, 2, kPacking12, 1);
    EXPECT_EQ(untouched, bayer) << "ten-bit frame larger than the packed bytes";
    unpackFrame(packed, bayer, nullptr, table, 6, 1, 8, 2, kPacking12, 1);
    EXPECT_EQ(untouched, bayer) << "ten-bit width not a multiple of 4";
}

TEST(UnpackFrame, GroupLoopMatchesTheReferenceOnRandomFrames) {
    std::mt19937 generator(2024);
    std::uniform_int_distribution<int> entry(0, 65535);
    std::vector<std::uint16_t> table(16384);
    for (auto& value : table) value = static_cast<std::uint16_t>(entry(generator));

    const int width = 64, height = 9;
    const std::size_t pixels = static_cast<std::size_t>(width * height);
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<std::uint8_t> packed(pixels * 14 / 8);
    for (auto& value : packed) value = static_cast<std::uint8_t>(byte(generator));

    std::uniform_int_distribution<std::int32_t> blackValue(-20000, 20000);
    BlackFrame black = blackFrameOf(width, height, 0);
    for (auto& value : black.values) value = blackValue(generator);

    for (BlackFrame* blackInUse : {static_cast<BlackFrame*>(nullptr), &black}) {
        std::vector<std::uint16_t> fast(pixels, kUntouched), reference(pixels, 0x5555);
        unpackFrame(packed, fast, blackInUse, table, width, height, width, height, kPacking14, 1);
        unpackFrameReference(packed, reference, blackInUse, table, width, height, width, height, kPacking14,
                             1);
        EXPECT_EQ(reference, fast);
    }

    BlackFrame fastSums = blackFrameOf(width, height, 0), referenceSums = fastSums;
    std::vector<std::uint16_t> unused(pixels);
    for (int frame = 0; frame < 3; ++frame) {
        unpackFrame(packed, unused, &fastSums, table, width, height, width, height, kPacking14,
                    kCalibrationPass);
        unpackFrameReference(packed, unused, &referenceSums, table, width, height, width, height, kPacking14,
                             kCalibrationPass);
    }
    EXPECT_EQ(referenceSums.values, fastSums.values);
}

// An archive keeps the stored samples; developing them must give exactly what
// unpacking the packed frame gives, for every packing and pass, with and
// without a black frame.
TEST(StoredSamples, DevelopedTheyEqualTheUnpackedFrame) {
    const auto table = markedTable();
    const int width = 48, height = 5;
    const std::size_t count = static_cast<std::size_t>(width * height);
    const auto samples = randomSamples(count, 11);
    const std::vector<std::uint8_t> packed = pack14(samples);

    std::vector<std::uint16_t> stored(count, kUntouched);
    unpackStoredSamples(packed, stored, width, height, kPacking14);
    EXPECT_EQ(samples, stored);

    for (const std::int32_t blackValue : {-1, 0, 300, 20000}) {
        BlackFrame black = blackFrameOf(width, height, blackValue);
        black.values[5] = 17000;
        std::vector<std::uint16_t> unpacked(count, kUntouched);
        unpackFrame(packed, unpacked, &black, table, width, height, width, height, kPacking14, 1);
        std::vector<std::uint16_t> developed = stored;
        developStoredSamples(developed, &black, table, width, height, kPacking14, 1);
        EXPECT_EQ(unpacked, developed) << blackValue;
    }
    std::vector<std::uint16_t> unpacked(count, kUntouched);
    unpackFrame(packed, unpacked, nullptr, table, width, height, width, height, kPacking14, 1);
    std::vector<std::uint16_t> developed = stored;
    developStoredSamples(developed, nullptr, table, width, height, kPacking14, 1);
    EXPECT_EQ(unpacked, developed);

    // The calibration pass sums the same values.
    BlackFrame fromPacked = blackFrameOf(width, height, 5);
    BlackFrame fromStored = blackFrameOf(width, height, 5);
    unpackFrame(packed, unpacked, &fromPacked, table, width, height, width, height, kPacking14, kCalibrationPass);
    developed = stored;
    developStoredSamples(developed, &fromStored, table, width, height, kPacking14, kCalibrationPass);
    EXPECT_EQ(fromPacked.values, fromStored.values);

    // A sample beyond 14 bits, as a damaged archive may hold, reads the last entry.
    std::vector<std::uint16_t> wide = {65535, 16384, 16383, 0, 1, 2, 3, 4};
    developStoredSamples(wide, nullptr, table, 8, 1, kPacking14, 1);
    EXPECT_EQ(marked(16383), wide[0]);
    EXPECT_EQ(marked(16383), wide[1]);
    EXPECT_EQ(marked(0), wide[3]);
}

TEST(StoredSamples, TwelveBitFramesKeepTheirTenBitValuesTopRowFirst) {
    // Two rows of four samples, stored bottom row first: 5 bytes a row.
    // Row stored first (the picture's bottom row): 1, 2, 3, 1023; then 512, 0, 0, 7.
    const std::vector<std::uint8_t> packed = {0x00, 0x40, 0x20, 0x0F, 0xFF, 0x80, 0x00, 0x00, 0x00, 0x07};
    std::vector<std::uint16_t> stored(8, kUntouched);
    unpackStoredSamples(packed, stored, 4, 2, kPacking12);
    EXPECT_EQ((std::vector<std::uint16_t>{512, 0, 0, 7, 1, 2, 3, 1023}), stored);
    std::vector<std::uint16_t> unpacked(8, kUntouched);
    const auto table = markedTable();
    unpackFrame(packed, unpacked, nullptr, table, 4, 2, 4, 2, kPacking12, 1);
    developStoredSamples(stored, nullptr, table, 4, 2, kPacking12, 1);
    EXPECT_EQ(unpacked, stored);
    // Stored 16-bit samples stay as they are.
    std::vector<std::uint16_t> plain = {1, 65535, 3, 4};
    developStoredSamples(plain, nullptr, table, 2, 2, kPackingStored16, 1);
    EXPECT_EQ((std::vector<std::uint16_t>{1, 65535, 3, 4}), plain);
}

TEST(FramePieceUnpacker, PiecesOfAnySizeGiveTheWholeFrameUnpack) {
    const auto table = markedTable();
    const int width = 40, height = 7;
    const std::size_t count = static_cast<std::size_t>(width * height);
    const auto samples = randomSamples(count, 23);
    std::vector<std::uint8_t> packed = pack14(samples);
    BlackFrame black = blackFrameOf(width, height, 400);
    black.values[9] = 20000;
    black.values[count - 1] = -5;

    // Pieces of 1, 3 and 35 groups, and the whole frame, the last piece
    // carrying bytes past the frame's samples as a padded frame would.
    packed.resize(packed.size() + 10, 0xFF);
    const auto feed = [&packed](FramePieceUnpacker& unpacker, std::size_t groupsPerPiece) {
        for (std::size_t offset = 0; offset < packed.size(); offset += groupsPerPiece * 14) {
            const std::size_t bytes = std::min(groupsPerPiece * 14, packed.size() - offset);
            unpacker.takePiece(std::span<const std::uint8_t>(packed).subspan(offset, bytes), offset);
        }
    };
    for (const std::size_t groupsPerPiece : {std::size_t{1}, std::size_t{3}, std::size_t{35}, packed.size()}) {
        for (BlackFrame* blackFrame : {&black, static_cast<BlackFrame*>(nullptr)}) {
            std::vector<std::uint16_t> whole(count, kUntouched);
            unpackFrame(packed, whole, blackFrame, table, width, height, width, height, kPacking14, 1);
            std::vector<std::uint16_t> pieces(count + 8, kUntouched);
            FramePieceUnpacker unpacker(FramePieceUnpacker::Kind::ToneMapped, pieces, blackFrame, table, width,
                                        height, packed.size());
            feed(unpacker, groupsPerPiece);
            EXPECT_EQ(whole, std::vector<std::uint16_t>(pieces.begin(), pieces.begin() + count)) << groupsPerPiece;
            EXPECT_EQ(kUntouched, pieces[count]) << "written past the frame";
        }
        std::vector<std::uint16_t> stored(count, kUntouched);
        FramePieceUnpacker unpacker(FramePieceUnpacker::Kind::Stored, stored, nullptr, {}, width, height,
                                    packed.size());
        feed(unpacker, groupsPerPiece);
        EXPECT_EQ(samples, stored) << groupsPerPiece;
    }

    // Where the whole-frame unpack writes nothing, no piece writes anything:
    // a frame shorter than its samples, a width off the group, a short table.
    std::vector<std::uint16_t> untouched(count, kUntouched);
    FramePieceUnpacker shortFrame(FramePieceUnpacker::Kind::ToneMapped, untouched, nullptr, table, width, height,
                                  count * 14 / 8 - 14);
    shortFrame.takePiece(packed, 0);
    FramePieceUnpacker oddWidth(FramePieceUnpacker::Kind::Stored, untouched, nullptr, table, 36, 7, packed.size());
    oddWidth.takePiece(packed, 0);
    FramePieceUnpacker shortTable(FramePieceUnpacker::Kind::ToneMapped, untouched, nullptr,
                                  std::span<const std::uint16_t>(table).first(100), width, height, packed.size());
    shortTable.takePiece(packed, 0);
    EXPECT_EQ(std::vector<std::uint16_t>(count, kUntouched), untouched);
}
