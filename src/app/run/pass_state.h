#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/run/frame_buffers.h"
#include "app/run/read_event_lines.h"
#include "archive/archive_frame_source.h"
#include "imaging/bayer_crop.h"
#include "imaging/rgb_resampler.h"
#include "imaging/tone_table.h"
#include "raw/black_frame.h"
#include "raw/clip_reader.h"

// How a pass names its clips.
enum class WildcardMode {
    None,            // the argument names one clip
    Input,           // the argument is a wildcard of clips
    InputAndOutput,  // and the output holds a '*' the clip's name goes into
};

// Where the run is: which pass, which argument, which frame.
struct PassState {
    int pass = 0;  // 0 calibration, else the index of the argument being converted
    WildcardMode wildcardMode = WildcardMode::None;
    std::string passArgument;  // the argument that named the clips of this pass, for messages
    std::uint64_t frameCounter = 0;
    bool stop = false;

    bool calibrating() const { return pass == 0; }
};

// The black frame measured by the calibration pass, if any.
struct CalibrationState {
    // The calibration clip: the -bc path, or the dark clip its wildcard chose.
    std::string path;
    BlackFrame black;  // empty until a calibration pass has measured one
    std::int64_t framesRead = 0;
    int width = 0;
    int height = 0;
};

// The clip being read and the pictures its frames pass through.
struct ClipState {
    ClipState() { clipReader.setObserver(&readEvents); }
    ClipState(const ClipState&) = delete;
    ClipState& operator=(const ClipState&) = delete;

    // Where the frames come from: the clip, or an archive of one.
    RawClipReader clipReader;
    ArchiveFrameSource archiveReader;
    ClipFrameSource* reader = &clipReader;
    ReadEventLines readEvents;  // what the reader told and the loop has not shown yet
    std::vector<std::uint16_t> toneTable = std::vector<std::uint16_t>(kToneTableEntries);
    FrameBuffers buffers;
    RgbResampler resampler;
    CropGeometry crop;
    int outputWidth = 0;  // the picture handed to the output
    int outputHeight = 0;

    // The black frame the clip's frames use: the calibration's, or, for an
    // archive of a window of the clip's frames, that window of it.
    BlackFrame* black = nullptr;
    BlackFrame windowBlack;

    bool resampling() const { return outputWidth != crop.cropWidth || outputHeight != crop.cropHeight; }
};
