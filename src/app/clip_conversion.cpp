#include "app/clip_conversion.h"

#include <cstdio>

#include "app/clip_messages.h"
#include "app/exit_codes.h"
#include "app/frame_loop.h"
#include "app/run_checks.h"
#include "imaging/demosaic.h"
#include "platform/diagnostics.h"
#include "platform/directory.h"
#include "raw/clip_frame_rate.h"

namespace {

const RunStop kClipUnusable{exit_codes::kClipUnusable, true};

void takeClipFrameRate(ConversionSettings& settings, const RawClipTrailer& trailer) {
    const ClipFrameRate rate = clipFrameRate(trailer.frameRateMilli);
    settings.frameRate = rate.frameRate;
    settings.rateNumerator = rate.numerator;
    settings.rateDenominator = rate.denominator;
}

// Crop and output size of a clip being converted, and the pictures they need.
StepOutcome prepareConversionBuffers(BatchRun& run, const RawClipTrailer& trailer) {
    ConversionSettings& settings = run.inputs.settings;
    ClipState& clip = run.clip;
    if (trailer.width < kMinDemosaicWidth || trailer.height < kMinDemosaicHeight) {
        platform::reportError("a %dx%d frame is too small to demosaic: it needs at least %dx%d",
                              trailer.width, trailer.height, kMinDemosaicWidth, kMinDemosaicHeight);
        return kClipUnusable;
    }
    std::string message;
    if (!computeCropGeometry(settings, trailer.width, trailer.height, clip.crop, &message)) {
        reportEmptyWindow(run.inputs.notes, settings, trailer.width, trailer.height, message);
        return RunStop{exit_codes::kUsage, true};
    }
    warnAboutWindowUsed(run.inputs.notes, clip.crop);
    if (settings.outputWidth < 1) settings.outputWidth = clip.crop.cropWidth;
    if (settings.outputHeight < 1) settings.outputHeight = clip.crop.cropHeight;
    // Bayer frames go out at the crop size: only pictures are resampled.
    const bool takesBayer = run.sink->picture() == OutputFormat::Raw;
    clip.outputWidth = takesBayer ? clip.crop.cropWidth : settings.outputWidth;
    clip.outputHeight = takesBayer ? clip.crop.cropHeight : settings.outputHeight;

    const std::uint64_t pictureBytes = static_cast<std::uint64_t>(clip.crop.cropWidth) *
                                       static_cast<std::uint64_t>(clip.crop.cropHeight) * 6;
    const std::uint64_t outputBytes =
        static_cast<std::uint64_t>(clip.outputWidth) * static_cast<std::uint64_t>(clip.outputHeight) * 6;
    if (pictureBytes > kPictureByteLimit) {
        reportPictureBeyondLimit("picture", clip.crop.cropWidth, clip.crop.cropHeight);
        return kClipUnusable;
    }
    if (outputBytes > kPictureByteLimit) {
        reportPictureBeyondLimit("output picture", clip.outputWidth, clip.outputHeight);
        return kClipUnusable;
    }
    if (clip.crop.cropWidth < kMinDemosaicWidth || clip.crop.cropHeight < kMinDemosaicHeight) {
        platform::reportError("a %dx%d picture is too small to demosaic: it needs at least %dx%d",
                              clip.crop.cropWidth, clip.crop.cropHeight, kMinDemosaicWidth,
                              kMinDemosaicHeight);
        return kClipUnusable;
    }
    // A clip of another size may follow one that was resampled: only a clip
    // whose output size differs from its crop keeps an output picture.
    clip.buffers.rgb.release();
    clip.buffers.output.release();
    clip.buffers.bayerAhead.release();
    if (takesBayer) return run.sink->prepareClip(clip);

    // The next frame is read into a second Bayer frame while the pool works on this one.
    if (!clip.buffers.bayerAhead.allocate(clip.buffers.bayer.size())) {
        std::printf("out of memory 1\n");
        reportNoMemoryFor("frame", trailer.width, trailer.height,
                          static_cast<std::uint64_t>(clip.buffers.bayer.size()) * 2);
        return kClipUnusable;
    }

    if (!clip.buffers.rgb.allocate(static_cast<std::size_t>(pictureBytes / 2))) {
        std::printf("out of memory 2\n");
        reportNoMemoryFor("picture", clip.crop.cropWidth, clip.crop.cropHeight, pictureBytes);
        return kClipUnusable;
    }
    if (clip.resampling()) {
        if (!clip.buffers.output.allocate(static_cast<std::size_t>(outputBytes / 2))) {
            std::printf("out of memory 3\n");
            reportNoMemoryFor("output picture", clip.outputWidth, clip.outputHeight, outputBytes);
            return kClipUnusable;
        }
        if (!clip.resampler.configure(clip.crop.cropWidth, clip.crop.cropHeight, clip.outputWidth,
                                      clip.outputHeight)) {
            platform::reportError("could not resample %dx%d pictures to %dx%d", clip.crop.cropWidth,
                                  clip.crop.cropHeight, clip.outputWidth, clip.outputHeight);
            return kClipUnusable;
        }
    }
    return run.sink->prepareClip(clip);
}

// The tone table of a clip; the black frame counts only when it was measured
// on frames of this clip's size.
void prepareToneTable(BatchRun& run, const RawClipTrailer& trailer, const std::string& clipPath) {
    const BlackFrame& black = run.calibration.black;
    bool blackFrameInUse = !black.values.empty();
    if (blackFrameInUse && !blackFrameFits(black, trailer.width, trailer.height)) {
        platform::warn("%s: the black calibration is %dx%d but the clip is %dx%d; converting without it",
                       clipPath.c_str(), black.width, black.height, trailer.width, trailer.height);
        blackFrameInUse = false;
    }
    ConversionSettings& settings = run.inputs.settings;
    CurveSettings curve;
    curve.kind = settings.curveKind;
    curve.param = settings.curveParam;
    curve.cineonBlack = settings.cineonBlack;
    curve.cineonWhite = settings.cineonWhite;
    curve.blackOverride = settings.blackOverride;
    curve.whiteOverride = settings.whiteOverride;
    settings.curveCode = buildToneTable(curve, trailer.blackLevel, trailer.whiteLevel, blackFrameInUse,
                                        run.clip.toneTable.data());
    run.clip.blackFrameInUse = blackFrameInUse;
}

}  // namespace

StepOutcome convertClip(BatchRun& run, const std::string& basePath) {
    ClipState& clip = run.clip;
    PassState& pass = run.pass;
    pass.stop = false;
    const bool calibration = pass.calibrating();
    const ClipOpenOutcome opened = clip.reader.open(basePath, pass.passArgument);
    if (opened == ClipOpenOutcome::NotRawClip) return RunStop{exit_codes::kNotRawClip, false};
    if (opened == ClipOpenOutcome::EndRun) {
        if (!clip.reader.openFailure().path.empty()) explainOpenFailure(clip.reader.openFailure());
        return kClipUnusable;
    }
    rememberClipFiles(run.inputs, basePath);

    const RawClipTrailer& trailer = clip.reader.trailer();
    const std::string clipPath = clipFilePath(basePath, -1);
    warnAboutUngradedSamples(run.inputs.notes, trailer, clipPath, calibration,
                             !run.calibration.black.values.empty());
    if (run.inputs.settings.frameRateFromClip) takeClipFrameRate(run.inputs.settings, trailer);

    // Crop and buffers; the calibration pass sums whole frames.
    clip.crop = CropGeometry{trailer.width, trailer.height, 0, 0, trailer.width, trailer.height};
    const std::uint64_t samples = std::uint64_t{trailer.width} * trailer.height;
    if (!clip.buffers.bayer.allocate(static_cast<std::size_t>(samples))) {
        std::printf("out of memory 1\n");
        reportNoMemoryFor("frame", trailer.width, trailer.height, samples * 2);
        return kClipUnusable;
    }
    if (calibration) {
        if (!prepareBlackFrame(run.calibration.black, trailer.width, trailer.height)) {
            std::printf("out of memory 1\n");
            reportNoMemoryFor("black frame", trailer.width, trailer.height, samples * 4);
            return kClipUnusable;
        }
        run.calibration.width = trailer.width;
        run.calibration.height = trailer.height;
    } else {
        if (const StepOutcome outcome = prepareConversionBuffers(run, trailer)) return outcome;
        prepareToneTable(run, trailer, clipPath);
    }

    if (clip.reader.positionAtFirstFrame(pass.passArgument) != ClipOpenOutcome::Ready) return kClipUnusable;
    if (!calibration) {
        for (std::uint32_t skipped = 0; skipped < run.inputs.settings.inPoint; ++skipped)
            if (!clip.reader.skipFrame()) break;
        if (const StepOutcome outcome = run.sink->clipPositioned(pass, clip)) return outcome;
    }

    const ConversionSettings& settings = run.inputs.settings;
    const std::uint64_t framesBefore = pass.frameCounter;
    run.progress.startClip(
        clipPath.substr(platform::directoryPart(clipPath).size()),
        framesToConvert(trailer.frameCount, calibration ? 0 : settings.inPoint, settings.skipFrames,
                        settings.inPoint, settings.outPoint, pass.frameCounter));
    StepOutcome outcome = runFrameLoop(run);
    const std::uint32_t inPoint = settings.inPoint;
    if (!calibration && !outcome && pass.frameCounter == framesBefore && inPoint > 0)
        warnAboutInPointPastEnd(run.inputs.notes, inPoint, clipPath);
    if (!calibration)
        if (const StepOutcome lastWrite = run.sink->settle(); !outcome) outcome = lastWrite;
    run.progress.endClip();
    clip.reader.close();
    return outcome;
}
