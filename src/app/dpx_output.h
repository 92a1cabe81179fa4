#pragma once

#include "app/batch_run.h"

// The DPX branch of the frame loop: hands the demosaiced frame of the clip,
// resampled to the output size when that differs from the crop, to the
// run's writer thread under frame number in point + frame counter. The
// previous frame's write is finished first, so at most one frame is being
// written while the next one is read and demosaiced; the picture handed over
// is swapped out of run.buffers so the next frame goes into the other one.
StepOutcome exportDpxFrame(BatchRun& run);

// Waits for the frame being written, if any, and prints its progress mark, or
// its failure, which ends the run with code 7. Everything that prints or ends
// a clip or the run does this first, so the console reads as if each frame
// had been written before the next was read.
StepOutcome finishDpxWrite(BatchRun& run);
