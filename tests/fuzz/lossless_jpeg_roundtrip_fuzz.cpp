// The RAW movie's promise: every Bayer frame comes back exactly. Random frames
// of random sizes and sample depths go through our lossless JPEG encoder (with
// random options, in the AVX2 or the reference form) and then FFmpeg's own
// decoder, which must give back every sample in the quadrant layout. A size
// the encoder does not take must be refused cleanly, before any sample is read.
//
// Input: width (2 bytes), height (2 bytes), depth, predictor, table row step,
// flags, then the samples, two bytes each, little-endian; a frame longer than
// the input repeats its bytes.
#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
}

#include "components/lossless_jpeg_encoder.h"

namespace {

constexpr std::size_t kHeaderBytes = 8;
// Sides up to 128 keep a run of the saved inputs and their mutations short;
// every odd and even size and both quadrant splits are reached well below it.
constexpr int kLargestSide = 128;

struct DecodedImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint16_t> samples;  // packed rows
};

bool decodeWithFfmpeg(const std::uint8_t* data, std::size_t size, DecodedImage& image) {
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_MJPEG);
    AVCodecContext* context = avcodec_alloc_context3(codec);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    bool decoded = false;
    context->err_recognition = AV_EF_EXPLODE;
    if (avcodec_open2(context, codec, nullptr) == 0 && av_new_packet(packet, static_cast<int>(size)) == 0) {
        std::memcpy(packet->data, data, size);
        if (avcodec_send_packet(context, packet) == 0 && avcodec_receive_frame(context, frame) == 0 &&
            frame->format == AV_PIX_FMT_GRAY16LE) {
            image.width = frame->width;
            image.height = frame->height;
            image.samples.resize(static_cast<std::size_t>(frame->width) *
                                 static_cast<std::size_t>(frame->height));
            for (int y = 0; y < frame->height; ++y)
                std::memcpy(image.samples.data() +
                                static_cast<std::size_t>(y) * static_cast<std::size_t>(frame->width),
                            frame->data[0] + static_cast<std::ptrdiff_t>(y) * frame->linesize[0],
                            static_cast<std::size_t>(frame->width) * 2);
            decoded = true;
        }
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&context);
    return decoded;
}

// The Bayer sample that lands at (x, y) of the quadrant image: the even
// columns (rows) first, the odd ones after them, the extra one of an odd side
// with the even ones.
std::uint16_t bayerSampleAt(const std::vector<std::uint16_t>& bayer, std::size_t stride, int width,
                            int height, int x, int y) {
    const int leftWidth = (width + 1) / 2;
    const int topHeight = (height + 1) / 2;
    const int bayerX = x < leftWidth ? 2 * x : 2 * (x - leftWidth) + 1;
    const int bayerY = y < topHeight ? 2 * y : 2 * (y - topHeight) + 1;
    return bayer[static_cast<std::size_t>(bayerY) * stride + static_cast<std::size_t>(bayerX)];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool quiet = [] {
        av_log_set_level(AV_LOG_QUIET);
        return true;
    }();
    (void)quiet;
    if (size < kHeaderBytes) return 0;
    const int rawWidth = data[0] | data[1] << 8;
    const int rawHeight = data[2] | data[3] << 8;
    const int depth = 1 + data[4] % 16;
    LosslessJpegOptions options;
    options.predictor = data[5] % 9;      // 0 and 8 are refused
    options.tableRowStep = data[6] % 33;  // 0 is refused
    const std::uint8_t flags = data[7];
    options.allowAvx2 = (flags & 1) != 0;
    const std::size_t padding = (flags >> 1) & 3;  // rows further apart than the width
    const int restartRows = (flags >> 4) & 7;      // rows of each restart interval, 0: none

    // Flag 8 asks for a side past the largest the encoder takes; otherwise
    // the sides are 0 (refused) to kLargestSide.
    const bool tooLarge = (flags & 8) != 0;
    const int width = tooLarge ? kMaxLosslessJpegSide + 1 + rawWidth : rawWidth % (kLargestSide + 1);
    const int height = rawHeight % (kLargestSide + 1);
    const bool usable = width >= 1 && height >= 1 && width <= kMaxLosslessJpegSide &&
                        options.predictor >= 1 && options.predictor <= 7 && options.tableRowStep >= 1;

    LosslessJpegWorkspace workspace;
    if (!usable) {
        // Refused before anything is read or written: a frame and an output of
        // one sample each are enough.
        const std::uint16_t sample = 0;
        std::uint8_t output[2] = {0xEE, 0xEE};
        const Result<std::size_t> refused =
            encodeLosslessJpeg(&sample, 1, width, height, workspace, output, sizeof output, options);
        assert(!refused.ok() && refused.status().code() == ErrorCode::kBadInput);
        assert(output[0] == 0xEE && output[1] == 0xEE);
        return 0;
    }

    const std::size_t stride = static_cast<std::size_t>(width) + padding;
    std::vector<std::uint16_t> bayer(stride * static_cast<std::size_t>(height));
    const std::uint8_t* samples = data + kHeaderBytes;
    const std::size_t sampleBytes = size - kHeaderBytes;
    const std::uint32_t mask = (1u << depth) - 1;
    for (std::size_t index = 0; index < bayer.size(); ++index) {
        std::uint32_t value = 0;
        if (sampleBytes > 0) {
            const std::size_t at = (2 * index) % sampleBytes;
            value = samples[at] | static_cast<std::uint32_t>(samples[(at + 1) % sampleBytes]) << 8;
        }
        bayer[index] = static_cast<std::uint16_t>(value & mask);
    }

    options.restartRows = std::min(restartRows, losslessJpegMostRestartRows(width));
    std::vector<std::uint8_t> image(losslessJpegMaxBytes(width, height, 0, options.restartRows));
    assert(!image.empty());
    const Result<std::size_t> bytes = encodeLosslessJpeg(bayer.data(), stride, width, height, workspace,
                                                         image.data(), image.size(), options);
    assert(bytes.ok());
    assert(bytes.value() <= image.size());

    DecodedImage decoded;
    const bool decodedOk = decodeWithFfmpeg(image.data(), bytes.value(), decoded);
    assert(decodedOk);
    assert(decoded.width == width && decoded.height == height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            assert(decoded.samples[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                                   static_cast<std::size_t>(x)] ==
                   bayerSampleAt(bayer, stride, width, height, x, y));
    (void)decodedOk;
    return 0;
}
