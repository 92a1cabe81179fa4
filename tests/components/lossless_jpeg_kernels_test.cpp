#include "components/lossless_jpeg_kernels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

using Samples = std::vector<std::uint16_t>;
using Bytes = std::vector<std::uint8_t>;

// Rows that reach the ends of the range, where the predictors' sums leave 16 bits.
Samples testRow(std::mt19937& random, int width, int kind) {
    Samples row(static_cast<std::size_t>(width) + kRowPadding, 0);
    for (int x = 0; x < width; ++x) {
        const std::uint32_t draw = random();
        row[x] = kind == 0   ? static_cast<std::uint16_t>(draw)
                 : kind == 1 ? static_cast<std::uint16_t>(draw % 2 ? 65535 : 0)
                             : static_cast<std::uint16_t>(30000 + draw % 64);
    }
    return row;
}

TEST(LosslessJpegKernels, DifferencesByHand) {
    const Samples row = {0, 5, 3, 65535};
    const Samples above = {100, 10, 20, 1};
    Samples differences(4);
    rowDifferencesReference(row.data(), nullptr, 4, 7, differences.data());
    // First row: 0 - 32768, then left neighbours: 5 - 0, 3 - 5, 65535 - 3.
    EXPECT_EQ((Samples{32768, 5, 65534, 65532}), differences);
    rowDifferencesReference(row.data(), above.data(), 4, 7, differences.data());
    // First sample from above: 0 - 100. Then (left + above) / 2: (0 + 10) / 2 = 5,
    // (5 + 20) / 2 = 12, (3 + 1) / 2 = 2.
    EXPECT_EQ((Samples{65436, 0, static_cast<std::uint16_t>(3 - 12), 65533}), differences);
    rowDifferencesReference(row.data(), above.data(), 4, 6, differences.data());
    // above + (left - aboveLeft) / 2 rounded down: 10 + (0 - 100) / 2 = -40,
    // 20 + (5 - 10) / 2 = 17, 1 + (3 - 20) / 2 = -8 -> 65528.
    EXPECT_EQ((Samples{65436, 45, static_cast<std::uint16_t>(3 - 17), 7}), differences);
}

TEST(LosslessJpegKernels, CategoriesByHand) {
    const Samples differences = {0, 1, 65535, 2, 65534, 3, 32768, 32767, 32769, 255, 65281};
    CategoryCounts counts{};
    countCategoriesReference(differences.data(), static_cast<int>(differences.size()), counts);
    CategoryCounts expected{};
    expected[0] = 1;   // 0
    expected[1] = 2;   // 1, -1
    expected[2] = 3;   // 2, -2, 3
    expected[16] = 1;  // 32768
    expected[15] = 2;  // 32767, -32767
    expected[8] = 2;   // 255, -255
    EXPECT_EQ(expected, counts);
}

TEST(LosslessJpegKernels, ExtraBitsByHand) {
    // A table with every category's code 0 of length 1: what follows is the extra bits.
    CategoryCodes codes;
    for (int category = 0; category < kDifferenceCategories; ++category)
        codes.totalLength[category] = static_cast<std::uint8_t>(1 + category);
    // +3: 0 11. -3: 0 00 (the low bits of -4). 32768: 0 1000000000000000.
    // -32767: 0 000000000000000 (the low bits of -32768). 0: 0. That is 40 bits:
    // 0110 0001, then 32 zeros; no padding.
    const Samples differences = {3, 65533, 32768, 32769, 0};
    Bytes buffer(64, 0xEE);
    JpegBitWriter writer;
    writer.out = buffer.data();
    codeDifferencesReference(differences.data(), 5, codes, writer);
    writer.flush();
    buffer.resize(static_cast<std::size_t>(writer.out - buffer.data()));
    EXPECT_EQ((Bytes{0x61, 0x00, 0x00, 0x00, 0x00}), buffer);
}

TEST(LosslessJpegKernels, Avx2DifferencesMatchTheReference) {
    if (!losslessJpegAvx2Available()) GTEST_SKIP() << "no AVX2";
    std::mt19937 random(7);
    for (int kind = 0; kind < 3; ++kind)
        for (int width = 1; width <= 70; ++width)
            for (int predictor = 1; predictor <= 7; ++predictor)
                for (bool firstRow : {true, false}) {
                    const Samples row = testRow(random, width, kind), above = testRow(random, width, kind);
                    Samples reference(row.size(), 0x5555), avx2(row.size(), 0x5555);
                    const std::uint16_t* abovePointer = firstRow ? nullptr : above.data();
                    rowDifferencesReference(row.data(), abovePointer, width, predictor, reference.data());
                    rowDifferencesAvx2(row.data(), abovePointer, width, predictor, avx2.data());
                    ASSERT_EQ(reference, avx2) << "kind " << kind << " width " << width << " predictor "
                                               << predictor << (firstRow ? " first row" : "");
                }
}

TEST(LosslessJpegKernels, Avx2CodingMatchesTheReference) {
    if (!losslessJpegAvx2Available()) GTEST_SKIP() << "no AVX2";
    std::mt19937 random(8);
    CategoryCounts counts;
    for (auto& count : counts) count = random() % 1000;
    const CategoryCodes codes = categoryCodesOf(buildHuffmanTable(counts));
    for (int trial = 0; trial < 200; ++trial) {
        const int count = 1 + static_cast<int>(random() % 300);
        Samples differences(static_cast<std::size_t>(count) + kRowPadding);
        for (int i = 0; i < count; ++i) {
            const std::uint32_t draw = random();
            // Every category, the extremes and 32768 among them.
            const std::uint16_t extremes[] = {0, 1, 65535, 32767, 32768, 32769};
            differences[i] =
                trial % 3 == 0 ? extremes[draw % 6] : static_cast<std::uint16_t>(draw >> (draw % 17));
        }
        Bytes reference(JpegBitWriter::worstCaseBytes(32u * count)), avx2(reference.size());
        JpegBitWriter referenceWriter, avx2Writer;
        referenceWriter.out = reference.data();
        avx2Writer.out = avx2.data();
        std::vector<std::uint32_t> codeScratch(differences.size());
        std::vector<std::uint8_t> lengthScratch(differences.size());
        // Two calls each, so the second starts with bits pending.
        for (int half = 0; half < 2; ++half) {
            codeDifferencesReference(differences.data(), count, codes, referenceWriter);
            codeDifferencesAvx2(differences.data(), count, codes, avx2Writer, codeScratch.data(),
                                lengthScratch.data());
        }
        referenceWriter.flush();
        avx2Writer.flush();
        reference.resize(static_cast<std::size_t>(referenceWriter.out - reference.data()));
        avx2.resize(static_cast<std::size_t>(avx2Writer.out - avx2.data()));
        ASSERT_EQ(reference, avx2) << "trial " << trial;
    }
}

}  // namespace
