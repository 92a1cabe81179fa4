#include "app/report/clip_messages.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

#include "app/cli/source_window.h"
#include "app/report/console.h"
#include "app/run/frame_buffers.h"
#include "platform/path.h"

namespace {

constexpr int kWindowWidthStep = 16;
// A lens-cap recording averages close to its black level; the same margin,
// in raw 14-bit units, decides which match of a -bc pattern is dark.
constexpr std::int32_t kLensCapMargin = 200;

using Window = std::array<std::int32_t, 4>;  // left, top, right, bottom

bool endsWithIgnoringCase(std::string_view text, std::string_view ending) {
    if (text.size() < ending.size()) return false;
    const std::string_view tail = text.substr(text.size() - ending.size());
    return std::equal(tail.begin(), tail.end(), ending.begin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
}

// The window the rules of the switch make of what was typed.
Window adjustedWindow(const std::string& windowArgument) {
    ConversionSettings scratch;
    applySourceWindowSwitch(readWindowText(windowArgument.c_str() + 1), scratch);
    return {scratch.windowLeft, scratch.windowTop, scratch.windowRight, scratch.windowBottom};
}

std::string joined(const std::vector<std::string>& parts, const char* separator) {
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : separator) + part;
    return text;
}

}  // namespace

void explainOpenFailure(Console& console, const ClipOpenFailure& failure, const RawClipTrailer& trailer,
                        const char* whatNext) {
    const std::string reason = platform::errorText(failure.error);
    const char* path = failure.path.c_str();
    switch (failure.problem) {
        case ClipOpenProblem::CannotOpen:
            if (failure.lastSearched.empty())
                console.error("cannot open %s: %s; %s", path, reason.c_str(), whatNext);
            else if (endsWithIgnoringCase(failure.lastSearched, ".RAW"))
                console.error("no RAW trailer at the end of %s, and %s cannot be opened: %s; %s",
                              failure.lastSearched.c_str(), path, reason.c_str(), whatNext);
            else
                console.error(
                    "no RAW trailer at the end of the clip's .RAW file or of its continuations up to %s, and "
                    "%s "
                    "cannot be opened: %s; %s",
                    failure.lastSearched.c_str(), path, reason.c_str(), whatNext);
            break;
        case ClipOpenProblem::CannotSeek:
            console.error("cannot seek in %s: %s; %s", path, reason.c_str(), whatNext);
            break;
        case ClipOpenProblem::CannotReopen:
            console.error("cannot open %s again to read its first frame: %s; %s", path, reason.c_str(),
                          whatNext);
            break;
        case ClipOpenProblem::NoTrailer:
            console.error(
                "no RAW trailer at the end of the clip's .RAW file or of its continuations up to %s; %s",
                path, whatNext);
            break;
        case ClipOpenProblem::WrongVersion:
            console.error("%s: the trailer is version %d (offset 32); only version %d can be read; %s", path,
                          trailer.version, kSupportedTrailerVersion, whatNext);
            break;
        case ClipOpenProblem::UnreadableTrailer: {
            const TrailerProblem& problem = failure.trailerProblem;
            console.error("%s: unreadable clip trailer: %s is %llu, but %s; %s", path,
                          trailerFieldName(problem.field),
                          static_cast<unsigned long long>(trailerFieldValue(trailer, problem.field)),
                          problem.reason, whatNext);
            break;
        }
        case ClipOpenProblem::NotAnArchive:
            console.error("%s is no camera archive: %s; %s", path, failure.reason.c_str(), whatNext);
            break;
        case ClipOpenProblem::None:
            break;
    }
}

void reportEmptyWindow(Console& console, const ArgumentNotes& notes, const ClipSettings& settings,
                       int frameWidth, int frameHeight, const std::string& message) {
    if (notes.windowArgument.empty()) {
        console.error("%s", message.c_str());
        return;
    }
    const std::int32_t left = settings.windowLeft;
    const std::int32_t top = settings.windowTop;
    const std::int64_t columns = std::int64_t{std::min(settings.windowRight, frameWidth)} - left;
    const std::int64_t rows = std::int64_t{std::min(settings.windowBottom, frameHeight)} - top;
    std::string why;
    if (left >= frameWidth) {
        why = "x1 = " + std::to_string(left) + " lies right of the frame";
    } else if (top >= frameHeight) {
        why = "y1 = " + std::to_string(top) + " lies below the frame";
    } else if (columns <= 0) {
        why = "x2 is not right of x1";
    } else if (rows <= 0) {
        why = "y2 is not below y1";
    } else {
        why = "a window is at least " + std::to_string(kWindowWidthStep) + " wide, and only " +
              std::to_string(columns) + " columns of the frame lie right of x1 = " + std::to_string(left);
    }
    console.error("%s: the window leaves nothing of the %dx%d frame: %s", notes.windowArgument.c_str(),
                  frameWidth, frameHeight, why.c_str());
}

void warnAboutWindowUsed(Console& console, const ArgumentNotes& notes, const CropGeometry& crop) {
    if (notes.windowArgument.empty()) return;
    const Window used = {crop.left, crop.top, crop.left + crop.cropWidth, crop.top + crop.cropHeight};
    const Window& typed = notes.windowTyped;
    if (notes.windowComplete && typed == used) return;

    std::vector<std::string> reasons;
    const Window adjusted = adjustedWindow(notes.windowArgument);
    if (!notes.windowComplete) {
        reasons.push_back("it is not four integers x1,y1,x2,y2");
    } else if (typed[2] <= typed[0] || typed[3] <= typed[1]) {
        reasons.push_back("it does not end right of and below where it starts");
    } else {
        if (adjusted != typed)
            reasons.push_back(
                "a window starts on an even column and row, and is a multiple of 16 wide and an even number "
                "of rows high");
        if (adjusted != used)
            reasons.push_back("only the part inside the frame is used, a multiple of 16 wide");
    }
    char window[96];
    std::snprintf(window, sizeof window, "(%d,%d,%d,%d)", used[0], used[1], used[2], used[3]);
    const std::string reason = joined(reasons, "; ");
    char frame[32];
    std::snprintf(frame, sizeof frame, "%dx%d", crop.frameWidth, crop.frameHeight);
    const std::string key = notes.windowArgument + window + frame;
    if (!console.firstTime(key)) return;
    console.warn("%s: the picture is taken from the window %s of the %s frame: %s",
                 notes.windowArgument.c_str(), window, frame, reason.c_str());
}

void warnAboutColumnsLeftOut(Console& console, const CropGeometry& crop, const std::string& clipPath) {
    if (crop.cropWidth >= crop.frameWidth) return;
    const int right = crop.left + crop.cropWidth;
    console.warn(
        "%s: the frame is %d wide and a picture a multiple of %d: columns %d to %d are used and %d to %d "
        "left out "
        "(a window -(x1,y1,x2,y2) chooses others)",
        clipPath.c_str(), crop.frameWidth, kWindowWidthStep, crop.left, right - 1, right,
        crop.frameWidth - 1);
}

void warnAboutUngradedSamples(Console& console, const ArgumentNotes& notes, const RawClipTrailer& trailer,
                              const std::string& clipPath, bool calibrating, bool blackFrameGiven) {
    const bool storedSamples = storesPlainSamples(trailer);
    if (!storedSamples && trailer.packing != kPacking12) return;
    const char* samples = storedSamples ? "holds stored 16-bit samples" : "is a 12-bit clip";
    if (calibrating) {
        console.warn("%s: %s %s, whose frames add nothing to the black frame",
                     notes.calibrationArgument.c_str(), clipPath.c_str(), samples);
        return;
    }
    std::vector<std::string> switches = notes.gradingArguments;
    if (blackFrameGiven) switches.push_back(notes.calibrationArgument);
    if (switches.empty()) return;
    const std::string named = joined(switches, " ");
    if (!console.firstTime(named + '\n' + clipPath)) return;
    console.warn(
        "%s: not applied to %s, which %s: its samples go out without tone curve, levels or black frame",
        named.c_str(), clipPath.c_str(), samples);
}

void warnAboutInPointPastEnd(Console& console, const ArgumentNotes& notes, std::uint32_t inPoint,
                             const std::string& clipPath) {
    const std::string& argument = notes.inPointArgument;
    if (inPoint > static_cast<std::uint32_t>(INT32_MAX))
        console.warn("%s: a negative in point reads as %u, past the end of %s: nothing of it is converted",
                     argument.c_str(), inPoint, clipPath.c_str());
    else
        console.warn("%s: the in point lies past the last frame of %s: nothing of it is converted",
                     argument.c_str(), clipPath.c_str());
}

void warnAboutBlackCalibration(Console& console, const ArgumentNotes& notes,
                               const std::string& calibrationPath, const BlackCalibrationSummary& summary,
                               std::int32_t blackLevel, bool patternWithoutDarkClip) {
    const std::int64_t above = std::int64_t{summary.average} - blackLevel;
    const char* argument = notes.calibrationArgument.c_str();
    if (patternWithoutDarkClip) {
        console.warn(
            "%s: no clip matching %s looks recorded with the lens cap on, so the frames of all its matches "
            "were "
            "summed into the black frame: their average is %d, %lld above the black level %d",
            argument, calibrationPath.c_str(), summary.average, static_cast<long long>(above), blackLevel);
    } else if (above >= kLensCapMargin) {
        console.warn(
            "%s: %s does not look recorded with the lens cap on: its average is %d, %lld above its black "
            "level %d; it is used as the black frame all the same",
            argument, calibrationPath.c_str(), summary.average, static_cast<long long>(above), blackLevel);
    }
}

void reportPictureBeyondLimit(Console& console, const char* what, int width, int height) {
    const std::uint64_t bytes = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) * 6;
    console.error("a %dx%d %s needs %llu bytes, more than the %llu bytes a picture may take", width, height,
                  what, static_cast<unsigned long long>(bytes),
                  static_cast<unsigned long long>(kPictureByteLimit));
}

void reportNoMemoryFor(Console& console, const char* what, int width, int height, std::uint64_t bytes) {
    console.error("no memory for a %dx%d %s of %llu bytes", width, height, what,
                  static_cast<unsigned long long>(bytes));
}
