#include "raw/clip_color.h"

#include <cmath>
#include <limits>

#include "raw/gain_search_random.h"

namespace {

using Matrix = std::array<std::array<double, 3>, 3>;
using Gains = std::array<double, 3>;

// CIE XYZ (D50 white) to linear sRGB, Bradford-adapted.
constexpr Matrix kXyzToLinearSrgb = {{
    {3.1338561, -1.6168667, -0.4906146},
    {-0.9787684, 1.9161415, 0.033454},
    {0.0719453, -0.2289914, 1.4052427},
}};

constexpr double kBestErrorStart = 1000000.0;
constexpr double kGainFloor = 1.0;

bool cameraMatrixFromRationals(const CameraMatrixRationals& rationals, Matrix& camera) {
    for (int k = 0; k < 9; ++k) {
        const std::int32_t denominator = rationals[static_cast<std::size_t>(2 * k + 1)];
        if (denominator == 0) return false;
        camera[static_cast<std::size_t>(k / 3)][static_cast<std::size_t>(k % 3)] =
            static_cast<double>(rationals[static_cast<std::size_t>(2 * k)]) /
            static_cast<double>(denominator);
    }
    return true;
}

// The adjugate over the determinant, the determinant expanded along the first row.
bool invert(const Matrix& m, Matrix& inverse) {
    const double cofactor00 = m[1][1] * m[2][2] - m[1][2] * m[2][1];
    const double cofactor01 = m[1][2] * m[2][0] - m[1][0] * m[2][2];
    const double cofactor02 = m[1][0] * m[2][1] - m[1][1] * m[2][0];
    const double determinant = m[0][0] * cofactor00 + m[0][1] * cofactor01 + m[0][2] * cofactor02;
    if (determinant == 0.0 || !std::isfinite(determinant)) return false;
    inverse[0][0] = cofactor00 / determinant;
    inverse[0][1] = (m[0][2] * m[2][1] - m[0][1] * m[2][2]) / determinant;
    inverse[0][2] = (m[0][1] * m[1][2] - m[0][2] * m[1][1]) / determinant;
    inverse[1][0] = cofactor01 / determinant;
    inverse[1][1] = (m[0][0] * m[2][2] - m[0][2] * m[2][0]) / determinant;
    inverse[1][2] = (m[0][2] * m[1][0] - m[0][0] * m[1][2]) / determinant;
    inverse[2][0] = cofactor02 / determinant;
    inverse[2][1] = (m[0][1] * m[2][0] - m[0][0] * m[2][1]) / determinant;
    inverse[2][2] = (m[0][0] * m[1][1] - m[0][1] * m[1][0]) / determinant;
    return true;
}

Matrix multiply(const Matrix& left, const Matrix& right) {
    Matrix product{};
    for (std::size_t i = 0; i < 3; ++i)
        for (std::size_t j = 0; j < 3; ++j)
            for (std::size_t k = 0; k < 3; ++k) product[i][j] += left[i][k] * right[k][j];
    return product;
}

// How far white (1, 1, 1) lands from 1 in every channel under these gains.
double gainError(const Matrix& p, const Gains& gains) {
    double error = 0.0;
    for (std::size_t i = 0; i < 3; ++i)
        error += std::fabs(p[i][0] / gains[0] + p[i][1] / gains[1] + p[i][2] / gains[2] - 1.0);
    return error;
}

// A random walk around the best gains so far, each step moving every gain by
// at most about 0.1 and never below 1.
Gains searchGains(const Matrix& p, int& steps) {
    GainSearchRandom random(kGainSearchSeed);
    Gains best = {1.0, 1.0, 1.0};
    Gains candidate = best;
    double bestError = kBestErrorStart;
    steps = 0;
    for (;;) {
        const double error = gainError(p, candidate);
        if (error < bestError) {
            best = candidate;
            bestError = error;
        }
        for (std::size_t k = 0; k < 3; ++k) {
            const std::int32_t draw = random.next();
            candidate[k] = best[k] + static_cast<double>((draw & 255) - 128) * 0.1 / 127.0;
            if (candidate[k] < kGainFloor) candidate[k] = kGainFloor;
        }
        ++steps;
        if (bestError < kGainSearchTolerance || steps >= kGainSearchSteps) return best;
    }
}

bool fitsFloat(double value) {
    return std::isfinite(value) && std::fabs(value) <= static_cast<double>(std::numeric_limits<float>::max());
}

void setIdentity(ClipColorInfo& info) {
    info = ClipColorInfo{};
    info.colorMatrix[0] = 1.0f;
    info.colorMatrix[5] = 1.0f;
    info.colorMatrix[10] = 1.0f;
    for (float& gain : info.whiteBalance) gain = 1.0f;
}

}  // namespace

ClipColorResult deriveClipColor(const CameraMatrixRationals& cameraMatrix, ClipColorInfo& info) {
    ClipColorResult result;
    Matrix camera{};
    Matrix inverse{};
    if (!cameraMatrixFromRationals(cameraMatrix, camera) || !invert(camera, inverse)) {
        setIdentity(info);
        return result;
    }
    const Matrix p = multiply(kXyzToLinearSrgb, inverse);
    const Gains gains = searchGains(p, result.searchSteps);

    double matrix[12] = {};
    for (std::size_t i = 0; i < 3; ++i)
        for (std::size_t j = 0; j < 3; ++j) matrix[4 * i + j] = p[i][j] / gains[j];
    for (const double value : matrix) {
        if (!fitsFloat(value)) {
            setIdentity(info);
            return result;
        }
    }
    for (std::size_t k = 0; k < 12; ++k) info.colorMatrix[k] = static_cast<float>(matrix[k]);
    info.whiteBalance[0] = static_cast<float>(gains[0]);
    info.whiteBalance[1] = static_cast<float>(gains[1]);
    info.whiteBalance[2] = static_cast<float>(gains[1]);
    info.whiteBalance[3] = static_cast<float>(gains[2]);
    result.cameraMatrixUsable = true;
    return result;
}
