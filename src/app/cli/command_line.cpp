#include "app/cli/command_line.h"

#include <cmath>
#include <cstdio>

#include "app/cli/frame_rate_switch.h"
#include "app/cli/metadata_tags.h"
#include "app/cli/number_text.h"
#include "app/cli/path_kind.h"
#include "app/cli/source_window.h"

namespace {

char lowerCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string formatNumber(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
}

// The tone curve divides by log10(power) and raises to 1/gamma, so a log
// power of 1 or below 0 and a gamma at or below 0 give no usable table.
ParseOutcome checkCurveParameter(const char* argument, const ConversionSettings& settings) {
    const float value = settings.curveParam;
    if (settings.curveKind == kCurveLog && (!std::isfinite(value) || value <= 0.0f || value == 1.0f)) {
        return {false, std::string(argument) + ": log power " + formatNumber(value) +
                           " cannot be used; it must be a number above 0 other than 1"};
    }
    if (settings.curveKind == kCurveGamma && (!std::isfinite(value) || value <= 0.0f)) {
        return {false, std::string(argument) + ": gamma " + formatNumber(value) +
                           " cannot be used; it must be a number above 0"};
    }
    return {};
}

void applyBlackSwitch(const char* argument, ConversionSettings& settings) {
    switch (lowerCase(argument[2])) {
        case 'l':
            settings.blackOverride = readInteger(argument + 3);
            break;
        case 'c':
            settings.blackCalibrationPath = argument + 3;
            break;
        case 'o':
            settings.blackCalibrationOffset = readInteger(argument + 3);
            break;
        default:
            break;
    }
}

void applyCineonSwitch(const char* argument, ConversionSettings& settings) {
    settings.curveKind = kCurveCineon;
    switch (lowerCase(argument[2])) {
        case 'b':
            settings.cineonBlack = readInteger(argument + 3);
            break;
        case 'w':
            settings.cineonWhite = readInteger(argument + 3);
            break;
        default:
            break;
    }
}

void applyOutputFormatSwitch(const char* argument, ConversionSettings& settings) {
    if (argument[2] == '2') settings.outputFormat = OutputFormat::Yuv422;
    if (argument[2] == '4') settings.outputFormat = OutputFormat::Rgb444;
}

// argument begins with '-'; the second character selects the switch. Every
// value is read only after its selecting characters matched, so the text
// after them always lies within the argument.
ParseOutcome applySwitch(const char* argument, ConversionSettings& settings) {
    const char selector = argument[1];
    if (selector == 'v') {
        settings.verbose = true;
        return {};
    }
    if (selector == '(') {
        applySourceWindowSwitch(argument + 1, settings);
        return {};
    }
    const char* value = argument + 2;
    switch (lowerCase(selector)) {
        case '4':
            applyOutputFormatSwitch(argument, settings);
            break;
        case 'y':
            settings.outputFormat = OutputFormat::Yuv422;
            break;
        case 'b':
            applyBlackSwitch(argument, settings);
            break;
        case 'c':
            applyCineonSwitch(argument, settings);
            break;
        case 'd':
            settings.debayerType = readInteger(value);
            settings.debayerExplicit = true;
            break;
        case 'f':
            applyFrameRateSwitch(value, settings);
            break;
        case 'g':
            settings.curveKind = kCurveGamma;
            readFloat(value, &settings.curveParam);
            return checkCurveParameter(argument, settings);
        case 'h':
            settings.outputHeight = readInteger(value);
            break;
        case 'i':
            settings.inPoint = static_cast<std::uint32_t>(readInteger(value));
            break;
        case 'l':
            settings.curveKind = kCurveLog;
            readFloat(value, &settings.curveParam);
            return checkCurveParameter(argument, settings);
        case 'o':
            settings.outPoint = static_cast<std::uint32_t>(readInteger(value));
            break;
        case 'q':
            settings.quality = readInteger(value);
            break;
        case 's':
            settings.skipFrames = readInteger(value);
            break;
        case 'w':
            if (lowerCase(argument[2]) == 'l')
                settings.whiteOverride = readInteger(argument + 3);
            else
                settings.outputWidth = readInteger(value);
            break;
        default:
            break;
    }
    return {};
}

void applyPathArgument(const char* argument, ConversionSettings& settings) {
    switch (classifyPath(argument)) {
        case PathKind::Avi:
        case PathKind::Mov:
            settings.outputPath = argument;
            settings.movieOutput = true;
            break;
        case PathKind::Dpx:
            settings.outputPath = argument;
            break;
        case PathKind::Raw:
        case PathKind::Other:
            break;
    }
}

}  // namespace

ParseOutcome parseCommandLine(int argc, const char* const* argv, ConversionSettings& settings,
                              MetadataTagList& tags) {
    settings = ConversionSettings{};
    for (int index = 0; index < argc; ++index) {
        const char* argument = argv[index];
        if (argument[0] == '-') {
            ParseOutcome outcome = applySwitch(argument, settings);
            if (!outcome.ok) return outcome;
        } else if (argument[0] == '+') {
            addTagArgument(argument, tags);
        } else if (argument[0] == ':') {
            addFreeformArgument(argument, tags);
        } else {
            applyPathArgument(argument, settings);
        }
    }
    return {};
}
