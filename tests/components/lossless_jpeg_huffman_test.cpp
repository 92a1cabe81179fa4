#include "components/lossless_jpeg_huffman.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

namespace {

// What every table must be: 17 codes, none longer than 16 bits, none all ones,
// none the start of another, lengths and codes as the DHT counts say
// (canonical: codes of one length consecutive, in the listed order).
void expectValidTable(const HuffmanTable& table) {
    int total = 0;
    for (std::uint8_t count : table.codesOfLength) total += count;
    ASSERT_EQ(kDifferenceCategories, total);

    std::array<bool, kDifferenceCategories> listed{};
    unsigned code = 0;
    int position = 0;
    for (int length = 1; length <= kMaxHuffmanCodeLength; ++length) {
        for (int i = 0; i < table.codesOfLength[length - 1]; ++i, ++position, ++code) {
            const int category = table.categoriesInCodeOrder[position];
            ASSERT_LT(category, kDifferenceCategories);
            EXPECT_FALSE(listed[category]) << "category " << category << " listed twice";
            listed[category] = true;
            EXPECT_EQ(length, table.codeLength[category]);
            EXPECT_EQ(code, table.code[category]) << "category " << category;
            EXPECT_NE((1u << length) - 1, code) << "all-ones code for category " << category;
        }
        code <<= 1;
    }
    for (int a = 0; a < kDifferenceCategories; ++a)
        for (int b = 0; b < kDifferenceCategories; ++b) {
            if (a == b || table.codeLength[a] > table.codeLength[b]) continue;
            const unsigned prefix = table.code[b] >> (table.codeLength[b] - table.codeLength[a]);
            EXPECT_NE(table.code[a], prefix) << "code of " << a << " starts the code of " << b;
        }
}

TEST(HuffmanTable, EqualCountsGiveFourteenCodesOfFourBitsAndThreeOfFive) {
    // 17 categories and the reserved code: 18 equal leaves fill 16 places of
    // 4 bits, two of them split into pairs of 5 bits; the reserved one is one of those.
    CategoryCounts counts;
    counts.fill(100);
    const HuffmanTable table = buildHuffmanTable(counts);
    expectValidTable(table);
    EXPECT_EQ(14, table.codesOfLength[3]);
    EXPECT_EQ(3, table.codesOfLength[4]);
}

TEST(HuffmanTable, DominantCategoryGetsOneBitAndUnseenOnesStillGetCodes) {
    CategoryCounts counts{};
    counts[0] = 2'000'000;  // a flat frame
    const HuffmanTable table = buildHuffmanTable(counts);
    expectValidTable(table);
    EXPECT_EQ(1, table.codeLength[0]);
    EXPECT_EQ(0u, table.code[0]);
}

TEST(HuffmanTable, SteepCountsAreLimitedToSixteenBits) {
    // Every category is weighed by its count + 1, the reserved code by 1. Weights
    // 1 (reserved), 1, 2, 3, 5, 8, ... for categories 16 down to 0 make an
    // unlimited Huffman tree a chain 17 deep.
    CategoryCounts counts{};
    std::uint64_t previous = 1, current = 1;
    for (int category = kDifferenceCategories - 1; category >= 0; --category) {
        counts[category] = current - 1;
        const std::uint64_t next = previous + current;
        previous = current;
        current = next;
    }
    const HuffmanTable table = buildHuffmanTable(counts);
    expectValidTable(table);
    EXPECT_EQ(1, table.codeLength[0]);
    EXPECT_EQ(kMaxHuffmanCodeLength, table.codeLength[16]);
}

TEST(HuffmanTable, MoreFrequentNeverLonger) {
    std::mt19937_64 random(5);
    for (int trial = 0; trial < 200; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        CategoryCounts counts;
        for (auto& count : counts) count = random() % (trial % 2 ? 1'000'000'000'000ull : 50ull);
        const HuffmanTable table = buildHuffmanTable(counts);
        expectValidTable(table);
        for (int a = 0; a < kDifferenceCategories; ++a)
            for (int b = 0; b < kDifferenceCategories; ++b) {
                if (counts[a] <= counts[b]) continue;
                EXPECT_LE(table.codeLength[a], table.codeLength[b]) << a << " " << b;
            }
    }
}

TEST(HuffmanTable, HugeCountsDoNotOverflow) {
    CategoryCounts counts;
    counts.fill(UINT64_MAX);
    expectValidTable(buildHuffmanTable(counts));
}

}  // namespace
