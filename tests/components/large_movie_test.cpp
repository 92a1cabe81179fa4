// Movies beyond 4 GiB: OpenDML AVI and MOV with 64-bit offsets, read back by
// libavformat. They write about 4.5 GB each, so they run only when
// RAW2TVX_LARGE_MOVIE_TESTS is set in the environment.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

#include "components/movie_file.h"
#include "components/movie_muxer.h"
#include "support/temp_dir.h"

namespace {

constexpr std::size_t kFrameBytes = std::size_t{8} << 20;
constexpr int kFrames = 540;  // 540 x 8 MiB = 4.22 GiB of frames

// Every frame's bytes say which frame they are, so a frame read from a wrong
// offset is caught without keeping the frames.
std::vector<std::uint8_t> frameBytes(int index) {
    std::vector<std::uint8_t> bytes(kFrameBytes, static_cast<std::uint8_t>(index * 7 + 1));
    for (int i = 0; i < 4; ++i)
        bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(index >> (8 * i));
    bytes[kFrameBytes - 1] = static_cast<std::uint8_t>(index);
    return bytes;
}

bool largeTestsWanted() {
    const char* wanted = std::getenv("RAW2TVX_LARGE_MOVIE_TESTS");
    return wanted != nullptr && *wanted != '\0';
}

void writeAndReadBack(MovieContainer container, const std::string& path) {
    EncodedStreamInfo info;
    info.codecId = AV_CODEC_ID_MJPEG;
    info.width = 4096;
    info.height = 1024;
    info.bitsPerCodedSample = 16;
    info.rateNumerator = 24000;
    info.rateDenominator = 1001;
    {
        MovieFile file;
        ASSERT_TRUE(file.create(path).ok());
        MovieMuxer muxer(container, file);
        Status result = muxer.writeHeader(info, {});
        for (int index = 0; index < kFrames && result.ok(); ++index)
            result = muxer.writePacket({frameBytes(index), index});
        if (result.ok()) result = muxer.writeTrailer();
        ASSERT_TRUE(result.ok()) << result.message();
        ASSERT_TRUE(file.commit().ok());
    }
    EXPECT_GT(std::filesystem::file_size(path), std::uintmax_t{1} << 32);

    AVFormatContext* context = nullptr;
    ASSERT_EQ(0, avformat_open_input(&context, path.c_str(), nullptr, nullptr));
    ASSERT_EQ(1u, context->nb_streams);
    EXPECT_EQ(kFrames, context->streams[0]->nb_frames);
    AVPacket* packet = av_packet_alloc();
    int read = 0;
    while (av_read_frame(context, packet) >= 0) {
        if (read < kFrames) {
            const std::vector<std::uint8_t> expected = frameBytes(read);
            ASSERT_EQ(static_cast<int>(kFrameBytes), packet->size) << "frame " << read;
            // The ends and a sample inside say whether the frame came from the right place.
            EXPECT_EQ(0, std::memcmp(expected.data(), packet->data, 64)) << "frame " << read;
            EXPECT_EQ(expected[kFrameBytes / 2], packet->data[kFrameBytes / 2]) << "frame " << read;
            EXPECT_EQ(expected.back(), packet->data[kFrameBytes - 1]) << "frame " << read;
        }
        ++read;
        av_packet_unref(packet);
    }
    EXPECT_EQ(kFrames, read);
    av_packet_free(&packet);
    avformat_close_input(&context);
    std::filesystem::remove(path);
}

}  // namespace

TEST(LargeMovie, AviPast4GiBIsReadWhole) {
    if (!largeTestsWanted()) GTEST_SKIP() << "set RAW2TVX_LARGE_MOVIE_TESTS=1 to write a 4.5 GB AVI";
    testing_support::TempDir dir;
    writeAndReadBack(MovieContainer::Avi, dir.file("large.avi"));
}

TEST(LargeMovie, MovPast4GiBIsReadWhole) {
    if (!largeTestsWanted()) GTEST_SKIP() << "set RAW2TVX_LARGE_MOVIE_TESTS=1 to write a 4.5 GB MOV";
    testing_support::TempDir dir;
    writeAndReadBack(MovieContainer::Mov, dir.file("large.mov"));
}
