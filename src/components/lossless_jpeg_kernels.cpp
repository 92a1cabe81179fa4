#include "components/lossless_jpeg_kernels.h"

#include "platform/cpu_features.h"

namespace {

inline std::uint16_t differenceOf(unsigned sample, unsigned prediction) {
    return static_cast<std::uint16_t>(sample - prediction);
}

// The magnitude of a difference taken in the range -32767..32768.
inline unsigned magnitudeOf(std::uint16_t difference) {
    return difference <= 0x8000u ? difference : 0x10000u - difference;
}

inline int categoryOf(unsigned magnitude) {
    return magnitude == 0 ? 0 : 32 - __builtin_clz(magnitude);
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
    for (int i = 0; i < count; ++i) ++counts[categoryOf(magnitudeOf(differences[i]))];
}

void codeDifferencesReference(const std::uint16_t* differences, int count, const CategoryCodes& codes,
                              JpegBitWriter& writer) {
    for (int i = 0; i < count; ++i) {
        const std::uint16_t difference = differences[i];
        const bool negative = difference > 0x8000u;
        const int category = categoryOf(magnitudeOf(difference));
        const unsigned extra =
            (negative ? difference - 1u : difference) & ((static_cast<unsigned>(1) << category) - 1u);
        writer.put(codes.shiftedCode[category] | extra, codes.totalLength[category]);
    }
}
