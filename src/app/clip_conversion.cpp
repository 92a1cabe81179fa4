#include "app/clip_conversion.h"

#include <cstdio>

#include "app/demosaic_jobs.h"
#include "app/dpx_output.h"
#include "app/exit_codes.h"
#include "app/run_checks.h"
#include "imaging/demosaic.h"
#include "raw/clip_frame_rate.h"
#include "raw/unpack.h"

namespace {

const RunStop kClipUnusable{exit_codes::kClipUnusable, true};

bool isCalibration(const BatchRun& run) {
    return run.pass == 0;
}

void takeClipFrameRate(ConversionSettings& settings, const RawClipTrailer& trailer) {
    const ClipFrameRate rate = clipFrameRate(trailer.frameRateMilli);
    settings.frameRate = rate.frameRate;
    settings.rateNumerator = rate.numerator;
    settings.rateDenominator = rate.denominator;
}

// Crop and output size of a clip being converted, and the pictures they need.
StepOutcome prepareConversionBuffers(BatchRun& run, const RawClipTrailer& trailer) {
    ConversionSettings& settings = run.settings;
    if (trailer.width < kMinDemosaicWidth || trailer.height < kMinDemosaicHeight) {
        std::printf("a %dx%d frame is too small to demosaic: it needs at least %dx%d\n", trailer.width,
                    trailer.height, kMinDemosaicWidth, kMinDemosaicHeight);
        return kClipUnusable;
    }
    std::string message;
    if (!computeCropGeometry(settings, trailer.width, trailer.height, run.crop, &message)) {
        std::printf("%s\n", message.c_str());
        return RunStop{exit_codes::kUsage, true};
    }
    if (settings.outputWidth < 1) settings.outputWidth = run.crop.cropWidth;
    if (settings.outputHeight < 1) settings.outputHeight = run.crop.cropHeight;
    run.outputWidth = settings.outputWidth;
    run.outputHeight = settings.outputHeight;

    const std::uint64_t pictureBytes =
        static_cast<std::uint64_t>(run.crop.cropWidth) * static_cast<std::uint64_t>(run.crop.cropHeight) * 6;
    const std::uint64_t outputBytes =
        static_cast<std::uint64_t>(run.outputWidth) * static_cast<std::uint64_t>(run.outputHeight) * 6;
    if (pictureBytes == 0 || pictureBytes >= kPictureByteLimit || outputBytes >= kPictureByteLimit) {
        std::printf("a %dx%d picture (output %dx%d) is beyond the %llu-byte limit of a frame\n",
                    run.crop.cropWidth, run.crop.cropHeight, run.outputWidth, run.outputHeight,
                    static_cast<unsigned long long>(kPictureByteLimit));
        return kClipUnusable;
    }
    if (run.crop.cropWidth < kMinDemosaicWidth || run.crop.cropHeight < kMinDemosaicHeight) {
        std::printf("a %dx%d picture is too small to demosaic: it needs at least %dx%d\n", run.crop.cropWidth,
                    run.crop.cropHeight, kMinDemosaicWidth, kMinDemosaicHeight);
        return kClipUnusable;
    }
    if (!run.buffers.rgb.allocate(static_cast<std::size_t>(pictureBytes / 2))) {
        std::printf("out of memory 2\n");
        return kClipUnusable;
    }
    // A clip of another size may follow one that was resampled: only a clip
    // whose output size differs from its crop keeps an output picture.
    run.buffers.output.release();
    run.buffers.spareRgb.release();
    run.buffers.spareOutput.release();
    const bool writesFrames = run.exporter.ExportsFrames();
    const bool resampling = run.outputWidth != run.crop.cropWidth || run.outputHeight != run.crop.cropHeight;
    if (writesFrames && !resampling &&
        !run.buffers.spareRgb.allocate(static_cast<std::size_t>(pictureBytes / 2))) {
        std::printf("out of memory 2\n");
        return kClipUnusable;
    }
    if (resampling) {
        if (!run.buffers.output.allocate(static_cast<std::size_t>(outputBytes / 2)) ||
            (writesFrames && !run.buffers.spareOutput.allocate(static_cast<std::size_t>(outputBytes / 2)))) {
            std::printf("out of memory 3\n");
            return kClipUnusable;
        }
        if (!run.resampler.configure(run.crop.cropWidth, run.crop.cropHeight, run.outputWidth,
                                     run.outputHeight)) {
            std::printf("could not resample %dx%d pictures to %dx%d\n", run.crop.cropWidth,
                        run.crop.cropHeight, run.outputWidth, run.outputHeight);
            return kClipUnusable;
        }
    }
    return std::nullopt;
}

// The tone table of a clip; the black frame counts only when it was measured
// on frames of this clip's size.
void prepareToneTable(BatchRun& run, const RawClipTrailer& trailer, const std::string& clipPath) {
    bool blackFrameInUse = !run.black.values.empty();
    if (blackFrameInUse && !blackFrameFits(run.black, trailer.width, trailer.height)) {
        std::printf("%s: the black calibration is %dx%d but the clip is %dx%d; converting without it\n",
                    clipPath.c_str(), run.black.width, run.black.height, trailer.width, trailer.height);
        blackFrameInUse = false;
    }
    const ConversionSettings& settings = run.settings;
    CurveSettings curve;
    curve.kind = settings.curveKind;
    curve.param = settings.curveParam;
    curve.cineonBlack = settings.cineonBlack;
    curve.cineonWhite = settings.cineonWhite;
    curve.blackOverride = settings.blackOverride;
    curve.whiteOverride = settings.whiteOverride;
    run.settings.curveCode =
        buildToneTable(curve, trailer.blackLevel, trailer.whiteLevel, blackFrameInUse, run.toneTable.data());
    run.blackFrameInUse = blackFrameInUse;
}

// Frame loop steps after the read: crop, demosaic, output.
StepOutcome processFrame(BatchRun& run) {
    cropInPlace(run.buffers.bayer.data(), run.crop);
    demosaicOnPool(run.pool, run.buffers.bayer.data(), run.buffers.rgb.data(), run.crop.cropWidth,
                   run.crop.cropHeight, run.settings.debayerType);
    return exportDpxFrame(run);
}

StepOutcome runFrameLoop(BatchRun& run) {
    const RawClipTrailer& trailer = run.reader.trailer();
    const ConversionSettings& settings = run.settings;
    const bool calibration = isCalibration(run);
    const std::span<std::uint16_t> bayer(run.buffers.bayer.data(), run.buffers.bayer.size());
    BlackFrame* black = calibration ? &run.black : (run.blackFrameInUse ? &run.black : nullptr);

    // Reading across the files of a clip prints their names: the frame being
    // written shows its progress mark first.
    const bool readsPrint = run.reader.isMultiFile();
    while (!run.stop) {
        if (readsPrint)
            if (const StepOutcome outcome = finishDpxWrite(run)) return outcome;
        const FrameReadOutcome read = run.reader.readFrame(bayer);
        if (read == FrameReadOutcome::ClipEnded) break;
        if (read == FrameReadOutcome::ReadFailed) {
            std::fprintf(stderr, "%s\n", run.reader.failureMessage().c_str());
            return kClipUnusable;
        }
        // 12-bit frames are unpacked whole, rows of the frame's width like
        // every other frame, and then cropped like them.
        if (read == FrameReadOutcome::PackedFrame)
            unpackFrame(run.reader.packedFrame(), bayer, black, run.toneTable, trailer.width, trailer.height,
                        trailer.width, trailer.height, trailer.packing, run.pass);
        if (calibration) {
            ++run.calibrationFramesRead;
        } else if (const StepOutcome outcome = processFrame(run)) {
            return outcome;
        }
        ++run.frameCounter;
        if (readsPrint && settings.skipFrames > 0)
            if (const StepOutcome outcome = finishDpxWrite(run)) return outcome;
        // Skipped frames count even past the end of the clip, where no seek is needed.
        for (std::int32_t skip = 0; skip < settings.skipFrames; ++skip) {
            ++run.frameCounter;
            if (!run.reader.skipFrame()) {
                run.frameCounter += static_cast<std::uint64_t>(settings.skipFrames - skip - 1);
                break;
            }
        }
        if (static_cast<std::uint64_t>(settings.inPoint) + run.frameCounter >= settings.outPoint)
            run.stop = true;
    }
    return std::nullopt;
}

}  // namespace

StepOutcome convertClip(BatchRun& run, const std::string& basePath) {
    run.stop = false;
    const bool calibration = isCalibration(run);
    const ClipOpenOutcome opened = run.reader.open(basePath, run.passArgument);
    if (opened == ClipOpenOutcome::NotRawClip) return RunStop{exit_codes::kNotRawClip, false};
    if (opened == ClipOpenOutcome::EndRun) return kClipUnusable;
    rememberClipFiles(run, basePath);

    const RawClipTrailer& trailer = run.reader.trailer();
    if (run.settings.frameRateFromClip) takeClipFrameRate(run.settings, trailer);

    // Crop and buffers; the calibration pass sums whole frames.
    run.crop = CropGeometry{trailer.width, trailer.height, 0, 0, trailer.width, trailer.height};
    if (!run.buffers.bayer.allocate(static_cast<std::size_t>(trailer.width) * trailer.height)) {
        std::printf("out of memory 1\n");
        return kClipUnusable;
    }
    if (calibration) {
        if (!prepareBlackFrame(run.black, trailer.width, trailer.height)) {
            std::printf("out of memory 1\n");
            return kClipUnusable;
        }
        run.calibrationWidth = trailer.width;
        run.calibrationHeight = trailer.height;
    } else {
        if (const StepOutcome outcome = prepareConversionBuffers(run, trailer)) return outcome;
        prepareToneTable(run, trailer, basePath + ".RAW");
    }

    if (run.reader.positionAtFirstFrame(run.passArgument) != ClipOpenOutcome::Ready) return kClipUnusable;
    if (!calibration)
        for (std::uint32_t skipped = 0; skipped < run.settings.inPoint; ++skipped)
            if (!run.reader.skipFrame()) break;

    const StepOutcome outcome = runFrameLoop(run);
    const StepOutcome lastWrite = finishDpxWrite(run);
    run.reader.close();
    return outcome ? outcome : lastWrite;
}
