#pragma once

#include <memory>

#include "app/outputs/output_sink.h"
#include "app/report/console.h"
#include "app/run/clip_plan.h"
#include "app/run/clip_settings.h"
#include "app/run/pass_state.h"
#include "app/run/run_inputs.h"
#include "app/run/run_tally.h"
#include "imaging/band_schedule.h"
#include "imaging/worker_pool.h"

// Everything the batch driver keeps for one run, on the main thread.
struct BatchRun {
    BatchRun(const ConversionSettings& settings, const RunOptions& options, const MetadataTagList& tags,
             Console& runConsole)
        : inputs(settings, options, tags),
          console(runConsole),
          clipSettings(ClipSettings::startingFrom(settings)) {
        calibration.path = settings.blackCalibrationPath;
    }

    RunInputs inputs;
    Console& console;
    WorkerPool pool;
    BandSchedule bandSchedule;  // the rows of the frame the pool is making
    CalibrationState calibration;
    PassState pass;
    ClipState clip;
    ClipSettings clipSettings;
    RunTally tally;
    // What the run will do with its clips, worked out before the first.
    ClipPlan plan;
    std::vector<std::int64_t> conversionIndexes;  // of plan.clips
    std::size_t nextEntry = 0;                    // the entry of plan.clips a conversion pass meets next
    // Last, so that anything it still writes from the run's pictures is
    // finished before they go.
    std::unique_ptr<OutputSink> sink;
};
