#include "components/lossless_jpeg_encoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "components/bayer_quadrants.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
#include <libavutil/pixdesc.h>
}

// Every image is read back by FFmpeg's own mjpeg decoder, which must give back
// the quadrant image sample for sample and complain about nothing.

namespace {

using Samples = std::vector<std::uint16_t>;

int decoderComplaints = 0;
std::string lastComplaint;

void countComplaints(void*, int level, const char* format, va_list arguments) {
    if (level > AV_LOG_WARNING) return;
    ++decoderComplaints;
    char text[512];
    vsnprintf(text, sizeof text, format, arguments);  // NOLINT: FFmpeg's own format
    lastComplaint = text;
}

struct Decoded {
    bool ok = false;
    int width = 0, height = 0;
    std::string pixelFormat;
    Samples samples;  // packed rows
};

Decoded decodeWithFfmpeg(const std::uint8_t* data, std::size_t size) {
    Decoded decoded;
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_MJPEG);
    AVCodecContext* context = avcodec_alloc_context3(codec);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    context->err_recognition = AV_EF_EXPLODE;
    if (avcodec_open2(context, codec, nullptr) == 0 && av_new_packet(packet, static_cast<int>(size)) == 0) {
        std::memcpy(packet->data, data, size);
        if (avcodec_send_packet(context, packet) == 0 && avcodec_receive_frame(context, frame) == 0) {
            decoded.ok = true;
            decoded.width = frame->width;
            decoded.height = frame->height;
            const char* name = av_get_pix_fmt_name(static_cast<AVPixelFormat>(frame->format));
            decoded.pixelFormat = name ? name : "";
            decoded.samples.resize(static_cast<std::size_t>(frame->width) * frame->height);
            for (int y = 0; y < frame->height; ++y)
                std::memcpy(decoded.samples.data() + static_cast<std::size_t>(y) * frame->width,
                            frame->data[0] + static_cast<std::ptrdiff_t>(y) * frame->linesize[0],
                            static_cast<std::size_t>(frame->width) * 2);
        }
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&context);
    return decoded;
}

class LosslessJpegRoundTrip : public ::testing::Test {
protected:
    void SetUp() override {
        decoderComplaints = 0;
        av_log_set_callback(countComplaints);
    }
    void TearDown() override { av_log_set_callback(av_log_default_callback); }

    // Encodes (in both the AVX2 and the reference form), decodes, and compares
    // with the frame; returns the image size.
    std::size_t expectRoundTrip(const Samples& bayer, int width, int height,
                                LosslessJpegOptions options = {}) {
        std::size_t bytes = 0;
        for (bool avx2 : {true, false}) {
            SCOPED_TRACE(avx2 ? "AVX2 where available" : "reference");
            options.allowAvx2 = avx2;
            std::vector<std::uint8_t> image(losslessJpegMaxBytes(width, height));
            const Result<std::size_t> result =
                encodeLosslessJpeg(bayer.data(), static_cast<std::size_t>(width), width, height, workspace_,
                                   image.data(), image.size(), options);
            EXPECT_TRUE(result.ok()) << result.status().message();
            if (!result.ok()) return 0;
            image.resize(result.value());
            if (bytes != 0) {
                EXPECT_EQ(bytes, result.value()) << "both forms give the same image";
            }
            bytes = result.value();

            const Decoded decoded = decodeWithFfmpeg(image.data(), image.size());
            EXPECT_TRUE(decoded.ok);
            EXPECT_EQ(0, decoderComplaints) << lastComplaint;
            EXPECT_EQ(width, decoded.width);
            EXPECT_EQ(height, decoded.height);
            EXPECT_EQ("gray16le", decoded.pixelFormat);
            if (!decoded.ok || decoded.samples.size() != bayer.size()) return 0;
            Samples back(bayer.size());
            quadrantsToBayer(decoded.samples.data(), width, height, back.data());
            std::size_t mismatches = 0, first = 0;
            for (std::size_t i = 0; i < bayer.size(); ++i)
                if (back[i] != bayer[i] && mismatches++ == 0) first = i;
            EXPECT_EQ(0u, mismatches) << "first at x " << first % width << " y " << first / width << ": "
                                      << back[first] << " instead of " << bayer[first];
        }
        return bytes;
    }

    LosslessJpegWorkspace workspace_;
};

Samples randomFrame(int width, int height, unsigned seed) {
    std::mt19937 random(seed);
    Samples frame(static_cast<std::size_t>(width) * height);
    for (auto& sample : frame) sample = static_cast<std::uint16_t>(random());
    return frame;
}

// A smooth picture, a different level for each colour, with noise of a few
// hundred codes: what the tone curve makes of a camera frame.
Samples noisyFrame(int width, int height, unsigned seed) {
    std::mt19937 random(seed);
    std::normal_distribution<float> noise(0.0f, 300.0f);
    Samples frame(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const float colour = 6000.0f * static_cast<float>((x % 2) + 2 * (y % 2));
            const float scene = 20000.0f + 15000.0f * std::sin(static_cast<float>(x) * 0.01f) *
                                               std::cos(static_cast<float>(y) * 0.013f);
            const float value = std::clamp(scene + colour + noise(random), 0.0f, 65535.0f);
            frame[static_cast<std::size_t>(y) * width + x] = static_cast<std::uint16_t>(value);
        }
    return frame;
}

Samples filledFrame(int width, int height, std::uint16_t value) {
    return Samples(static_cast<std::size_t>(width) * height, value);
}

TEST_F(LosslessJpegRoundTrip, RandomAndNoisyFramesOfManySizes) {
    const int sizes[][2] = {{2, 2}, {17, 5}, {1921, 3}, {64, 48}, {33, 31}, {3, 17}, {1, 1}, {1, 9}, {9, 1}};
    unsigned seed = 1;
    for (const auto& size : sizes) {
        SCOPED_TRACE(std::to_string(size[0]) + "x" + std::to_string(size[1]));
        expectRoundTrip(randomFrame(size[0], size[1], seed++), size[0], size[1]);
        expectRoundTrip(noisyFrame(size[0], size[1], seed++), size[0], size[1]);
    }
}

TEST_F(LosslessJpegRoundTrip, EveryPredictorAndTableStep) {
    const int width = 97, height = 41;
    const Samples frame = noisyFrame(width, height, 7);
    const Samples random = randomFrame(width, height, 8);
    for (int predictor = 1; predictor <= 7; ++predictor)
        for (int step : {1, 5, 1000}) {
            SCOPED_TRACE("predictor " + std::to_string(predictor) + " step " + std::to_string(step));
            LosslessJpegOptions options;
            options.predictor = predictor;
            options.tableRowStep = step;
            expectRoundTrip(frame, width, height, options);
            expectRoundTrip(random, width, height, options);
        }
}

TEST_F(LosslessJpegRoundTrip, FullHdNoisyFrame) {
    const std::size_t bytes = expectRoundTrip(noisyFrame(1920, 1080, 11), 1920, 1080);
    // Noise of 300 codes needs about 11 bits a sample: the image must be well below 16.
    EXPECT_LT(bytes, 1920u * 1080u * 2u * 3u / 4u);
}

// Category 16 (a difference of 32768) carries 16 bits that decoders read; the
// first sample of a frame is predicted by 32768, so a 0 there is one.
TEST_F(LosslessJpegRoundTrip, DifferencesOf32768) {
    expectRoundTrip(filledFrame(16, 8, 0), 16, 8);
    expectRoundTrip(filledFrame(16, 8, 65535), 16, 8);
    Samples firstZero = noisyFrame(40, 10, 3);
    firstZero[0] = 0;
    expectRoundTrip(firstZero, 40, 10);

    // Alternating 0 and 65535 in the quadrant image: every difference but the
    // first rows' is +-32768 or its wrap-around with the averaging predictors.
    for (int width : {2, 3, 34, 35}) {
        const int height = 6;
        Samples quadrants(static_cast<std::size_t>(width) * height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                quadrants[static_cast<std::size_t>(y) * width + x] = (x + y) % 2 ? 65535 : 0;
        Samples bayer(quadrants.size());
        quadrantsToBayer(quadrants.data(), width, height, bayer.data());
        for (int predictor = 1; predictor <= 7; ++predictor) {
            SCOPED_TRACE("width " + std::to_string(width) + " predictor " + std::to_string(predictor));
            LosslessJpegOptions options;
            options.predictor = predictor;
            expectRoundTrip(bayer, width, height, options);
        }
    }
    // 0 and 32768 alternating: exactly +32768 and -32768 with predictor 1.
    Samples halves(64 * 4);
    for (std::size_t i = 0; i < halves.size(); ++i) halves[i] = i % 4 < 2 ? 0 : 32768;
    LosslessJpegOptions left;
    left.predictor = 1;
    expectRoundTrip(halves, 64, 4, left);
}

TEST_F(LosslessJpegRoundTrip, FlatFramesUseShortCodes) {
    const std::size_t bytes = expectRoundTrip(filledFrame(256, 64, 1234), 256, 64);
    // One-bit codes for nearly every sample: about a sixteenth of the raw size.
    EXPECT_LT(bytes, 256u * 64u * 2u / 12u);
}

TEST_F(LosslessJpegRoundTrip, RowsFurtherApartThanTheWidth) {
    const int width = 21, height = 7, stride = 40;
    const Samples frame = noisyFrame(stride, height, 5);
    Samples packed(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            packed[static_cast<std::size_t>(y) * width + x] = frame[static_cast<std::size_t>(y) * stride + x];
    std::vector<std::uint8_t> strided(losslessJpegMaxBytes(width, height)), tight(strided.size());
    const auto fromStride =
        encodeLosslessJpeg(frame.data(), stride, width, height, workspace_, strided.data(), strided.size());
    const auto fromPacked =
        encodeLosslessJpeg(packed.data(), width, width, height, workspace_, tight.data(), tight.size());
    ASSERT_TRUE(fromStride.ok());
    ASSERT_TRUE(fromPacked.ok());
    ASSERT_EQ(fromPacked.value(), fromStride.value());
    EXPECT_EQ(0, std::memcmp(strided.data(), tight.data(), fromStride.value()));
    expectRoundTrip(packed, width, height);
}

}  // namespace

// The Huffman table comes from a sample of rows. Here the sampled rows (and the
// rows above them) are flat and all others random, so the table fits the frame
// as badly as it can: random rows get long codes and still decode exactly.
TEST_F(LosslessJpegRoundTrip, TableFromRowsUnlikeTheRest) {
    const int width = 64, height = 64;
    Samples quadrants = randomFrame(width, height, 9);
    const int step = LosslessJpegOptions{}.tableRowStep;
    for (int y = step / 2; y < height; y += step)
        for (int row : {y - 1, y})
            for (int x = 0; x < width; ++x) quadrants[static_cast<std::size_t>(row) * width + x] = 4321;
    Samples bayer(quadrants.size());
    quadrantsToBayer(quadrants.data(), width, height, bayer.data());
    const std::size_t bytes = expectRoundTrip(bayer, width, height);
    EXPECT_GT(bytes, quadrants.size() * 2) << "larger than the samples themselves";
    EXPECT_LE(bytes, losslessJpegMaxBytes(width, height));
}
