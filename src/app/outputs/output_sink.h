#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "app/report/exit_codes.h"
#include "app/run/clip_paths.h"
#include "app/run/frame_buffers.h"
#include "media/output_format.h"

// How a step of the run ends it: with the end-of-run steps (pool stopped,
// buffers released, "\ndone\n") or at once, and with which exit code.
struct RunStop {
    int exitCode = 0;
    bool endOfRunSteps = true;
    // The failure is the clip's own (it could not be opened, read or given
    // its buffers): with --keep-going the run goes on with the next clip.
    bool clipFailure = false;
};

// A clip that could not be opened, read or given its buffers.
inline constexpr RunStop kClipUnusable{exit_codes::kClipUnusable, true, true};
using StepOutcome = std::optional<RunStop>;  // nullopt: the run goes on

struct PassState;
struct ClipState;
struct ClipSettings;

// One finished frame. An output that keeps reading the picture after frame()
// returns swaps buffer for a picture of its own, so that the next frame goes
// into another one.
struct FramePicture {
    SampleBuffer* buffer = nullptr;
    int width = 0;
    int height = 0;
    std::size_t pitchBytes = 0;
};

// Where the converted frames of a run go: a DPX sequence or movies. The
// driver calls it at fixed points of every conversion pass; the calibration
// pass never reaches it. Every step may end the run.
class OutputSink {
public:
    virtual ~OutputSink() = default;

    // The picture this output takes from every frame: the cropped Bayer frame
    // (Raw) with rows crop width * 2 bytes apart; R, G, B samples (Rgb444) at
    // the output size, rows width * 6 bytes apart; or the 4:2:2 words (Yuv422)
    // in the first width * 4 bytes of rows width * 6 bytes apart.
    virtual OutputFormat picture() const = 0;

    // A clip of a conversion pass is about to be opened.
    virtual StepOutcome startClip(const PassState& pass, const ClipEntry& entry) = 0;
    // The clip is open, sized and has its buffers.
    virtual StepOutcome prepareClip(const ClipState& clip) = 0;
    // The reader stands at the clip's first frame to convert; the clip's
    // settings are final.
    virtual StepOutcome clipPositioned(const PassState& pass, const ClipState& clip,
                                       const ClipSettings& clipSettings) = 0;
    // One converted frame, in the picture this output takes.
    virtual StepOutcome frame(const PassState& pass, FramePicture& picture) = 0;
    // Waits for the frames given so far to be written, and says how a
    // failure among them ends the run.
    virtual StepOutcome settle() { return std::nullopt; }
    // A wildcard entry was converted and the next one follows.
    virtual StepOutcome endEntry(const PassState& pass, const ClipEntry& next) = 0;
    // The output keeps the samples as the clip stores them (a camera
    // archive), not graded ones.
    virtual bool takesStoredSamples() const { return false; }
    // Every clip of an argument is done.
    virtual StepOutcome endArgument() = 0;
    // The run ends; exitCode is how it ends so far.
    virtual StepOutcome endRun(int exitCode) = 0;
};
