#include "components/movie_muxer.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "components/movie_reader.h"
#include "components/movie_test_streams.h"
#include "support/temp_dir.h"

using movie_test::MemorySink;
using movie_test::TestStream;

namespace {

constexpr std::uint32_t fourCc(const char* text) {
    return static_cast<std::uint32_t>(text[0]) | static_cast<std::uint32_t>(text[1]) << 8 |
           static_cast<std::uint32_t>(text[2]) << 16 | static_cast<std::uint32_t>(text[3]) << 24;
}

Status writeMovie(MovieMuxer& muxer, const TestStream& stream, const std::vector<MovieTag>& tags = {}) {
    Status result = muxer.writeHeader(stream.info, tags);
    for (const EncodedPacket& packet : stream.packets)
        if (result.ok()) result = muxer.writePacket(packet);
    if (result.ok()) result = muxer.writeTrailer();
    return result;
}

std::vector<std::uint8_t> movieBytes(MovieContainer container, const TestStream& stream,
                                     std::size_t largestWrite = SIZE_MAX) {
    MemorySink sink;
    sink.largestWrite = largestWrite;
    MovieMuxer muxer(container, sink);
    const Status result = writeMovie(muxer, stream);
    EXPECT_TRUE(result.ok()) << result.message();
    return sink.bytes;
}

std::string saved(const testing_support::TempDir& dir, const std::string& name,
                  const std::vector<std::uint8_t>& bytes) {
    const std::string path = dir.file(name);
    testing_support::writeFileBytes(path, std::string(bytes.begin(), bytes.end()));
    return path;
}

struct ContainerCase {
    MovieContainer container;
    bool losslessJpeg;
    std::uint32_t expectedTag;
    const char* formatName;
    const char* fileName;
};

class MovieContainers : public testing::TestWithParam<ContainerCase> {};

TestStream streamFor(const ContainerCase& which, int rateNumerator, int rateDenominator) {
    return which.losslessJpeg ? movie_test::losslessJpegStream(64, 48, 5, rateNumerator, rateDenominator)
                              : movie_test::proResStream(64, 48, 3, 5, rateNumerator, rateDenominator);
}

}  // namespace

// What every reader needs: the container, codec and its tag, the size, the
// frame count, an exact rate and duration, and the frames as they were given.
TEST_P(MovieContainers, ReadBackAsWritten) {
    const ContainerCase& which = GetParam();
    const TestStream stream = streamFor(which, 24000, 1001);
    ASSERT_EQ(5u, stream.packets.size());
    testing_support::TempDir dir;
    const std::string path = saved(dir, which.fileName, movieBytes(which.container, stream));

    const movie_test::ReadMovie movie = movie_test::readMovie(path);
    ASSERT_TRUE(movie.opened);
    EXPECT_EQ(which.formatName, movie.formatName);
    ASSERT_EQ(1u, movie.streams.size());
    const movie_test::ReadStream& video = movie.streams[0];
    EXPECT_EQ(AVMEDIA_TYPE_VIDEO, video.type);
    EXPECT_EQ(which.losslessJpeg ? AV_CODEC_ID_MJPEG : AV_CODEC_ID_PRORES, video.codecId);
    EXPECT_EQ(which.expectedTag, video.codecTag);
    EXPECT_EQ(64, video.width);
    EXPECT_EQ(48, video.height);
    if (which.losslessJpeg) {
        EXPECT_EQ(16, video.bitsPerCodedSample);
    }
    EXPECT_EQ(5, video.frameCount);
    EXPECT_EQ(0, av_cmp_q(AVRational{24000, 1001}, video.averageRate))
        << video.averageRate.num << "/" << video.averageRate.den;
    // Five frames of 1001/24000 s: duration x time base = 5005/24000 exactly.
    EXPECT_EQ(std::int64_t{5005} * video.timeBase.den, video.duration * video.timeBase.num * 24000);
    ASSERT_EQ(stream.packets.size(), movie.videoPackets.size());
    for (std::size_t i = 0; i < stream.packets.size(); ++i) {
        EXPECT_EQ(stream.packets[i].data, movie.videoPackets[i]) << "frame " << i;
        EXPECT_EQ(static_cast<std::int64_t>(i) * 1001 * video.timeBase.den,
                  movie.videoTimes[i] * video.timeBase.num * 24000)
            << "frame " << i;
    }
    EXPECT_TRUE(movie.allKeyFrames);
    // ffprobe reads it without a complaint and sees the same rate.
    const std::string report = movie_test::probeReport(path);
    EXPECT_TRUE(movie_test::hasLine(report, "avg_frame_rate=24000/1001")) << report;
    EXPECT_TRUE(movie_test::hasLine(report, "width=64")) << report;
}

// Nothing in the file depends on the time of the run or the library build.
TEST_P(MovieContainers, TwoRunsGiveTheSameBytesWithoutAClock) {
    const ContainerCase& which = GetParam();
    const TestStream stream = streamFor(which, 25, 1);
    const std::vector<std::uint8_t> first = movieBytes(which.container, stream);
    const std::vector<std::uint8_t> second = movieBytes(which.container, stream);
    EXPECT_EQ(first, second);
    testing_support::TempDir dir;
    const movie_test::ReadMovie movie = movie_test::readMovie(saved(dir, which.fileName, first));
    EXPECT_FALSE(movie.hasTag("creation_time"));
    EXPECT_FALSE(movie.hasTag("encoder"));
    EXPECT_FALSE(movie.hasTag("date"));
    const std::string bytes(first.begin(), first.end());
    EXPECT_EQ(std::string::npos, bytes.find("Lavf"));
}

// A sink may take a few bytes at a time; the rest must follow, in place.
TEST_P(MovieContainers, ASinkTakingFewBytesPerCallGetsTheSameFile) {
    const ContainerCase& which = GetParam();
    const TestStream stream = streamFor(which, 30, 1);
    EXPECT_EQ(movieBytes(which.container, stream), movieBytes(which.container, stream, 1000));
}

INSTANTIATE_TEST_SUITE_P(
    AllKinds, MovieContainers,
    testing::Values(
        ContainerCase{MovieContainer::Mov, false, fourCc("apch"), "mov,mp4,m4a,3gp,3g2,mj2", "a.mov"},
        ContainerCase{MovieContainer::Mov, true, fourCc("jpeg"), "mov,mp4,m4a,3gp,3g2,mj2", "b.mov"},
        ContainerCase{MovieContainer::Avi, false, fourCc("apch"), "avi", "c.avi"},
        ContainerCase{MovieContainer::Avi, true, fourCc("MJPG"), "avi", "d.avi"}),
    [](const testing::TestParamInfo<ContainerCase>& test) {
        return std::string(test.param.container == MovieContainer::Mov ? "Mov" : "Avi") +
               (test.param.losslessJpeg ? "LosslessJpeg" : "ProRes");
    });

// FFmpeg's decoder reads the 16-bit lossless JPEG frames back from either
// container sample for sample.
TEST(MovieMuxer, LosslessJpegFramesDecodeToTheirSamples) {
    std::vector<std::vector<std::uint16_t>> pictures;
    const TestStream stream = movie_test::losslessJpegStream(48, 16, 3, 24, 1, &pictures);
    std::string expected;
    for (const std::vector<std::uint16_t>& picture : pictures)
        for (const std::uint16_t sample : picture) {
            expected += static_cast<char>(sample & 0xFF);
            expected += static_cast<char>(sample >> 8);
        }
    testing_support::TempDir dir;
    for (const MovieContainer container : {MovieContainer::Mov, MovieContainer::Avi}) {
        const std::string path = saved(dir, container == MovieContainer::Mov ? "bayer.mov" : "bayer.avi",
                                       movieBytes(container, stream));
        const auto decoded = testing_support::runProgram(
            {"/usr/bin/ffmpeg", "-v", "error", "-i", path, "-f", "rawvideo", "-pix_fmt", "gray16le", "-"});
        EXPECT_EQ(0, decoded.exitCode) << decoded.err;
        EXPECT_TRUE(decoded.out == expected) << path << ": " << decoded.out.size() << " bytes decoded";
    }
}

// Each ProRes profile keeps the tag its encoder gave it, in both containers.
TEST(MovieMuxer, KeepsEveryProResTag) {
    const std::vector<std::pair<int, const char*>> profiles = {{0, "apco"}, {1, "apcs"}, {2, "apcn"},
                                                               {3, "apch"}, {4, "ap4h"}, {5, "ap4x"}};
    testing_support::TempDir dir;
    for (const auto& [profile, tag] : profiles) {
        const TestStream stream = movie_test::proResStream(32, 16, profile, 2, 24, 1);
        ASSERT_EQ(fourCc(tag), stream.info.codecTag) << tag;
        for (const MovieContainer container : {MovieContainer::Mov, MovieContainer::Avi}) {
            const std::string name = std::string(tag) + (container == MovieContainer::Mov ? ".mov" : ".avi");
            const movie_test::ReadMovie movie =
                movie_test::readMovie(saved(dir, name, movieBytes(container, stream)));
            ASSERT_EQ(1u, movie.streams.size()) << name;
            EXPECT_EQ(stream.info.codecTag, movie.streams[0].codecTag) << name;
            EXPECT_EQ(2u, movie.videoPackets.size()) << name;
        }
    }
}

// MOV colour fields say what the stream says, and lossless JPEG says nothing.
TEST(MovieMuxer, WritesTheKnownColourFieldsOnly) {
    testing_support::TempDir dir;
    TestStream proRes = movie_test::proResStream(32, 16, 3, 1, 24, 1);
    movie_test::ReadMovie movie =
        movie_test::readMovie(saved(dir, "matrix.mov", movieBytes(MovieContainer::Mov, proRes)));
    ASSERT_EQ(1u, movie.streams.size());
    EXPECT_EQ(AVCOL_SPC_BT709, movie.streams[0].colorSpace);
    EXPECT_EQ(AVCOL_PRI_UNSPECIFIED, movie.streams[0].colorPrimaries);
    EXPECT_EQ(AVCOL_TRC_UNSPECIFIED, movie.streams[0].colorTransfer);

    proRes.info.colorTransfer = AVCOL_TRC_LINEAR;
    movie = movie_test::readMovie(saved(dir, "linear.mov", movieBytes(MovieContainer::Mov, proRes)));
    EXPECT_EQ(AVCOL_TRC_LINEAR, movie.streams[0].colorTransfer);
    EXPECT_EQ(AVCOL_PRI_UNSPECIFIED, movie.streams[0].colorPrimaries);

    // The encoder's word alone: a curve tag that names a plain gamma (a user's
    // +ECRV comes after the fixed one) does not make the container claim a
    // transfer the frame headers do not carry.
    proRes.info.colorTransfer = AVCOL_TRC_UNSPECIFIED;
    for (const std::uint32_t curveCode : {0x20B05u, 0x17101u}) {
        const MovieTag curve{fourCc("ECRV"),
                             'H',
                             {static_cast<std::uint8_t>(curveCode), static_cast<std::uint8_t>(curveCode >> 8),
                              static_cast<std::uint8_t>(curveCode >> 16), 0}};
        MemorySink sink;
        MovieMuxer muxer(MovieContainer::Mov, sink);
        ASSERT_TRUE(muxer.writeHeader(proRes.info, {curve}).ok());
        ASSERT_TRUE(muxer.writePacket(proRes.packets[0]).ok());
        ASSERT_TRUE(muxer.writeTrailer().ok());
        movie = movie_test::readMovie(saved(dir, "curve.mov", sink.bytes));
        EXPECT_EQ(AVCOL_TRC_UNSPECIFIED, movie.streams[0].colorTransfer) << std::hex << curveCode;
        EXPECT_EQ(AVCOL_SPC_BT709, movie.streams[0].colorSpace);
    }

    TestStream bayer = movie_test::losslessJpegStream(32, 16, 1, 24, 1);
    bayer.info.colorSpace = AVCOL_SPC_BT709;  // not a picture: ignored
    const std::vector<std::uint8_t> bytes = movieBytes(MovieContainer::Mov, bayer);
    EXPECT_EQ(std::string::npos, std::string(bytes.begin(), bytes.end()).find("colr"));
}

// A refused write ends the movie with the sink's errno, at whichever call
// reaches the sink first, and every later call gives the same failure.
TEST(MovieMuxer, ReportsTheSinksErrnoWhenAWriteFails) {
    for (const MovieContainer container : {MovieContainer::Mov, MovieContainer::Avi}) {
        const TestStream stream = movie_test::proResStream(64, 48, 3, 4, 24, 1);
        MemorySink sink;
        sink.limit = 3000;
        sink.refusal = EFBIG;
        MovieMuxer muxer(container, sink);
        const Status result = writeMovie(muxer, stream);
        ASSERT_FALSE(result.ok());
        EXPECT_EQ(ErrorCode::kWriteFailed, result.code());
        EXPECT_EQ(EFBIG, result.systemError());
        EXPECT_NE(std::string::npos, result.message().find("File too large")) << result.message();
        const Status again = muxer.writeTrailer();
        EXPECT_EQ(EFBIG, again.systemError());
        EXPECT_EQ(result.message(), again.message());
    }
}

TEST(MovieMuxer, RefusesStreamsAndFramesItCannotWrite) {
    MemorySink sink;
    TestStream stream = movie_test::losslessJpegStream(32, 16, 2, 24, 1);
    {
        MovieMuxer muxer(MovieContainer::Mov, sink);
        const Status early = muxer.writePacket(stream.packets[0]);
        EXPECT_EQ(ErrorCode::kFailed, early.code());
        EXPECT_EQ("writing frame 0 outside the movie: Invalid argument", early.message());
    }
    for (const auto& change : std::vector<void (*)(EncodedStreamInfo&)>{
             [](EncodedStreamInfo& info) { info.codecId = AV_CODEC_ID_H264; },
             [](EncodedStreamInfo& info) { info.width = 0; },
             [](EncodedStreamInfo& info) { info.rateDenominator = 0; }}) {
        EncodedStreamInfo info = stream.info;
        change(info);
        MovieMuxer muxer(MovieContainer::Avi, sink);
        EXPECT_EQ("describing the stream: Invalid argument", muxer.writeHeader(info, {}).message());
    }
    MovieMuxer muxer(MovieContainer::Avi, sink);
    ASSERT_TRUE(muxer.writeHeader(stream.info, {}).ok());
    ASSERT_TRUE(muxer.writePacket(stream.packets[1]).ok());
    // Frame 0 after frame 1: the order is broken, the movie ends.
    EXPECT_EQ("writing frame 0: Invalid argument", muxer.writePacket(stream.packets[0]).message());
    EXPECT_FALSE(muxer.writeTrailer().ok());
    EXPECT_EQ(1, muxer.framesWritten());
}
