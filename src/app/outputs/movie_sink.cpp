#include "app/outputs/movie_sink.h"

#include <cerrno>
#include <cstring>

#include "app/report/exit_codes.h"
#include "app/run/clip_paths.h"
#include "app/run/clip_settings.h"
#include "app/run/pass_state.h"
#include "app/run/run_checks.h"
#include "files/output_pattern.h"
#include "media/result_codes.h"
#include "platform/sleep.h"
#include "raw/clip_color.h"

namespace {

const char kEncodeFailedMessage[] = "Failed to encode.  Do you have Zorvex Tavrix Studio installed?\n";
constexpr std::int32_t kNoDebayerChosen = 65535;

// A failure that carries the errno of a write: the movie could not be written.
int writeErrno(HRESULT result) {
    if (result == E_OUTOFMEMORY || result == E_INVALIDARG) return 0;
    return errnoFromHresult(result);
}

}  // namespace

MovieSink::MovieSink(const RunInputs& inputs, const std::string& calibrationPath, SinkPicture picture,
                     Console& console)
    : inputs_(inputs), calibrationPath_(calibrationPath), picture_(picture), console_(console) {}

StepOutcome MovieSink::startClip(const PassState& pass, const std::string& basePath,
                                 const std::string& baseName) {
    const std::string& output = inputs_.settings.outputPath;
    const std::string name = pass.wildcardMode == WildcardMode::InputAndOutput
                                 ? wildcardMovieName(output, baseName)
                                 : formatFrameName(output, static_cast<std::int64_t>(pass.frameCounter));
    if (name.empty() || failed(graph_.SetOutputFile(name))) {
        console_.report("Could not build graph to make: %s\n", (basePath + ".RAW").c_str());
        return RunStop{exit_codes::kMovieNameRefused, false};
    }
    if (outputIsAnInput(inputs_, graph_.outputPath())) {
        console_.error("%s is one of the input clips' files: not writing over it",
                       graph_.outputPath().c_str());
        return RunStop{exit_codes::kUsage, true};
    }
    movieName_ = name;
    return std::nullopt;
}

StepOutcome MovieSink::prepareClip(const ClipState& clip) {
    // 4:2:2 pairs the pixels of a row.
    if (picture_ == SinkPicture::Yuv422 && clip.outputWidth % 2 != 0) {
        console_.error("4:2:2 pictures need an even width, not %d: give -w an even value", clip.outputWidth);
        return RunStop{exit_codes::kUsage, true};
    }
    return std::nullopt;
}

StepOutcome MovieSink::clipPositioned(const PassState&, const ClipState& clip,
                                      const ClipSettings& clipSettings) {
    rateNumerator_ = clipSettings.rateNumerator;
    rateDenominator_ = clipSettings.rateDenominator;
    curveCode_ = clipSettings.curveCode;
    ClipColorInfo color;
    const ClipColorResult result = deriveClipColor(clip.reader.trailer().cameraMatrix, color);
    if (!result.cameraMatrixUsable)
        console_.warn(
            "%s: the camera matrix cannot be used; the movie carries the identity matrix and unit white "
            "balance",
            clip.reader.trailerFilePath().c_str());
    graph_.SetClipColor(color.colorMatrix, color.whiteBalance);
    graph_.SetMetadataTags(&inputs_.tags);
    return std::nullopt;
}

StepOutcome MovieSink::frame(const PassState& pass, FramePicture& picture) {
    const ConversionSettings& settings = inputs_.settings;
    if (encoderStartPending_ && picture.width >= 1) {
        graph_.CreateVideoSource(picture.width, picture.height, rateDenominator_, rateNumerator_,
                                 picture_ != SinkPicture::Yuv422, picture_ == SinkPicture::Bayer,
                                 static_cast<std::int32_t>(curveCode_),
                                 settings.debayerExplicit ? settings.debayerType : kNoDebayerChosen);
        graph_.SetQuality(settings.quality, 0);
        graph_.SetOptionFlagA(true);
        graph_.SetOptionFlagB(true);
        encoderStartPending_ = false;
    }
    const HRESULT result =
        graph_.EncodeFrame(picture.buffer->data(), static_cast<std::int32_t>(picture.pitchBytes));
    if (result != S_OK) return encodingFailure(result);
    console_.frameMark(pass.frameCounter);
    return std::nullopt;
}

StepOutcome MovieSink::encodingFailure(HRESULT result) const {
    console_.report("%s", kEncodeFailedMessage);
    if (const int error = writeErrno(result)) {
        console_.error("%s could not be written: %s", graph_.outputPath().c_str(), std::strerror(error));
        return RunStop{exit_codes::kOutputIncomplete, true};
    }
    platform::sleepMilliseconds(1000);
    return RunStop{exit_codes::kNotRawClip, false};
}

StepOutcome MovieSink::finishMovie() {
    const HRESULT result = graph_.Finish();
    sayComponentMessages();
    if (failed(result)) return encodingFailure(result);
    return std::nullopt;
}

void MovieSink::sayComponentMessages() {
    for (const std::string& message : graph_.TakeMessages())
        console_.warn("%s: %s", graph_.outputPath().c_str(), message.c_str());
}

StepOutcome MovieSink::endEntry(const PassState&, const std::string& nextBasePath) {
    // Only an entry that delivered a frame has a movie to name: the
    // calibration clip passed over, or a clip whose in point lies past its
    // end, wrote none.
    const bool movieWritten = !encoderStartPending_;
    if (const StepOutcome outcome = finishMovie()) return outcome;
    if (movieWritten && !calibrationPath_.empty() &&
        !samePathIgnoringCase(calibrationPath_, nextBasePath + ".RAW"))
        console_.report("Finished: %s\n", movieName_.c_str());
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
        graph_.Abandon();
        sayComponentMessages();
        return std::nullopt;
    }
    return finishMovie();
}
