#pragma once

#include <string>

#include "app/run/batch_run.h"

// Converts one clip of the current pass, or sums it into the black frame in
// the calibration pass: opens it, fixes its crop and output size, makes its
// buffers and tone table, skips to the in point and runs the frame loop.
StepOutcome convertClip(BatchRun& run, const ClipEntry& entry);
