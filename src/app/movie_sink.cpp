#include "app/movie_sink.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "app/clip_paths.h"
#include "app/exit_codes.h"
#include "app/pass_state.h"
#include "app/run_checks.h"
#include "files/output_pattern.h"
#include "platform/diagnostics.h"
#include "platform/sleep.h"
#include "raw/clip_color.h"

namespace {

const char kEncodeFailedMessage[] = "Failed to encode.  Do you have Zorvex Tavrix Studio installed?\n";

// The movie of a clip in wildcard mode: the output argument with its first
// '*' replaced by the clip's base name, taken literally.
std::string wildcardMovieName(const std::string& outputPath, const std::string& baseName) {
    const std::size_t star = outputPath.find('*');
    if (star == std::string::npos) return outputPath;
    return outputPath.substr(0, star) + baseName + outputPath.substr(star + 1);
}

}  // namespace

MovieSink::MovieSink(const RunInputs& inputs, OutputFormat picture) : inputs_(inputs), picture_(picture) {}

StepOutcome MovieSink::startClip(const PassState& pass, const std::string& basePath,
                                 const std::string& baseName) {
    const std::string& output = inputs_.settings.outputPath;
    const std::string name = pass.wildcardMode == 2
                                 ? wildcardMovieName(output, baseName)
                                 : formatFrameName(output, static_cast<std::int64_t>(pass.frameCounter));
    if (!writer_.name(name).ok()) {
        std::printf("Could not build graph to make: %s\n", (basePath + ".RAW").c_str());
        return RunStop{exit_codes::kMovieNameRefused, false};
    }
    if (outputIsAnInput(inputs_, writer_.outputPath())) {
        platform::reportError("%s is one of the input clips' files: not writing over it",
                              writer_.outputPath().c_str());
        return RunStop{exit_codes::kUsage, true};
    }
    movieName_ = name;
    return std::nullopt;
}

StepOutcome MovieSink::prepareClip(const ClipState& clip) {
    // 4:2:2 pairs the pixels of a row.
    if (picture_ == OutputFormat::Yuv422 && clip.outputWidth % 2 != 0) {
        platform::reportError("4:2:2 pictures need an even width, not %d: give -w an even value",
                              clip.outputWidth);
        return RunStop{exit_codes::kUsage, true};
    }
    return std::nullopt;
}

StepOutcome MovieSink::clipPositioned(const PassState&, const ClipState& clip) {
    ClipColorInfo color;
    const ClipColorResult result = deriveClipColor(clip.reader.trailer().cameraMatrix, color);
    if (!result.cameraMatrixUsable)
        platform::warn(
            "%s: the camera matrix cannot be used; the movie carries the identity matrix and unit "
            "white balance",
            clip.reader.trailerFilePath().c_str());
    std::copy(std::begin(color.colorMatrix), std::end(color.colorMatrix), colorMatrix_.begin());
    std::copy(std::begin(color.whiteBalance), std::end(color.whiteBalance), whiteBalance_.begin());
    return std::nullopt;
}

StepOutcome MovieSink::frame(const PassState& pass, FramePicture& picture) {
    const ConversionSettings& settings = inputs_.settings;
    if (encoderStartPending_ && picture.width >= 1) {
        MovieFormat format;
        format.picture = picture_;
        format.width = picture.width;
        format.height = picture.height;
        format.rateNumerator = settings.rateNumerator;
        format.rateDenominator = settings.rateDenominator;
        format.quality = settings.quality;
        format.curveCode = static_cast<std::int32_t>(settings.curveCode);
        if (settings.debayerExplicit) format.debayer = settings.debayerType;
        format.colorMatrix = colorMatrix_;
        format.whiteBalance = whiteBalance_;
        format.tags = &inputs_.tags;
        writer_.open(format);
        encoderStartPending_ = false;
    }
    const Status delivered = writer_.deliver(picture.buffer->data(), picture.pitchBytes);
    if (!delivered.ok()) return encodingFailure(delivered);
    if (settings.verbose)
        std::printf("export frame %llu\n", static_cast<unsigned long long>(pass.frameCounter));
    else
        std::printf(".");
    std::fflush(stdout);
    return std::nullopt;
}

StepOutcome MovieSink::encodingFailure(const Status& failure) const {
    std::printf("%s", kEncodeFailedMessage);
    std::fflush(stdout);
    if (failure.code() == ErrorCode::kWriteFailed) {
        platform::reportError("%s could not be written: %s", writer_.outputPath().c_str(),
                              std::strerror(failure.systemError()));
        return RunStop{exit_codes::kOutputIncomplete, true};
    }
    platform::sleepMilliseconds(1000);
    return RunStop{exit_codes::kNotRawClip, false};
}

StepOutcome MovieSink::finishMovie() {
    const Status finished = writer_.finish();
    sayComponentMessages();
    if (!finished.ok()) return encodingFailure(finished);
    return std::nullopt;
}

void MovieSink::sayComponentMessages() {
    for (const std::string& message : writer_.takeMessages())
        platform::warn("%s: %s", writer_.outputPath().c_str(), message.c_str());
}

StepOutcome MovieSink::endEntry(PassState& pass, const std::string& nextBasePath) {
    // Only an entry that delivered a frame has a movie to name: the
    // calibration clip passed over, or a clip whose in point lies past its
    // end, wrote none.
    const bool movieWritten = !encoderStartPending_;
    if (const StepOutcome outcome = finishMovie()) return outcome;
    const std::string& calibrationPath = inputs_.settings.blackCalibrationPath;
    if (movieWritten && !calibrationPath.empty() &&
        !samePathIgnoringCase(calibrationPath, nextBasePath + ".RAW"))
        std::printf("Finished: %s\n", movieName_.c_str());
    pass.frameCounter = 0;
    encoderStartPending_ = true;
    return std::nullopt;
}

StepOutcome MovieSink::endArgument() {
    encoderStartPending_ = true;
    return finishMovie();
}

StepOutcome MovieSink::endRun(int exitCode) {
    // A run that failed while writing a movie leaves no movie behind.
    if (exitCode == exit_codes::kOutputIncomplete || exitCode == exit_codes::kNotRawClip) {
        writer_.abandon();
        sayComponentMessages();
        return std::nullopt;
    }
    return finishMovie();
}
