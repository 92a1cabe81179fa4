#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <thread>
#include <vector>

#include "components/lossless_jpeg_encoder.h"

namespace {

using Samples = std::vector<std::uint16_t>;
using Bytes = std::vector<std::uint8_t>;

Bytes encode(const Samples& frame, int width, int height, LosslessJpegWorkspace& workspace) {
    Bytes image(losslessJpegMaxBytes(width, height));
    const Result<std::size_t> bytes = encodeLosslessJpeg(frame.data(), static_cast<std::size_t>(width), width,
                                                         height, workspace, image.data(), image.size());
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

}  // namespace
