#pragma once

// 16-bit test pictures for the picture conversions: random samples, the extremes 0 and
// 65535 in hard arrangements, and smooth scenes with noise.

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace picture_test {

struct Pattern {
    std::string name;
    std::function<std::uint16_t(int word, int y, std::mt19937& random)> sample;
};

// Each pattern gives the word at index word of row y (any layout: RGB or 4:2:2 groups).
inline std::vector<Pattern> adversarialPatterns() {
    return {
        {"random", [](int, int, std::mt19937& r) { return static_cast<std::uint16_t>(r() & 0xFFFF); }},
        {"random 0/65535",
         [](int, int, std::mt19937& r) { return static_cast<std::uint16_t>(r() & 1 ? 65535 : 0); }},
        {"all 0", [](int, int, std::mt19937&) { return std::uint16_t{0}; }},
        {"all 65535", [](int, int, std::mt19937&) { return std::uint16_t{65535}; }},
        {"word checkerboard",
         [](int word, int y, std::mt19937&) {
             return static_cast<std::uint16_t>((word + y) % 2 ? 65535 : 0);
         }},
        {"pixel checkerboard",
         [](int word, int y, std::mt19937&) {
             return static_cast<std::uint16_t>((word / 3 + y) % 2 ? 65535 : 0);
         }},
        {"group checkerboard",
         [](int word, int y, std::mt19937&) {
             return static_cast<std::uint16_t>((word / 4 + y) % 2 ? 65535 : 0);
         }},
        {"near the ends",
         [](int, int, std::mt19937& r) {
             const unsigned draw = r();
             return static_cast<std::uint16_t>(draw & 1 ? 65535 - (draw >> 1) % 300 : (draw >> 1) % 300);
         }},
        {"steep ramp",
         [](int word, int y, std::mt19937&) {
             return static_cast<std::uint16_t>((word * 4999 + y * 3001) % 65536);
         }},
    };
}

// rows x wordsPerRow words, each row followed by paddingWords words of 0xA5A5 that no
// conversion may read into its output.
inline std::vector<std::uint16_t> makePicture(const Pattern& pattern, int wordsPerRow, int rows,
                                              int paddingWords, unsigned seed) {
    std::mt19937 random(seed);
    const int stride = wordsPerRow + paddingWords;
    std::vector<std::uint16_t> picture(static_cast<std::size_t>(stride) * rows, 0xA5A5);
    for (int y = 0; y < rows; ++y)
        for (int word = 0; word < wordsPerRow; ++word)
            picture[static_cast<std::size_t>(y) * stride + word] = pattern.sample(word, y, random);
    return picture;
}

}  // namespace picture_test
