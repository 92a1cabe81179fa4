#include "components/prores_picture_encoder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "components/frame_encoder.h"
#include "prores_test_pictures.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/pixdesc.h>
}

namespace {

constexpr std::uint32_t fourcc(const char (&text)[5]) {
    return static_cast<std::uint32_t>(text[0]) | static_cast<std::uint32_t>(text[1]) << 8 |
           static_cast<std::uint32_t>(text[2]) << 16 | static_cast<std::uint32_t>(text[3]) << 24;
}

struct FrameFree {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;

// What FFmpeg's own ProRes decoder makes of the packets, told the stream's codec tag as a
// container would.
struct Decoded {
    std::vector<FramePtr> frames;
    int profile = FF_PROFILE_UNKNOWN;
    bool failed = false;
};

Decoded decodeAll(const std::vector<EncodedPacket>& packets, std::uint32_t codecTag) {
    av_log_set_level(AV_LOG_ERROR);
    Decoded decoded;
    const AVCodec* decoder = avcodec_find_decoder(AV_CODEC_ID_PRORES);
    AVCodecContext* context = avcodec_alloc_context3(decoder);
    AVPacket* packet = av_packet_alloc();
    context->codec_tag = codecTag;
    context->thread_count = 1;
    decoded.failed = avcodec_open2(context, decoder, nullptr) < 0;
    const auto receive = [&] {
        for (;;) {
            FramePtr frame(av_frame_alloc());
            if (avcodec_receive_frame(context, frame.get()) < 0) return;
            decoded.frames.push_back(std::move(frame));
        }
    };
    for (const EncodedPacket& encoded : packets) {
        if (decoded.failed || av_new_packet(packet, static_cast<int>(encoded.data.size())) < 0) break;
        std::memcpy(packet->data, encoded.data.data(), encoded.data.size());
        decoded.failed = avcodec_send_packet(context, packet) < 0;
        av_packet_unref(packet);
        receive();
    }
    avcodec_send_packet(context, nullptr);
    receive();
    decoded.profile = context->profile;
    av_packet_free(&packet);
    avcodec_free_context(&context);
    return decoded;
}

struct Encoded {
    bool ok = false;
    std::string error;
    EncodedStreamInfo info;
    std::vector<EncodedPacket> packets;
};

constexpr double kNoise = 120;  // about two 10-bit steps

std::vector<std::uint16_t> makeScene(OutputFormat kind, int width, int height, int frame,
                                     std::size_t rowWords) {
    return kind == OutputFormat::Yuv422 ? prores_test::makeYuv422Scene(width, height, frame, kNoise, rowWords)
                                        : prores_test::makeRgbScene(width, height, frame, kNoise, rowWords);
}

std::size_t packedWords(OutputFormat kind, int width) {
    return (kind == OutputFormat::Yuv422 ? 2 : 3) * static_cast<std::size_t>(width);
}

Encoded encodeScenes(OutputFormat kind, int width, int height, int quality, int frames,
                     ProResThreading threading = {}, std::size_t paddingWords = 0) {
    Encoded encoded;
    ProResPictureEncoder encoder;
    if (const Status opened = encoder.open(kind, width, height, quality, 24000, 1001, threading);
        !opened.ok()) {
        encoded.error = opened.message();
        return encoded;
    }
    encoded.info = encoder.streamInfo();
    const auto sink = [&](const EncodedPacket& packet) {
        encoded.packets.push_back(packet);
        return true;
    };
    const std::size_t rowWords = packedWords(kind, width) + paddingWords;
    for (int frame = 0; frame < frames; ++frame) {
        const std::vector<std::uint16_t> picture = makeScene(kind, width, height, frame, rowWords);
        if (const Status encodedFrame =
                encoder.encode(reinterpret_cast<const std::uint8_t*>(picture.data()), 2 * rowWords, sink);
            !encodedFrame.ok()) {
            encoded.error = encodedFrame.message();
            return encoded;
        }
    }
    const Status flushed = encoder.flush(sink);
    encoded.ok = flushed.ok();
    encoded.error = flushed.message();
    return encoded;
}

// PSNR per plane (Y, Cb, Cr for 4:2:2 against the input words; R, G, B for RGB through
// the BT.709 inverse) over all frames, in 16-bit units.
struct PlanePsnr {
    double plane[3] = {0, 0, 0};
};

PlanePsnr measure(OutputFormat kind, int width, int height, const Decoded& decoded) {
    double sums[3] = {0, 0, 0};
    double counts[3] = {0, 0, 0};
    for (std::size_t index = 0; index < decoded.frames.size(); ++index) {
        const AVFrame& frame = *decoded.frames[index];
        const std::size_t rowWords = packedWords(kind, width);
        const auto input = makeScene(kind, width, height, static_cast<int>(index), rowWords);
        for (int y = 0; y < height; ++y) {
            const std::uint16_t* row = input.data() + rowWords * y;
            if (kind == OutputFormat::Yuv422) {
                for (int x = 0; x < width; ++x) {
                    const double luma = prores_test::sampleAt(frame, 0, x, y) * 64.25;
                    const double difference = luma - row[4 * (x / 2) + (x % 2 ? 2 : 0)];
                    sums[0] += difference * difference;
                    counts[0] += 1;
                }
                for (int x = 0; x < width / 2; ++x) {
                    const double cb = 32768 + (prores_test::sampleAt(frame, 1, x, y) - 512) * 64.25;
                    const double cr = 32768 + (prores_test::sampleAt(frame, 2, x, y) - 512) * 64.25;
                    sums[1] += (cb - row[4 * x + 3]) * (cb - row[4 * x + 3]);
                    sums[2] += (cr - row[4 * x + 1]) * (cr - row[4 * x + 1]);
                    counts[1] += 1;
                    counts[2] += 1;
                }
            } else {
                const double scale = frame.format == AV_PIX_FMT_YUV444P12LE ? 4 : 1;
                for (int x = 0; x < width; ++x) {
                    double rgb[3];
                    prores_test::decodedRgbAt(frame, scale, x, y, rgb);
                    for (int c = 0; c < 3; ++c) {
                        sums[c] += (rgb[c] - row[3 * x + c]) * (rgb[c] - row[3 * x + c]);
                        counts[c] += 1;
                    }
                }
            }
        }
    }
    PlanePsnr result;
    for (int c = 0; c < 3; ++c) result.plane[c] = prores_test::psnr(sums[c], counts[c], 65535);
    return result;
}

struct ExpectedStream {
    int profile;
    std::uint32_t tag;
};

// The profiles each quality asks for, and the codec tags that name them in a movie.
ExpectedStream expectedStream(OutputFormat kind, int quality) {
    if (kind == OutputFormat::Yuv422) {
        const ExpectedStream table[] = {{FF_PROFILE_PRORES_PROXY, fourcc("apco")},
                                        {FF_PROFILE_PRORES_LT, fourcc("apcs")},
                                        {FF_PROFILE_PRORES_STANDARD, fourcc("apcn")},
                                        {FF_PROFILE_PRORES_HQ, fourcc("apch")},
                                        {FF_PROFILE_PRORES_HQ, fourcc("apch")}};
        return table[quality - 1];
    }
    return quality < 5 ? ExpectedStream{FF_PROFILE_PRORES_4444, fourcc("ap4h")}
                       : ExpectedStream{FF_PROFILE_PRORES_XQ, fourcc("ap4x")};
}

// Every quality of both kinds, read back by FFmpeg's decoder: the stream names the
// profile, every frame comes back at its size and with its colour description, the picture
// is close to the input, and a higher quality is never worse.
TEST(ProResPictureEncoder, EveryQualityDecodesToTheInputPicture) {
    const int width = 192, height = 108, frames = 3;
    for (OutputFormat kind : {OutputFormat::Yuv422, OutputFormat::Rgb444}) {
        const bool is422 = kind == OutputFormat::Yuv422;
        PlanePsnr previous;
        for (int quality = 1; quality <= 5; ++quality) {
            const std::string label = std::string(is422 ? "4:2:2" : "4:4:4") + " q" + std::to_string(quality);
            const Encoded encoded = encodeScenes(kind, width, height, quality, frames);
            ASSERT_TRUE(encoded.ok) << label << ": " << encoded.error;
            const ExpectedStream expected = expectedStream(kind, quality);
            EXPECT_EQ(AV_CODEC_ID_PRORES, encoded.info.codecId) << label;
            EXPECT_EQ(expected.tag, encoded.info.codecTag) << label;
            EXPECT_EQ(expected.profile, encoded.info.profile) << label;
            EXPECT_EQ(width, encoded.info.width) << label;
            EXPECT_EQ(height, encoded.info.height) << label;
            EXPECT_EQ(24000, encoded.info.rateNumerator) << label;
            EXPECT_EQ(1001, encoded.info.rateDenominator) << label;
            EXPECT_EQ(AVCOL_SPC_BT709, encoded.info.colorSpace) << label;
            EXPECT_EQ(AVCOL_RANGE_MPEG, encoded.info.colorRange) << label;
            EXPECT_EQ(AVCOL_PRI_UNSPECIFIED, encoded.info.colorPrimaries) << label;
            EXPECT_EQ(AVCOL_TRC_UNSPECIFIED, encoded.info.colorTransfer) << label;
            ASSERT_EQ(static_cast<std::size_t>(frames), encoded.packets.size()) << label;
            for (int frame = 0; frame < frames; ++frame) {
                EXPECT_EQ(frame, encoded.packets[frame].frameIndex) << label;
                // Every ProRes frame starts with its size and the frame identifier "icpf".
                const std::vector<std::uint8_t>& data = encoded.packets[frame].data;
                ASSERT_GT(data.size(), 8u) << label;
                const std::size_t declared =
                    static_cast<std::size_t>(data[0]) << 24 | data[1] << 16 | data[2] << 8 | data[3];
                EXPECT_EQ(data.size(), declared) << label;
                EXPECT_EQ(0, std::memcmp(data.data() + 4, "icpf", 4)) << label;
            }

            const Decoded decoded = decodeAll(encoded.packets, encoded.info.codecTag);
            ASSERT_FALSE(decoded.failed) << label;
            ASSERT_EQ(static_cast<std::size_t>(frames), decoded.frames.size()) << label;
            EXPECT_EQ(expected.profile, decoded.profile) << label;
            for (const FramePtr& frame : decoded.frames) {
                EXPECT_EQ(width, frame->width) << label;
                EXPECT_EQ(height, frame->height) << label;
                EXPECT_EQ(is422 ? AV_PIX_FMT_YUV422P10LE : AV_PIX_FMT_YUV444P12LE, frame->format)
                    << label << " " << av_get_pix_fmt_name(static_cast<AVPixelFormat>(frame->format));
                EXPECT_EQ(AVCOL_SPC_BT709, frame->colorspace) << label;
                EXPECT_EQ(AVCOL_RANGE_MPEG, frame->color_range) << label;
                EXPECT_EQ(AVCOL_PRI_UNSPECIFIED, frame->color_primaries) << label;
                EXPECT_EQ(AVCOL_TRC_UNSPECIFIED, frame->color_trc) << label;
            }

            const PlanePsnr measured = measure(kind, width, height, decoded);
            std::size_t bytes = 0;
            for (const EncodedPacket& packet : encoded.packets) bytes += packet.data.size();
            std::printf("%s: PSNR %s %.2f, %s %.2f, %s %.2f dB; %zu bytes a frame\n", label.c_str(),
                        is422 ? "Y" : "R", measured.plane[0], is422 ? "Cb" : "G", measured.plane[1],
                        is422 ? "Cr" : "B", measured.plane[2], bytes / frames);
            for (int plane = 0; plane < 3; ++plane) {
                // Decoded with the wrong matrix (BT.601) the picture would be near 30 dB.
                EXPECT_GT(measured.plane[plane], 40.0) << label << " plane " << plane;
                EXPECT_GE(measured.plane[plane], previous.plane[plane]) << label << " plane " << plane;
            }
            previous = measured;
        }
    }
}

// Frame threads hold on to the pictures they encode; a picture buffer filled again too
// early would change the frames. One thread, two frame threads and two slice threads give
// the same bytes for every frame, and with row padding too.
TEST(ProResPictureEncoder, ThreadsAndRowPaddingDoNotChangeTheFrames) {
    const int width = 160, height = 96, frames = 7;
    for (OutputFormat kind : {OutputFormat::Yuv422, OutputFormat::Rgb444}) {
        const Encoded single = encodeScenes(kind, width, height, 5, frames, {1, false});
        ASSERT_TRUE(single.ok) << single.error;
        ASSERT_EQ(static_cast<std::size_t>(frames), single.packets.size());
        const ProResThreading others[] = {{2, false}, {2, true}, {3, false}};
        for (const ProResThreading& threading : others) {
            const Encoded threaded = encodeScenes(kind, width, height, 5, frames, threading, 6);
            ASSERT_TRUE(threaded.ok) << threaded.error;
            ASSERT_EQ(single.packets.size(), threaded.packets.size());
            for (std::size_t frame = 0; frame < single.packets.size(); ++frame)
                ASSERT_EQ(single.packets[frame].data, threaded.packets[frame].data)
                    << "frame " << frame << " threads " << threading.threads
                    << (threading.sliceThreads ? " slice" : "");
        }
    }
}

// Pictures are converted into a few buffers that are used again once the codec lets go of
// them: many frames need no more buffers than a few.
TEST(ProResPictureEncoder, ReusesAFewPictureBuffersForAnyNumberOfFrames) {
    const int width = 64, height = 32;
    for (const ProResThreading threading : {ProResThreading{1, false}, ProResThreading{2, false}}) {
        ProResPictureEncoder encoder;
        ASSERT_TRUE(encoder.open(OutputFormat::Rgb444, width, height, 4, 25, 1, threading).ok());
        const auto keep = [](const EncodedPacket&) { return true; };
        for (int frame = 0; frame < 40; ++frame) {
            const auto picture = prores_test::makeRgbScene(width, height, frame, kNoise, 3 * width);
            ASSERT_TRUE(
                encoder.encode(reinterpret_cast<const std::uint8_t*>(picture.data()), 6 * width, keep).ok());
        }
        ASSERT_TRUE(encoder.flush(keep).ok());
        EXPECT_EQ(40, encoder.packetsDelivered());
        std::printf("%d thread(s): %zu picture buffers\n", threading.threads, encoder.pictureBuffers());
        EXPECT_LE(encoder.pictureBuffers(), static_cast<std::size_t>(threading.threads) + 2);
    }
}

// RGB pictures need no even size; every size gets its own frame header and decodes whole.
TEST(ProResPictureEncoder, OddRgbSizesDecodeAtTheirSize) {
    for (const auto& [width, height] : {std::pair{33, 17}, std::pair{1, 1}, std::pair{1921, 3}}) {
        const Encoded encoded = encodeScenes(OutputFormat::Rgb444, width, height, 4, 2);
        ASSERT_TRUE(encoded.ok) << width << "x" << height << ": " << encoded.error;
        const Decoded decoded = decodeAll(encoded.packets, encoded.info.codecTag);
        ASSERT_EQ(2u, decoded.frames.size()) << width << "x" << height;
        EXPECT_EQ(width, decoded.frames[0]->width);
        EXPECT_EQ(height, decoded.frames[0]->height);
        EXPECT_GT(measure(OutputFormat::Rgb444, width, height, decoded).plane[1], 40.0)
            << width << "x" << height;
    }
}

TEST(ProResPictureEncoder, QualityOutsideOneToFiveTakesTheNearestEnd) {
    ProResPictureEncoder encoder;
    ASSERT_TRUE(encoder.open(OutputFormat::Yuv422, 64, 32, 0, 25, 1).ok());
    EXPECT_EQ(fourcc("apco"), encoder.streamInfo().codecTag);
    ASSERT_TRUE(encoder.open(OutputFormat::Yuv422, 64, 32, -7, 25, 1).ok());
    EXPECT_EQ(fourcc("apco"), encoder.streamInfo().codecTag);
    ASSERT_TRUE(encoder.open(OutputFormat::Yuv422, 64, 32, 99, 25, 1).ok());
    EXPECT_EQ(fourcc("apch"), encoder.streamInfo().codecTag);
    EXPECT_EQ(2, encoder.settings().quantiser);
    ASSERT_TRUE(encoder.open(OutputFormat::Rgb444, 64, 32, 6, 25, 1).ok());
    EXPECT_EQ(fourcc("ap4x"), encoder.streamInfo().codecTag);
}

TEST(ProResPictureEncoder, RefusesSizesAndRatesItCannotEncode) {
    ProResPictureEncoder encoder;
    const Status oddWidth =
        encoder.open(OutputFormat::Yuv422, 1921, 1080, 4, 25, 1);  // 4:2:2 pairs need an even width
    EXPECT_EQ(ErrorCode::kBadInput, oddWidth.code());
    EXPECT_NE(std::string::npos, oddWidth.message().find("even width")) << oddWidth.message();
    EXPECT_EQ(ErrorCode::kBadInput, encoder.open(OutputFormat::Raw, 64, 32, 4, 25, 1).code());
    EXPECT_FALSE(encoder.open(OutputFormat::Rgb444, 0, 1080, 4, 25, 1).ok());
    EXPECT_FALSE(encoder.open(OutputFormat::Rgb444, 1920, -2, 4, 25, 1).ok());
    EXPECT_FALSE(encoder.open(OutputFormat::Rgb444, 65536, 16, 4, 25, 1).ok());
    EXPECT_FALSE(encoder.open(OutputFormat::Rgb444, 1920, 1080, 4, 0, 1).ok());
    EXPECT_FALSE(encoder.open(OutputFormat::Rgb444, 1920, 1080, 4, 25, 0).ok());
    EXPECT_FALSE(encoder.open(OutputFormat::Rgb444, 1920, 1080, 4, 25, 1, {0, false}).ok());
    // A refused open leaves nothing to encode into.
    const std::vector<std::uint16_t> picture(6 * 1920);
    EXPECT_FALSE(encoder.encode(reinterpret_cast<const std::uint8_t*>(picture.data()), 6 * 1920, {}).ok());
}

// Unusable input is refused before any byte of it is read, and a stream that failed or
// ended stays so until the next open.
TEST(ProResPictureEncoder, RefusesUnusableInputAndUseAfterTheEnd) {
    const int width = 32, height = 16;
    ProResPictureEncoder encoder;
    const auto keep = [](const EncodedPacket&) { return true; };
    EXPECT_FALSE(encoder.encode(nullptr, 0, keep).ok());  // never opened
    ASSERT_TRUE(encoder.open(OutputFormat::Rgb444, width, height, 4, 25, 1, {1, false}).ok());
    EXPECT_EQ(6u * width, encoder.packedRowBytes());
    std::vector<std::uint16_t> picture(3 * width * height + 8, 1000);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(picture.data());
    EXPECT_FALSE(encoder.encode(nullptr, 6 * width, keep).ok());
    ASSERT_TRUE(encoder.open(OutputFormat::Rgb444, width, height, 4, 25, 1, {1, false}).ok());
    const Status shortRows = encoder.encode(bytes, 6 * width - 2, keep);  // rows shorter than the picture's
    EXPECT_NE(std::string::npos, shortRows.message().find("shorter")) << shortRows.message();
    ASSERT_TRUE(encoder.open(OutputFormat::Rgb444, width, height, 4, 25, 1, {1, false}).ok());
    EXPECT_FALSE(encoder.encode(bytes + 1, 6 * width, keep).ok());  // samples not 16-bit aligned
    ASSERT_TRUE(encoder.open(OutputFormat::Rgb444, width, height, 4, 25, 1, {1, false}).ok());
    EXPECT_FALSE(encoder.encode(bytes, 6 * width + 1, keep).ok());  // odd row length
    EXPECT_FALSE(encoder.encode(bytes, 6 * width, keep).ok()) << "a failed stream stays failed";

    ASSERT_TRUE(encoder.open(OutputFormat::Rgb444, width, height, 4, 25, 1, {1, false}).ok());
    ASSERT_TRUE(encoder.encode(bytes, 6 * width, keep).ok());
    ASSERT_TRUE(encoder.flush(keep).ok());
    EXPECT_TRUE(encoder.flush(keep).ok()) << "ending twice is harmless";
    EXPECT_FALSE(encoder.encode(bytes, 6 * width, keep).ok());
    EXPECT_EQ(1, encoder.framesSubmitted());
    EXPECT_EQ(1, encoder.packetsDelivered());
}

// A sink that cannot take a packet (a full disk behind the multiplexer) fails the call
// that delivered it; the frame is not reported as written.
TEST(ProResPictureEncoder, ASinkThatRefusesAPacketFailsTheStream) {
    const int width = 32, height = 16;
    ProResPictureEncoder encoder;
    ASSERT_TRUE(encoder.open(OutputFormat::Yuv422, width, height, 4, 25, 1, {1, false}).ok());
    const std::vector<std::uint16_t> picture(2 * width * height, 32768);
    int taken = 0;
    const auto sink = [&](const EncodedPacket&) { return ++taken < 2; };
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(picture.data());
    EXPECT_TRUE(encoder.encode(bytes, 4 * width, sink).ok());
    const Status refused = encoder.encode(bytes, 4 * width, sink);
    EXPECT_NE(std::string::npos, refused.message().find("frame 1")) << refused.message();
    EXPECT_FALSE(encoder.flush(sink).ok());
    EXPECT_EQ(2, taken);
}

}  // namespace

namespace {

struct KeptPackets final : PacketSink {
    std::vector<EncodedPacket> packets;
    Status put(const std::uint8_t* data, std::size_t bytes, std::int64_t frameIndex) override {
        packets.push_back({std::vector<std::uint8_t>(data, data + bytes), frameIndex});
        return {};
    }
};

}  // namespace

// The tone curve reaches the frame headers: a plain power names its transfer
// there and in the stream, any other curve leaves it unspecified, and the
// matrix, range and primaries stay as they are whatever the curve. A decoder
// reading the matrix from the frame returns the input RGB either way.
TEST(ProResFrameEncoder, FrameHeadersNameThePlainGammaTransferOnly) {
    const int width = 64, height = 32;
    const std::pair<std::uint32_t, AVColorTransferCharacteristic> curves[] = {
        {0x20B05, AVCOL_TRC_GAMMA22},
        {0x20E05, AVCOL_TRC_GAMMA28},
        {0x20101, AVCOL_TRC_LINEAR},
        {0x17101, AVCOL_TRC_UNSPECIFIED},
        {0x50101, AVCOL_TRC_UNSPECIFIED}};
    for (const OutputFormat kind : {OutputFormat::Rgb444, OutputFormat::Yuv422}) {
        for (const auto& [curveCode, transfer] : curves) {
            char label[48];
            std::snprintf(label, sizeof label, "%s curve 0x%05x",
                          kind == OutputFormat::Rgb444 ? "4:4:4" : "4:2:2", static_cast<unsigned>(curveCode));
            const std::unique_ptr<FrameEncoder> encoder = makeFrameEncoder(kind);
            const FrameLayout layout{kind, width, height, packedWords(kind, width) * 2, 25, 1};
            const Status opened = encoder->open(layout, EncoderChoices{5, curveCode});
            ASSERT_TRUE(opened.ok()) << label << ": " << opened.message();
            EXPECT_EQ(transfer, encoder->streamInfo().colorTransfer) << label;
            EXPECT_EQ(AVCOL_PRI_UNSPECIFIED, encoder->streamInfo().colorPrimaries) << label;
            KeptPackets sink;
            for (int frame = 0; frame < 2; ++frame) {
                const auto picture = makeScene(kind, width, height, frame, packedWords(kind, width));
                ASSERT_TRUE(
                    encoder->encode(0, reinterpret_cast<const std::uint8_t*>(picture.data()), frame, sink)
                        .ok())
                    << label;
            }
            ASSERT_TRUE(encoder->flush(sink).ok()) << label;
            const Decoded decoded = decodeAll(sink.packets, encoder->streamInfo().codecTag);
            ASSERT_FALSE(decoded.failed) << label;
            ASSERT_EQ(2u, decoded.frames.size()) << label;
            for (const FramePtr& frame : decoded.frames) {
                EXPECT_EQ(transfer, frame->color_trc) << label;
                EXPECT_EQ(AVCOL_PRI_UNSPECIFIED, frame->color_primaries) << label;
                EXPECT_EQ(AVCOL_SPC_BT709, frame->colorspace) << label;
                EXPECT_EQ(AVCOL_RANGE_MPEG, frame->color_range) << label;
            }
            const PlanePsnr measured = measure(kind, width, height, decoded);
            for (int plane = 0; plane < 3; ++plane) EXPECT_GT(measured.plane[plane], 40.0) << label;
        }
    }
}
