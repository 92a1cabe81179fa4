#include "app/run/batch_driver.h"

#include <algorithm>
#include <string>

#include "app/cli/argument_warnings.h"
#include "app/cli/path_kind.h"
#include "app/report/clip_messages.h"
#include "app/report/exit_codes.h"
#include "app/run/batch_run.h"
#include "app/run/clip_conversion.h"
#include "app/run/clip_paths.h"
#include "app/run/clip_plan.h"
#include "app/run/frame_selection.h"
#include "app/run/output_choice.h"
#include "app/run/plan_report.h"
#include "app/run/planned_outputs.h"
#include "app/run/run_checks.h"
#include "platform/directory.h"
#include "platform/interrupt_cleanup.h"
#include "platform/processors.h"
#include "raw/black_calibration.h"
#include "raw/clip_reader.h"
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
    // Clips gone past with --keep-going decide how a run that went on to its end ends.
    if (stop.exitCode == exit_codes::kSuccess) stop.exitCode = run.tally.clipFailureExit;
    if (run.tally.clipsTried() >= 2) run.console.inform("%s", runSummaryText(run.tally).c_str());
    if (stop.endOfRunSteps) {
        int failedWaits = 0;
        destroyPool(run.pool, &failedWaits);
        for (int wait = 0; wait < failedWaits; ++wait) run.console.debugLine("ThreadWait");
        run.clip.buffers.release();
        run.clip.reader->releasePackedBuffer();
        run.calibration.black = BlackFrame{};
        run.console.report("\ndone\n");
    }
    return stop.exitCode;
}

// The clip of the plan the next entry of a conversion pass is; null past it.
const PlannedClip* nextPlannedClip(BatchRun& run, std::int64_t* conversionIndex) {
    const std::size_t entry = run.nextEntry++;
    if (entry >= run.plan.clips.size()) return nullptr;
    *conversionIndex = run.conversionIndexes[entry];
    return &run.plan.clips[entry];
}

// Whether the run passes over the clip: it is not the one --clip-index asks
// for, or its outputs are there and --skip-existing was given. The frame
// counter then goes on as if the clip had been converted.
bool passOver(BatchRun& run, const PlannedClip& planned, std::int64_t conversionIndex) {
    const RunOptions& options = run.inputs.options;
    if (planned.calibrationClip) return false;
    bool passed = false;
    if (options.clipIndex && static_cast<std::uint64_t>(conversionIndex) != *options.clipIndex) passed = true;
    if (!passed && options.skipExisting) {
        const std::vector<std::string> files = plannedOutputFiles(planned, run.inputs);
        passed = !files.empty() && std::all_of(files.begin(), files.end(), [](const std::string& file) {
            return platform::fileIdentity(file).has_value();
        });
        if (passed) {
            run.console.inform("%s: passed over: its outputs are all there", planned.entry.filePath.c_str());
            ++run.tally.clipsPassedOver;
        }
    }
    run.pass.frameCounter = passed ? planned.counterAfter : planned.counterAtStart;
    return passed;
}

// One entry of a pass.
StepOutcome convertEntry(BatchRun& run, const ClipEntry& entry) {
    if (!run.pass.calibrating()) {
        std::int64_t conversionIndex = -1;
        if (const PlannedClip* planned = nextPlannedClip(run, &conversionIndex))
            if (passOver(run, *planned, conversionIndex)) return std::nullopt;
        if (const StepOutcome outcome = run.sink->startClip(run.pass, entry)) return outcome;
        const std::string& calibrationPath = run.calibration.path;
        // The calibration clip is never converted with the clips it calibrates.
        if (run.pass.wildcardMode != WildcardMode::None && !calibrationPath.empty() &&
            samePathIgnoringCase(calibrationPath, entry.filePath))
            return std::nullopt;
    }
    const std::uint64_t counterAtStart = run.pass.frameCounter;
    const StepOutcome outcome = convertClip(run, entry);
    if (run.pass.calibrating()) return outcome;
    if (!outcome) {
        ++run.tally.clipsConverted;
        return std::nullopt;
    }
    if (!outcome->clipFailure) return outcome;
    run.tally.recordFailure(entry.archive ? entry.filePath : clipFilePath(entry.openPath, -1),
                            outcome->exitCode);
    if (!run.inputs.options.keepGoing) return outcome;
    // The clips after it are numbered as if every frame its trailer announces
    // had been read: their names do not depend on the damage, and a run of
    // that clip alone numbers them the same way.
    if (run.clip.reader->openFailure().problem == ClipOpenProblem::None) {
        const ConversionSettings& settings = run.inputs.settings;
        const std::uint64_t frames =
            framesToConvert(run.clip.reader->trailer().frameCount, settings.inPoint, settings.skipFrames,
                            settings.inPoint, settings.outPoint, counterAtStart);
        run.pass.frameCounter = counterAfterFrames(counterAtStart, frames, settings.skipFrames);
    }
    return std::nullopt;
}

// One pass: the clip (or archive) an argument names, or every one its wildcard matches.
StepOutcome runPass(BatchRun& run, const std::string& argument) {
    const bool archive = namesArchive(argument);
    const std::string rawPath = archive ? argument : rebuildClipPath(argument);
    // A calibration path that begins with '-' is the -bc switch itself.
    if (rawPath[0] == '-') return std::nullopt;
    run.pass.wildcardMode = WildcardMode::None;
    if (!containsWildcard(rawPath)) return convertEntry(run, clipEntryOf(rawPath, archive));

    run.pass.wildcardMode = WildcardMode::Input;
    // The calibration pass writes nothing, so only a conversion needs a pattern to name its outputs.
    if (!run.pass.calibrating()) {
        if (!containsWildcard(run.inputs.settings.outputPath)) {
            run.console.report("use wildcard on input and output paths\n");
            run.console.report("example:  raw2tvx E:\\DCIM\\*.RAW V:\\KXRAW\\*.AVI\n");
            return RunStop{exit_codes::kWildcardOutput, false};
        }
        run.pass.wildcardMode = WildcardMode::InputAndOutput;
    }
    const auto entries = platform::listMatchingFiles(rawPath);
    if (entries.empty()) {
        run.console.report("%s", kNoMatchMessage);
        return RunStop{exit_codes::kNoWildcardMatch, false};
    }
    const std::string directory = platform::directoryPart(rawPath);
    for (std::size_t index = 0; index < entries.size(); ++index) {
        if (index > 0) {
            run.console.report("\n");
            if (!run.pass.calibrating()) {
                const ClipEntry next = clipEntryOf(directory + entries[index].name, archive);
                if (const StepOutcome outcome = run.sink->endEntry(run.pass, next)) return outcome;
                // Every movie of a wildcard counts its frames from 0.
                if (run.inputs.settings.movieOutput) run.pass.frameCounter = 0;
            }
        }
        if (const StepOutcome outcome =
                convertEntry(run, clipEntryOf(directory + entries[index].name, archive))) {
            if (outcome->clipFailure && index + 1 < entries.size()) run.tally.stoppedAtFailure = true;
            return outcome;
        }
    }
    return std::nullopt;
}

// The black calibration clip, chosen among a wildcard's matches when it has
// one; noDarkClip tells that none of them was dark, so all are summed.
StepOutcome chooseCalibrationClip(BatchRun& run, bool& calibrate, bool& noDarkClip) {
    calibrate = false;
    noDarkClip = false;
    std::string& path = run.calibration.path;
    // An archive keeps the samples without the black frame: it needs none.
    if (path.empty() || run.inputs.options.archive) return std::nullopt;
    // A lens-cap clip, or the archive of one, named as it is.
    if (namesArchive(path) && !containsWildcard(path)) {
        calibrate = true;
        return std::nullopt;
    }
    if (classifyPath(path) != PathKind::Raw) return std::nullopt;
    if (containsWildcard(path)) {
        const DarkClipSearch search = findDarkClip(path);
        if (search.outcome == DarkClipOutcome::NoMatch) {
            run.console.report("%s", kNoMatchMessage);
            return RunStop{exit_codes::kNoWildcardMatch, false};
        }
        if (search.outcome == DarkClipOutcome::Chosen) {
            run.console.report("using black calibration file %s\n", search.listedName.c_str());
            path = search.path;
        }
        noDarkClip = search.outcome == DarkClipOutcome::NoneQualifies;
    }
    calibrate = true;
    return std::nullopt;
}

// The calibration pass over the black calibration clip, and its summary.
StepOutcome runCalibrationPass(BatchRun& run, bool noDarkClip) {
    CalibrationState& calibration = run.calibration;
    run.pass.pass = 0;
    run.pass.passArgument = calibration.path;
    if (const StepOutcome outcome = runPass(run, calibration.path)) return outcome;
    const Result<BlackCalibrationSummary> finished =
        finishBlackCalibration(calibration.black, calibration.width, calibration.height,
                               calibration.framesRead, run.inputs.settings.blackCalibrationOffset);
    if (!finished.ok()) {
        run.console.warn("%s: no black frame is used", finished.status().message().c_str());
        return std::nullopt;
    }
    const BlackCalibrationSummary& summary = finished.value();
    run.console.report("Black Level Calibation: min = %d, max = %d, avg = %d\n", summary.minimum,
                       summary.maximum, summary.average);
    warnAboutBlackCalibration(run.console, run.inputs.notes, calibration.path, summary,
                              run.clip.reader->trailer().blackLevel, noDarkClip);
    return std::nullopt;
}

}  // namespace

int runBatch(const CommandLine& commandLine, const MetadataTagList& tags, Console& console) {
    const ConversionSettings& settings = commandLine.settings;
    BatchRun run(settings, commandLine.options, tags, console);
    platform::installInterruptCleanup();
    const int processors = platform::processorCount();
    // The thread that runs the frame loop reads and unpacks the next frame and then takes
    // bands beside the workers, so one worker fewer than processors keeps every processor
    // busy. One more would make two threads take turns on one processor while another sat
    // idle: the scheduler leaves a thread that just ran where it is for milliseconds. On two
    // cores that cost 4096x2160 frames about a tenth of their speed.
    createPool(run.pool, processors - 1);

    run.inputs.clipArguments = clipArgumentsOf(commandLine.arguments);
    run.inputs.notes = argumentNotesOf(commandLine.arguments);
    warnAboutArguments(commandLine, console);
    if (const StepOutcome outcome = chooseOutput(run)) return finishRun(run, *outcome);
    if (run.inputs.clipArguments.empty()) {
        console.error("no clip given, so nothing is converted: name the .RAW (or .R00) clips to convert");
        return finishRun(run, RunStop{exit_codes::kUsage, false});
    }
    rememberInputClips(run.inputs);
    if (settings.verbose) console.processorLine(std::min(processors, 8));
    run.pass.frameCounter = 0;

    bool calibrate = false;
    bool noDarkClip = false;
    if (const StepOutcome outcome = chooseCalibrationClip(run, calibrate, noDarkClip))
        return finishRun(run, *outcome);
    run.plan = planClips(run.inputs, run.calibration.path);
    run.conversionIndexes = conversionIndexes(run.plan);
    if (const StepOutcome outcome = refuseOneNameForManyFrames(run, run.plan))
        return finishRun(run, *outcome);
    if (const StepOutcome outcome = refuseUnplannedClipIndex(run)) return finishRun(run, *outcome);
    if (const StepOutcome outcome = refuseClobbering(run)) return finishRun(run, *outcome);
    if (run.inputs.options.plan) {
        const int exitCode = plannedExitCode(run.plan, run.inputs);
        console.document(planReport(run.plan, run.inputs, exitCode));
        return finishRun(run, RunStop{exitCode, false});
    }
    if (calibrate)
        if (const StepOutcome outcome = runCalibrationPass(run, noDarkClip)) return finishRun(run, *outcome);

    run.pass.frameCounter = 0;
    int passNumber = 0;
    const std::vector<std::string>& arguments = run.inputs.clipArguments;
    for (const std::string& argument : arguments) {
        run.pass.pass = ++passNumber;
        run.pass.passArgument = argument;
        if (const StepOutcome outcome = runPass(run, argument)) {
            if (outcome->clipFailure && static_cast<std::size_t>(passNumber) < arguments.size())
                run.tally.stoppedAtFailure = true;
            return finishRun(run, *outcome);
        }
        if (const StepOutcome outcome = run.sink->endArgument()) return finishRun(run, *outcome);
    }
    return finishRun(run, RunStop{exit_codes::kSuccess, true});
}
