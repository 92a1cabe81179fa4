#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/conversion_settings.h"
#include "app/crop_geometry.h"
#include "app/dpx_writer_thread.h"
#include "app/frame_buffers.h"
#include "encode/metadata_tag_list.h"
#include "components/rgb_resampler.h"
#include "files/dpx_sequence_exporter.h"
#include "imaging/tone_table.h"
#include "imaging/worker_pool.h"
#include "platform/path.h"
#include "raw/black_frame.h"
#include "raw/clip_reader.h"

// How a step of the run ends it: with the end-of-run steps (pool stopped,
// buffers released, "\ndone\n") or at once, and with which exit code.
struct RunStop {
    int exitCode = 0;
    bool endOfRunSteps = true;
};
using StepOutcome = std::optional<RunStop>;  // nullopt: the run goes on

// Everything the batch driver keeps for one run, on the main thread; only the
// picture of a frame handed to dpxWriter is read by its thread until collected.
struct BatchRun {
    BatchRun(int count, char** vector, ConversionSettings& runSettings, MetadataTagList& runTags)
        : argc(count), argv(vector), settings(runSettings), tags(runTags) {}

    int argc;
    char** argv;
    ConversionSettings& settings;
    MetadataTagList& tags;

    WorkerPool pool;
    std::vector<std::uint16_t> toneTable = std::vector<std::uint16_t>(kToneTableEntries);
    RawClipReader reader;
    BlackFrame black;              // empty until a calibration pass has measured one
    bool blackFrameInUse = false;  // for the clip being converted
    FrameBuffers buffers;
    RgbResampler resampler;
    CropGeometry crop;
    int outputWidth = 0;
    int outputHeight = 0;

    int pass = 0;              // 0 calibration, else the index of the argument being converted
    int wildcardMode = 0;      // 0 none, 1 wildcard input, 2 wildcard input and output
    std::string passArgument;  // the argument that named the clips of this pass, for messages
    std::uint64_t frameCounter = 0;
    bool stop = false;
    std::int64_t calibrationFramesRead = 0;
    int calibrationWidth = 0;
    int calibrationHeight = 0;
    DPXSequenceExporter exporter{""};  // the run's DPX export, made from the output argument
    std::string clipNamePattern;       // the DPX names of the clip being converted

    // The files of every clip read so far: no output may replace one of them.
    std::vector<platform::FileIdentity> inputFiles;

    // Last, so that it is joined before the pictures it may be writing go.
    DpxWriterThread dpxWriter;
};
