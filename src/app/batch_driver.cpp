#include "app/batch_driver.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "app/batch_run.h"
#include "app/clip_conversion.h"
#include "app/clip_paths.h"
#include "app/dpx_output.h"
#include "app/exit_codes.h"
#include "app/path_kind.h"
#include "app/run_checks.h"
#include "platform/directory.h"
#include "platform/interrupt_cleanup.h"
#include "platform/processors.h"
#include "raw/black_calibration.h"
#include "raw/dark_clip.h"

namespace {

const char kNoMatchMessage[] = "no files with this * pattern was found\n";

// Ends the run: the frame being written finished and the writer joined, then
// the pool stopped, the buffers released and "\ndone\n" printed,
// unless the stop skips those steps.
int finishRun(BatchRun& run, RunStop stop) {
    if (const StepOutcome lastWrite = finishDpxWrite(run); lastWrite && stop.exitCode == exit_codes::kSuccess)
        stop = *lastWrite;
    run.dpxWriter.stop();
    if (stop.endOfRunSteps) {
        destroyPool(run.pool);
        run.buffers.release();
        run.reader.releasePackedBuffer();
        run.black = BlackFrame{};
        std::printf("\ndone\n");
    }
    std::fflush(stdout);
    return stop.exitCode;
}

// One entry of a pass: the clip at basePath, whose listed base name is baseName.
StepOutcome convertEntry(BatchRun& run, const std::string& basePath, const std::string& baseName) {
    if (run.pass != 0) {
        const std::string& calibrationPath = run.settings.blackCalibrationPath;
        // The calibration clip is never converted with the clips it calibrates.
        if (run.wildcardMode != 0 && !calibrationPath.empty() &&
            samePathIgnoringCase(calibrationPath, basePath + ".RAW"))
            return std::nullopt;
        const std::string& output = run.settings.outputPath;
        run.clipNamePattern = run.wildcardMode == 2 ? wildcardOutputName(output, baseName) : output;
    }
    return convertClip(run, basePath);
}

// One pass: the clip an argument names, or every clip its wildcard matches.
StepOutcome runPass(BatchRun& run, const std::string& argument) {
    const std::string rawPath = rebuildClipPath(argument);
    // The -bc switch ends in .RAW too; it is not a clip to convert.
    if (rawPath[0] == '-') return std::nullopt;
    run.wildcardMode = 0;
    if (!containsWildcard(rawPath)) {
        const std::string basePath = clipBasePath(rawPath);
        return convertEntry(run, basePath, basePath.substr(platform::directoryPart(basePath).size()));
    }

    run.wildcardMode = 1;
    // The calibration pass writes nothing, so only a conversion needs a pattern to name its outputs.
    if (run.pass != 0) {
        if (!containsWildcard(run.settings.outputPath)) {
            std::printf("use wildcard on input and output paths\n");
            std::printf("example:  raw2tvx E:\\DCIM\\*.RAW V:\\KXRAW\\*.AVI\n");
            return RunStop{exit_codes::kWildcardOutput, false};
        }
        run.wildcardMode = 2;
    }
    const auto entries = platform::listMatchingFiles(rawPath);
    if (entries.empty()) {
        std::fputs(kNoMatchMessage, stdout);
        return RunStop{exit_codes::kNoWildcardMatch, false};
    }
    const std::string directory = platform::directoryPart(rawPath);
    for (std::size_t index = 0; index < entries.size(); ++index) {
        if (index > 0) std::printf("\n");
        const std::string baseName = listedBaseName(entries[index].name);
        if (const StepOutcome outcome = convertEntry(run, directory + baseName, baseName)) return outcome;
    }
    return std::nullopt;
}

}  // namespace

int runBatch(int argc, char** argv, ConversionSettings& settings, MetadataTagList& tags) {
    BatchRun run(argc, argv, settings, tags);
    platform::installInterruptCleanup();
    const int processors = platform::processorCount();
    createPool(run.pool, processors);

    if (const StepOutcome outcome = checkOutputArgument(run)) return finishRun(run, *outcome);
    rememberInputClips(run);
    run.exporter = DPXSequenceExporter(settings.outputPath);
    run.clipNamePattern = settings.outputPath;
    if (settings.verbose) std::printf("found %d cpus\n", std::min(processors, 8));
    run.frameCounter = 0;

    int firstPass = 1;
    if (!settings.blackCalibrationPath.empty() &&
        classifyPath(settings.blackCalibrationPath) == PathKind::Raw) {
        if (containsWildcard(settings.blackCalibrationPath)) {
            const DarkClipSearch search = findDarkClip(settings.blackCalibrationPath);
            if (search.outcome == DarkClipOutcome::NoMatch) {
                std::fputs(kNoMatchMessage, stdout);
                return finishRun(run, RunStop{exit_codes::kNoWildcardMatch, false});
            }
            if (search.outcome == DarkClipOutcome::Chosen) settings.blackCalibrationPath = search.path;
        }
        firstPass = 0;
    }

    bool firstConversion = true;
    for (int pass = firstPass; pass < argc; ++pass) {
        std::string argument;
        if (pass == 0) {
            argument = settings.blackCalibrationPath;
        } else {
            argument = argv[pass];
            if (classifyPath(argument) != PathKind::Raw) continue;
            if (firstConversion) run.frameCounter = 0;
            firstConversion = false;
        }
        run.pass = pass;
        run.passArgument = argument;
        if (const StepOutcome outcome = runPass(run, argument)) return finishRun(run, *outcome);
        if (pass == 0)
            finishBlackCalibration(run.black, run.calibrationWidth, run.calibrationHeight,
                                   run.calibrationFramesRead, settings.blackCalibrationOffset);
    }
    return finishRun(run, RunStop{exit_codes::kSuccess, true});
}
