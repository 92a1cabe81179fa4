#include "app/run/planned_outputs.h"

#include "app/run/frame_selection.h"
#include "encode/movie_writer.h"
#include "files/dpx_sequence_exporter.h"
#include "files/output_pattern.h"

std::vector<std::string> plannedOutputFiles(const PlannedClip& clip, const RunInputs& inputs) {
    std::vector<std::string> files;
    if (clip.calibrationClip || !clip.opened.ok() || clip.framesSelected == 0) return files;
    const ConversionSettings& settings = inputs.settings;
    if (settings.movieOutput) {
        const Result<std::string> path = movieFilePath(clip.movieName);
        if (path.ok()) files.push_back(path.value());
        return files;
    }
    if (!DPXSequenceExporter(settings.outputPath).ExportsFrames()) return files;
    for (std::uint64_t frame = 0; frame < clip.framesSelected; ++frame) {
        const std::uint64_t counter = counterAfterFrames(clip.counterAtStart, frame, settings.skipFrames);
        const std::string name = formatFrameName(clip.dpxPattern, inputs.nameNumber(counter));
        if (files.empty() || files.back() != name) files.push_back(name);
    }
    return files;
}

std::vector<std::int64_t> conversionIndexes(const ClipPlan& plan) {
    std::vector<std::int64_t> indexes;
    std::int64_t next = 0;
    for (const PlannedClip& clip : plan.clips) indexes.push_back(clip.calibrationClip ? -1 : next++);
    return indexes;
}
