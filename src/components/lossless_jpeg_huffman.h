#pragma once

#include <array>
#include <cstdint>

// The Huffman table of a lossless JPEG scan. Its symbols are the 17 difference
// categories: category s holds the differences whose magnitude needs s bits
// (0 for a difference of 0, 16 for 32768).
inline constexpr int kDifferenceCategories = 17;
inline constexpr int kMaxHuffmanCodeLength = 16;

using CategoryCounts = std::array<std::uint64_t, kDifferenceCategories>;

struct HuffmanTable {
    // As the DHT segment carries it: how many codes have each length 1..16
    // (index 0 is length 1), then the categories in code order.
    std::array<std::uint8_t, kMaxHuffmanCodeLength> codesOfLength{};
    std::array<std::uint8_t, kDifferenceCategories> categoriesInCodeOrder{};
    // By category: the code, right-aligned, and its length in bits.
    std::array<std::uint16_t, kDifferenceCategories> code{};
    std::array<std::uint8_t, kDifferenceCategories> codeLength{};
};

// The shortest table for the given counts that still codes every category, so
// it stays valid for differences the counts have not seen. No code is longer
// than 16 bits and none is all ones, as decoders require.
HuffmanTable buildHuffmanTable(const CategoryCounts& counts);
