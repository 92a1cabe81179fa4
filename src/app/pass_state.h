#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/crop_geometry.h"
#include "app/frame_buffers.h"
#include "imaging/rgb_resampler.h"
#include "imaging/tone_table.h"
#include "raw/black_frame.h"
#include "raw/clip_reader.h"

// Where the run is: which pass, which argument, which frame.
struct PassState {
    int pass = 0;              // 0 calibration, else the index of the argument being converted
    int wildcardMode = 0;      // 0 none, 1 wildcard input, 2 wildcard input and output
    std::string passArgument;  // the argument that named the clips of this pass, for messages
    std::uint64_t frameCounter = 0;
    bool stop = false;

    bool calibrating() const { return pass == 0; }
};

// The black frame measured by the calibration pass, if any.
struct CalibrationState {
    BlackFrame black;  // empty until a calibration pass has measured one
    std::int64_t framesRead = 0;
    int width = 0;
    int height = 0;
};

// The clip being read and the pictures its frames pass through.
struct ClipState {
    RawClipReader reader;
    std::vector<std::uint16_t> toneTable = std::vector<std::uint16_t>(kToneTableEntries);
    bool blackFrameInUse = false;
    FrameBuffers buffers;
    RgbResampler resampler;
    CropGeometry crop;
    int outputWidth = 0;  // the picture handed to the output
    int outputHeight = 0;

    bool resampling() const { return outputWidth != crop.cropWidth || outputHeight != crop.cropHeight; }
};
