#include "raw/clip_color.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

using Matrix = double[3][3];

// CIE XYZ (D50) to linear sRGB, typed again here from the published values.
constexpr double kC[3][3] = {{3.1338561, -1.6168667, -0.4906146},
                             {-0.9787684, 1.9161415, 0.033454},
                             {0.0719453, -0.2289914, 1.4052427}};

CameraMatrixRationals rationalsOf(const std::int32_t numerators[9], std::int32_t denominator) {
    CameraMatrixRationals rationals{};
    for (std::size_t k = 0; k < 9; ++k) {
        rationals[2 * k] = numerators[k];
        rationals[2 * k + 1] = denominator;
    }
    return rationals;
}

double errorOf(const double p[3][3], double g0, double g1, double g2) {
    double error = 0.0;
    for (int i = 0; i < 3; ++i) error += std::fabs(p[i][0] / g0 + p[i][1] / g1 + p[i][2] / g2 - 1.0);
    return error;
}

void expectIdentityAndUnitGains(const ClipColorInfo& info) {
    const float identity[12] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0};
    for (int k = 0; k < 12; ++k) EXPECT_EQ(identity[k], info.colorMatrix[k]) << k;
    for (int k = 0; k < 4; ++k) EXPECT_EQ(1.0f, info.whiteBalance[k]) << k;
}

// Checks the gains against the search's promise and the matrix against P / gains.
void expectSearchResult(const double p[3][3], const ClipColorInfo& info, const ClipColorResult& result) {
    EXPECT_TRUE(result.cameraMatrixUsable);
    ASSERT_GE(result.searchSteps, 1);
    ASSERT_LE(result.searchSteps, kGainSearchSteps);
    const double g0 = static_cast<double>(info.whiteBalance[0]);
    const double g1 = static_cast<double>(info.whiteBalance[1]);
    const double g2 = static_cast<double>(info.whiteBalance[3]);
    EXPECT_EQ(info.whiteBalance[1], info.whiteBalance[2]);
    EXPECT_GE(g0, 1.0);
    EXPECT_GE(g1, 1.0);
    EXPECT_GE(g2, 1.0);
    // The gains went through float; allow for that rounding in the error.
    if (result.searchSteps < kGainSearchSteps) {
        EXPECT_LT(errorOf(p, g0, g1, g2), 0.05 + 1e-5);
    }
    const double gains[3] = {g0, g1, g2};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            const double expected = p[i][j] / gains[j];
            EXPECT_NEAR(expected, static_cast<double>(info.colorMatrix[4 * i + j]),
                        1e-6 * (1.0 + std::fabs(expected)))
                << i << "," << j;
        }
        EXPECT_EQ(0.0f, info.colorMatrix[4 * i + 3]);
    }
}

}  // namespace

TEST(ClipColor, IdentityCameraMatrixSearchesGainsForTheSrgbMatrix) {
    const std::int32_t identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    ClipColorInfo info;
    const ClipColorResult result = deriveClipColor(rationalsOf(identity, 1), info);
    // E(1, 1, 1) = |1.0264 - 1| + |0.9708 - 1| + |1.2482 - 1| = 0.3037: the search must run.
    EXPECT_NEAR(0.3037, errorOf(kC, 1, 1, 1), 1e-4);
    EXPECT_GT(result.searchSteps, 1);
    expectSearchResult(kC, info, result);
}

TEST(ClipColor, InvertsAGeneralCameraMatrix) {
    // A has determinant 1 and the integer inverse {-24, 18, 5; 20, -15, -4; -5, 4, 1}.
    // The rationals are stored as tenths to exercise the division.
    const std::int32_t a[9] = {10, 20, 30, 0, 10, 40, 50, 60, 0};
    const double inverse[3][3] = {{-24, 18, 5}, {20, -15, -4}, {-5, 4, 1}};
    double p[3][3] = {};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k) p[i][j] += kC[i][k] * inverse[k][j];
    ClipColorInfo info;
    const ClipColorResult result = deriveClipColor(rationalsOf(a, 10), info);
    expectSearchResult(p, info, result);
}

TEST(ClipColor, CameraMatrixEqualToTheSrgbMatrixNeedsNoGains) {
    // 3.1338561 = 31338561 / 10^7 and so on: A = C, so P is the identity.
    const std::int32_t c[9] = {31338561, -16168667, -4906146, -9787684, 19161415,
                               334540,   719453,    -2289914, 14052427};
    ClipColorInfo info;
    const ClipColorResult result = deriveClipColor(rationalsOf(c, 10000000), info);
    EXPECT_TRUE(result.cameraMatrixUsable);
    EXPECT_EQ(1, result.searchSteps);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(1.0f, info.whiteBalance[k]);
    const double identity[12] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0};
    for (int k = 0; k < 12; ++k)
        EXPECT_NEAR(identity[k], static_cast<double>(info.colorMatrix[k]), 1e-6) << k;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(0.0f, info.colorMatrix[4 * i + 3]);
}

TEST(ClipColor, SingularCameraMatrixGivesIdentityAndUnitGains) {
    const std::int32_t singular[9] = {1, 2, 3, 2, 4, 6, 1, 1, 1};
    ClipColorInfo info;
    for (float& value : info.colorMatrix) value = 7.0f;
    for (float& value : info.whiteBalance) value = 7.0f;
    const ClipColorResult result = deriveClipColor(rationalsOf(singular, 1), info);
    EXPECT_FALSE(result.cameraMatrixUsable);
    expectIdentityAndUnitGains(info);
}

TEST(ClipColor, ZeroDenominatorGivesIdentityAndUnitGains) {
    const std::int32_t identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    CameraMatrixRationals rationals = rationalsOf(identity, 1);
    rationals[9] = 0;  // entry 4, the middle of the diagonal
    ClipColorInfo info;
    const ClipColorResult result = deriveClipColor(rationals, info);
    EXPECT_FALSE(result.cameraMatrixUsable);
    expectIdentityAndUnitGains(info);
}

TEST(ClipColor, TheSameClipAlwaysGivesTheSameGains) {
    const std::int32_t identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    ClipColorInfo first, second;
    const ClipColorResult firstResult = deriveClipColor(rationalsOf(identity, 1), first);
    const std::int32_t other[9] = {2, 0, 0, 0, 3, 0, 0, 0, 4};
    ClipColorInfo between;
    deriveClipColor(rationalsOf(other, 1), between);
    const ClipColorResult secondResult = deriveClipColor(rationalsOf(identity, 1), second);
    EXPECT_EQ(firstResult.searchSteps, secondResult.searchSteps);
    EXPECT_EQ(0, std::memcmp(&first, &second, sizeof first));
}
