#pragma once

#include <string>

#include "app/run/clip_plan.h"
#include "app/run/run_inputs.h"

// --plan: what the run would do, as one JSON object. Its second line is
// always `  "clipCount": N,` (N the clips the run converts), which scripts
// may read without a JSON parser; then the exit code the run would end with,
// the output, and for every clip, in the order the run takes them: its index,
// path and files, frame size, packing, frame count and rate, the frames the
// in point, out point and -s select, the number of its first frame, and the
// files it writes (its movie, or its first and last DPX file), or why it
// cannot be read.
std::string planReport(const ClipPlan& plan, const RunInputs& inputs, int exitCode);

// The exit code of the run the plan describes, from what it knows before a
// frame is read: a wildcard the run would stop at, and clips that cannot be
// opened (the first, or with --keep-going the worst).
int plannedExitCode(const ClipPlan& plan, const RunInputs& inputs);
