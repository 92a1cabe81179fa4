#include "components/lossless_jpeg_kernels.h"

#include <bit>

#include "platform/cpu_features.h"

namespace {

inline std::uint16_t differenceOf(unsigned sample, unsigned prediction) {
    return static_cast<std::uint16_t>(sample - prediction);
}

// A difference modulo 65536 taken in the range -32767..32768.
inline int signedDifference(std::uint16_t difference) {
    return static_cast<int>(static_cast<std::uint16_t>(difference + 0x7FFFu)) - 0x7FFF;
}

// Without branches: the signs of noise differences follow no pattern a branch could learn.
inline int categoryOf(int value) {
    const int sign = value >> 31;
    return std::bit_width(static_cast<unsigned>((value ^ sign) - sign));
}

}  // namespace

bool losslessJpegAvx2Available() {
    return platform::cpuSupportsAvx2();
}

CategoryCodes categoryCodesOf(const HuffmanTable& table) {
    CategoryCodes codes;
    for (int category = 0; category < kDifferenceCategories; ++category) {
        codes.shiftedCode[category] = static_cast<std::uint32_t>(table.code[category]) << category;
        codes.totalLength[category] = static_cast<std::uint8_t>(table.codeLength[category] + category);
    }
    return codes;
}

void rowDifferencesReference(const std::uint16_t* row, const std::uint16_t* above, int width, int predictor,
                             std::uint16_t* differences) {
    if (width <= 0) return;
    if (above == nullptr) {
        differences[0] = differenceOf(row[0], 0x8000u);
        for (int x = 1; x < width; ++x) differences[x] = differenceOf(row[x], row[x - 1]);
        return;
    }
    differences[0] = differenceOf(row[0], above[0]);
    for (int x = 1; x < width; ++x)
        differences[x] = differenceOf(row[x], predictSample(row[x - 1], above[x], above[x - 1], predictor));
}

void countCategoriesReference(const std::uint16_t* differences, int count, CategoryCounts& counts) {
    // Four sets of counters, so that a run of one category does not wait on its own increments.
    std::uint32_t partial[4][kDifferenceCategories] = {};
    int i = 0;
    for (; i + 4 <= count; i += 4)
        for (int lane = 0; lane < 4; ++lane)
            ++partial[lane][categoryOf(signedDifference(differences[i + lane]))];
    for (; i < count; ++i) ++partial[0][categoryOf(signedDifference(differences[i]))];
    for (int category = 0; category < kDifferenceCategories; ++category)
        counts[category] += std::uint64_t{partial[0][category]} + partial[1][category] +
                            partial[2][category] + partial[3][category];
}

void codeDifferencesReference(const std::uint16_t* differences, int count, const CategoryCodes& codes,
                              JpegBitWriter& writer) {
    JpegBitWriter local = writer;  // kept in registers: the byte stores could alias the caller's writer
    for (int i = 0; i < count; ++i) {
        const int value = signedDifference(differences[i]);
        const int category = categoryOf(value);
        const unsigned extra = static_cast<unsigned>(value + (value >> 31)) & ((1u << category) - 1u);
        local.put(codes.shiftedCode[category] | extra, codes.totalLength[category]);
    }
    writer = local;
}
