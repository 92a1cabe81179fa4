#pragma once

#include <array>
#include <cstdint>

#include "components/jpeg_bit_writer.h"
#include "components/lossless_jpeg_huffman.h"

// The row steps of the lossless JPEG encoder in two forms with bit-identical
// results: the plain reference, which also runs on processors without AVX2,
// and the AVX2 form. The encoder picks one at run time; tests and benchmarks
// call both.

// Row buffers are padded by this many samples, so vector code may read and
// write up to one vector past the width.
inline constexpr int kRowPadding = 16;

// A category's code with the room for its extra bits already made: the code
// shifted left by the category, and the length of code and extra bits together.
struct CategoryCodes {
    std::array<std::uint32_t, kDifferenceCategories> shiftedCode{};
    std::array<std::uint8_t, kDifferenceCategories> totalLength{};
};

CategoryCodes categoryCodesOf(const HuffmanTable& table);

// The prediction of a sample from its left, above and above-left neighbours:
// the standard's predictors 1 to 7, worked in full integers, modulo 65536.
inline unsigned predictSample(unsigned left, unsigned above, unsigned aboveLeft, int predictor) {
    const int a = static_cast<int>(left), b = static_cast<int>(above), c = static_cast<int>(aboveLeft);
    int prediction = a;
    switch (predictor) {
        case 2:
            prediction = b;
            break;
        case 3:
            prediction = c;
            break;
        case 4:
            prediction = a + b - c;
            break;
        case 5:
            prediction = a + ((b - c) >> 1);
            break;
        case 6:
            prediction = b + ((a - c) >> 1);
            break;
        case 7:
            prediction = (a + b) >> 1;
            break;
        default:
            break;
    }
    return static_cast<unsigned>(prediction) & 0xFFFFu;
}

// The differences of one row of the image being coded, modulo 65536.
// `above` is the previous row, or null for the first row, whose first sample is
// predicted by 32768 and the rest by their left neighbour. On later rows the
// first sample is predicted by the one above it and the rest by `predictor`.
void rowDifferencesReference(const std::uint16_t* row, const std::uint16_t* above, int width, int predictor,
                             std::uint16_t* differences);
void rowDifferencesAvx2(const std::uint16_t* row, const std::uint16_t* above, int width, int predictor,
                        std::uint16_t* differences);

// The category of every difference added into `counts`.
void countCategoriesReference(const std::uint16_t* differences, int count, CategoryCounts& counts);

// Codes `count` differences: each its category's code, then the category's
// number of extra bits. A difference d is taken in the range -32767..32768:
// d >= 0 sends its low bits, d < 0 the low bits of d - 1; 32768 sends 0x8000.
void codeDifferencesReference(const std::uint16_t* differences, int count, const CategoryCodes& codes,
                              JpegBitWriter& writer);
// The AVX2 form works out each difference's bits and length in `codeScratch`
// and `lengthScratch` (count + kRowPadding entries each) before writing them.
void codeDifferencesAvx2(const std::uint16_t* differences, int count, const CategoryCodes& codes,
                         JpegBitWriter& writer, std::uint32_t* codeScratch, std::uint8_t* lengthScratch);

// One Bayer row sorted into a quadrant row (bayer_quadrants.h), in AVX2.
void bayerRowToQuadrantRowAvx2(const std::uint16_t* bayerRow, int width, std::uint16_t* quadrantRow);

// True when the AVX2 forms may run on this processor.
bool losslessJpegAvx2Available();
