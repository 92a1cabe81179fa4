// Compressed streams for the movie tests, made apart from the code under
// test: ProRes frames by libavcodec's own encoder, lossless JPEG frames by the
// small writer below (ITU-T T.81 lossless process, one 16-bit component,
// predictor 1), and a sink that keeps the bytes in memory.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/opt.h>
}

#include "components/byte_sink.h"
#include "components/encoded_stream.h"

namespace movie_test {

// Keeps every byte at its offset. It may take fewer bytes than it is given
// per call, and refuse any write that reaches a byte limit.
class MemorySink : public IByteSink {
public:
    std::vector<std::uint8_t> bytes;
    std::size_t largestWrite = std::numeric_limits<std::size_t>::max();
    std::int64_t limit = -1;  // refuse writes reaching this size; -1: none
    int refusal = ENOSPC;
    int calls = 0;

    std::int64_t writeAt(std::int64_t offset, const std::uint8_t* data, std::size_t count) override {
        ++calls;
        count = std::min(count, largestWrite);
        const auto end = static_cast<std::size_t>(offset) + count;
        if (limit >= 0 && end > static_cast<std::size_t>(limit)) return -refusal;
        if (bytes.size() < end) bytes.resize(end);
        std::memcpy(bytes.data() + offset, data, count);
        return static_cast<std::int64_t>(count);
    }
};

struct TestStream {
    EncodedStreamInfo info;
    std::vector<EncodedPacket> packets;
};

// A moving gradient, so every frame differs.
inline int gradient(int x, int y, int frame, int range) {
    return (x * 7 + y * 3 + frame * 11) % range;
}

// ProRes frames from libavcodec's prores_ks: profile 0 to 3 give 4:2:2
// (apco, apcs, apcn, apch), 4 and 5 give 4:4:4 (ap4h, ap4x).
inline TestStream proResStream(int width, int height, int profile, int frameCount, int rateNumerator,
                               int rateDenominator) {
    TestStream stream;
    const AVCodec* codec = avcodec_find_encoder_by_name("prores_ks");
    EXPECT_NE(nullptr, codec);
    if (codec == nullptr) return stream;
    AVCodecContext* context = avcodec_alloc_context3(codec);
    const bool fullChroma = profile >= 4;
    context->width = width;
    context->height = height;
    context->pix_fmt = fullChroma ? AV_PIX_FMT_YUV444P10LE : AV_PIX_FMT_YUV422P10LE;
    context->time_base = AVRational{rateDenominator, rateNumerator};
    context->flags |= AV_CODEC_FLAG_BITEXACT;
    context->colorspace = AVCOL_SPC_BT709;
    context->color_range = AVCOL_RANGE_MPEG;
    av_opt_set_int(context->priv_data, "profile", profile, 0);
    EXPECT_EQ(0, avcodec_open2(context, codec, nullptr));

    stream.info.codecId = AV_CODEC_ID_PRORES;
    stream.info.codecTag = context->codec_tag;
    stream.info.width = width;
    stream.info.height = height;
    stream.info.profile = profile;
    stream.info.rateNumerator = rateNumerator;
    stream.info.rateDenominator = rateDenominator;
    stream.info.colorSpace = AVCOL_SPC_BT709;
    stream.info.colorRange = AVCOL_RANGE_MPEG;

    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();
    frame->width = width;
    frame->height = height;
    frame->format = context->pix_fmt;
    frame->colorspace = AVCOL_SPC_BT709;
    frame->color_range = AVCOL_RANGE_MPEG;
    EXPECT_EQ(0, av_frame_get_buffer(frame, 0));
    const auto receive = [&] {
        while (avcodec_receive_packet(context, packet) == 0) {
            EncodedPacket out;
            out.data.assign(packet->data, packet->data + packet->size);
            out.frameIndex = static_cast<std::int64_t>(stream.packets.size());
            stream.packets.push_back(std::move(out));
            av_packet_unref(packet);
        }
    };
    for (int index = 0; index < frameCount; ++index) {
        EXPECT_EQ(0, av_frame_make_writable(frame));
        for (int plane = 0; plane < 3; ++plane) {
            const int planeWidth = plane == 0 || fullChroma ? width : width / 2;
            for (int y = 0; y < height; ++y) {
                auto* row = reinterpret_cast<std::uint16_t*>(frame->data[plane] + y * frame->linesize[plane]);
                for (int x = 0; x < planeWidth; ++x)
                    row[x] = static_cast<std::uint16_t>(64 + gradient(x, y + plane * 5, index, 876));
            }
        }
        frame->pts = index;
        EXPECT_EQ(0, avcodec_send_frame(context, frame));
        receive();
    }
    avcodec_send_frame(context, nullptr);
    receive();
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&context);
    return stream;
}

// Writes the entropy-coded bits of a lossless JPEG scan with 0xFF stuffing.
class JpegBitWriter {
public:
    explicit JpegBitWriter(std::vector<std::uint8_t>& out) : out_(out) {}
    void put(std::uint32_t bits, int count) {
        for (int i = count - 1; i >= 0; --i) {
            current_ = static_cast<std::uint8_t>(current_ << 1 | ((bits >> i) & 1));
            if (++filled_ == 8) flushByte();
        }
    }
    // Pads the last byte with one bits.
    void finish() {
        while (filled_ != 0) put(1, 1);
    }

private:
    void flushByte() {
        out_.push_back(current_);
        if (current_ == 0xFF) out_.push_back(0x00);
        current_ = 0;
        filled_ = 0;
    }
    std::vector<std::uint8_t>& out_;
    std::uint8_t current_ = 0;
    int filled_ = 0;
};

inline void putBE16(std::vector<std::uint8_t>& out, int value) {
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

// One 16-bit single-component lossless JPEG frame (SOF3). The Huffman table
// gives each difference category 0 to 16 a five-bit code equal to the
// category. Differences stay below 32768 in size here, so category 16 (whose
// extra bits decoders disagree about) never occurs.
inline std::vector<std::uint8_t> losslessJpegFrame(const std::vector<std::uint16_t>& samples, int width,
                                                   int height) {
    std::vector<std::uint8_t> out{0xFF, 0xD8};
    out.insert(out.end(), {0xFF, 0xC4});
    putBE16(out, 2 + 1 + 16 + 17);
    out.push_back(0x00);  // DC table 0
    for (int length = 1; length <= 16; ++length) out.push_back(length == 5 ? 17 : 0);
    for (int category = 0; category <= 16; ++category) out.push_back(static_cast<std::uint8_t>(category));
    out.insert(out.end(), {0xFF, 0xC3});
    putBE16(out, 11);
    out.push_back(16);
    putBE16(out, height);
    putBE16(out, width);
    out.insert(out.end(), {1, 1, 0x11, 0});
    out.insert(out.end(), {0xFF, 0xDA});
    putBE16(out, 8);
    out.insert(out.end(), {1, 1, 0x00, 1, 0, 0});  // one component, table 0, predictor 1, Pt 0
    JpegBitWriter bits(out);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int sample = samples[static_cast<std::size_t>(y) * width + x];
            int prediction = 32768;
            if (x > 0)
                prediction = samples[static_cast<std::size_t>(y) * width + x - 1];
            else if (y > 0)
                prediction = samples[static_cast<std::size_t>(y - 1) * width];
            const int difference = sample - prediction;
            const int magnitude = difference < 0 ? -difference : difference;
            int category = 0;
            while ((1 << category) <= magnitude) ++category;
            EXPECT_LT(category, 16);
            bits.put(static_cast<std::uint32_t>(category), 5);
            if (category > 0) {
                const int extra = difference < 0 ? difference + (1 << category) - 1 : difference;
                bits.put(static_cast<std::uint32_t>(extra), category);
            }
        }
    }
    bits.finish();
    out.insert(out.end(), {0xFF, 0xD9});
    return out;
}

// Lossless JPEG frames of a gradient picture; the samples of each frame go
// to `pictures` when given.
inline TestStream losslessJpegStream(int width, int height, int frameCount, int rateNumerator,
                                     int rateDenominator,
                                     std::vector<std::vector<std::uint16_t>>* pictures = nullptr) {
    TestStream stream;
    stream.info.codecId = AV_CODEC_ID_MJPEG;
    stream.info.codecTag = 0;
    stream.info.width = width;
    stream.info.height = height;
    stream.info.bitsPerCodedSample = 16;
    stream.info.rateNumerator = rateNumerator;
    stream.info.rateDenominator = rateDenominator;
    for (int index = 0; index < frameCount; ++index) {
        std::vector<std::uint16_t> samples(static_cast<std::size_t>(width) * height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                samples[static_cast<std::size_t>(y) * width + x] =
                    static_cast<std::uint16_t>(20000 + 37 * gradient(x, y, index, 1000));
        EncodedPacket packet;
        packet.data = losslessJpegFrame(samples, width, height);
        packet.frameIndex = index;
        stream.packets.push_back(std::move(packet));
        if (pictures) pictures->push_back(std::move(samples));
    }
    return stream;
}

}  // namespace movie_test
