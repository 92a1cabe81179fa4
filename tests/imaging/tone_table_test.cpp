#include "imaging/tone_table.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>


namespace {

// A table whose ramp runs from 1000 to 1100, so that index 1000 + k is x = k / 100
// (the single-precision quotient of two exact integers is correctly rounded, so
// index 1018 is x = 0.18f exactly).
std::vector<std::uint16_t> tableFor(const CurveSettings& settings, std::int32_t black = 1000,
                                    std::int32_t white = 1100, bool calibrated = false) {
    std::vector<std::uint16_t> table(kToneTableEntries, 0xABCD);
    buildToneTable(settings, black, white, calibrated, table.data());
    return table;
}

CurveSettings logCurveSettings(float power) { return CurveSettings{1, power, 95, 685, -1, -1}; }
CurveSettings gammaCurveSettings(float gamma) { return CurveSettings{2, gamma, 95, 685, -1, -1}; }
CurveSettings cineonCurveSettings() { return CurveSettings{5, 113.0f, 95, 685, -1, -1}; }

}  // namespace

TEST(ToneTable, LogCurveOfPower113GivesTheReferenceValues) {
    const auto table = tableFor(logCurveSettings(113.0f));
    EXPECT_EQ(0, table[1000]);
    EXPECT_EQ(42310, table[1018]);
    EXPECT_EQ(56048, table[1050]);
    EXPECT_EQ(65535, table[1100]);
    EXPECT_EQ(0, table[0]);
    EXPECT_EQ(0, table[999]);
    EXPECT_EQ(65535, table[1101]);
    EXPECT_EQ(65535, table[16383]);
}

TEST(ToneTable, GammaCurveOf2Point2GivesTheReferenceValues) {
    const auto table = tableFor(gammaCurveSettings(2.2f));
    EXPECT_EQ(0, table[1000]);
    EXPECT_EQ(30058, table[1018]);
    EXPECT_EQ(47823, table[1050]);
    EXPECT_EQ(65535, table[1100]);
}

TEST(ToneTable, GammaOfOneIsTheTruncatedLinearRamp) {
    const auto table = tableFor(gammaCurveSettings(1.0f));
    for (int k = 0; k <= 100; ++k) {
        const float x = static_cast<float>(k) / 100.0f;
        EXPECT_EQ(static_cast<std::uint16_t>(static_cast<double>(x) * 65535.0), table[1000 + k]) << k;
    }
}

TEST(ToneTable, CineonWithDefaultPointsGivesTheReferenceValues) {
    const auto table = tableFor(cineonCurveSettings());
    EXPECT_EQ(95 * 64, table[0]);
    EXPECT_EQ(6080, table[1000]);
    EXPECT_EQ(24170, table[1018]);
    EXPECT_EQ(44794, table[1100]);
    EXPECT_EQ(44794, table[16383]);
}

TEST(ToneTable, CineonCodesBeyondTheTenBitRangeClampInsteadOfWrapping) {
    CurveSettings settings = cineonCurveSettings();
    settings.cineonWhite = 1023;  // white at x = 1 lies above code 1023.98
    const auto table = tableFor(settings);
    EXPECT_EQ(65535, table[1100]);
    EXPECT_EQ(95 * 64, table[1000]);
}

TEST(ToneTable, OverridesReplaceTheClipLevels) {
    CurveSettings settings = logCurveSettings(113.0f);
    settings.blackOverride = 2000;
    settings.whiteOverride = 2100;
    const auto table = tableFor(settings, 1000, 1100);
    EXPECT_EQ(0, table[1100]);
    EXPECT_EQ(42310, table[2018]);
    EXPECT_EQ(65535, table[2100]);
    EXPECT_EQ(0, table[1999]);
}

TEST(ToneTable, CalibrationStartsTheRampAtZero) {
    const auto table = tableFor(logCurveSettings(113.0f), 1000, 1100, true);
    EXPECT_EQ(0, table[0]);
    EXPECT_EQ(42310, table[18]);
    EXPECT_EQ(56048, table[50]);
    EXPECT_EQ(65535, table[100]);
    EXPECT_EQ(65535, table[101]);
}

TEST(ToneTable, EqualLevelsGiveZeroAtTheirIndexAndTheEndsAround) {
    const auto logTable = tableFor(logCurveSettings(113.0f), 500, 500);
    EXPECT_EQ(0, logTable[499]);
    EXPECT_EQ(0, logTable[500]);
    EXPECT_EQ(65535, logTable[501]);

    const auto cineonTable = tableFor(cineonCurveSettings(), 500, 500);
    EXPECT_EQ(6080, cineonTable[499]);
    EXPECT_EQ(0, cineonTable[500]);
    EXPECT_EQ(44794, cineonTable[501]);
}

TEST(ToneTable, WhiteBelowBlackGivesZeroBelowBlackAndOneFromIt) {
    CurveSettings settings = gammaCurveSettings(2.2f);
    settings.whiteOverride = 400;
    const auto table = tableFor(settings, 500, 4000);
    EXPECT_EQ(0, table[0]);
    EXPECT_EQ(0, table[499]);
    EXPECT_EQ(65535, table[500]);
    EXPECT_EQ(65535, table[16383]);
}

TEST(ToneTable, PowersTheLogCurveIsNotMadeForStillGiveDefinedEntries) {
    // Power 1: log10(x * 0 + 1) / log10(1) is 0/0 for every x, which gives 0.
    const auto table = tableFor(logCurveSettings(1.0f));
    for (int i = 0; i < kToneTableEntries; i += 97) EXPECT_EQ(0, table[static_cast<std::size_t>(i)]) << i;
    // A power between 0 and 1 still runs from 0 to 65535.
    const auto flatTable = tableFor(logCurveSettings(0.5f));
    EXPECT_EQ(0, flatTable[1000]);
    EXPECT_GE(flatTable[1100], 65534);  // log10(0.5) rounded to float leaves y a hair below 1
    // A negative gamma: 0 to a negative power has no finite value.
    const auto gammaTable = tableFor(gammaCurveSettings(-2.0f));
    EXPECT_EQ(65535, gammaTable[1000]);
}

TEST(ToneTable, ReturnsTheDescriptorOfTheCurve) {
    std::vector<std::uint16_t> table(kToneTableEntries);
    EXPECT_EQ(0x17101u, buildToneTable(logCurveSettings(113.0f), 0, 16383, false, table.data()));
    EXPECT_EQ(0x20B05u, buildToneTable(gammaCurveSettings(2.2f), 0, 16383, false, table.data()));
    EXPECT_EQ(0x50101u, buildToneTable(cineonCurveSettings(), 0, 16383, false, table.data()));
}
