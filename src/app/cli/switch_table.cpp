#include "app/cli/switch_table.h"

#include <array>
#include <cmath>
#include <cstdio>

#include "app/cli/argument_list.h"
#include "app/cli/frame_rate_switch.h"

namespace {

constexpr std::int32_t kLevelMaximum = 65535;  // the levels' range in the help text
constexpr std::int32_t kQualityMinimum = 1;
constexpr std::int32_t kQualityMaximum = 5;
constexpr std::int32_t kDebayerMaximum = 4;
constexpr const char* kBayerKeepsItsSize =
    "a RAW movie keeps the size of the crop; -w and -h size the pictures of -422 and -444 movies and DPX "
    "files";

std::string numberText(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
}

// The tone curve divides by log10(power) and raises to 1/gamma, so a log
// power of 1 or below 0 and a gamma at or below 0 give no usable table.
bool setCurve(const ParsedArgument& argument, ConversionSettings& settings, std::string* failure,
              std::int32_t kind) {
    settings.curveKind = kind;
    if (argument.number.taken > 0) settings.curveParam = argument.number.real;
    const float value = settings.curveParam;
    if (kind == kCurveLog && (!std::isfinite(value) || value <= 0.0f || value == 1.0f)) {
        *failure = argument.text + ": log power " + numberText(value) +
                   " cannot be used; it must be a number above 0 other than 1";
        return false;
    }
    if (kind == kCurveGamma && (!std::isfinite(value) || value <= 0.0f)) {
        *failure =
            argument.text + ": gamma " + numberText(value) + " cannot be used; it must be a number above 0";
        return false;
    }
    return true;
}

std::string describeLevel(const char* which, double number) {
    const auto value = static_cast<std::int32_t>(number);
    return value == -1 ? std::string("the clip's own ") + which + " level"
                       : std::string(which) + " level " + std::to_string(value);
}

std::string levelOutsideRange(double number) {
    const auto value = static_cast<std::int32_t>(number);
    // -1 is how the default (the clip's own level) is written.
    if (value == -1 || (value >= 0 && value <= kLevelMaximum)) return {};
    return std::to_string(value) + " is outside the levels 0 to " + std::to_string(kLevelMaximum) +
           "; it is used as given";
}

std::string describeFrameRate(double value) {
    const SwitchFrameRate rate = frameRateOfSwitch(static_cast<float>(value));
    char text[128];
    std::snprintf(text, sizeof text, "frame rate %g (%d/%d) for every clip",
                  static_cast<double>(rate.frameRate), rate.numerator, rate.denominator);
    return text;
}

// The rows, tried in order: a row whose letters begin another's comes after it.
const std::array<SwitchSpec, 22> kSwitches = {{
    {SwitchId::Yuv422Digits, "42", false, SwitchValue::None,
     [](const ParsedArgument&, ConversionSettings& settings, std::string*) {
         settings.outputFormat = OutputFormat::Yuv422;
         return true;
     },
     nullptr, nullptr, "4:2:2 pictures are for movies; DPX files are always RGB", nullptr, false, nullptr},
    {SwitchId::Rgb444, "44", false, SwitchValue::None,
     [](const ParsedArgument&, ConversionSettings& settings, std::string*) {
         settings.outputFormat = OutputFormat::Rgb444;
         return true;
     },
     nullptr, nullptr, nullptr, nullptr, false, nullptr},
    {SwitchId::Yuv, "y", false, SwitchValue::None,
     [](const ParsedArgument&, ConversionSettings& settings, std::string*) {
         settings.outputFormat = OutputFormat::Yuv422;
         return true;
     },
     nullptr, nullptr, "4:2:2 pictures are for movies; DPX files are always RGB", nullptr, false, nullptr},
    {SwitchId::BlackLevel, "bl", false, SwitchValue::Integer,
     [](const ParsedArgument& argument, ConversionSettings& settings, std::string*) {
         settings.blackOverride = argument.number.integer;
         return true;
     },
     [](double value) { return describeLevel("black", value); }, levelOutsideRange, nullptr, nullptr, true,
     nullptr},
    {SwitchId::Calibration, "bc", false, SwitchValue::Text,
     [](const ParsedArgument& argument, ConversionSettings& settings, std::string*) {
         settings.blackCalibrationPath = std::string(argument.valueText());
         return true;
     },
     nullptr, nullptr, nullptr, nullptr, false, nullptr},
    {SwitchId::CalibrationOffset, "bo", false, SwitchValue::Integer,
     [](const ParsedArgument& argument, ConversionSettings& settings, std::string*) {
         settings.blackCalibrationOffset = argument.number.integer;
         return true;
     },
     [](double number) {
         const auto value = static_cast<std::int32_t>(number);
         return "black calibration offset " + std::to_string(value);
     },
     nullptr, nullptr, nullptr, false, nullptr},
    {SwitchId::CineonBlack, "cb", false, SwitchValue::Integer,
     [](const ParsedArgument& argument, ConversionSettings& settings, std::string*) {
         settings.curveKind = kCurveCineon;
         settings.cineonBlack = argument.number.integer;
         return true;
     },
     [](double number) {
         const auto value = static_cast<std::int32_t>(number);
         return "Cineon black " + std::to_string(value);
     },
     nullptr, nullptr, nullptr, true, nullptr},
    {SwitchId::CineonWhite, "cw", false, SwitchValue::Integer,
     [](const ParsedArgument& argument, ConversionSettings& settings, std::string*) {
         settings.curveKind = kCurveCineon;
         settings.cineonWhite = argument.number.integer;
         return true;
     },
     [](double number) {
         const auto value = static_cast<std::int32_t>(number);
         return "Cineon white " + std::to_string(value);
     },
     nullptr, nullptr, nullptr, true, nullptr},
    {SwitchId::Cineon, "c", false, SwitchValue::None,
     [](const ParsedArgument&, ConversionSettings& settings, std::string*) {
         settings.curveKind = kCurveCineon;
         return true;
     },
     nullptr, nullptr, nullptr, nullptr, true, "-c (the Cineon curve)"},
    {SwitchId::Debayer, "d", false, SwitchValue::Integer,
     [](const ParsedArgument& argument, ConversionSettings& settings, std::string*) {
         settings.debayerType = argument.number.integer;
         settings.debayerExplicit = true;
         return true;
     },
     [](double number) {
         const auto value = static_cast<std::int32_t>(number);
         return value >= 1 && value <= kDebayerMaximum ? "debayer type " + std::to_string(value)
                                                       : std::string("the plain demosaic (debayer type 0)");
     },
     [](double number) {
         const auto value = static_cast<std::int32_t>(number);
         if (value >= 0 && value <= kDebayerMaximum) return std::string();
         return "debayer type " + std::to_string(value) + " is outside 1 to " +
                std::to_string(kDebayerMaximum) + "; the plain demosaic (as -d0) is used";
     },
     nullptr, nullptr, false, nullptr},
    {SwitchId::FrameRate, "f", false, SwitchValue::Rate,
     [](const ParsedArgument& argument, ConversionSettings& settings, std::string*) {
         const NumberText& number = argument.number;
         if (number.fraction)
             applyFrameRateSwitch(SwitchFrameRate{number.real, number.numerator, number.denominator},
                                  settings);
         else
             applyFrameRateSwitch(frameRateOfSwitch(number.taken > 0 ? number.real : settings.frameRate),
                                  settings);
         return true;
     },
     describeFrameRate,
     [](double value) {
         return value > 0 ? std::string()
                          : "a frame rate must be above 0; " + describeFrameRate(value) + " is used as given";
     },
     "the frame rate is for movies; a DPX sequence does not use it", nullptr, false, nullptr},
    {SwitchId::Gamma, "g", false, SwitchValue::Float,
     [](const ParsedArgument& argument, ConversionSettings& settings, std::string* failure) {
         return setCurve(argument, settings, failure, kCurveGamma);
     },
     [](double value) { return "gamma " + numberText(static_cast<float>(value)); }, nullptr, nullptr, nullptr,
     true, nullptr},
    {SwitchId::Height, "h", false, SwitchValue::Integer,
     [](const ParsedArgument& argument, ConversionSettings& settings, std::string*) {
         settings.outputHeight = argument.number.integer;
         return true;
     },
     [](double number) {
         const auto value = static_cast<std::int32_t>(number);
         return value < 1 ? std::string("the crop height") : "output height " + std::to_string(value);
     },
     nullptr, nullptr, kBayerKeepsItsSize, false, nullptr},
    {SwitchId::InPoint, "i", false, SwitchValue::Integer,
     [](const ParsedArgument& argument, ConversionSettings& settings, std::string*) {
         settings.inPoint = static_cast<std::uint32_t>(argument.number.integer);
         return true;
     },
     [](double number) {
         const auto value = static_cast<std::int32_t>(number);
         return "in point " + std::to_string(static_cast<std::uint32_t>(value));
     },
     nullptr, nullptr, nullptr, false, nullptr},
    {SwitchId::Log, "l", false, SwitchValue::Float,
     [](const ParsedArgument& argument, ConversionSettings& settings, std::string* failure) {
         return setCurve(argument, settings, failure, kCurveLog);
     },
     [](double value) { return "log power " + numberText(static_cast<float>(value)); }, nullptr, nullptr,
     nullptr, true, nullptr},
    {SwitchId::OutPoint, "o", false, SwitchValue::Integer,
     [](const ParsedArgument& argument, ConversionSettings& settings, std::string*) {
         settings.outPoint = static_cast<std::uint32_t>(argument.number.integer);
         return true;
     },
     [](double number) {
         const auto value = static_cast<std::int32_t>(number);
         if (value < 0) return std::string("no out point");
         return value == 0 ? std::string("out point 0 (one frame of each clip)")
                           : "out point " + std::to_string(value);
     },
     nullptr, nullptr, nullptr, false, nullptr},
    {SwitchId::Quality, "q", false, SwitchValue::Integer,
     [](const ParsedArgument& argument, ConversionSettings& settings, std::string*) {
         settings.quality = argument.number.integer;
         return true;
     },
     [](double number) {
         const auto value = static_cast<std::int32_t>(number);
         return "quality " + std::to_string(value);
     },
     [](double number) {
         const auto value = static_cast<std::int32_t>(number);
         if (value >= kQualityMinimum && value <= kQualityMaximum) return std::string();
         return "quality " + std::to_string(value) + " is outside " + std::to_string(kQualityMinimum) +
                " to " + std::to_string(kQualityMaximum) + "; it is passed to the encoder as given";
     },
     "the quality is for movies; a DPX sequence does not use it", nullptr, false, nullptr},
    {SwitchId::Skip, "s", false, SwitchValue::Integer,
     [](const ParsedArgument& argument, ConversionSettings& settings, std::string*) {
         settings.skipFrames = argument.number.integer;
         return true;
     },
     [](double number) {
         const auto value = static_cast<std::int32_t>(number);
         return value <= 0 ? std::string("no skipping")
                           : "skipping " + std::to_string(value) + " frames after each one";
     },
     [](double number) {
         const auto value = static_cast<std::int32_t>(number);
         return value < 0 ? std::string("a negative count skips nothing") : std::string();
     },
     nullptr, nullptr, false, nullptr},
    {SwitchId::WhiteLevel, "wl", false, SwitchValue::Integer,
     [](const ParsedArgument& argument, ConversionSettings& settings, std::string*) {
         settings.whiteOverride = argument.number.integer;
         return true;
     },
     [](double value) { return describeLevel("white", value); }, levelOutsideRange, nullptr, nullptr, true,
     nullptr},
    {SwitchId::Width, "w", false, SwitchValue::Integer,
     [](const ParsedArgument& argument, ConversionSettings& settings, std::string*) {
         settings.outputWidth = argument.number.integer;
         return true;
     },
     [](double number) {
         const auto value = static_cast<std::int32_t>(number);
         return value < 1 ? std::string("the crop width") : "output width " + std::to_string(value);
     },
     nullptr, nullptr, kBayerKeepsItsSize, false, nullptr},
    {SwitchId::Verbose, "v", true, SwitchValue::None,
     [](const ParsedArgument&, ConversionSettings& settings, std::string*) {
         settings.verbose = true;
         return true;
     },
     nullptr, nullptr, nullptr, nullptr, false, "-v (verbose)"},
    {SwitchId::Window, "(", true, SwitchValue::Window,
     [](const ParsedArgument& argument, ConversionSettings& settings, std::string*) {
         applySourceWindowSwitch(argument.window, settings);
         return true;
     },
     nullptr, nullptr, nullptr, nullptr, false, nullptr},
}};

char lowerCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool selects(const SwitchSpec& option, const char* afterDash) {
    for (const char* letter = option.letters; *letter != '\0'; ++letter, ++afterDash) {
        const char typed = option.exactCase ? *afterDash : lowerCase(*afterDash);
        if (typed != *letter) return false;
    }
    return true;
}

}  // namespace

std::span<const SwitchSpec> switchTable() {
    return kSwitches;
}

const SwitchSpec* findSwitch(const char* argument) {
    for (const SwitchSpec& option : kSwitches)
        if (selects(option, argument + 1)) return &option;
    return nullptr;
}
