#include "components/lossless_jpeg_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
}

#include "components/lossless_jpeg_encoder.h"

// Our decoder meets our encoder (every predictor, table step, size and
// category) and FFmpeg's decoder on the same images; damaged images fail
// cleanly and never touch memory beyond the frame.

namespace {

using Samples = std::vector<std::uint16_t>;
using Bytes = std::vector<std::uint8_t>;

// FFmpeg's decoding of one image, put back into the Bayer layout by the
// layout's own rule, written out here: quadrant (x, y) holds Bayer
// (x < WL ? 2x : 2(x - WL) + 1, y < HT ? 2y : 2(y - HT) + 1).
bool decodeWithFfmpeg(const Bytes& image, int width, int height, Samples& bayer) {
    av_log_set_level(AV_LOG_QUIET);
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_MJPEG);
    AVCodecContext* context = avcodec_alloc_context3(codec);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    bool decoded = false;
    context->err_recognition = AV_EF_EXPLODE;
    if (avcodec_open2(context, codec, nullptr) == 0 &&
        av_new_packet(packet, static_cast<int>(image.size())) == 0) {
        std::memcpy(packet->data, image.data(), image.size());
        if (avcodec_send_packet(context, packet) == 0 && avcodec_receive_frame(context, frame) == 0 &&
            frame->width == width && frame->height == height && frame->format == AV_PIX_FMT_GRAY16LE) {
            bayer.assign(static_cast<std::size_t>(width) * height, 0);
            const int leftWidth = (width + 1) / 2, topHeight = (height + 1) / 2;
            for (int y = 0; y < height; ++y) {
                const auto* row =
                    reinterpret_cast<const std::uint16_t*>(frame->data[0] + y * frame->linesize[0]);
                const int bayerY = y < topHeight ? 2 * y : 2 * (y - topHeight) + 1;
                for (int x = 0; x < width; ++x) {
                    const int bayerX = x < leftWidth ? 2 * x : 2 * (x - leftWidth) + 1;
                    bayer[static_cast<std::size_t>(bayerY) * width + bayerX] = row[x];
                }
            }
            decoded = true;
        }
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&context);
    return decoded;
}

Samples randomFrame(int width, int height, unsigned seed, unsigned bits = 16) {
    std::mt19937 random(seed);
    Samples frame(static_cast<std::size_t>(width) * height);
    for (auto& sample : frame) sample = static_cast<std::uint16_t>(random() & ((1u << bits) - 1u));
    return frame;
}

// A camera-like frame: a smooth scene at 14 bits with noise of a few codes.
Samples sensorFrame(int width, int height, unsigned seed) {
    std::mt19937 random(seed);
    std::normal_distribution<float> noise(0.0f, 20.0f);
    Samples frame(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const float value = 3000.0f + 1500.0f * static_cast<float>((x % 2) + (y % 2)) +
                                20.0f * static_cast<float>(x + y) + noise(random);
            frame[static_cast<std::size_t>(y) * width + x] =
                static_cast<std::uint16_t>(std::clamp(value, 0.0f, 16383.0f));
        }
    return frame;
}

Bytes encode(const Samples& frame, int width, int height, const LosslessJpegOptions& options = {}) {
    LosslessJpegWorkspace workspace;
    Bytes image(losslessJpegMaxBytes(width, height, options.comment.size(), options.restartRows));
    const Result<std::size_t> bytes =
        encodeLosslessJpeg(frame.data(), static_cast<std::size_t>(width), width, height, workspace,
                           image.data(), image.size(), options);
    EXPECT_TRUE(bytes.ok()) << bytes.status().message();
    image.resize(bytes.ok() ? bytes.value() : 0);
    return image;
}

// Decodes into a frame with guard samples around it and rows `padding`
// samples longer than the width; fails the test if a guard changed.
struct GuardedDecode {
    Status status;
    LosslessJpegDecoded decoded;
    Samples frame;  // packed, width x height
};

constexpr std::uint16_t kGuard = 0xA5C3;
constexpr std::size_t kGuardSamples = 64;

GuardedDecode decodeGuarded(LosslessJpegDecoder& decoder, const Bytes& image, int width, int height,
                            int padding = 3) {
    const std::size_t stride = static_cast<std::size_t>(width) + static_cast<std::size_t>(padding);
    Samples memory(2 * kGuardSamples + stride * static_cast<std::size_t>(height), kGuard);
    GuardedDecode result;
    result.status =
        decoder.decode(image, memory.data() + kGuardSamples, stride, width, height, &result.decoded);
    for (std::size_t i = 0; i < memory.size(); ++i) {
        const std::size_t at = i - kGuardSamples;
        const bool inFrame = i >= kGuardSamples && at < stride * static_cast<std::size_t>(height) &&
                             at % stride < static_cast<std::size_t>(width);
        if (!inFrame && memory[i] != kGuard) {
            ADD_FAILURE() << "sample " << at << " outside the frame was written";
            break;
        }
    }
    result.frame.resize(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        std::memcpy(result.frame.data() + static_cast<std::size_t>(y) * width,
                    memory.data() + kGuardSamples + static_cast<std::size_t>(y) * stride,
                    static_cast<std::size_t>(width) * 2);
    return result;
}

// Encoded, decoded by us and by FFmpeg: both give the frame back.
void expectRoundTrip(const Samples& frame, int width, int height, const LosslessJpegOptions& options = {}) {
    const Bytes image = encode(frame, width, height, options);
    LosslessJpegDecoder decoder;
    const GuardedDecode ours = decodeGuarded(decoder, image, width, height);
    ASSERT_TRUE(ours.status.ok()) << ours.status.message();
    EXPECT_EQ(width, ours.decoded.width);
    EXPECT_EQ(height, ours.decoded.height);
    EXPECT_EQ(options.predictor, ours.decoded.predictor);
    EXPECT_TRUE(ours.frame == frame) << "our decoder differs";
    Samples theirs;
    ASSERT_TRUE(decodeWithFfmpeg(image, width, height, theirs));
    EXPECT_TRUE(theirs == ours.frame) << "FFmpeg's decoder differs";
}

// The first row of the quadrant image is predicted from the left, so its
// samples can make any difference: these make every category from 0 to 16,
// positive and negative, and 32768 itself.
Samples everyCategoryFrame(int width, int height, unsigned seed) {
    std::vector<int> differences = {0};
    for (int category = 1; category <= 15; ++category) {
        differences.push_back(1 << (category - 1));
        differences.push_back(-((1 << category) - 1));
        differences.push_back((1 << category) - 1);
    }
    differences.push_back(32768);
    EXPECT_LE(differences.size(), static_cast<std::size_t>(width));
    Samples quadrants = randomFrame(width, height, seed);
    unsigned previous = 32768;  // what predicts the first sample
    for (std::size_t x = 0; x < differences.size(); ++x) {
        previous = (previous + static_cast<unsigned>(differences[x])) & 0xFFFFu;
        quadrants[x] = static_cast<std::uint16_t>(previous);
    }
    // Back to the Bayer layout by the rule above.
    Samples bayer(quadrants.size());
    const int leftWidth = (width + 1) / 2, topHeight = (height + 1) / 2;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int bayerX = x < leftWidth ? 2 * x : 2 * (x - leftWidth) + 1;
            const int bayerY = y < topHeight ? 2 * y : 2 * (y - topHeight) + 1;
            bayer[static_cast<std::size_t>(bayerY) * width + bayerX] =
                quadrants[static_cast<std::size_t>(y) * width + x];
        }
    return bayer;
}

// Bits most significant first, padded with ones, 0xFF stuffed: a JPEG scan
// written by hand.
struct ScanWriter {
    Bytes bytes;
    unsigned pending = 0;
    int count = 0;
    void put(unsigned value, int bits) {
        for (int bit = bits - 1; bit >= 0; --bit) {
            pending = pending << 1 | ((value >> bit) & 1u);
            if (++count == 8) flushByte();
        }
    }
    void flushByte() {
        bytes.push_back(static_cast<std::uint8_t>(pending));
        if (pending == 0xFF) bytes.push_back(0);
        pending = 0;
        count = 0;
    }
    Bytes finish() {
        while (count != 0) put(1, 1);
        return bytes;
    }
};

// A 2x1 image written by hand: SOI, SOF3, DHT with two 2-bit codes ("00"
// category 16, "01" category 0), SOS with predictor 1, the scan, EOI.
Bytes handWrittenImage(const Bytes& scan, int precision = 16, int pointTransform = 0) {
    Bytes image = {0xFF,
                   0xD8,  // SOI
                   0xFF,
                   0xC3,
                   0,
                   11,
                   static_cast<std::uint8_t>(precision),
                   0,
                   1,
                   0,
                   2,
                   1,
                   1,
                   0x11,
                   0,  // SOF3
                   0xFF,
                   0xC4,
                   0,
                   2 + 1 + 16 + 2,
                   0x00,
                   0,
                   2,
                   0,
                   0,
                   0,
                   0,
                   0,
                   0,
                   0,
                   0,
                   0,
                   0,
                   0,
                   0,
                   0,
                   0,
                   16,
                   0,  // DHT
                   0xFF,
                   0xDA,
                   0,
                   8,
                   1,
                   1,
                   0x00,
                   1,
                   0,
                   static_cast<std::uint8_t>(pointTransform)};  // SOS
    image.insert(image.end(), scan.begin(), scan.end());
    image.push_back(0xFF);
    image.push_back(0xD9);
    return image;
}

}  // namespace

TEST(LosslessJpegDecoder, EveryPredictorSizeAndTableStepComesBackExactly) {
    const int sizes[][2] = {{1, 1}, {1, 9}, {9, 1}, {2, 2}, {3, 17}, {17, 5}, {33, 31}, {64, 48}, {1921, 3}};
    const int steps[] = {1, 16, 1000};
    const int restarts[] = {0, 1, 2, 7, 0};
    unsigned seed = 1;
    for (const auto& size : sizes)
        for (int predictor = 1; predictor <= 7; ++predictor) {
            LosslessJpegOptions options;
            options.predictor = predictor;
            options.tableRowStep = steps[seed % 3];
            options.allowAvx2 = seed % 2 == 0;
            options.restartRows = restarts[seed % 5];
            SCOPED_TRACE(std::to_string(size[0]) + "x" + std::to_string(size[1]) + " predictor " +
                         std::to_string(predictor) + " restart rows " + std::to_string(options.restartRows));
            expectRoundTrip(randomFrame(size[0], size[1], seed++), size[0], size[1], options);
            expectRoundTrip(sensorFrame(size[0], size[1], seed++), size[0], size[1], options);
        }
}

TEST(LosslessJpegDecoder, EveryCategoryAndDifferencesOf32768) {
    for (int predictor = 1; predictor <= 7; ++predictor) {
        SCOPED_TRACE("predictor " + std::to_string(predictor));
        LosslessJpegOptions options;
        options.predictor = predictor;
        expectRoundTrip(everyCategoryFrame(61, 6, static_cast<unsigned>(predictor)), 61, 6, options);
        // The averaging predictors between 0 and 65535 make +-32768 everywhere.
        Samples extremes(64 * 8);
        for (std::size_t i = 0; i < extremes.size(); ++i) extremes[i] = (i / 2 + i / 128) % 2 ? 65535 : 0;
        expectRoundTrip(extremes, 64, 8, options);
    }
    // A frame where every row sees the table made from other rows: rare
    // categories get long codes, beyond the decoder's look-up.
    Samples mixed = sensorFrame(80, 40, 3);
    const Samples noise = randomFrame(80, 40, 4);
    for (int y = 0; y < 40; ++y)
        if (y % 16 != 8 && y % 16 != 7)
            for (int x = 0; x < 80; ++x)
                mixed[static_cast<std::size_t>(y) * 80 + x] = noise[static_cast<std::size_t>(y) * 80 + x];
    expectRoundTrip(mixed, 80, 40);
}

// Category 16 as FFmpeg reads it: the 16 bits after its code are taken like
// any category's extra bits, 0x0001 as 1 - 65535 and 0x7FFF as 32767 - 65535.
// The samples are worked out here by hand: 32768 - 65534 = 32770 and
// 32770 - 32768 = 2, modulo 65536.
TEST(LosslessJpegDecoder, CategorySixteenWithAnyExtraBitsAsFfmpegReadsThem) {
    ScanWriter scan;
    scan.put(0b00, 2);
    scan.put(0x0001, 16);
    scan.put(0b00, 2);
    scan.put(0x7FFF, 16);
    const Bytes image = handWrittenImage(scan.finish());
    LosslessJpegDecoder decoder;
    const GuardedDecode ours = decodeGuarded(decoder, image, 2, 1);
    ASSERT_TRUE(ours.status.ok()) << ours.status.message();
    EXPECT_EQ((Samples{32770, 2}), ours.frame);
    Samples theirs;
    ASSERT_TRUE(decodeWithFfmpeg(image, 2, 1, theirs));
    EXPECT_EQ((Samples{32770, 2}), theirs);

    // The largest frame our encoder takes, in both directions.
    for (const auto& size : {std::pair{65535, 2}, std::pair{3, 65535}}) {
        SCOPED_TRACE(std::to_string(size.first) + "x" + std::to_string(size.second));
        expectRoundTrip(randomFrame(size.first, size.second, 5), size.first, size.second);
    }
}

// The comment comes back as written, FFmpeg passes over it, and the image is
// the one without a comment with the COM segment after SOI.
TEST(LosslessJpegDecoder, CommentComesBackAndChangesNothingElse) {
    const Samples frame = sensorFrame(37, 19, 6);
    const Bytes plain = encode(frame, 37, 19);
    for (const std::string& comment : {std::string("raw2tvx archive frame 17 crc32c 1a2b3c4d"),
                                       std::string(kMaxLosslessJpegCommentBytes, '\xFF')}) {
        LosslessJpegOptions options;
        options.comment = comment;
        const Bytes marked = encode(frame, 37, 19, options);
        Bytes expected = {plain[0],
                          plain[1],
                          0xFF,
                          0xFE,
                          static_cast<std::uint8_t>((comment.size() + 2) >> 8),
                          static_cast<std::uint8_t>((comment.size() + 2) & 0xFF)};
        expected.insert(expected.end(), comment.begin(), comment.end());
        expected.insert(expected.end(), plain.begin() + 2, plain.end());
        EXPECT_TRUE(expected == marked);
        expectRoundTrip(frame, 37, 19, options);
        LosslessJpegDecoder decoder;
        const GuardedDecode ours = decodeGuarded(decoder, marked, 37, 19);
        ASSERT_TRUE(ours.status.ok());
        EXPECT_EQ(comment, ours.decoded.comment.value_or("(none)"));
    }
    LosslessJpegDecoder decoder;
    EXPECT_FALSE(decodeGuarded(decoder, plain, 37, 19).decoded.comment.has_value());

    LosslessJpegOptions tooLong;
    const std::string text(kMaxLosslessJpegCommentBytes + 1, 'a');
    tooLong.comment = text;
    LosslessJpegWorkspace workspace;
    Bytes image(losslessJpegMaxBytes(37, 19) + text.size() + 4);
    EXPECT_EQ(ErrorCode::kBadInput,
              encodeLosslessJpeg(frame.data(), 37, 37, 19, workspace, image.data(), image.size(), tooLong)
                  .status()
                  .code());
}

// An image larger than the room, a stride below its width: refused before
// any sample is written.
TEST(LosslessJpegDecoder, ImageLargerThanTheRoomIsRefusedUntouched) {
    const Bytes image = encode(randomFrame(20, 10, 7), 20, 10);
    LosslessJpegDecoder decoder;
    LosslessJpegDecoded decoded;
    Samples room(20 * 10, kGuard);
    EXPECT_EQ(ErrorCode::kBadInput, decoder.decode(image, room.data(), 20, 19, 10, &decoded).code());
    EXPECT_EQ(ErrorCode::kBadInput, decoder.decode(image, room.data(), 20, 20, 9, &decoded).code());
    EXPECT_EQ(ErrorCode::kBadInput, decoder.decode(image, room.data(), 19, 20, 10, &decoded).code());
    EXPECT_EQ(Samples(20 * 10, kGuard), room);
    EXPECT_TRUE(decoder.decode(image, room.data(), 20, 20, 10, &decoded).ok());
}

// Restart intervals as the archive writes them (as many rows as the 16-bit
// interval holds, the last one shorter): decoded two at a time by us, one by
// one by FFmpeg, both exact. Markers out of order or missing are damage; an
// interval that is not whole rows is a kind we never write.
TEST(LosslessJpegDecoder, RestartIntervalsComeBackAndAreChecked) {
    const int sizes[][2] = {{1920, 100}, {1921, 71}, {4096, 40}, {3, 200}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(std::to_string(size[0]) + "x" + std::to_string(size[1]));
        LosslessJpegOptions options;
        options.restartRows = losslessJpegMostRestartRows(size[0]);
        expectRoundTrip(sensorFrame(size[0], size[1], 11), size[0], size[1], options);
    }
    LosslessJpegOptions tooMany;
    tooMany.restartRows = losslessJpegMostRestartRows(1920) + 1;
    EXPECT_EQ(0u, losslessJpegMaxBytes(1920, 100, 0, tooMany.restartRows));

    LosslessJpegOptions options;
    options.restartRows = 3;
    const Samples frame = sensorFrame(40, 12, 5);
    const Bytes image = encode(frame, 40, 12, options);
    LosslessJpegDecoder decoder;
    ASSERT_TRUE(decodeGuarded(decoder, image, 40, 12).frame == frame);
    std::vector<std::size_t> markers;
    for (std::size_t at = 0; at + 1 < image.size(); ++at)
        if (image[at] == 0xFF && image[at + 1] >= 0xD0 && image[at + 1] <= 0xD7) markers.push_back(at);
    ASSERT_EQ(3u, markers.size());
    Bytes swapped = image;
    std::swap(swapped[markers[0] + 1], swapped[markers[1] + 1]);
    EXPECT_EQ(ErrorCode::kBadInput, decodeGuarded(decoder, swapped, 40, 12).status.code());
    Bytes missing = image;
    missing.erase(missing.begin() + static_cast<std::ptrdiff_t>(markers[2]),
                  missing.begin() + static_cast<std::ptrdiff_t>(markers[2]) + 2);
    EXPECT_EQ(ErrorCode::kBadInput, decodeGuarded(decoder, missing, 40, 12).status.code());
    Bytes partRows = image;
    for (std::size_t at = 0; at + 5 < partRows.size(); ++at)
        if (partRows[at] == 0xFF && partRows[at + 1] == 0xDD) {
            partRows[at + 5] ^= 1;  // 120 samples become 121
            break;
        }
    EXPECT_EQ(ErrorCode::kUnsupported, decodeGuarded(decoder, partRows, 40, 12).status.code());
}

// Every cut of a small image fails (it has lost its end marker at least), and
// every byte flipped either fails or decodes, touching nothing beyond the frame.
TEST(LosslessJpegDecoder, TruncatedAndDamagedImagesFailCleanly) {
    for (const int restartRows : {0, 2}) {
        SCOPED_TRACE("restart rows " + std::to_string(restartRows));
        LosslessJpegOptions options;
        const std::string comment = "raw2tvx archive frame 3 crc32c 00000000";
        options.comment = comment;
        options.restartRows = restartRows;
        const Samples frame = randomFrame(7, 5, 8);
        const Bytes image = encode(frame, 7, 5, options);
        LosslessJpegDecoder decoder;
        for (std::size_t length = 0; length < image.size(); ++length) {
            const Bytes cut(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(length));
            const GuardedDecode result = decodeGuarded(decoder, cut, 7, 5);
            EXPECT_FALSE(result.status.ok()) << "cut at " << length;
            EXPECT_TRUE(result.status.code() == ErrorCode::kBadInput ||
                        result.status.code() == ErrorCode::kUnsupported);
        }
        int failures = 0;
        for (std::size_t at = 0; at < image.size(); ++at)
            for (const std::uint8_t flip : {0x01, 0x80, 0xFF}) {
                Bytes damaged = image;
                damaged[at] ^= flip;
                const GuardedDecode result = decodeGuarded(decoder, damaged, 7, 5);
                if (!result.status.ok()) ++failures;
            }
        EXPECT_GT(failures, 0);
        // The whole image is still decoded after all that.
        EXPECT_TRUE(decodeGuarded(decoder, image, 7, 5).frame == frame);
    }
}

// What our encoder never writes is refused, each with its reason.
TEST(LosslessJpegDecoder, ImagesOfOtherKindsAreRefused) {
    ScanWriter scan;
    scan.put(0b01, 2);
    scan.put(0b01, 2);
    const Bytes scanBytes = scan.finish();
    LosslessJpegDecoder decoder;
    EXPECT_TRUE(decodeGuarded(decoder, handWrittenImage(scanBytes), 2, 1).status.ok());
    EXPECT_EQ(ErrorCode::kUnsupported,
              decodeGuarded(decoder, handWrittenImage(scanBytes, 12), 2, 1).status.code());
    EXPECT_EQ(ErrorCode::kUnsupported,
              decodeGuarded(decoder, handWrittenImage(scanBytes, 16, 1), 2, 1).status.code());

    // A restart marker in an image without restart intervals.
    Bytes withRestart = handWrittenImage(scanBytes);
    withRestart.insert(withRestart.end() - 2, {0xFF, 0xD0});
    EXPECT_EQ(ErrorCode::kBadInput, decodeGuarded(decoder, withRestart, 2, 1).status.code());
    Bytes baseline = handWrittenImage(scanBytes);
    baseline[3] = 0xC0;
    EXPECT_EQ(ErrorCode::kUnsupported, decodeGuarded(decoder, baseline, 2, 1).status.code());
    // Bytes after the last sample, in place of the one bits that pad it.
    Bytes longer = handWrittenImage(scanBytes);
    longer.insert(longer.end() - 2, 0x00);
    EXPECT_EQ(ErrorCode::kBadInput, decodeGuarded(decoder, longer, 2, 1).status.code());
}
