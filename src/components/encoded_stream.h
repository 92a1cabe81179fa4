#pragma once

#include <cstdint>
#include <vector>

extern "C" {
#include <libavcodec/codec_id.h>
#include <libavutil/pixfmt.h>
}

// What a movie multiplexer is told of the one video stream it writes: the
// encoder fills it once its codec is open, before the first packet.
struct EncodedStreamInfo {
    AVCodecID codecId = AV_CODEC_ID_NONE;
    std::uint32_t codecTag = 0;  // 0: the container's own tag for the codec
    int width = 0;
    int height = 0;
    int bitsPerCodedSample = 0;
    int profile = -99;       // FF_PROFILE_UNKNOWN
    int rateNumerator = 24;  // frames per second as an exact fraction
    int rateDenominator = 1;
    AVColorSpace colorSpace = AVCOL_SPC_UNSPECIFIED;
    AVColorRange colorRange = AVCOL_RANGE_UNSPECIFIED;
    AVColorPrimaries colorPrimaries = AVCOL_PRI_UNSPECIFIED;
    AVColorTransferCharacteristic colorTransfer = AVCOL_TRC_UNSPECIFIED;
    std::vector<std::uint8_t> extradata;
};

// One compressed frame, in presentation order; every frame is a key frame.
struct EncodedPacket {
    std::vector<std::uint8_t> data;
    std::int64_t frameIndex = 0;  // 0 for the first frame of the movie
};
