#pragma once

#include "app/batch_run.h"

// The DPX branch of the frame loop: hands the demosaiced frame of the clip,
// resampled to the output size when that differs from the crop, to the
// exporter under frame number in point + frame counter, and prints progress.
StepOutcome exportDpxFrame(BatchRun& run);
