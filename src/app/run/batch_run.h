#pragma once

#include <memory>

#include "app/outputs/output_sink.h"
#include "app/report/console.h"
#include "app/run/clip_settings.h"
#include "app/run/pass_state.h"
#include "app/run/run_inputs.h"
#include "imaging/worker_pool.h"

// Everything the batch driver keeps for one run, on the main thread.
struct BatchRun {
    BatchRun(const ConversionSettings& settings, const MetadataTagList& tags, Console& runConsole)
        : inputs(settings, tags), console(runConsole), clipSettings(ClipSettings::startingFrom(settings)) {
        calibration.path = settings.blackCalibrationPath;
    }

    RunInputs inputs;
    Console& console;
    WorkerPool pool;
    CalibrationState calibration;
    PassState pass;
    ClipState clip;
    ClipSettings clipSettings;
    // Last, so that anything it still writes from the run's pictures is
    // finished before they go.
    std::unique_ptr<OutputSink> sink;
};
