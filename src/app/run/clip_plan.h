#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/outputs/output_sink.h"
#include "app/run/clip_paths.h"
#include "app/run/pass_state.h"
#include "app/run/run_inputs.h"
#include "platform/status.h"
#include "raw/clip_trailer.h"

// What a run will do with its clips, worked out before it converts any:
// every clip its arguments name or match, in the order the run takes them,
// with the frames the in point, out point and -s select, the run's frame
// counter as the clip starts, and the names of what it writes. Reading the
// plan opens each clip for its trailer and reads no frame.
struct PlannedClip {
    int pass = 0;          // the clip argument's number, from 1
    std::string argument;  // the argument as typed
    ClipEntry entry;       // the clip (or archive) and its name as listed
    WildcardMode wildcardMode = WildcardMode::None;
    // A match of a wildcard that is the black calibration clip: the run
    // passes over it.
    bool calibrationClip = false;

    Status opened;  // whether the trailer could be read; the rest needs it
    RawClipTrailer trailer;
    std::string trailerPath;
    std::vector<std::string> files;  // the .RAW and its continuations, in order

    std::uint64_t counterAtStart = 0;  // the run's frame counter as the clip starts
    std::uint64_t counterAfter = 0;    // and as it ends
    std::uint64_t framesSelected = 0;
    // The files the clip writes: its movie, or its first and last DPX
    // frame (empty when it writes none).
    std::string movieName;
    std::string dpxPattern;  // the clip's DPX names, numbered by in point + counter
    std::string firstFrameName;
    std::string lastFrameName;
    std::int64_t firstFrameNumber = 0;  // the number in the first DPX name
};

struct ClipPlan {
    std::vector<PlannedClip> clips;
    // How the run ends when it reaches the argument after the last clip
    // planned: a wildcard without a '*' output (exit 4) or one that matches
    // nothing (exit 5).
    std::optional<RunStop> stop;
};

// The plan of the conversion passes; calibrationPath is the black
// calibration clip as chosen, passed over among a wildcard's matches.
ClipPlan planClips(const RunInputs& inputs, const std::string& calibrationPath);
