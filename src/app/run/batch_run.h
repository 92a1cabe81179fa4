#pragma once

#include <memory>

#include "app/outputs/output_sink.h"
#include "app/run/pass_state.h"
#include "app/report/progress_line.h"
#include "app/run/run_inputs.h"
#include "imaging/worker_pool.h"

// Everything the batch driver keeps for one run, on the main thread.
struct BatchRun {
    BatchRun(ConversionSettings& settings, const MetadataTagList& tags)
        : inputs(settings, tags), progress(makeProgressLine(settings.verbose)) {}

    RunInputs inputs;
    ProgressLine progress;
    WorkerPool pool;
    CalibrationState calibration;
    PassState pass;
    ClipState clip;
    // Last, so that anything it still writes from the run's pictures is
    // finished before they go.
    std::unique_ptr<OutputSink> sink;
};
