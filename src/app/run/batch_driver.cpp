#include "app/run/batch_driver.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "app/cli/argument_warnings.h"
#include "app/run/batch_run.h"
#include "app/run/clip_conversion.h"
#include "app/report/clip_messages.h"
#include "app/run/clip_paths.h"
#include "app/report/exit_codes.h"
#include "app/run/output_choice.h"
#include "app/cli/path_kind.h"
#include "app/run/run_checks.h"
#include "platform/directory.h"
#include "platform/interrupt_cleanup.h"
#include "platform/processors.h"
#include "raw/black_calibration.h"
#include "raw/dark_clip.h"

namespace {

const char kNoMatchMessage[] = "no files with this * pattern was found\n";

// Ends the run: the output finishes what it still writes, then the pool is
// stopped, the buffers released and "\ndone\n" printed, unless the stop
// skips those steps.
int finishRun(BatchRun& run, RunStop stop) {
    if (run.sink)
        if (const StepOutcome last = run.sink->endRun(stop.exitCode);
            last && stop.exitCode == exit_codes::kSuccess)
            stop = *last;
    if (stop.endOfRunSteps) {
        destroyPool(run.pool);
        run.clip.buffers.release();
        run.clip.reader.releasePackedBuffer();
        run.calibration.black = BlackFrame{};
        std::printf("\ndone\n");
    }
    std::fflush(stdout);
    return stop.exitCode;
}

// One entry of a pass: the clip at basePath, whose listed base name is baseName.
StepOutcome convertEntry(BatchRun& run, const std::string& basePath, const std::string& baseName) {
    if (!run.pass.calibrating()) {
        if (const StepOutcome outcome = run.sink->startClip(run.pass, basePath, baseName)) return outcome;
        const std::string& calibrationPath = run.inputs.settings.blackCalibrationPath;
        // The calibration clip is never converted with the clips it calibrates.
        if (run.pass.wildcardMode != 0 && !calibrationPath.empty() &&
            samePathIgnoringCase(calibrationPath, basePath + ".RAW"))
            return std::nullopt;
    }
    return convertClip(run, basePath);
}

// One pass: the clip an argument names, or every clip its wildcard matches.
StepOutcome runPass(BatchRun& run, const std::string& argument) {
    const std::string rawPath = rebuildClipPath(argument);
    // A calibration path that begins with '-' is the -bc switch itself.
    if (rawPath[0] == '-') return std::nullopt;
    run.pass.wildcardMode = 0;
    if (!containsWildcard(rawPath)) {
        const std::string basePath = clipBasePath(rawPath);
        return convertEntry(run, basePath, basePath.substr(platform::directoryPart(basePath).size()));
    }

    run.pass.wildcardMode = 1;
    // The calibration pass writes nothing, so only a conversion needs a pattern to name its outputs.
    if (!run.pass.calibrating()) {
        if (!containsWildcard(run.inputs.settings.outputPath)) {
            std::printf("use wildcard on input and output paths\n");
            std::printf("example:  raw2tvx E:\\DCIM\\*.RAW V:\\KXRAW\\*.AVI\n");
            return RunStop{exit_codes::kWildcardOutput, false};
        }
        run.pass.wildcardMode = 2;
    }
    const auto entries = platform::listMatchingFiles(rawPath);
    if (entries.empty()) {
        std::fputs(kNoMatchMessage, stdout);
        return RunStop{exit_codes::kNoWildcardMatch, false};
    }
    const std::string directory = platform::directoryPart(rawPath);
    for (std::size_t index = 0; index < entries.size(); ++index) {
        if (index > 0) {
            std::printf("\n");
            if (!run.pass.calibrating()) {
                const std::string nextBasePath = directory + listedBaseName(entries[index].name);
                if (const StepOutcome outcome = run.sink->endEntry(run.pass, nextBasePath)) return outcome;
            }
        }
        const std::string baseName = listedBaseName(entries[index].name);
        if (const StepOutcome outcome = convertEntry(run, directory + baseName, baseName)) return outcome;
    }
    return std::nullopt;
}

// The black calibration clip, chosen among a wildcard's matches when it has
// one; noDarkClip tells that none of them was dark, so all are summed.
StepOutcome chooseCalibrationClip(ConversionSettings& settings, bool& calibrate, bool& noDarkClip) {
    calibrate = false;
    noDarkClip = false;
    if (settings.blackCalibrationPath.empty() || classifyPath(settings.blackCalibrationPath) != PathKind::Raw)
        return std::nullopt;
    if (containsWildcard(settings.blackCalibrationPath)) {
        const DarkClipSearch search = findDarkClip(settings.blackCalibrationPath);
        if (search.outcome == DarkClipOutcome::NoMatch) {
            std::fputs(kNoMatchMessage, stdout);
            return RunStop{exit_codes::kNoWildcardMatch, false};
        }
        if (search.outcome == DarkClipOutcome::Chosen) settings.blackCalibrationPath = search.path;
        noDarkClip = search.outcome == DarkClipOutcome::NoneQualifies;
    }
    calibrate = true;
    return std::nullopt;
}

}  // namespace

int runBatch(int argc, char** argv, ConversionSettings& settings, MetadataTagList& tags) {
    BatchRun run(settings, tags);
    platform::installInterruptCleanup();
    const int processors = platform::processorCount();
    createPool(run.pool, processors);

    collectClipArguments(argc, argv, run.inputs);
    run.inputs.notes = warnAboutArguments(argc, argv, settings, run.inputs.clipArguments);
    if (const StepOutcome outcome = chooseOutput(run)) return finishRun(run, *outcome);
    rememberInputClips(run.inputs);
    if (settings.verbose) std::printf("found %d cpus\n", std::min(processors, 8));
    run.pass.frameCounter = 0;

    bool calibrate = false;
    bool noDarkClip = false;
    if (const StepOutcome outcome = chooseCalibrationClip(settings, calibrate, noDarkClip))
        return finishRun(run, *outcome);
    if (calibrate) {
        run.pass.pass = 0;
        run.pass.passArgument = settings.blackCalibrationPath;
        if (const StepOutcome outcome = runPass(run, settings.blackCalibrationPath))
            return finishRun(run, *outcome);
        CalibrationState& calibration = run.calibration;
        BlackCalibrationSummary summary;
        if (finishBlackCalibration(calibration.black, calibration.width, calibration.height,
                                   calibration.framesRead, settings.blackCalibrationOffset, &summary))
            warnAboutBlackCalibration(run.inputs.notes, settings.blackCalibrationPath, summary,
                                      run.clip.reader.trailer().blackLevel, noDarkClip);
    }

    run.pass.frameCounter = 0;
    int passNumber = 0;
    for (const std::string& argument : run.inputs.clipArguments) {
        run.pass.pass = ++passNumber;
        run.pass.passArgument = argument;
        if (const StepOutcome outcome = runPass(run, argument)) return finishRun(run, *outcome);
        if (const StepOutcome outcome = run.sink->endArgument()) return finishRun(run, *outcome);
    }
    return finishRun(run, RunStop{exit_codes::kSuccess, true});
}
