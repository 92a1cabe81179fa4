#include "components/lossless_jpeg_huffman.h"

#include <algorithm>
#include <cassert>

namespace {

// One symbol more than the categories: a reserved one of the lowest weight. It
// takes the last code of the longest length, the all-ones code, which is then
// left unused.
constexpr int kSymbols = kDifferenceCategories + 1;
constexpr int kReserved = kDifferenceCategories;
constexpr int kLongestUnlimited = kSymbols;  // a Huffman tree of n symbols is at most n - 1 deep

using Sizes = std::array<int, kSymbols>;

// Plain Huffman code lengths: merge the two lightest subtrees until one is
// left. On equal weights the higher symbol counts as lighter, so the reserved
// symbol always sits at the bottom of the tree.
Sizes huffmanCodeSizes(std::array<std::uint64_t, kSymbols> weight) {
    Sizes size{};
    std::array<int, kSymbols> next{};  // the symbols of one subtree, chained
    next.fill(-1);
    for (;;) {
        int lightest = -1, second = -1;
        for (int symbol = 0; symbol < kSymbols; ++symbol) {
            if (weight[symbol] == 0) continue;
            if (lightest < 0 || weight[symbol] <= weight[lightest]) {
                second = lightest;
                lightest = symbol;
            } else if (second < 0 || weight[symbol] <= weight[second]) {
                second = symbol;
            }
        }
        if (second < 0) break;
        weight[lightest] += weight[second];
        weight[second] = 0;
        int symbol = lightest;
        for (;;) {
            ++size[symbol];
            if (next[symbol] < 0) break;
            symbol = next[symbol];
        }
        next[symbol] = second;
        for (symbol = second; symbol >= 0; symbol = next[symbol]) ++size[symbol];
    }
    return size;
}

}  // namespace

HuffmanTable buildHuffmanTable(const CategoryCounts& counts) {
    std::array<std::uint64_t, kSymbols> weight{};
    for (int category = 0; category < kDifferenceCategories; ++category)
        weight[category] = std::min<std::uint64_t>(counts[category], UINT64_MAX / 64) + 1;
    weight[kReserved] = 1;
    const Sizes size = huffmanCodeSizes(weight);

    // Codes longer than 16 bits: move pairs of the longest up one level, each
    // time giving a shorter code's place to them, until none is too long.
    std::array<int, kLongestUnlimited + 1> ofLength{};
    for (int symbol = 0; symbol < kSymbols; ++symbol) ++ofLength[size[symbol]];
    for (int length = kLongestUnlimited; length > kMaxHuffmanCodeLength; --length) {
        while (ofLength[length] > 0) {
            int shorter = length - 2;
            while (ofLength[shorter] == 0) --shorter;
            ofLength[length] -= 2;
            ofLength[length - 1] += 1;
            ofLength[shorter + 1] += 2;
            ofLength[shorter] -= 1;
        }
    }
    int longest = kMaxHuffmanCodeLength;
    while (ofLength[longest] == 0) --longest;
    --ofLength[longest];  // the reserved symbol's code

    // The categories take the lengths in the order of their unlimited sizes,
    // the shortest first; among equal sizes the more frequent first, so that
    // limiting never gives a rarer category the shorter code.
    std::array<std::uint8_t, kDifferenceCategories> order{};
    for (int category = 0; category < kDifferenceCategories; ++category)
        order[category] = static_cast<std::uint8_t>(category);
    std::stable_sort(order.begin(), order.end(), [&](std::uint8_t a, std::uint8_t b) {
        return size[a] != size[b] ? size[a] < size[b] : weight[a] > weight[b];
    });

    HuffmanTable table;
    int position = 0;
    unsigned code = 0;
    for (int length = 1; length <= kMaxHuffmanCodeLength; ++length) {
        table.codesOfLength[length - 1] = static_cast<std::uint8_t>(ofLength[length]);
        for (int count = 0; count < ofLength[length]; ++count, ++position, ++code) {
            const int category = order[position];
            table.categoriesInCodeOrder[position] = static_cast<std::uint8_t>(category);
            table.code[category] = static_cast<std::uint16_t>(code);
            table.codeLength[category] = static_cast<std::uint8_t>(length);
        }
        code <<= 1;
    }
    assert(position == kDifferenceCategories);
    return table;
}
