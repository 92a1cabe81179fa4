#include "app/run/clip_conversion.h"

#include "app/report/clip_messages.h"
#include "app/report/exit_codes.h"
#include "app/run/crop_geometry.h"
#include "app/run/frame_loop.h"
#include "app/run/frame_selection.h"
#include "app/run/run_checks.h"
#include "imaging/demosaic.h"
#include "platform/directory.h"
#include "raw/clip_frame_rate.h"

namespace {

void takeClipFrameRate(ClipSettings& settings, const RawClipTrailer& trailer) {
    const ClipFrameRate rate = clipFrameRate(trailer.frameRateMilli);
    settings.frameRate = rate.frameRate;
    settings.rateNumerator = rate.numerator;
    settings.rateDenominator = rate.denominator;
}

// The report's lines about a clip that cannot be opened or is no clip, the
// reason on standard error, and how the run ends: a clip that cannot be
// read ends it, and one that is no RAW clip ends the process at once, unless
// the run goes on past failed clips.
RunStop refuseClip(BatchRun& run, const ClipOpenFailure& failure) {
    Console& console = run.console;
    const RawClipTrailer& trailer = run.clip.reader->trailer();
    const char* name = run.pass.passArgument.c_str();
    const bool keepGoing = run.inputs.options.keepGoing && !run.pass.calibrating();
    RunStop stop = kClipUnusable;
    switch (failure.problem) {
        case ClipOpenProblem::CannotOpen:
            console.report("%s file could not be opened\n", name);
            break;
        case ClipOpenProblem::CannotSeek:
            console.report("%s file could not be seeked\n", name);
            break;
        case ClipOpenProblem::CannotReopen:
            console.report("wha happen?");
            break;
        case ClipOpenProblem::NoTrailer:
            console.report("Not an RAW file\n");
            stop = RunStop{exit_codes::kNotRawClip, false, true};
            break;
        case ClipOpenProblem::WrongVersion:
            console.report("version %d\n", trailer.version);
            stop = RunStop{exit_codes::kNotRawClip, false, true};
            break;
        case ClipOpenProblem::NotAnArchive:
            break;
        case ClipOpenProblem::UnreadableTrailer:
        case ClipOpenProblem::None:
            stop = RunStop{exit_codes::kNotRawClip, false, true};
            break;
    }
    const char* whatNext = keepGoing ? "going on with the next clip" : "the run stops here";
    explainOpenFailure(console, failure, trailer, whatNext);
    return stop;
}

// Moves the window's corners that are set by (dx, dy).
void shiftWindow(ClipSettings& settings, int dx, int dy) {
    if (dx == 0 && dy == 0) return;
    for (std::int32_t* x : {&settings.windowLeft, &settings.windowRight})
        if (*x >= 0) *x += dx;
    for (std::int32_t* y : {&settings.windowTop, &settings.windowBottom})
        if (*y >= 0) *y += dy;
}

// Crop and output size of a clip being converted, and the pictures they need.
StepOutcome prepareConversionBuffers(BatchRun& run, const RawClipTrailer& trailer) {
    Console& console = run.console;
    ClipSettings& settings = run.clipSettings;
    ClipState& clip = run.clip;
    // An archive keeps frames of any size; everything else is demosaiced some day.
    const bool storedSamples = run.sink->takesStoredSamples();
    if (!storedSamples && (trailer.width < kMinDemosaicWidth || trailer.height < kMinDemosaicHeight)) {
        console.error("a %dx%d frame is too small to demosaic: it needs at least %dx%d", trailer.width,
                      trailer.height, kMinDemosaicWidth, kMinDemosaicHeight);
        return kClipUnusable;
    }
    // Windows are typed in the clip's frames; an archive may keep a window of
    // them, whose frames the crop is then worked out in.
    const SensorWindow sensor = clip.reader->sensorWindow();
    shiftWindow(settings, -sensor.left, -sensor.top);
    std::string message;
    const CropWidth rule = storedSamples ? CropWidth::Any : CropWidth::MultipleOf16;
    const bool cropped =
        computeCropGeometry(settings, trailer.width, trailer.height, clip.crop, &message, rule);
    shiftWindow(settings, sensor.left, sensor.top);
    if (!cropped) {
        reportEmptyWindow(console, run.inputs.notes, settings, sensor.sensorWidth, sensor.sensorHeight,
                          message);
        return RunStop{exit_codes::kUsage, true};
    }
    const CropGeometry cropInClip{sensor.sensorWidth,           sensor.sensorHeight,
                                  clip.crop.left + sensor.left, clip.crop.top + sensor.top,
                                  clip.crop.cropWidth,          clip.crop.cropHeight};
    warnAboutWindowUsed(console, run.inputs.notes, cropInClip);
    if (run.inputs.notes.windowArgument.empty())
        warnAboutColumnsLeftOut(console, clip.crop, run.clip.reader->trailerFilePath());
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
        reportPictureBeyondLimit(console, "picture", clip.crop.cropWidth, clip.crop.cropHeight);
        return kClipUnusable;
    }
    if (outputBytes > kPictureByteLimit) {
        reportPictureBeyondLimit(console, "output picture", clip.outputWidth, clip.outputHeight);
        return kClipUnusable;
    }
    if (!storedSamples &&
        (clip.crop.cropWidth < kMinDemosaicWidth || clip.crop.cropHeight < kMinDemosaicHeight)) {
        console.error("a %dx%d picture is too small to demosaic: it needs at least %dx%d",
                      clip.crop.cropWidth, clip.crop.cropHeight, kMinDemosaicWidth, kMinDemosaicHeight);
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
        console.report("out of memory 1\n");
        reportNoMemoryFor(console, "frame", trailer.width, trailer.height,
                          static_cast<std::uint64_t>(clip.buffers.bayer.size()) * 2);
        return kClipUnusable;
    }

    if (!clip.buffers.rgb.allocate(static_cast<std::size_t>(pictureBytes / 2))) {
        console.report("out of memory 2\n");
        reportNoMemoryFor(console, "picture", clip.crop.cropWidth, clip.crop.cropHeight, pictureBytes);
        return kClipUnusable;
    }
    if (clip.resampling()) {
        if (!clip.buffers.output.allocate(static_cast<std::size_t>(outputBytes / 2))) {
            console.report("out of memory 3\n");
            reportNoMemoryFor(console, "output picture", clip.outputWidth, clip.outputHeight, outputBytes);
            return kClipUnusable;
        }
        if (!clip.resampler.configure(clip.crop.cropWidth, clip.crop.cropHeight, clip.outputWidth,
                                      clip.outputHeight)) {
            console.error("could not resample %dx%d pictures to %dx%d", clip.crop.cropWidth,
                          clip.crop.cropHeight, clip.outputWidth, clip.outputHeight);
            return kClipUnusable;
        }
    }
    return run.sink->prepareClip(clip);
}

// The tone table of a clip; the black frame counts only when it was measured
// on frames of this clip's size.
void prepareToneTable(BatchRun& run, const RawClipTrailer& trailer, const std::string& clipPath) {
    ClipState& clip = run.clip;
    BlackFrame& black = run.calibration.black;
    clip.black = black.values.empty() ? nullptr : &black;
    // An archive of a window of the clip's frames takes that window of the black frame.
    const SensorWindow sensor = clip.reader->sensorWindow();
    if (clip.black != nullptr && blackFrameFits(black, sensor.sensorWidth, sensor.sensorHeight) &&
        (trailer.width != sensor.sensorWidth || trailer.height != sensor.sensorHeight)) {
        clip.windowBlack = blackFrameWindow(black, sensor.left, sensor.top, trailer.width, trailer.height);
        clip.black = &clip.windowBlack;
    }
    if (clip.black != nullptr && !blackFrameFits(*clip.black, trailer.width, trailer.height)) {
        run.console.warn("%s: the black calibration is %dx%d but the clip is %dx%d; converting without it",
                         clipPath.c_str(), black.width, black.height, trailer.width, trailer.height);
        clip.black = nullptr;
    }
    const bool blackFrameInUse = clip.black != nullptr;
    const ConversionSettings& settings = run.inputs.settings;
    const CurveSettings curve{.kind = settings.curveKind,
                              .param = settings.curveParam,
                              .cineonBlack = settings.cineonBlack,
                              .cineonWhite = settings.cineonWhite,
                              .blackOverride = settings.blackOverride,
                              .whiteOverride = settings.whiteOverride};
    run.clipSettings.curveCode =
        buildToneTable(curve, trailer.blackLevel, trailer.whiteLevel, blackFrameInUse, clip.toneTable.data());
}

// The clip's frames: "no memory" lines for the Bayer frame and, in the
// calibration pass, the black frame.
StepOutcome prepareFrames(BatchRun& run, const RawClipTrailer& trailer) {
    ClipState& clip = run.clip;
    const std::uint64_t samples = std::uint64_t{trailer.width} * trailer.height;
    if (!clip.buffers.bayer.allocate(static_cast<std::size_t>(samples))) {
        run.console.report("out of memory 1\n");
        reportNoMemoryFor(run.console, "frame", trailer.width, trailer.height, samples * 2);
        return kClipUnusable;
    }
    if (!run.pass.calibrating()) return std::nullopt;
    if (!prepareBlackFrame(run.calibration.black, trailer.width, trailer.height)) {
        run.console.report("out of memory 1\n");
        reportNoMemoryFor(run.console, "black frame", trailer.width, trailer.height, samples * 4);
        return kClipUnusable;
    }
    run.calibration.width = trailer.width;
    run.calibration.height = trailer.height;
    return std::nullopt;
}

}  // namespace

StepOutcome convertClip(BatchRun& run, const ClipEntry& entry) {
    ClipState& clip = run.clip;
    PassState& pass = run.pass;
    Console& console = run.console;
    pass.stop = false;
    const bool calibration = pass.calibrating();
    clip.readEvents.clear();
    clip.reader = entry.archive ? static_cast<ClipFrameSource*>(&clip.archiveReader) : &clip.clipReader;
    if (!clip.reader->open(entry.openPath).ok()) return refuseClip(run, clip.reader->openFailure());
    const RawClipTrailer& trailer = clip.reader->trailer();
    console.report("%s\n", clip.reader->trailerFilePath().c_str());
    console.report("%dx%d %d frames %d.%03d fps\n", static_cast<int>(trailer.width),
                   static_cast<int>(trailer.height), static_cast<int>(trailer.frameCount),
                   static_cast<int>(trailer.frameRateMilli / 1000),
                   static_cast<int>(trailer.frameRateMilli % 1000));
    if (entry.archive)
        rememberInputFile(run.inputs, entry.filePath);
    else
        rememberClipFiles(run.inputs, entry.openPath);

    const std::string clipPath = entry.archive ? entry.filePath : clipFilePath(entry.openPath, -1);
    warnAboutUngradedSamples(console, run.inputs.notes, trailer, clipPath, calibration,
                             !run.calibration.black.values.empty());
    if (run.inputs.settings.frameRateFromClip) takeClipFrameRate(run.clipSettings, trailer);

    // Crop and buffers; the calibration pass sums whole frames.
    clip.crop = CropGeometry{trailer.width, trailer.height, 0, 0, trailer.width, trailer.height};
    if (const StepOutcome outcome = prepareFrames(run, trailer)) return outcome;
    if (!calibration) {
        if (const StepOutcome outcome = prepareConversionBuffers(run, trailer)) return outcome;
        prepareToneTable(run, trailer, clipPath);
    }

    if (!clip.reader->positionAtFirstFrame().ok()) return refuseClip(run, clip.reader->openFailure());
    if (!calibration) {
        for (std::uint32_t skipped = 0; skipped < run.inputs.settings.inPoint; ++skipped)
            if (!clip.reader->skipFrame()) break;
        clip.readEvents.show(console);
        if (const StepOutcome outcome = run.sink->clipPositioned(pass, clip, run.clipSettings))
            return outcome;
    }

    const ConversionSettings& settings = run.inputs.settings;
    const std::uint64_t framesBefore = pass.frameCounter;
    console.startClipProgress(
        clipPath.substr(platform::directoryPart(clipPath).size()),
        framesToConvert(trailer.frameCount, calibration ? 0 : settings.inPoint, settings.skipFrames,
                        settings.inPoint, settings.outPoint, pass.frameCounter));
    StepOutcome outcome = runFrameLoop(run);
    const std::uint32_t inPoint = settings.inPoint;
    if (!calibration && !outcome && pass.frameCounter == framesBefore && inPoint > 0)
        warnAboutInPointPastEnd(console, run.inputs.notes, inPoint, clipPath);
    if (!calibration)
        if (const StepOutcome lastWrite = run.sink->settle(); !outcome) outcome = lastWrite;
    console.endClipProgress();
    clip.reader->close();
    return outcome;
}
