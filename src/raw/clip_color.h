#pragma once

#include <array>
#include <cstdint>

// The colour information handed to the encoder with a clip's movie.
struct ClipColorInfo {
    float colorMatrix[12] = {};  // three rows of four; the fourth value of every row is 0
    float whiteBalance[4] = {};  // g0, g1, g1, g2
};

// The camera matrix as the trailer stores it: nine numerator/denominator
// pairs, row by row, numerator first.
using CameraMatrixRationals = std::array<std::int32_t, 18>;

struct ClipColorResult {
    // False when the camera matrix has a zero denominator, no inverse, or
    // gives values a float cannot hold: the info is then the identity matrix
    // with unit gains, and the caller should say so.
    bool cameraMatrixUsable = false;
    int searchSteps = 0;  // gain search steps taken, 1..20000
};

inline constexpr int kGainSearchSteps = 20000;
inline constexpr double kGainSearchTolerance = 0.05;
inline constexpr std::uint32_t kGainSearchSeed = 1;

// Derives the matrix to linear sRGB and the white-balance gains of one clip.
// The gain search draws from a generator seeded with kGainSearchSeed on every
// call, so the same clip always gives the same result.
ClipColorResult deriveClipColor(const CameraMatrixRationals& cameraMatrix, ClipColorInfo& info);
