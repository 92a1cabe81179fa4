#include "raw/unpack_kernels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "platform/cpu_features.h"

namespace {

using platform::SimdForm;

// Packs samples bit by bit, independently of every decoder: a string of 14-bit samples,
// most significant bit first, cut into 16-bit words stored little-endian.
std::vector<std::uint8_t> pack14(const std::vector<std::uint16_t>& samples) {
    std::vector<std::uint8_t> bytes;
    unsigned word = 0;
    int bits = 0;
    for (const std::uint16_t sample : samples) {
        for (int bit = 13; bit >= 0; --bit) {
            word = (word << 1) | ((sample >> bit) & 1u);
            if (++bits == 16) {
                bytes.push_back(static_cast<std::uint8_t>(word & 0xFF));
                bytes.push_back(static_cast<std::uint8_t>(word >> 8));
                word = 0;
                bits = 0;
            }
        }
    }
    return bytes;
}

std::vector<std::uint16_t> randomSamples(std::size_t count, std::mt19937& generator, int largest = 16383) {
    std::uniform_int_distribution<int> sample(0, largest);
    std::vector<std::uint16_t> samples(count);
    for (auto& value : samples) value = static_cast<std::uint16_t>(sample(generator));
    return samples;
}

std::vector<std::uint16_t> randomTable(std::mt19937& generator) {
    std::uniform_int_distribution<int> entry(0, 65535);
    std::vector<std::uint16_t> table(kToneTableSize);
    for (auto& value : table) value = static_cast<std::uint16_t>(entry(generator));
    return table;
}

// Black values around every edge of the index: far below and above the samples, the int32
// extremes, the +-2^17 clamp of the vector forms, and ordinary sensor levels.
std::vector<std::int32_t> randomBlack(std::size_t count, std::mt19937& generator) {
    const std::int32_t edges[] = {std::numeric_limits<std::int32_t>::min(),
                                  std::numeric_limits<std::int32_t>::max(),
                                  -131073,
                                  -131072,
                                  131072,
                                  131073,
                                  -16384,
                                  16383,
                                  16384,
                                  65535,
                                  65536,
                                  0};
    std::uniform_int_distribution<int> pick(0, 3);
    std::uniform_int_distribution<std::int32_t> level(-3000, 20000);
    std::uniform_int_distribution<std::size_t> edge(0, std::size(edges) - 1);
    std::vector<std::int32_t> black(count);
    for (auto& value : black) value = pick(generator) == 0 ? edges[edge(generator)] : level(generator);
    return black;
}

// The index rule worked out by hand for a few samples.
TEST(ToneIndex, SubtractsTheBlackValueAndClampsToTheTable) {
    EXPECT_EQ(400, toneIndex(500, 100));
    EXPECT_EQ(0, toneIndex(100, 500));
    EXPECT_EQ(16383, toneIndex(16383, 0));
    EXPECT_EQ(16383, toneIndex(65535, 0));
    EXPECT_EQ(16383, toneIndex(0, std::numeric_limits<std::int32_t>::min()));
    EXPECT_EQ(0, toneIndex(65535, std::numeric_limits<std::int32_t>::max()));
    EXPECT_EQ(14383, toneIndex(12000, -2383));
}

TEST(UnpackKernelsReference, TakeApartWhatTheBitPackerPacked) {
    std::mt19937 generator(41);
    const auto samples = randomSamples(8 * 37, generator);
    std::vector<std::uint16_t> unpacked(samples.size(), 0xAAAA);
    unpackGroups14Reference(pack14(samples), unpacked);
    EXPECT_EQ(samples, unpacked);
}

TEST(UnpackKernelsReference, LookUpTheIndexOfEverySample) {
    std::vector<std::uint16_t> table(kToneTableSize);
    for (std::size_t i = 0; i < table.size(); ++i) table[i] = static_cast<std::uint16_t>(3 * i + 7);
    const std::vector<std::uint16_t> samples = {500, 499, 100, 16383, 20000, 0, 8, 9};
    const std::vector<std::int32_t> black = {500,
                                             500,
                                             0,
                                             -5,
                                             3000,
                                             std::numeric_limits<std::int32_t>::min(),
                                             std::numeric_limits<std::int32_t>::max(),
                                             8};
    std::vector<std::uint16_t> out(samples.size());
    toneMapSamplesReference(samples, black, table, out);
    const std::vector<std::uint16_t> expected = {7, 7, 307, 49156, 3 * 16383 + 7, 49156, 7, 10};
    EXPECT_EQ(expected, out);
    toneMapSamplesReference(samples, {}, table, out);
    const std::vector<std::uint16_t> withoutBlack = {1507, 1504, 307, 49156, 49156, 7, 31, 34};
    EXPECT_EQ(withoutBlack, out);
}

class UnpackKernelForm : public testing::TestWithParam<SimdForm> {
protected:
    void SetUp() override {
        if (const char* missing = platform::missingCpuFeature(GetParam()))
            GTEST_SKIP() << "the CPU lacks " << missing << ", so the " << platform::simdFormName(GetParam())
                         << " form cannot run here";
        kernels = unpackKernels(GetParam());
    }
    UnpackKernels kernels{};
};

// Group counts from one to a few vectors of the widest form and past a piece of 512 samples,
// each with the packed bytes ending at the last group (no bytes to read ahead into) and with
// the rest of a frame after it.
TEST_P(UnpackKernelForm, UnpackGroupsMatchesThePackedSamples) {
    std::mt19937 generator(101);
    for (std::size_t groups : {1u, 2u, 3u, 4u, 5u, 7u, 8u, 9u, 15u, 16u, 17u, 63u, 64u, 65u, 100u, 240u}) {
        const auto samples = randomSamples(8 * groups, generator);
        std::vector<std::uint8_t> packed = pack14(samples);
        for (bool slack : {false, true}) {
            if (slack) packed.insert(packed.end(), {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
            std::vector<std::uint16_t> unpacked(samples.size() + 3, 0xAAAA);
            kernels.unpackGroups14(packed, std::span(unpacked).first(samples.size()));
            ASSERT_EQ(samples, std::vector<std::uint16_t>(unpacked.begin(), unpacked.end() - 3))
                << groups << " groups" << (slack ? " with bytes after them" : "");
            for (std::size_t k = samples.size(); k < unpacked.size(); ++k) EXPECT_EQ(0xAAAA, unpacked[k]);
        }
    }
}

TEST_P(UnpackKernelForm, ToneMapMatchesTheReference) {
    std::mt19937 generator(202);
    const auto table = randomTable(generator);
    for (std::size_t count : {1u, 7u, 8u, 16u, 31u, 32u, 33u, 64u, 511u, 512u, 513u, 1500u}) {
        // Samples over the whole 16-bit range: an archive may hold any.
        const auto samples = randomSamples(count, generator, 65535);
        const auto black = randomBlack(count, generator);
        for (const bool withBlack : {false, true}) {
            const std::span<const std::int32_t> blackValues =
                withBlack ? std::span<const std::int32_t>(black) : std::span<const std::int32_t>();
            std::vector<std::uint16_t> expected(count), out(count, 0xAAAA);
            toneMapSamplesReference(samples, blackValues, table, expected);
            kernels.toneMapSamples(samples, blackValues, table, out);
            ASSERT_EQ(expected, out) << count << " samples" << (withBlack ? " less black" : "");
            // In place: the samples become the tone-mapped values.
            std::vector<std::uint16_t> inPlace = samples;
            kernels.toneMapSamples(inPlace, blackValues, table, inPlace);
            ASSERT_EQ(expected, inPlace) << count << " samples in place";
        }
    }
}

// The packed path gives what its two steps give apart, and what the reference gives, on
// random frames of many widths with and without a black frame.
TEST_P(UnpackKernelForm, UnpackToneMappedEqualsItsStepsAndTheReference) {
    std::mt19937 generator(303);
    const auto table = randomTable(generator);
    for (const auto& [width, height] : {std::pair{8, 1}, {16, 3}, {24, 5}, {64, 9}, {136, 7}, {1000, 3}}) {
        const std::size_t count = static_cast<std::size_t>(width) * height;
        const auto samples = randomSamples(count, generator);
        const auto packed = pack14(samples);
        const auto black = randomBlack(count, generator);
        for (const bool withBlack : {false, true}) {
            SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height) +
                         (withBlack ? " less black" : ""));
            const std::span<const std::int32_t> blackValues =
                withBlack ? std::span<const std::int32_t>(black) : std::span<const std::int32_t>();
            std::vector<std::uint16_t> reference(count), steps(count), oneGo(count, 0xAAAA);
            unpackToneMapped14Reference(packed, blackValues, table, reference);
            kernels.unpackGroups14(packed, steps);
            kernels.toneMapSamples(steps, blackValues, table, steps);
            kernels.unpackToneMapped14(packed, blackValues, table, oneGo);
            ASSERT_EQ(reference, steps);
            ASSERT_EQ(reference, oneGo);
            for (std::size_t i = 0; i < count; ++i)
                ASSERT_EQ(table[static_cast<std::size_t>(toneIndex(samples[i], withBlack ? black[i] : 0))],
                          oneGo[i])
                    << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryForm, UnpackKernelForm, testing::ValuesIn(platform::kSimdForms),
                         [](const testing::TestParamInfo<SimdForm>& form) {
                             return std::string(platform::simdFormName(form.param));
                         });

TEST(BestUnpackForm, IsOneThisProcessorRuns) {
    EXPECT_EQ(nullptr, platform::missingCpuFeature(bestUnpackForm()));
}

}  // namespace
