#include "app/cli/argument_warnings.h"

#include <string>
#include <string_view>
#include <vector>

#include "app/report/console.h"
#include "app/run/clip_paths.h"
#include "platform/directory.h"
#include "platform/path.h"

namespace {

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

// What the look at the switches keeps from one argument to the next: the
// values in force of the numbers that keep their earlier value when a
// later switch gives none.
struct SwitchScan {
    Console& console;
    bool dpxRun = false;       // the output is a DPX sequence: movie-only switches do nothing
    bool rawMovies = false;    // the output is RAW movies: picture-only switches do nothing
    bool archive = false;      // --archive: only the window and -v apply
    bool timeCodeTag = false;  // a +TIMC tag is given: a DPX sequence's time codes count at the frame rate
    double curveParam = 113.0;
    double frameRate = 24.0;
};

void warnUnknown(Console& console, const ParsedArgument& argument) {
    if (argument.text.size() > 1 && argument.text[1] == 'V')
        console.warn("%s: unknown switch, ignored (verbose output is -v, in lower case)",
                     argument.text.c_str());
    else
        console.warn("%s: unknown switch, ignored", argument.text.c_str());
}

// Says what is wrong with the text of a number: none there, or text after
// it; then whether it lies outside the range the help text gives.
void checkNumber(Console& console, const ParsedArgument& argument, double inForce) {
    const SwitchSpec& option = *argument.option;
    const std::string used = option.describe(inForce);
    const std::string value(argument.valueText());
    const char* text = argument.text.c_str();
    if (argument.number.taken == 0) {
        if (value.empty())
            console.warn("%s: no number given; %s is used", text, used.c_str());
        else
            console.warn("%s: \"%s\" is not a number; %s is used", text, value.c_str(), used.c_str());
        return;
    }
    if (argument.number.textAfter) {
        console.warn("%s: \"%s\" after the number is ignored; %s is used", text,
                     value.c_str() + argument.number.taken, used.c_str());
        return;
    }
    if (option.outsideRange == nullptr) return;
    const std::string outside = option.outsideRange(inForce);
    if (!outside.empty()) console.warn("%s: %s", text, outside.c_str());
}

void checkSwitch(SwitchScan& scan, const ParsedArgument& argument) {
    Console& console = scan.console;
    if (argument.kind == ArgumentKind::UnknownSwitch) {
        warnUnknown(console, argument);
        return;
    }
    const SwitchSpec& option = *argument.option;
    if (scan.archive && option.id != SwitchId::Window && option.id != SwitchId::Verbose) {
        console.warn(
            "%s: an archive keeps every frame's samples as the clip stores them; give it when the archive "
            "is developed",
            argument.text.c_str());
        return;
    }
    const bool dpxUsesIt =
        option.notForDpx == nullptr || (option.id == SwitchId::FrameRate && scan.timeCodeTag);
    if (scan.dpxRun && !dpxUsesIt) {
        console.warn("%s: %s", argument.text.c_str(), option.notForDpx);
        return;
    }
    if (scan.rawMovies && option.notForRawMovie != nullptr) {
        console.warn("%s: %s", argument.text.c_str(), option.notForRawMovie);
        return;
    }
    switch (option.value) {
        case SwitchValue::None:
            if (option.readAs != nullptr && !argument.valueText().empty())
                console.warn("%s: read as %s; \"%s\" is ignored", argument.text.c_str(), option.readAs,
                             std::string(argument.valueText()).c_str());
            break;
        case SwitchValue::Integer:
            checkNumber(console, argument, argument.number.integer);
            break;
        case SwitchValue::Float:
        case SwitchValue::Rate: {
            // -l and -g share the curve parameter: a value that cannot be read keeps the one before it.
            double& inForce = option.id == SwitchId::FrameRate ? scan.frameRate : scan.curveParam;
            if (argument.number.taken > 0) inForce = argument.number.real;
            checkNumber(console, argument, inForce);
            break;
        }
        case SwitchValue::Text:
        case SwitchValue::Window:
            break;
    }
}

void checkMetadataArgument(Console& console, const std::string& argument, bool dpxRun) {
    const bool wellFormed = argument[0] == '+' ? isTag(argument) : isFreeformEntry(argument);
    if (!wellFormed) {
        if (argument[0] == '+')
            console.warn("%s: ignored: a tag is written +TAG=value, with a four-character TAG",
                         argument.c_str());
        else
            console.warn("%s: ignored: a freeform entry is written :name=value", argument.c_str());
        return;
    }
    if (dpxRun && !isTimeCodeTag(argument))
        console.warn("%s: metadata goes into movies; a DPX sequence does not carry it", argument.c_str());
}

// An argument that is not a switch or a tag and names no clip or output.
void warnIgnoredArgument(Console& console, const std::string& argument) {
    // A clip named without its extension is the likeliest slip.
    const std::string clipFile = platform::findFileIgnoringCase(argument + ".RAW");
    if (!argument.empty() && platform::fileIdentity(clipFile))
        console.warn("%s: ignored: not a clip, an output, a switch or a tag (did you mean %s?)",
                     argument.c_str(), clipFile.c_str());
    else
        console.warn("%s: ignored: not a clip (.RAW, .R00), an output (.avi, .mov, .dpx), a switch or a tag",
                     argument.c_str());
}

void warnAboutOutputs(Console& console, const std::vector<std::string>& outputs,
                      const ConversionSettings& settings) {
    if (outputs.size() < 2) return;
    std::string named;
    for (const std::string& output : outputs) named += (named.empty() ? "" : ", ") + output;
    const std::string& used = outputs.back();
    if (settings.movieOutput && classifyPath(used) == PathKind::Dpx)
        console.warn(
            "more than one output given (%s): %s, the last, is used, and as a movie, since an .avi or .mov "
            "output came before it",
            named.c_str(), used.c_str());
    else
        console.warn("more than one output given (%s): %s, the last, is used", named.c_str(), used.c_str());
}

void warnAboutCalibration(Console& console, const ArgumentList& arguments,
                          const ConversionSettings& settings) {
    const ParsedArgument* calibration = lastSwitch(arguments, SwitchId::Calibration);
    if (calibration == nullptr) return;
    const char* argument = calibration->text.c_str();
    if (settings.blackCalibrationPath.empty()) {
        const std::size_t next = static_cast<std::size_t>(calibration->index) + 1;
        if (next < arguments.size() && arguments[next].kind == ArgumentKind::Clip) {
            const char* clip = arguments[next].text.c_str();
            console.warn(
                "%s: no clip after -bc, so there is no black calibration (write the clip right after it, as "
                "-bc%s); %s is converted as an input instead",
                argument, clip, clip);
        } else {
            console.warn(
                "%s: no clip after -bc, so there is no black calibration (write the clip right after it, as "
                "-bcCAP.RAW)",
                argument);
        }
        return;
    }
    const PathKind kind = classifyPath(settings.blackCalibrationPath);
    if ((kind == PathKind::Avi || kind == PathKind::Mov) && containsWildcard(settings.blackCalibrationPath))
        console.warn(
            "%s: a wildcard of archives is not searched for a lens-cap one, so there is no black "
            "calibration: name the archive",
            argument);
    else if (kind != PathKind::Raw && kind != PathKind::Avi && kind != PathKind::Mov)
        console.warn("%s: %s is not a .RAW or .R00 clip, so there is no black calibration", argument,
                     settings.blackCalibrationPath.c_str());
}

void warnAboutFramePoints(Console& console, const ArgumentList& arguments,
                          const ConversionSettings& settings) {
    // A negative in point is warned about clip by clip: nothing of any clip is converted.
    const ParsedArgument* outPoint = lastSwitch(arguments, SwitchId::OutPoint);
    if (outPoint == nullptr || !outPoint->number.clean() || settings.inPoint > INT32_MAX) return;
    if (settings.outPoint <= settings.inPoint)
        console.warn(
            "%s: the out point is not after the in point %u; one frame, frame %u, is converted from each "
            "clip",
            outPoint->text.c_str(), settings.inPoint, settings.inPoint);
}

void warnAboutCineonPoints(Console& console, const ArgumentList& arguments,
                           const ConversionSettings& settings) {
    if (settings.curveKind != kCurveCineon || settings.cineonBlack < settings.cineonWhite) return;
    std::string cineonArgument;  // the last -cb or -cw, as typed
    for (const ParsedArgument& argument : arguments)
        if (argument.is(SwitchId::CineonBlack) || argument.is(SwitchId::CineonWhite))
            cineonArgument = argument.text;
    console.warn("%s: the Cineon black %d is not below the white %d; the curve is made from them as given",
                 cineonArgument.c_str(), settings.cineonBlack, settings.cineonWhite);
}

}  // namespace

void warnAboutArguments(const CommandLine& line, Console& console) {
    const ConversionSettings& settings = line.settings;
    SwitchScan scan{console};
    scan.dpxRun = !settings.outputPath.empty() && !settings.movieOutput;
    scan.rawMovies =
        settings.movieOutput && settings.outputFormat == OutputFormat::Raw && !line.options.archive;
    scan.archive = line.options.archive;
    for (const ParsedArgument& argument : line.arguments)
        if (argument.index > 0 && argument.kind == ArgumentKind::Tag &&
            argument.text.rfind("+TIMC=", 0) == 0 && isTag(argument.text))
            scan.timeCodeTag = true;
    for (const ParsedArgument& argument : line.arguments) {
        if (argument.index == 0) continue;
        switch (argument.kind) {
            case ArgumentKind::Switch:
            case ArgumentKind::UnknownSwitch:
                checkSwitch(scan, argument);
                break;
            case ArgumentKind::Tag:
            case ArgumentKind::Freeform:
                checkMetadataArgument(console, argument.text, scan.dpxRun);
                break;
            case ArgumentKind::Ignored:
                warnIgnoredArgument(console, argument.text);
                break;
            case ArgumentKind::LongOption:
            case ArgumentKind::Output:
            case ArgumentKind::Clip:
            case ArgumentKind::Archive:
                break;
        }
    }

    warnAboutOutputs(console, outputArgumentsOf(line.arguments), settings);
    warnAboutCalibration(console, line.arguments, settings);
    warnAboutFramePoints(console, line.arguments, settings);
    warnAboutCineonPoints(console, line.arguments, settings);
    const std::vector<std::string> clips = clipArgumentsOf(line.arguments);
    if (containsWildcard(settings.outputPath)) {
        for (const std::string& clip : clips)
            if (!containsWildcard(clip))
                console.warn(
                    "%s: the output holds a '*' but the clip argument %s does not, so the '*' stays in the "
                    "names "
                    "written",
                    settings.outputPath.c_str(), clip.c_str());
    }
}

ArgumentNotes argumentNotesOf(const ArgumentList& arguments) {
    ArgumentNotes notes;
    for (const ParsedArgument& argument : arguments) {
        if (argument.index == 0 || argument.kind != ArgumentKind::Switch) continue;
        if (argument.option->grading) notes.gradingArguments.push_back(argument.text);
        if (argument.is(SwitchId::InPoint)) notes.inPointArgument = argument.text;
        if (argument.is(SwitchId::Calibration)) notes.calibrationArgument = argument.text;
        if (argument.is(SwitchId::Window)) {
            notes.windowArgument = argument.text;
            notes.windowComplete = argument.window.complete();
            if (notes.windowComplete) notes.windowTyped = argument.window.values;
        }
    }
    return notes;
}
