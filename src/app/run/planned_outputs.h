#pragma once

#include <string>
#include <vector>

#include "app/run/clip_plan.h"
#include "app/run/run_inputs.h"

// Every file a planned clip writes under its final name: each DPX frame of
// its sequence, or its movie. None for a null output or a clip that selects
// no frame.
std::vector<std::string> plannedOutputFiles(const PlannedClip& clip, const RunInputs& inputs);

// The index of each clip among those the run converts (the calibration
// clip a wildcard matches is passed over and has none: -1).
std::vector<std::int64_t> conversionIndexes(const ClipPlan& plan);
