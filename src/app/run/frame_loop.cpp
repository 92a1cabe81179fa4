#include "app/run/frame_loop.h"

#include <span>
#include <utility>

#include "app/report/exit_codes.h"
#include "imaging/demosaic_jobs.h"
#include "raw/unpack.h"

namespace {

enum class FrameRead { Read, Ended, Failed };

// Reads the next frame into the Bayer buffer and unpacks it. 12-bit frames
// are unpacked whole, rows of the frame's width like every other frame, and
// then cropped like them.
FrameRead readFrame(BatchRun& run, SampleBuffer& bayerBuffer, BlackFrame* black) {
    ClipState& clip = run.clip;
    const RawClipTrailer& trailer = clip.reader->trailer();
    const std::span<std::uint16_t> bayer(bayerBuffer.data(), bayerBuffer.size());
    // An archive keeps the samples as the clip stores them; every other
    // output, and the calibration, takes them through the tone table.
    const bool keepStored = !run.pass.calibrating() && run.sink->takesStoredSamples();
    // A 14-bit frame is unpacked piece by piece as it is read, while each
    // piece is in cache; the calibration sums whole frames.
    FrameReadOutcome read = FrameReadOutcome::ClipEnded;
    if (trailer.packing == kPacking14 && !run.pass.calibrating()) {
        FramePieceUnpacker unpacker(
            keepStored ? FramePieceUnpacker::Kind::Stored : FramePieceUnpacker::Kind::ToneMapped, bayer,
            black, clip.toneTable, trailer.width, trailer.height, trailer.frameBytes);
        read = clip.reader->readFrameInPieces(bayer, unpacker);
    } else {
        read = clip.reader->readFrame(bayer);
    }
    switch (read) {
        case FrameReadOutcome::ClipEnded:
            return FrameRead::Ended;
        case FrameReadOutcome::NoMemory:
            // The clip ends here, as if it had no more frames.
            run.console.report("out of memory 1\n");
            return FrameRead::Ended;
        case FrameReadOutcome::ReadFailed:
            return FrameRead::Failed;
        case FrameReadOutcome::PackedFrame:
            if (keepStored)
                unpackStoredSamples(clip.reader->packedFrame(), bayer, trailer.width, trailer.height,
                                    trailer.packing);
            else
                unpackFrame(clip.reader->packedFrame(), bayer, black, clip.toneTable, trailer.width,
                            trailer.height, trailer.width, trailer.height, trailer.packing, run.pass.pass);
            break;
        case FrameReadOutcome::RawSamples:
            if (!keepStored)
                developStoredSamples(bayer, black, clip.toneTable, trailer.width, trailer.height,
                                     clip.reader->storedPacking(), run.pass.pass);
            break;
        case FrameReadOutcome::StoredSamples:
        case FrameReadOutcome::PiecesTaken:
            break;
    }
    return FrameRead::Read;
}

// A read that failed ends the clip: the frames before stay whole, so the
// output finishes them before the message names the frames that were lost.
// A frame that could not be written ends the run first.
StepOutcome readFailed(BatchRun& run) {
    if (!run.pass.calibrating())
        if (const StepOutcome outcome = run.sink->settle()) return outcome;
    run.console.readingError("%s%s", run.clip.reader->failureMessage().c_str(),
                             run.inputs.options.keepGoing ? "; going on with the next clip" : "");
    return kClipUnusable;
}

// Passes over the frames of -s on the reader. The frame counter counts them
// all, even past the end of the clip, where no seek is needed.
void skipOnReader(BatchRun& run) {
    for (std::int32_t skip = 0; skip < run.inputs.settings.skipFrames; ++skip)
        if (!run.clip.reader->skipFrame()) break;
}

std::uint64_t counterAfterFrame(const BatchRun& run) {
    const std::int32_t skipFrames = run.inputs.settings.skipFrames;
    return run.pass.frameCounter + 1 + static_cast<std::uint64_t>(skipFrames > 0 ? skipFrames : 0);
}

bool reachesOutPoint(const BatchRun& run, std::uint64_t frameCounter) {
    const ConversionSettings& settings = run.inputs.settings;
    return static_cast<std::uint64_t>(settings.inPoint) + frameCounter >= settings.outPoint;
}

// The frame loop of the calibration pass and of outputs that take the Bayer
// frame: one frame after the other, all on this thread.
StepOutcome runPlainLoop(BatchRun& run) {
    ClipState& clip = run.clip;
    PassState& pass = run.pass;
    const bool calibration = pass.calibrating();
    BlackFrame* black = calibration ? &run.calibration.black : clip.black;
    while (!pass.stop) {
        const FrameRead read = readFrame(run, clip.buffers.bayer, black);
        clip.readEvents.show(run.console);
        if (read == FrameRead::Ended) break;
        if (read == FrameRead::Failed) return readFailed(run);
        if (calibration) {
            ++run.calibration.framesRead;
        } else {
            cropInPlace(clip.buffers.bayer.data(), clip.crop);
            FramePicture bayer{&clip.buffers.bayer, clip.crop.cropWidth, clip.crop.cropHeight,
                               static_cast<std::size_t>(clip.crop.cropWidth) * 2};
            if (const StepOutcome outcome = run.sink->frame(pass, bayer)) return outcome;
            ++run.tally.framesWritten;
        }
        run.console.frameDone();
        const std::uint64_t nextCounter = counterAfterFrame(run);
        skipOnReader(run);
        clip.readEvents.show(run.console);
        pass.frameCounter = nextCounter;
        if (reachesOutPoint(run, pass.frameCounter)) pass.stop = true;
    }
    return std::nullopt;
}

// The rest of a frame once the pool has made its picture: resampling, the
// 4:2:2 conversion when the bands did not do it, and the output.
StepOutcome deliverPicture(BatchRun& run, bool bandsMade422) {
    ClipState& clip = run.clip;
    const CropGeometry& crop = clip.crop;
    SampleBuffer* picture = &clip.buffers.rgb;
    if (clip.resampling()) {
        if (!clip.resampler.resample(clip.buffers.rgb.data(), clip.buffers.output.data())) {
            run.console.error("could not resample the %dx%d picture to %dx%d", crop.cropWidth,
                              crop.cropHeight, clip.outputWidth, clip.outputHeight);
            return kClipUnusable;
        }
        picture = &clip.buffers.output;
    }
    if (run.sink->picture() == OutputFormat::Yuv422 && !bandsMade422)
        toYuv422OnPool(run.pool, picture->data(), clip.outputWidth, clip.outputHeight);
    FramePicture frame{picture, clip.outputWidth, clip.outputHeight,
                       static_cast<std::size_t>(clip.outputWidth) * 6};
    return run.sink->frame(run.pass, frame);
}

// The frame loop of outputs that take a picture. While the pool makes the
// picture of one frame, this thread skips to, reads and unpacks the next one
// into the other Bayer buffer; what the reader tells on the way is shown
// once the frame before it is delivered.
StepOutcome runPictureLoop(BatchRun& run) {
    ClipState& clip = run.clip;
    PassState& pass = run.pass;
    BlackFrame* black = clip.black;
    // Without resampling the 4:2:2 conversion is done by the bands too, while their rows are in cache.
    const bool bandsMake422 = run.sink->picture() == OutputFormat::Yuv422 && !clip.resampling();

    SampleBuffer* current = &clip.buffers.bayer;
    SampleBuffer* next = &clip.buffers.bayerAhead;
    const FrameRead first = readFrame(run, *current, black);
    clip.readEvents.show(run.console);
    if (first == FrameRead::Ended) return std::nullopt;
    if (first == FrameRead::Failed) return readFailed(run);
    // The bands read the crop where it lies in the frame: no pass moves it.
    const CropGeometry& crop = clip.crop;
    const std::size_t cropOrigin =
        static_cast<std::size_t>(crop.top) * static_cast<std::size_t>(crop.frameWidth) +
        static_cast<std::size_t>(crop.left);
    for (;;) {
        const std::uint64_t nextCounter = counterAfterFrame(run);
        const bool lastFrame = reachesOutPoint(run, nextCounter);
        startBandsOnPool(run.pool, run.bandSchedule, current->data() + cropOrigin, crop.frameWidth,
                         clip.buffers.rgb.data(), crop.cropWidth, crop.cropHeight,
                         run.inputs.settings.debayerType, bandsMake422);
        // The skips after the last frame are made too: they may go on into the next file.
        skipOnReader(run);
        const FrameRead nextRead = lastFrame ? FrameRead::Ended : readFrame(run, *next, black);
        waitForPool(run.pool);
        if (const StepOutcome outcome = deliverPicture(run, bandsMake422)) return outcome;
        ++run.tally.framesWritten;
        run.console.frameDone();
        pass.frameCounter = nextCounter;
        clip.readEvents.show(run.console);
        if (lastFrame) {
            pass.stop = true;
            return std::nullopt;
        }
        if (nextRead == FrameRead::Ended) return std::nullopt;
        if (nextRead == FrameRead::Failed) return readFailed(run);
        std::swap(current, next);
    }
}

}  // namespace

StepOutcome runFrameLoop(BatchRun& run) {
    if (run.pass.calibrating() || run.sink->picture() == OutputFormat::Raw) return runPlainLoop(run);
    return runPictureLoop(run);
}
