#pragma once

#include <cstdint>

// 16384 entries, one per 14-bit sample value; each the 16-bit output sample.
inline constexpr int kToneTableEntries = 16384;

// The curve switches of a run, as the tone table needs them.
struct CurveSettings {
    std::int32_t kind = 1;       // 1 log, 2 gamma, 5 Cineon
    float param = 113.0f;        // log power or gamma
    std::int32_t cineonBlack = 95;
    std::int32_t cineonWhite = 685;
    std::int32_t blackOverride = -1;  // -1: the clip's black level
    std::int32_t whiteOverride = -1;  // -1: the clip's white level
};

// Fills all kToneTableEntries entries of the table for one clip and returns
// the curve descriptor that goes with it. With a black calibration in force the
// per-pixel black is already off the index, so the ramp starts at index 0.
std::uint32_t buildToneTable(const CurveSettings& settings, std::int32_t clipBlack, std::int32_t clipWhite,
                             bool blackCalibrationInForce, std::uint16_t* table);
