#pragma once

#include <cstdint>
#include <string>

enum class OutputFormat { Raw, Yuv422, Rgb444 };

// Curve kinds of the tone table, as the encoder records them.
enum CurveKind : std::int32_t { kCurveLog = 1, kCurveGamma = 2, kCurveCineon = 5 };

// Every switch value of one run, as the command line gives it. Filled once
// and then only read: what clips decide for themselves and the clips after
// them (the window, output size, frame rate and curve code) is kept in the
// run's ClipSettings, which start from these values.
struct ConversionSettings {
    OutputFormat outputFormat = OutputFormat::Raw;
    std::int32_t blackOverride = -1;  // -1: the clip's own black level
    std::int32_t whiteOverride = -1;  // -1: the clip's own white level
    std::string blackCalibrationPath;
    std::int32_t blackCalibrationOffset = 8;
    std::int32_t curveKind = kCurveLog;
    float curveParam = 113.0f;  // log power or gamma, one shared field
    std::int32_t cineonBlack = 95;
    std::int32_t cineonWhite = 685;
    std::uint32_t curveCode = 0;  // descriptor of the curve; the run's is set at every table build
    std::int32_t debayerType = 2;
    bool debayerExplicit = false;
    bool frameRateFromClip = true;
    float frameRate = 24.0f;
    std::int32_t rateNumerator = 24000;
    std::int32_t rateDenominator = 1000;
    std::uint32_t inPoint = 0;
    std::uint32_t outPoint = 4294967295u;  // compared unsigned: any negative value means no limit
    std::int32_t skipFrames = 0;
    std::int32_t quality = 4;
    std::int32_t outputWidth = -1;   // below 1: the crop width
    std::int32_t outputHeight = -1;  // below 1: the crop height
    std::int32_t windowLeft = -1;
    std::int32_t windowTop = -1;
    std::int32_t windowRight = -1;   // exclusive
    std::int32_t windowBottom = -1;  // exclusive
    bool verbose = false;
    std::string outputPath;  // the .avi, .mov or .dpx argument as typed
    bool movieOutput = false;
};
