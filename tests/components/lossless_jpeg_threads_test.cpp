#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <thread>
#include <vector>

#include "components/helper_threads.h"
#include "components/lossless_jpeg_decoder.h"
#include "components/lossless_jpeg_encoder.h"

namespace {

using Samples = std::vector<std::uint16_t>;
using Bytes = std::vector<std::uint8_t>;

Bytes encode(const Samples& frame, int width, int height, LosslessJpegWorkspace& workspace,
             const LosslessJpegOptions& options = {}) {
    Bytes image(losslessJpegMaxBytes(width, height, 0, options.restartRows));
    const Result<std::size_t> bytes =
        encodeLosslessJpeg(frame.data(), static_cast<std::size_t>(width), width, height, workspace,
                           image.data(), image.size(), options);
    image.resize(bytes.ok() ? bytes.value() : 0);
    return image;
}

// The movie encodes two frames at once, each thread with its own workspace:
// the images must be the ones a single thread makes.
TEST(LosslessJpegThreads, TwoThreadsGiveTheSameImagesAsOne) {
    const int sizes[2][2] = {{640, 360}, {333, 201}};
    std::vector<Samples> frames;
    std::vector<Bytes> expected;
    LosslessJpegWorkspace alone;
    std::mt19937 random(12);
    for (const auto& size : sizes) {
        Samples frame(static_cast<std::size_t>(size[0]) * size[1]);
        for (auto& sample : frame) sample = static_cast<std::uint16_t>(20000 + random() % 3000);
        expected.push_back(encode(frame, size[0], size[1], alone));
        ASSERT_FALSE(expected.back().empty());
        frames.push_back(std::move(frame));
    }
    std::vector<Bytes> results[2];
    std::vector<std::thread> threads;
    for (int thread = 0; thread < 2; ++thread)
        threads.emplace_back([&, thread] {
            LosslessJpegWorkspace own;
            for (int round = 0; round < 8; ++round)
                results[thread].push_back(encode(frames[thread], sizes[thread][0], sizes[thread][1], own));
        });
    for (auto& thread : threads) thread.join();
    for (int thread = 0; thread < 2; ++thread)
        for (const Bytes& image : results[thread]) EXPECT_EQ(expected[thread], image) << "thread " << thread;
}

Bytes encodeWithRestarts(const Samples& frame, int width, int height) {
    LosslessJpegWorkspace workspace;
    LosslessJpegOptions options;
    options.restartRows = losslessJpegMostRestartRows(width);
    return encode(frame, width, height, workspace, options);
}

// An archive's frame is decoded by the reader's thread and its helpers, each
// taking a share of the restart intervals: frames of an odd and an even
// count of intervals come back exactly, frame after frame, with any number
// of helpers; a frame damaged in one share fails, and the next one decodes.
TEST(LosslessJpegThreads, HelpersShareAFramesRestartIntervals) {
    struct Frame {
        int width, height;
        Samples samples;
        Bytes image;
    };
    std::vector<Frame> frames;
    std::mt19937 random(5);
    for (const auto& size : {std::pair{1920, 150}, std::pair{4096, 64}, std::pair{35, 4000}}) {
        Frame frame{size.first, size.second, Samples(static_cast<std::size_t>(size.first) * size.second), {}};
        for (auto& sample : frame.samples) sample = static_cast<std::uint16_t>(3000 + random() % 400);
        frame.image = encodeWithRestarts(frame.samples, frame.width, frame.height);
        ASSERT_FALSE(frame.image.empty());
        frames.push_back(std::move(frame));
    }
    for (const int helperCount : {1, 2, 3, 7}) {
        SCOPED_TRACE(std::to_string(helperCount) + " helpers");
        HelperThreads helpers;
        ASSERT_EQ(helperCount, helpers.start(helperCount));
        LosslessJpegDecoder decoder;
        for (int round = 0; round < 3; ++round)
            for (const Frame& frame : frames) {
                Samples out(frame.samples.size(), 0xDEAD);
                LosslessJpegDecoded decoded;
                const Status status =
                    decoder.decode(frame.image, out.data(), static_cast<std::size_t>(frame.width),
                                   frame.width, frame.height, &decoded, &helpers);
                ASSERT_TRUE(status.ok()) << status.message();
                EXPECT_TRUE(out == frame.samples) << frame.width << "x" << frame.height;
            }
        Bytes damaged = frames[0].image;
        // One bits that start no code, stuffed, in the last interval: the last share's.
        for (std::size_t at = damaged.size() - 200; at < damaged.size() - 180; at += 2) {
            damaged[at] = 0xFF;
            damaged[at + 1] = 0x00;
        }
        Samples out(frames[0].samples.size());
        LosslessJpegDecoded decoded;
        EXPECT_FALSE(decoder.decode(damaged, out.data(), 1920, 1920, 150, &decoded, &helpers).ok());
        EXPECT_TRUE(decoder.decode(frames[0].image, out.data(), 1920, 1920, 150, &decoded, &helpers).ok());
        EXPECT_TRUE(out == frames[0].samples);
    }
}

// Every part of every job runs once, on the caller (part 0) or a helper;
// more parts than threads are refused.
TEST(LosslessJpegThreads, HelperThreadsRunEveryPartOnce) {
    HelperThreads helpers;
    ASSERT_EQ(3, helpers.start(3));
    std::vector<int> runs(4);
    const auto count = [](int part, void* argument) { ++(*static_cast<std::vector<int>*>(argument))[part]; };
    for (int job = 0; job < 200; ++job) ASSERT_TRUE(helpers.run(1 + job % 4, count, &runs));
    EXPECT_EQ((std::vector<int>{200, 150, 100, 50}), runs);
    EXPECT_FALSE(helpers.run(5, count, &runs));
    EXPECT_FALSE(helpers.run(0, count, &runs));
    EXPECT_EQ(200, runs[0]);
}

}  // namespace
