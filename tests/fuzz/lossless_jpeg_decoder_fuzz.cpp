// The archive reader's decoder on untrusted bytes. It must never read or
// write outside the image and the frame (guard samples surround the frame and
// its row padding), must give back exactly what our encoder wrote, and
// whenever both it and FFmpeg's decoder take an image, they must give the
// same samples.
//
// Input: a flags byte, then
//   flags bit 0 clear: the image itself, decoded into a frame of at most
//     kLargestSide x kLargestSide;
//   flags bit 0 set: width - 1, height - 1, predictor, table row step, depth,
//     the count of bytes to change and the changes (position and value, two
//     bytes each), then the samples, two bytes each, little-endian, repeated
//     to fill the frame. The frame is encoded with a comment, decoded and
//     checked sample for sample; then the image with the changes is decoded.
#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
}

#include "components/bayer_quadrants.h"
#include "components/lossless_jpeg_decoder.h"
#include "components/lossless_jpeg_encoder.h"

namespace {

constexpr int kLargestSide = 96;
constexpr std::size_t kRowPadding = 3;
constexpr std::size_t kGuardSamples = 32;
constexpr std::uint16_t kGuard = 0x5AA5;

using Samples = std::vector<std::uint16_t>;

// FFmpeg's samples for the image, back in the Bayer layout; empty when it
// does not decode it.
Samples decodeWithFfmpeg(const std::uint8_t* data, std::size_t size, int width, int height) {
    Samples bayer;
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_MJPEG);
    AVCodecContext* context = avcodec_alloc_context3(codec);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    context->err_recognition = AV_EF_EXPLODE;
    if (avcodec_open2(context, codec, nullptr) == 0 && av_new_packet(packet, static_cast<int>(size)) == 0) {
        std::memcpy(packet->data, data, size);
        if (avcodec_send_packet(context, packet) == 0 && avcodec_receive_frame(context, frame) == 0 &&
            frame->format == AV_PIX_FMT_GRAY16LE && frame->width == width && frame->height == height) {
            Samples quadrants(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
            for (int y = 0; y < height; ++y)
                std::memcpy(quadrants.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width),
                            frame->data[0] + static_cast<std::ptrdiff_t>(y) * frame->linesize[0],
                            static_cast<std::size_t>(width) * 2);
            bayer.resize(quadrants.size());
            quadrantsToBayer(quadrants.data(), width, height, bayer.data());
        }
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&context);
    return bayer;
}

struct Decoded {
    bool ok = false;
    LosslessJpegDecoded info;
    Samples frame;  // packed rows
};

// Decodes into a frame of room x room with padded rows inside guard samples,
// and checks the guards and the padding.
Decoded decodeGuarded(const std::uint8_t* data, std::size_t size, int room) {
    static LosslessJpegDecoder decoder;  // kept, as the archive reader keeps it
    const std::size_t stride = static_cast<std::size_t>(room) + kRowPadding;
    Samples memory(2 * kGuardSamples + stride * static_cast<std::size_t>(room), kGuard);
    Decoded decoded;
    const Status status =
        decoder.decode({data, size}, memory.data() + kGuardSamples, stride, room, room, &decoded.info);
    decoded.ok = status.ok();
    assert(decoded.ok || status.code() == ErrorCode::kBadInput || status.code() == ErrorCode::kUnsupported);
    const int width = decoded.ok ? decoded.info.width : 0;
    for (std::size_t i = 0; i < memory.size(); ++i) {
        const std::size_t at = i - kGuardSamples;
        const bool written = i >= kGuardSamples &&
                             at < stride * static_cast<std::size_t>(decoded.info.height) &&
                             at % stride < static_cast<std::size_t>(width);
        if (!written && decoded.ok) assert(memory[i] == kGuard);
        if (i < kGuardSamples || i >= memory.size() - kGuardSamples) assert(memory[i] == kGuard);
        if (i >= kGuardSamples && at < stride * static_cast<std::size_t>(room) &&
            at % stride >= static_cast<std::size_t>(room))
            assert(memory[i] == kGuard);
    }
    if (decoded.ok) {
        assert(width >= 1 && width <= room && decoded.info.height >= 1 && decoded.info.height <= room);
        for (int y = 0; y < decoded.info.height; ++y) {
            const std::uint16_t* row = memory.data() + kGuardSamples + static_cast<std::size_t>(y) * stride;
            decoded.frame.insert(decoded.frame.end(), row, row + width);
        }
    }
    return decoded;
}

// What we accept and FFmpeg decodes too, it decodes to the same samples.
// FFmpeg refuses some bytes that mean nothing to the lossless process, which
// we pass over; and it takes 0xFF 0x00 inside the scan header for a stuffed
// 0xFF (the header then reads on into the scan), which we do not.
bool scanHeaderHasFF(const std::uint8_t* data, std::size_t size) {
    for (std::size_t at = 0; at + 4 <= size; ++at)
        if (data[at] == 0xFF && data[at + 1] == 0xDA) {
            const std::size_t end = std::min(size, at + 2 + (data[at + 2] << 8 | data[at + 3]));
            return std::find(data + at + 4, data + end, 0xFF) != data + end;
        }
    return false;
}

void checkAgainstFfmpeg(const std::uint8_t* data, std::size_t size, const Decoded& decoded) {
    if (!decoded.ok || scanHeaderHasFF(data, size)) return;
    const Samples theirs = decodeWithFfmpeg(data, size, decoded.info.width, decoded.info.height);
    assert(theirs.empty() || theirs == decoded.frame);
    (void)theirs;
}

void fuzzImage(const std::uint8_t* data, std::size_t size) {
    const Decoded decoded = decodeGuarded(data, size, kLargestSide);
    checkAgainstFfmpeg(data, size, decoded);
}

void fuzzEncodedFrame(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kHeaderBytes = 6;
    if (size < kHeaderBytes) return;
    const int width = 1 + data[0] % kLargestSide;
    const int height = 1 + data[1] % kLargestSide;
    LosslessJpegOptions options;
    options.predictor = 1 + data[2] % 7;
    options.tableRowStep = 1 + data[3] % 32;
    options.restartRows = std::min(data[5] >> 3 & 7, losslessJpegMostRestartRows(width));
    const unsigned depth = 1 + data[4] % 16;
    const std::size_t changeCount = std::min<std::size_t>(data[5] % 8, (size - kHeaderBytes) / 4);
    const std::uint8_t* changes = data + kHeaderBytes;
    const std::uint8_t* samples = changes + 4 * changeCount;
    const std::size_t sampleBytes = size - kHeaderBytes - 4 * changeCount;

    Samples frame(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (std::size_t index = 0; index < frame.size(); ++index) {
        unsigned value = 0;
        if (sampleBytes > 0) {
            const std::size_t at = (2 * index) % sampleBytes;
            value = samples[at] | static_cast<unsigned>(samples[(at + 1) % sampleBytes]) << 8;
        }
        frame[index] = static_cast<std::uint16_t>(value & ((1u << depth) - 1u));
    }
    const std::string comment = "raw2tvx archive frame " + std::to_string(size) + " crc32c 0123abcd";
    options.comment = comment;
    std::vector<std::uint8_t> image(losslessJpegMaxBytes(width, height, comment.size(), options.restartRows));
    LosslessJpegWorkspace workspace;
    const Result<std::size_t> bytes =
        encodeLosslessJpeg(frame.data(), static_cast<std::size_t>(width), width, height, workspace,
                           image.data(), image.size(), options);
    assert(bytes.ok());
    image.resize(bytes.value());

    const Decoded decoded = decodeGuarded(image.data(), image.size(), kLargestSide);
    assert(decoded.ok && decoded.info.width == width && decoded.info.height == height);
    assert(decoded.info.predictor == options.predictor && decoded.info.comment == comment);
    assert(decoded.frame == frame);

    if (changeCount == 0) return;
    for (std::size_t change = 0; change < changeCount; ++change) {
        const std::size_t at =
            (changes[4 * change] | static_cast<std::size_t>(changes[4 * change + 1]) << 8) % image.size();
        image[at] = changes[4 * change + 2];
    }
    if (changes[3] & 1) image.resize(image.size() - 1 - changes[3] % image.size());
    fuzzImage(image.data(), image.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool quiet = [] {
        av_log_set_level(AV_LOG_QUIET);
        return true;
    }();
    (void)quiet;
    if (size < 1) return 0;
    if (data[0] & 1)
        fuzzEncodedFrame(data + 1, size - 1);
    else
        fuzzImage(data + 1, size - 1);
    return 0;
}
