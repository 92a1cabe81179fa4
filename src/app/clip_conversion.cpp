#include "app/clip_conversion.h"

#include <cstdio>

#include "app/clip_messages.h"
#include "app/demosaic_jobs.h"
#include "app/exit_codes.h"
#include "app/run_checks.h"
#include "imaging/demosaic.h"
#include "platform/diagnostics.h"
#include "raw/clip_frame_rate.h"
#include "raw/unpack.h"

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
    const bool takesBayer = run.sink->picture() == SinkPicture::Bayer;
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
    if (takesBayer) return run.sink->prepareClip(clip);

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

// Frame loop steps after the read: crop, then the picture the output takes.
StepOutcome processFrame(BatchRun& run) {
    ClipState& clip = run.clip;
    const CropGeometry& crop = clip.crop;
    cropInPlace(clip.buffers.bayer.data(), crop);
    const SinkPicture kind = run.sink->picture();
    if (kind == SinkPicture::Bayer) {
        FramePicture bayer{&clip.buffers.bayer, crop.cropWidth, crop.cropHeight,
                           static_cast<std::size_t>(crop.cropWidth) * 2};
        return run.sink->frame(run.pass, bayer);
    }

    demosaicOnPool(run.pool, clip.buffers.bayer.data(), clip.buffers.rgb.data(), crop.cropWidth,
                   crop.cropHeight, run.inputs.settings.debayerType);
    SampleBuffer* picture = &clip.buffers.rgb;
    if (clip.resampling()) {
        if (!clip.resampler.resample(clip.buffers.rgb.data(), clip.buffers.output.data())) {
            platform::reportError("could not resample the %dx%d picture to %dx%d", crop.cropWidth,
                                  crop.cropHeight, clip.outputWidth, clip.outputHeight);
            return kClipUnusable;
        }
        picture = &clip.buffers.output;
    }
    if (kind == SinkPicture::Yuv422)
        toYuv422OnPool(run.pool, picture->data(), clip.outputWidth, clip.outputHeight);
    FramePicture frame{picture, clip.outputWidth, clip.outputHeight,
                       static_cast<std::size_t>(clip.outputWidth) * 6};
    return run.sink->frame(run.pass, frame);
}

// Skips the frames of -s after a processed frame. Skipped frames count even
// past the end of the clip, where no seek is needed.
void skipAfterFrame(BatchRun& run) {
    const std::int32_t skipFrames = run.inputs.settings.skipFrames;
    for (std::int32_t skip = 0; skip < skipFrames; ++skip) {
        ++run.pass.frameCounter;
        if (!run.clip.reader.skipFrame()) {
            run.pass.frameCounter += static_cast<std::uint64_t>(skipFrames - skip - 1);
            break;
        }
    }
}

StepOutcome runFrameLoop(BatchRun& run) {
    ClipState& clip = run.clip;
    PassState& pass = run.pass;
    const RawClipTrailer& trailer = clip.reader.trailer();
    const ConversionSettings& settings = run.inputs.settings;
    const bool calibration = pass.calibrating();
    const std::span<std::uint16_t> bayer(clip.buffers.bayer.data(), clip.buffers.bayer.size());
    BlackFrame* black =
        calibration ? &run.calibration.black : (clip.blackFrameInUse ? &run.calibration.black : nullptr);

    // Reading across the files of a clip prints their names: the output
    // prints what it has for the frames before first.
    const bool readsPrint = clip.reader.isMultiFile() && !calibration;
    while (!pass.stop) {
        if (readsPrint)
            if (const StepOutcome outcome = run.sink->settle()) return outcome;
        const FrameReadOutcome read = clip.reader.readFrame(bayer);
        if (read == FrameReadOutcome::ClipEnded) break;
        if (read == FrameReadOutcome::ReadFailed) {
            // The frames before stay whole: the output finishes them first.
            if (!calibration)
                if (const StepOutcome outcome = run.sink->settle()) return outcome;
            platform::reportError("%s", clip.reader.failureMessage().c_str());
            return kClipUnusable;
        }
        // 12-bit frames are unpacked whole, rows of the frame's width like
        // every other frame, and then cropped like them.
        if (read == FrameReadOutcome::PackedFrame)
            unpackFrame(clip.reader.packedFrame(), bayer, black, clip.toneTable, trailer.width,
                        trailer.height, trailer.width, trailer.height, trailer.packing, pass.pass);
        if (calibration) {
            ++run.calibration.framesRead;
        } else if (const StepOutcome outcome = processFrame(run)) {
            return outcome;
        }
        ++pass.frameCounter;
        if (readsPrint && settings.skipFrames > 0)
            if (const StepOutcome outcome = run.sink->settle()) return outcome;
        skipAfterFrame(run);
        if (static_cast<std::uint64_t>(settings.inPoint) + pass.frameCounter >= settings.outPoint)
            pass.stop = true;
    }
    return std::nullopt;
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

    const std::uint64_t framesBefore = pass.frameCounter;
    StepOutcome outcome = runFrameLoop(run);
    const std::uint32_t inPoint = run.inputs.settings.inPoint;
    if (!calibration && !outcome && pass.frameCounter == framesBefore && inPoint > 0)
        warnAboutInPointPastEnd(run.inputs.notes, inPoint, clipPath);
    if (!calibration)
        if (const StepOutcome lastWrite = run.sink->settle(); !outcome) outcome = lastWrite;
    clip.reader.close();
    return outcome;
}
