#include "encode/movie_writer.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <string>
#include <vector>

#include "media/known_ids.h"
#include "media/output_format.h"
#include "media/video_info.h"
#include "support/media_fakes/fake_movie_components.h"

using media_fakes::FakeMovieComponents;
using media_fakes::FakeMovieOptions;
using media_fakes::RecordedTag;

// The movie writer drives the encoding graph: these tests look at what the
// fake components under the real class ids are asked, and at how each kind of
// failure comes back.

namespace {

MovieFormat formatOf(OutputFormat picture) {
    MovieFormat format;
    format.picture = picture;
    format.width = 16;
    format.height = 2;
    format.rateNumerator = 25;
    format.rateDenominator = 1;
    format.quality = 2;
    format.curveCode = 0x17101;
    return format;
}

std::vector<std::string> tagNames(const std::vector<RecordedTag>& tags) {
    std::vector<std::string> names;
    for (const RecordedTag& tag : tags) names.push_back(tag.tag);
    return names;
}

// The four characters of a code in memory order.
std::string characters(std::uint32_t code) {
    return {static_cast<char>(code), static_cast<char>(code >> 8), static_cast<char>(code >> 16),
            static_cast<char>(code >> 24)};
}

}  // namespace

// Each picture reaches the encoder of its class as the media type the frame
// source offers: the subtype and compression codes and bits a pixel, written
// out here by hand.
TEST(MovieWriter, EachPictureKindReachesItsEncoderAsItsMediaType) {
    struct Case {
        OutputFormat picture;
        Guid encoderClass;
        const char* subtype;
        const char* compression;
        int bitCount;
        std::size_t pitch;
    };
    for (const Case& item : {Case{OutputFormat::Raw, CLSID_RawBayerEncoder, "BYR4", "BYR4", 16, 32},
                             Case{OutputFormat::Rgb444, CLSID_PictureEncoder, "RG48", "RG48", 48, 96},
                             Case{OutputFormat::Yuv422, CLSID_PictureEncoder, "YU63", "YU64", 32, 96}}) {
        SCOPED_TRACE(item.subtype);
        FakeMovieComponents fakes;
        MovieWriter writer;
        ASSERT_TRUE(writer.name("/movies/take").ok());
        EXPECT_EQ("/movies/take.avi", writer.outputPath());
        writer.open(formatOf(item.picture));
        const std::vector<std::uint8_t> frame(item.pitch * 2, 7);
        ASSERT_TRUE(writer.deliver(frame.data(), item.pitch).ok());

        ASSERT_EQ(1u, fakes.encoders.size());
        EXPECT_EQ(item.encoderClass, fakes.encoders[0]->classId());
        const MediaType type = fakes.encoders[0]->input()->connectionType();
        EXPECT_EQ(item.subtype, characters(type.subtype.data1));
        const std::optional<BitmapInfoHeader> bitmap = readBitmapHeaderOfType(type);
        ASSERT_TRUE(bitmap.has_value());
        EXPECT_EQ(item.compression, characters(bitmap->compression));
        EXPECT_EQ(item.bitCount, bitmap->bitCount);
        EXPECT_EQ(16, bitmap->width);
        EXPECT_EQ(2, bitmap->height);
        EXPECT_EQ((std::vector<std::string>{"quality 2", "option 0", "flagA 1", "flagB 1"}),
                  fakes.encoders[0]->settings());
        EXPECT_TRUE(writer.finish().ok());
    }
}

// A chosen demosaic type goes to a RAW movie as DEMO = type + 2; with none
// chosen no DEMO is sent. The user's tags follow the fixed ones.
TEST(MovieWriter, SendsTheChosenDemosaicAndTheUsersTags) {
    FakeMovieComponents fakes;
    MovieWriter writer;
    MetadataTagList tags;
    const std::uint8_t record[12] = {'A', 'B', 'C', 'D', 4, 0, 0, 'L', 9, 0, 0, 0};
    std::copy(std::begin(record), std::end(record), tags.bytes.begin());
    tags.used = 12;
    const std::vector<std::uint8_t> frame(64, 1);
    for (const std::optional<std::int32_t> debayer :
         {std::optional<std::int32_t>{3}, std::optional<std::int32_t>{}}) {
        MovieFormat format = formatOf(OutputFormat::Raw);
        format.debayer = debayer;
        format.tags = &tags;
        ASSERT_TRUE(writer.name("/movies/raw.mov").ok());
        writer.open(format);
        ASSERT_TRUE(writer.deliver(frame.data(), 32).ok());
        ASSERT_TRUE(writer.finish().ok());
    }
    ASSERT_EQ(2u, fakes.encoders.size());
    EXPECT_EQ((std::vector<std::string>{"ECRV", "PCRV", "CCRV", "BFMT", "COLM", "BMTX", "WBAL", "HPNT",
                                        "DEMO", "ABCD"}),
              tagNames(fakes.encoders[0]->tags()));
    EXPECT_EQ((std::vector<std::uint8_t>{5, 0, 0, 0}), fakes.encoders[0]->tags()[8].value);
    EXPECT_EQ(
        (std::vector<std::string>{"ECRV", "PCRV", "CCRV", "BFMT", "COLM", "BMTX", "WBAL", "HPNT", "ABCD"}),
        tagNames(fakes.encoders[1]->tags()));
}

// A file the system would not let the writer make is a write failure with
// its errno; a missing component is a failure of another kind.
TEST(MovieWriter, TellsAWriteFailureFromAMissingComponent) {
    const std::vector<std::uint8_t> frame(64, 1);
    {
        FakeMovieOptions options;
        options.setFileNameResult = hresultFromErrno(EACCES);
        FakeMovieComponents fakes(options);
        MovieWriter writer;
        ASSERT_TRUE(writer.name("/movies/a.avi").ok());
        writer.open(formatOf(OutputFormat::Raw));
        const Status delivered = writer.deliver(frame.data(), 32);
        EXPECT_EQ(ErrorCode::kWriteFailed, delivered.code());
        EXPECT_EQ(EACCES, delivered.systemError());
        writer.abandon();
    }
    {
        FakeMovieOptions options;
        options.registerEncoders = false;
        FakeMovieComponents fakes(options);
        MovieWriter writer;
        ASSERT_TRUE(writer.name("/movies/a.avi").ok());
        writer.open(formatOf(OutputFormat::Raw));
        const Status delivered = writer.deliver(frame.data(), 32);
        EXPECT_FALSE(delivered.ok());
        EXPECT_NE(ErrorCode::kWriteFailed, delivered.code());
        EXPECT_EQ(0, delivered.systemError());
        EXPECT_TRUE(writer.finish().ok());
    }
    {
        FakeMovieOptions options;
        options.multiplexerStopResult = hresultFromErrno(ENOSPC);
        FakeMovieComponents fakes(options);
        MovieWriter writer;
        ASSERT_TRUE(writer.name("/movies/a.mov").ok());
        writer.open(formatOf(OutputFormat::Raw));
        ASSERT_TRUE(writer.deliver(frame.data(), 32).ok());
        const Status finished = writer.finish();
        EXPECT_EQ(ErrorCode::kWriteFailed, finished.code());
        EXPECT_EQ(ENOSPC, finished.systemError());
    }
}

TEST(MovieWriter, RefusesNamesItCannotUse) {
    MovieWriter writer;
    EXPECT_EQ(ErrorCode::kBadInput, writer.name("").code());
    EXPECT_FALSE(writer.name(std::string(5000, 'x')).ok());
    EXPECT_EQ("", writer.outputPath());
    ASSERT_TRUE(writer.name("/movies/take.MOV").ok());
    EXPECT_EQ("/movies/take.MOV", writer.outputPath());
}

// Without a movie open there is nothing to finish or give up.
TEST(MovieWriter, FinishingOrAbandoningNothingSucceedsAndMakesNothing) {
    FakeMovieComponents fakes;
    MovieWriter writer;
    EXPECT_TRUE(writer.finish().ok());
    EXPECT_TRUE(writer.abandon().ok());
    ASSERT_TRUE(writer.name("/movies/a.avi").ok());
    writer.open(formatOf(OutputFormat::Rgb444));
    EXPECT_TRUE(writer.finish().ok());
    EXPECT_FALSE(fakes.madeAnything());
    EXPECT_TRUE(writer.takeMessages().empty());
}
