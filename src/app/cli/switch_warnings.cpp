#include "app/cli/switch_warnings.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include "app/cli/conversion_settings.h"
#include "app/cli/frame_rate_switch.h"
#include "app/cli/number_text.h"
#include "platform/diagnostics.h"

namespace {

constexpr std::int32_t kLevelMaximum = 65535;  // the levels' range in the help text
constexpr std::int32_t kQualityMinimum = 1;
constexpr std::int32_t kQualityMaximum = 5;
constexpr std::int32_t kDebayerMaximum = 4;

char lowerCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string numberText(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
}

enum class IntegerSwitch {
    BlackLevel,
    WhiteLevel,
    BlackOffset,
    CineonBlack,
    CineonWhite,
    Debayer,
    Height,
    Width,
    InPoint,
    OutPoint,
    Quality,
    Skip,
};

// What the run does with the value of a switch, in the words of a warning.
std::string describeValue(IntegerSwitch which, std::int32_t value) {
    switch (which) {
        case IntegerSwitch::BlackLevel:
            return value == -1 ? "the clip's own black level" : "black level " + std::to_string(value);
        case IntegerSwitch::WhiteLevel:
            return value == -1 ? "the clip's own white level" : "white level " + std::to_string(value);
        case IntegerSwitch::BlackOffset:
            return "black calibration offset " + std::to_string(value);
        case IntegerSwitch::CineonBlack:
            return "Cineon black " + std::to_string(value);
        case IntegerSwitch::CineonWhite:
            return "Cineon white " + std::to_string(value);
        case IntegerSwitch::Debayer:
            return value >= 1 && value <= kDebayerMaximum ? "debayer type " + std::to_string(value)
                                                          : "the plain demosaic (debayer type 0)";
        case IntegerSwitch::Height:
            return value < 1 ? "the crop height" : "output height " + std::to_string(value);
        case IntegerSwitch::Width:
            return value < 1 ? "the crop width" : "output width " + std::to_string(value);
        case IntegerSwitch::InPoint:
            return "in point " + std::to_string(static_cast<std::uint32_t>(value));
        case IntegerSwitch::OutPoint:
            if (value < 0) return "no out point";
            return value == 0 ? "out point 0 (one frame of each clip)" : "out point " + std::to_string(value);
        case IntegerSwitch::Quality:
            return "quality " + std::to_string(value);
        case IntegerSwitch::Skip:
            return value <= 0 ? "no skipping"
                              : "skipping " + std::to_string(value) + " frames after each one";
    }
    return {};
}

// Says what is wrong with the text of a number: none there, or text after
// it. True when the number was read and nothing follows it.
bool checkNumberText(const char* argument, const char* valueText, int taken, const std::string& used) {
    if (taken == 0) {
        if (*valueText == '\0')
            platform::warn("%s: no number given; %s is used", argument, used.c_str());
        else
            platform::warn("%s: \"%s\" is not a number; %s is used", argument, valueText, used.c_str());
        return false;
    }
    if (valueText[taken] != '\0') {
        platform::warn("%s: \"%s\" after the number is ignored; %s is used", argument, valueText + taken,
                       used.c_str());
        return false;
    }
    return true;
}

void checkRange(IntegerSwitch which, const char* argument, std::int32_t value) {
    switch (which) {
        case IntegerSwitch::BlackLevel:
        case IntegerSwitch::WhiteLevel:
            // -1 is how the default (the clip's own level) is written.
            if (value != -1 && (value < 0 || value > kLevelMaximum))
                platform::warn("%s: %d is outside the levels 0 to %d; it is used as given", argument, value,
                               kLevelMaximum);
            break;
        case IntegerSwitch::Debayer:
            if (value < 0 || value > kDebayerMaximum)
                platform::warn("%s: debayer type %d is outside 1 to %d; the plain demosaic (as -d0) is used",
                               argument, value, kDebayerMaximum);
            break;
        case IntegerSwitch::Quality:
            if (value < kQualityMinimum || value > kQualityMaximum)
                platform::warn("%s: quality %d is outside %d to %d; it is passed to the encoder as given",
                               argument, value, kQualityMinimum, kQualityMaximum);
            break;
        case IntegerSwitch::Skip:
            if (value < 0) platform::warn("%s: a negative count skips nothing", argument);
            break;
        default:
            break;
    }
}

// Returns true when the number was read cleanly.
bool checkInteger(IntegerSwitch which, const char* argument, const char* valueText) {
    std::int32_t value = 0;
    const int taken = readDecimal(valueText, &value);
    if (!checkNumberText(argument, valueText, taken, describeValue(which, value))) return false;
    checkRange(which, argument, value);
    return true;
}

// -l and -g share the curve parameter: a value that cannot be read keeps the
// one before it.
void checkCurveParameter(SwitchScan& scan, const char* argument, const char* what) {
    const char* valueText = argument + 2;
    const int taken = readFloat(valueText, &scan.curveParam);
    checkNumberText(argument, valueText, taken, std::string(what) + " " + numberText(scan.curveParam));
}

void checkFrameRate(SwitchScan& scan, const char* argument) {
    if (scan.dpxRun && !scan.timeCodeTag) {
        platform::warn("%s: the frame rate is for movies; a DPX sequence does not use it", argument);
        return;
    }
    const char* valueText = argument + 2;
    ConversionSettings rate;
    rate.frameRate = scan.frameRate;
    applyFrameRateSwitch(valueText, rate);
    scan.frameRate = rate.frameRate;
    float ignored = 0.0f;
    const int taken = readFloat(valueText, &ignored);
    char used[128];
    std::snprintf(used, sizeof used, "frame rate %g (%d/%d) for every clip",
                  static_cast<double>(rate.frameRate), rate.rateNumerator, rate.rateDenominator);
    if (checkNumberText(argument, valueText, taken, used) && !(rate.frameRate > 0.0f))
        platform::warn("%s: a frame rate must be above 0; %s is used as given", argument, used);
}

void checkFlagText(const char* argument, const char* rest, const char* readAs) {
    if (*rest != '\0') platform::warn("%s: read as %s; \"%s\" is ignored", argument, readAs, rest);
}

void warnUnknown(const char* argument) {
    if (argument[1] == 'V')
        platform::warn("%s: unknown switch, ignored (verbose output is -v, in lower case)", argument);
    else
        platform::warn("%s: unknown switch, ignored", argument);
}

void recordWindow(SwitchScan& scan, const char* argument) {
    ArgumentNotes& notes = scan.notes;
    notes.windowArgument = argument;
    // The same reading as the switch itself: "(%d,%d,%d,%d)".
    const char* text = argument + 1;
    const char separators[] = {'(', ',', ',', ','};
    int fields = 0;
    for (; fields < 4; ++fields) {
        if (*text != separators[fields]) break;
        ++text;
        const int taken = readDecimal(text, &notes.windowTyped[static_cast<std::size_t>(fields)]);
        if (taken == 0) break;
        text += taken;
    }
    notes.windowComplete = fields == 4;
}

void checkBlackSwitch(SwitchScan& scan, const char* argument, int index) {
    switch (lowerCase(argument[2])) {
        case 'l':
            scan.notes.gradingArguments.push_back(argument);
            checkInteger(IntegerSwitch::BlackLevel, argument, argument + 3);
            break;
        case 'c':
            scan.notes.calibrationArgument = argument;
            scan.calibrationIndex = index;
            break;
        case 'o':
            checkInteger(IntegerSwitch::BlackOffset, argument, argument + 3);
            break;
        default:
            warnUnknown(argument);
            break;
    }
}

void checkCineonSwitch(SwitchScan& scan, const char* argument) {
    scan.notes.gradingArguments.push_back(argument);
    switch (lowerCase(argument[2])) {
        case 'b':
            scan.cineonArgument = argument;
            checkInteger(IntegerSwitch::CineonBlack, argument, argument + 3);
            break;
        case 'w':
            scan.cineonArgument = argument;
            checkInteger(IntegerSwitch::CineonWhite, argument, argument + 3);
            break;
        default:
            checkFlagText(argument, argument + 2, "-c (the Cineon curve)");
            break;
    }
}

void checkYuvSwitch(const SwitchScan& scan, const char* argument) {
    if (scan.dpxRun) platform::warn("%s: 4:2:2 pictures are for movies; DPX files are always RGB", argument);
}

}  // namespace

void checkSwitchArgument(SwitchScan& scan, const char* argument, int index) {
    const char selector = argument[1];
    if (selector == 'v') {
        checkFlagText(argument, argument + 2, "-v (verbose)");
        return;
    }
    if (selector == '(') {
        recordWindow(scan, argument);
        return;
    }
    const char* value = argument + 2;
    switch (lowerCase(selector)) {
        case '4':
            if (argument[2] == '2')
                checkYuvSwitch(scan, argument);
            else if (argument[2] != '4')
                warnUnknown(argument);
            break;
        case 'y':
            checkYuvSwitch(scan, argument);
            break;
        case 'b':
            checkBlackSwitch(scan, argument, index);
            break;
        case 'c':
            checkCineonSwitch(scan, argument);
            break;
        case 'd':
            checkInteger(IntegerSwitch::Debayer, argument, value);
            break;
        case 'f':
            checkFrameRate(scan, argument);
            break;
        case 'g':
            scan.notes.gradingArguments.push_back(argument);
            checkCurveParameter(scan, argument, "gamma");
            break;
        case 'h':
            checkInteger(IntegerSwitch::Height, argument, value);
            break;
        case 'i':
            scan.notes.inPointArgument = argument;
            checkInteger(IntegerSwitch::InPoint, argument, value);
            break;
        case 'l':
            scan.notes.gradingArguments.push_back(argument);
            checkCurveParameter(scan, argument, "log power");
            break;
        case 'o':
            scan.outPointArgument = argument;
            scan.outPointRead = checkInteger(IntegerSwitch::OutPoint, argument, value);
            break;
        case 'q':
            if (scan.dpxRun)
                platform::warn("%s: the quality is for movies; a DPX sequence does not use it", argument);
            else
                checkInteger(IntegerSwitch::Quality, argument, value);
            break;
        case 's':
            checkInteger(IntegerSwitch::Skip, argument, value);
            break;
        case 'w':
            if (lowerCase(argument[2]) == 'l') {
                scan.notes.gradingArguments.push_back(argument);
                checkInteger(IntegerSwitch::WhiteLevel, argument, argument + 3);
            } else {
                checkInteger(IntegerSwitch::Width, argument, value);
            }
            break;
        default:
            warnUnknown(argument);
            break;
    }
}
