#include "app/outputs/movie_sink.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "app/report/exit_codes.h"
#include "app/run/clip_paths.h"
#include "app/run/clip_settings.h"
#include "app/run/pass_state.h"
#include "app/run/run_checks.h"
#include "archive/archive_format.h"
#include "archive/archive_info.h"
#include "files/output_pattern.h"
#include "platform/sleep.h"
#include "raw/clip_color.h"

namespace {

const char kEncodeFailedMessage[] = "Failed to encode.  Do you have Zorvex Tavrix Studio installed?\n";

}  // namespace

MovieSink::MovieSink(const RunInputs& inputs, const std::string& calibrationPath, OutputFormat picture,
                     Console& console, bool archive)
    : inputs_(inputs),
      calibrationPath_(calibrationPath),
      picture_(picture),
      console_(console),
      archive_(archive) {}

StepOutcome MovieSink::startClip(const PassState& pass, const ClipEntry& entry) {
    const std::string& output = inputs_.settings.outputPath;
    const std::string name = pass.wildcardMode == WildcardMode::InputAndOutput
                                 ? wildcardMovieName(output, entry.baseName)
                                 : formatFrameName(output, inputs_.nameNumber(pass.frameCounter));
    if (!writer_.name(name).ok()) {
        console_.report("Could not build graph to make: %s\n", entry.filePath.c_str());
        return RunStop{exit_codes::kMovieNameRefused, false};
    }
    if (outputIsAnInput(inputs_, writer_.outputPath())) {
        console_.error("%s is one of the input clips' files: not writing over it",
                       writer_.outputPath().c_str());
        return RunStop{exit_codes::kUsage, true};
    }
    movieName_ = name;
    return std::nullopt;
}

StepOutcome MovieSink::prepareClip(const ClipState& clip) {
    // 4:2:2 pairs the pixels of a row.
    if (picture_ == OutputFormat::Yuv422 && clip.outputWidth % 2 != 0) {
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
    const ClipColorResult result = deriveClipColor(clip.reader->trailer().cameraMatrix, color);
    if (!result.cameraMatrixUsable)
        console_.warn(
            "%s: the camera matrix cannot be used; the movie carries the identity matrix and unit white "
            "balance",
            clip.reader->trailerFilePath().c_str());
    std::copy(std::begin(color.colorMatrix), std::end(color.colorMatrix), colorMatrix_.begin());
    std::copy(std::begin(color.whiteBalance), std::end(color.whiteBalance), whiteBalance_.begin());
    if (!archive_) return std::nullopt;
    // The samples go out as stored: no curve made them.
    curveCode_ = 0;
    const ClipFrameSource& source = *clip.reader;
    ArchiveInfo info;
    info.version = kArchiveVersion;
    info.trailerBytes = source.clipTrailerBytes();
    info.trailer = parseRawClipTrailer(info.trailerBytes).value_or(RawClipTrailer{});
    info.clipName = source.clipName();
    info.clipFiles = source.clipFileNames();
    const SensorWindow sensor = source.sensorWindow();
    info.left = sensor.left + clip.crop.left;
    info.top = sensor.top + clip.crop.top;
    info.width = clip.crop.cropWidth;
    info.height = clip.crop.cropHeight;
    clipTags_ = inputs_.tags;
    if (!appendArchiveTags(info, clipTags_)) {
        console_.error(
            "the archive's tags do not fit in the metadata list beside the tags given: give fewer");
        return RunStop{exit_codes::kUsage, true};
    }
    return std::nullopt;
}

StepOutcome MovieSink::frame(const PassState& pass, FramePicture& picture) {
    const ConversionSettings& settings = inputs_.settings;
    if (encoderStartPending_ && picture.width >= 1) {
        MovieFormat format;
        format.picture = picture_;
        format.width = picture.width;
        format.height = picture.height;
        format.rateNumerator = rateNumerator_;
        format.rateDenominator = rateDenominator_;
        format.quality = settings.quality;
        format.curveCode = static_cast<std::int32_t>(curveCode_);
        if (settings.debayerExplicit) format.debayer = settings.debayerType;
        format.colorMatrix = colorMatrix_;
        format.whiteBalance = whiteBalance_;
        format.tags = archive_ ? &clipTags_ : &inputs_.tags;
        writer_.open(format);
        encoderStartPending_ = false;
    }
    const Status delivered = writer_.deliver(picture.buffer->data(), picture.pitchBytes);
    if (!delivered.ok()) return encodingFailure(delivered);
    console_.frameMark(pass.frameCounter);
    return std::nullopt;
}

StepOutcome MovieSink::encodingFailure(const Status& failure) const {
    console_.report("%s", kEncodeFailedMessage);
    if (failure.code() == ErrorCode::kWriteFailed) {
        console_.error("%s could not be written: %s", writer_.outputPath().c_str(),
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
        console_.warn("%s: %s", writer_.outputPath().c_str(), message.c_str());
}

StepOutcome MovieSink::endEntry(const PassState&, const ClipEntry& next) {
    // Only an entry that delivered a frame has a movie to name: the
    // calibration clip passed over, or a clip whose in point lies past its
    // end, wrote none.
    const bool movieWritten = !encoderStartPending_;
    if (const StepOutcome outcome = finishMovie()) return outcome;
    if (movieWritten && !calibrationPath_.empty() && !samePathIgnoringCase(calibrationPath_, next.filePath))
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
        writer_.abandon();
        sayComponentMessages();
        return std::nullopt;
    }
    return finishMovie();
}
