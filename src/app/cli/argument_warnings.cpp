#include "app/cli/argument_warnings.h"

#include <cstdint>
#include <string_view>

#include "app/run/clip_paths.h"
#include "app/cli/path_kind.h"
#include "app/cli/switch_warnings.h"
#include "platform/diagnostics.h"
#include "platform/directory.h"
#include "platform/path.h"

namespace {

bool isDpxRun(const ConversionSettings& settings) {
    return !settings.outputPath.empty() && !settings.movieOutput;
}

// A tag is +TAG=value with a four-character TAG, a freeform entry
// :name=value with a name of at least one character; anything else adds
// nothing.
bool isTag(std::string_view argument) {
    return argument.size() >= 7 && argument[5] == '=';
}

bool isFreeformEntry(std::string_view argument) {
    return argument.size() >= 4 && argument.find('=', 2) != std::string_view::npos;
}

// The time code tags number the files of a DPX sequence too.
bool isTimeCodeTag(std::string_view argument) {
    return argument.substr(0, 6) == "+TIMC=" || argument.substr(0, 6) == "+TIMB=";
}

void checkMetadataArgument(const char* argument, bool dpxRun) {
    const bool wellFormed = argument[0] == '+' ? isTag(argument) : isFreeformEntry(argument);
    if (!wellFormed) {
        if (argument[0] == '+')
            platform::warn("%s: ignored: a tag is written +TAG=value, with a four-character TAG", argument);
        else
            platform::warn("%s: ignored: a freeform entry is written :name=value", argument);
        return;
    }
    if (dpxRun && !isTimeCodeTag(argument))
        platform::warn("%s: metadata goes into movies; a DPX sequence does not carry it", argument);
}

// An argument that is not a switch or a tag and names no clip or output.
void warnIgnoredArgument(const std::string& argument) {
    // A clip named without its extension is the likeliest slip.
    const std::string clipFile = platform::findFileIgnoringCase(argument + ".RAW");
    if (!argument.empty() && platform::fileIdentity(clipFile))
        platform::warn("%s: ignored: not a clip, an output, a switch or a tag (did you mean %s?)",
                       argument.c_str(), clipFile.c_str());
    else
        platform::warn(
            "%s: ignored: not a clip (.RAW, .R00), an output (.avi, .mov, .dpx), a switch or a tag",
            argument.c_str());
}

void warnAboutOutputs(const std::vector<std::string>& outputs, const ConversionSettings& settings) {
    if (outputs.size() < 2) return;
    std::string named;
    for (const std::string& output : outputs) named += (named.empty() ? "" : ", ") + output;
    const std::string& used = outputs.back();
    if (settings.movieOutput && classifyPath(used) == PathKind::Dpx)
        platform::warn(
            "more than one output given (%s): %s, the last, is used, and as a movie, since an .avi or .mov "
            "output came before it",
            named.c_str(), used.c_str());
    else
        platform::warn("more than one output given (%s): %s, the last, is used", named.c_str(), used.c_str());
}

void warnAboutCalibration(const SwitchScan& scan, int argc, const char* const* argv,
                          const ConversionSettings& settings) {
    const std::string& argument = scan.notes.calibrationArgument;
    if (argument.empty()) return;
    if (settings.blackCalibrationPath.empty()) {
        const int next = scan.calibrationIndex + 1;
        if (next < argc && classifyPath(argv[next]) == PathKind::Raw && argv[next][0] != '-')
            platform::warn(
                "%s: no clip after -bc, so there is no black calibration (write the clip right after it, "
                "as -bc%s); %s is converted as an input instead",
                argument.c_str(), argv[next], argv[next]);
        else
            platform::warn(
                "%s: no clip after -bc, so there is no black calibration (write the clip right after it, as "
                "-bcCAP.RAW)",
                argument.c_str());
        return;
    }
    if (classifyPath(settings.blackCalibrationPath) != PathKind::Raw)
        platform::warn("%s: %s is not a .RAW or .R00 clip, so there is no black calibration",
                       argument.c_str(), settings.blackCalibrationPath.c_str());
}

void warnAboutFramePoints(const SwitchScan& scan, const ConversionSettings& settings) {
    // A negative in point is warned about clip by clip: nothing of any clip is converted.
    if (!scan.outPointRead || settings.inPoint > INT32_MAX) return;
    if (settings.outPoint <= settings.inPoint)
        platform::warn(
            "%s: the out point is not after the in point %u; one frame, frame %u, is converted from each "
            "clip",
            scan.outPointArgument.c_str(), settings.inPoint, settings.inPoint);
}

void warnAboutCineonPoints(const SwitchScan& scan, const ConversionSettings& settings) {
    if (settings.curveKind != kCurveCineon || settings.cineonBlack < settings.cineonWhite) return;
    platform::warn("%s: the Cineon black %d is not below the white %d; the curve is made from them as given",
                   scan.cineonArgument.c_str(), settings.cineonBlack, settings.cineonWhite);
}

}  // namespace

ArgumentNotes warnAboutArguments(int argc, const char* const* argv, const ConversionSettings& settings,
                                 const std::vector<std::string>& clipArguments) {
    SwitchScan scan;
    scan.dpxRun = isDpxRun(settings);
    for (int index = 1; index < argc; ++index)
        if (std::string_view(argv[index]).substr(0, 6) == "+TIMC=" && isTag(argv[index]))
            scan.timeCodeTag = true;
    std::vector<std::string> outputs;
    for (int index = 1; index < argc; ++index) {
        const char* argument = argv[index];
        if (argument[0] == '-') {
            checkSwitchArgument(scan, argument, index);
        } else if (argument[0] == '+' || argument[0] == ':') {
            checkMetadataArgument(argument, scan.dpxRun);
        } else {
            switch (classifyPath(argument)) {
                case PathKind::Avi:
                case PathKind::Mov:
                case PathKind::Dpx:
                    outputs.push_back(argument);
                    break;
                case PathKind::Raw:
                    break;
                case PathKind::Other:
                    warnIgnoredArgument(argument);
                    break;
            }
        }
    }

    warnAboutOutputs(outputs, settings);
    warnAboutCalibration(scan, argc, argv, settings);
    warnAboutFramePoints(scan, settings);
    warnAboutCineonPoints(scan, settings);
    if (clipArguments.empty())
        platform::warn("no clip given, so nothing is converted: name the .RAW (or .R00) clips to convert");
    if (containsWildcard(settings.outputPath)) {
        for (const std::string& clip : clipArguments)
            if (!containsWildcard(clip))
                platform::warn(
                    "%s: the output holds a '*' but the clip argument %s does not, so the '*' stays in the "
                    "names written",
                    settings.outputPath.c_str(), clip.c_str());
    }
    return scan.notes;
}
