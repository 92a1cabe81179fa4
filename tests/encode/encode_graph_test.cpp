#include "encode/encode_graph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "media/component_registry.h"
#include "media/known_ids.h"
#include "support/media_fakes/fake_movie_components.h"

using media_fakes::FakeMovieComponents;
using media_fakes::FakeMovieOptions;
using media_fakes::RecordedTag;

namespace {

constexpr std::int32_t kCurveCode = 0x00021A0B;

const float kMatrix[12] = {1.5f,    -0.25f, -0.25f, 0.0f,  -0.125f, 1.25f,
                           -0.125f, 0.0f,   0.0f,   -0.5f, 1.5f,    0.0f};
const float kGains[4] = {2.0f, 1.0f, 1.0f, 1.75f};

// Starts a clip as the movie branch does.
void startClip(CEncodeGraph& graph, const std::string& path, bool raw, std::int32_t debayer = 65535,
               bool rgb444 = true) {
    ASSERT_EQ(S_OK, graph.SetOutputFile(path));
    graph.CreateVideoSource(16, 2, 1, 25, rgb444, raw, kCurveCode, debayer);
    graph.SetQuality(4, 0);
    graph.SetOptionFlagA(true);
    graph.SetOptionFlagB(true);
    graph.setClipColor(kMatrix, kGains);
}

std::vector<std::uint8_t> frame(std::size_t bytes, int seed = 0) {
    std::vector<std::uint8_t> data(bytes);
    for (std::size_t index = 0; index < bytes; ++index) data[index] = static_cast<std::uint8_t>(index + seed);
    return data;
}

std::vector<std::string> tagNames(const std::vector<RecordedTag>& tags) {
    std::vector<std::string> names;
    for (const RecordedTag& tag : tags) names.push_back(tag.tag);
    return names;
}

std::vector<std::uint8_t> bytesOf(const void* value, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(value);
    return std::vector<std::uint8_t>(bytes, bytes + size);
}

std::vector<std::uint8_t> le32(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

// Appends one record to a tag list the way the driver lays them out.
void appendRecord(MetadataTagList& list, const char (&tag)[5], char type,
                  const std::vector<std::uint8_t>& value) {
    std::uint8_t* record = list.bytes.data() + list.used;
    std::memcpy(record, tag, 4);
    record[4] = static_cast<std::uint8_t>(value.size());
    record[5] = 0;
    record[6] = 0;
    record[7] = static_cast<std::uint8_t>(type);
    std::memcpy(record + 8, value.data(), value.size());
    list.used += static_cast<std::int32_t>(8 + ((value.size() + 3) & ~std::size_t{3}));
}

}  // namespace

TEST(EncodeGraph, TheOutputNameChoosesTheContainer) {
    CEncodeGraph graph;
    ASSERT_EQ(S_OK, graph.SetOutputFile("/movies/take.MOV"));
    EXPECT_EQ(ContainerKind::Mov, graph.container());
    EXPECT_EQ("/movies/take.MOV", graph.outputPath());
    ASSERT_EQ(S_OK, graph.SetOutputFile("/movies/take"));
    EXPECT_EQ(ContainerKind::Avi, graph.container());
    EXPECT_EQ("/movies/take.avi", graph.outputPath());
    ASSERT_EQ(S_OK, graph.SetOutputFile("/movies/take.mp4"));
    EXPECT_EQ("/movies/take.mp4.avi", graph.outputPath());
    EXPECT_TRUE(failed(graph.SetOutputFile(std::string(5000, 'x'))));
    EXPECT_EQ(ContainerKind::None, graph.container());
    EXPECT_EQ("", graph.outputPath());
}

TEST(EncodeGraph, AnAviGraphIsBuiltInOrderWithItsNamesAndSettings) {
    FakeMovieComponents fakes;
    CEncodeGraph graph;
    startClip(graph, "/movies/take", false);
    const std::vector<std::uint8_t> picture = frame(16 * 6 * 2);
    ASSERT_EQ(S_OK, graph.EncodeFrame(picture.data(), 16 * 6));
    EXPECT_TRUE(graph.running());

    ASSERT_EQ(1u, fakes.encoders.size());
    EXPECT_EQ(CLSID_PictureEncoder, fakes.encoders[0]->classId());
    EXPECT_EQ((std::vector<std::string>{"quality 4", "option 0", "flagA 1", "flagB 1"}),
              fakes.encoders[0]->settings());
    ASSERT_EQ(1u, fakes.aviMuxes.size());
    ASSERT_EQ(1u, fakes.fileWriters.size());
    EXPECT_TRUE(fakes.qtMuxes.empty());

    // The source feeds the encoder under its name.
    ComPtr<IPin> upstream;
    ASSERT_EQ(S_OK, fakes.encoders[0]->input()->ConnectedTo(&upstream));
    PinInfo pin;
    ASSERT_EQ(S_OK, upstream->QueryPinInfo(&pin));
    // The frame source is ours: a CGenFilter, named as it joined the graph.
    EXPECT_EQ("App-Direct Video", static_cast<CBaseFilter*>(pin.filter.get())->name());
    EXPECT_EQ("Output", pin.name);

    std::vector<std::string> steps;
    for (const std::string& event : fakes.log.events()) {
        if (event.rfind("tag ", 0) != 0) steps.push_back(event);
    }
    const std::vector<std::string> expected{
        "add Tavrix Encoder", "add AVI Mux", "interleave 250000 preroll 250000", "interleave mode 2",
        "add File Writer", "file /movies/take.avi", "mode 1",
        // An input pin completes its side
        // before the output pin does.
        "connect Tavrix Encoder input", "connect AVI Mux input", "connect Tavrix Encoder output",
        "connect File Writer input", "connect AVI Mux output", "pause File Writer", "pause AVI Mux",
        "pause Tavrix Encoder", "run File Writer at 0", "run AVI Mux at 0", "run Tavrix Encoder at 0"};
    EXPECT_EQ(expected, steps);
    EXPECT_EQ(S_OK, graph.Finish());
}

TEST(EncodeGraph, AMovGraphHasNoFileWriter) {
    FakeMovieComponents fakes;
    CEncodeGraph graph;
    startClip(graph, "/movies/take.mov", true, 65535, false);
    const std::vector<std::uint8_t> picture = frame(32 * 2);
    ASSERT_EQ(S_OK, graph.EncodeFrame(picture.data(), 32));
    EXPECT_EQ(CLSID_RawBayerEncoder, fakes.encoders.at(0)->classId());
    EXPECT_TRUE(fakes.aviMuxes.empty());
    EXPECT_TRUE(fakes.fileWriters.empty());
    ASSERT_EQ(1u, fakes.qtMuxes.size());
    EXPECT_EQ("/movies/take.mov", fakes.qtMuxes[0]->path());
    EXPECT_EQ(AM_FILE_OVERWRITE, fakes.qtMuxes[0]->mode());
    EXPECT_EQ("QT Mux", fakes.qtMuxes[0]->name());
    EXPECT_EQ(S_OK, graph.Finish());
}

TEST(EncodeGraph, PictureOutputSendsTheFixedTagsThenTheUsersInOrder) {
    FakeMovieComponents fakes;
    MetadataTagList userTags;
    const float highlight = 0.75f;
    appendRecord(userTags, "HPNT", 'f', bytesOf(&highlight, 4));
    appendRecord(userTags, "TIMC", 'c', {'0', '1', ':', '0', '2'});
    CEncodeGraph graph;
    startClip(graph, "/movies/take.avi", false, 3);
    graph.setMetadataTags(&userTags);
    const std::vector<std::uint8_t> picture = frame(16 * 6 * 2);
    ASSERT_EQ(S_OK, graph.EncodeFrame(picture.data(), 16 * 6));

    const std::vector<RecordedTag> tags = fakes.encoders.at(0)->tags();
    EXPECT_EQ(
        (std::vector<std::string>{"ECRV", "PCRV", "CCRV", "COLM", "BMTX", "WBAL", "HPNT", "HPNT", "TIMC"}),
        tagNames(tags));
    ASSERT_EQ(9u, tags.size());
    EXPECT_EQ('H', tags[0].type);
    EXPECT_EQ(le32(kCurveCode), tags[0].value);
    EXPECT_EQ('H', tags[1].type);
    EXPECT_EQ(le32(1), tags[1].value);
    EXPECT_EQ(le32(kCurveCode), tags[2].value);
    EXPECT_EQ('f', tags[3].type);
    EXPECT_EQ(bytesOf(kMatrix, 48), tags[3].value);
    EXPECT_EQ('L', tags[4].type);
    EXPECT_EQ(le32(1), tags[4].value);
    EXPECT_EQ(bytesOf(kGains, 16), tags[5].value);
    EXPECT_EQ('f', tags[6].type);
    EXPECT_EQ(le32(0x3F000000), tags[6].value);  // 0.5f
    EXPECT_EQ(bytesOf(&highlight, 4), tags[7].value);
    EXPECT_EQ('c', tags[8].type);
    EXPECT_EQ((std::vector<std::uint8_t>{'0', '1', ':', '0', '2'}), tags[8].value);
    graph.Finish();
}

TEST(EncodeGraph, RawOutputAddsTheBayerFormatAndAChosenDemosaic) {
    FakeMovieComponents fakes;
    CEncodeGraph graph;
    startClip(graph, "/movies/a.avi", true, 3);
    const std::vector<std::uint8_t> picture = frame(32 * 2);
    ASSERT_EQ(S_OK, graph.EncodeFrame(picture.data(), 32));
    const std::vector<RecordedTag> tags = fakes.encoders.at(0)->tags();
    EXPECT_EQ(
        (std::vector<std::string>{"ECRV", "PCRV", "CCRV", "BFMT", "COLM", "BMTX", "WBAL", "HPNT", "DEMO"}),
        tagNames(tags));
    ASSERT_EQ(9u, tags.size());
    EXPECT_EQ('b', tags[3].type);
    EXPECT_EQ((std::vector<std::uint8_t>{0}), tags[3].value);
    EXPECT_EQ('L', tags[8].type);
    EXPECT_EQ(le32(5), tags[8].value);  // type 3 is sent as 3 + 2
    graph.Finish();

    // No demosaic chosen (65535), or a negative code: no DEMO, and an empty
    // list adds nothing after the fixed tags.
    for (const std::int32_t debayer : {65535, -1}) {
        MetadataTagList empty;
        startClip(graph, "/movies/b.avi", true, debayer);
        graph.setMetadataTags(&empty);
        ASSERT_EQ(S_OK, graph.EncodeFrame(picture.data(), 32));
        EXPECT_EQ((std::vector<std::string>{"ECRV", "PCRV", "CCRV", "BFMT", "COLM", "BMTX", "WBAL", "HPNT"}),
                  tagNames(fakes.encoders.back()->tags()));
        graph.Finish();
    }
}

TEST(EncodeGraph, TagsAndSettingsComeBeforeAnyConnection) {
    FakeMovieComponents fakes;
    CEncodeGraph graph;
    startClip(graph, "/movies/a.avi", true, 0);
    const std::vector<std::uint8_t> picture = frame(32 * 2);
    ASSERT_EQ(S_OK, graph.EncodeFrame(picture.data(), 32));
    const std::vector<std::string> events = fakes.log.events();
    const auto lastTag = std::find(events.rbegin(), events.rend(), "tag DEMO");
    const auto firstConnect = std::find_if(events.begin(), events.end(), [](const std::string& event) {
        return event.rfind("connect ", 0) == 0;
    });
    ASSERT_NE(events.rend(), lastTag);
    EXPECT_LT(std::distance(events.begin(), lastTag.base()), std::distance(events.begin(), firstConnect));
    graph.Finish();
}

TEST(EncodeGraph, EncodersWithoutTheOptionalInterfacesStillEncode) {
    FakeMovieOptions options;
    options.encoderOffersSettings = false;
    options.encoderOffersMetadata = false;
    options.aviMuxOffersInterleaving = false;
    FakeMovieComponents fakes(options);
    CEncodeGraph graph;
    startClip(graph, "/movies/a.avi", true);
    const std::vector<std::uint8_t> picture = frame(32 * 2);
    ASSERT_EQ(S_OK, graph.EncodeFrame(picture.data(), 32));
    EXPECT_TRUE(fakes.encoders.at(0)->settings().empty());
    EXPECT_TRUE(fakes.encoders.at(0)->tags().empty());
    EXPECT_TRUE(fakes.log.eventsStartingWith("interleave").empty());
    EXPECT_EQ(S_OK, graph.Finish());
}

TEST(EncodeGraph, AMissingComponentFailsTheFirstFrame) {
    FakeMovieOptions noEncoder;
    noEncoder.registerEncoders = false;
    {
        FakeMovieComponents fakes(noEncoder);
        CEncodeGraph graph;
        startClip(graph, "/movies/a.avi", true);
        const std::vector<std::uint8_t> picture = frame(32 * 2);
        EXPECT_EQ(REGDB_E_CLASSNOTREG, graph.EncodeFrame(picture.data(), 32));
        EXPECT_FALSE(fakes.madeAnything());
        EXPECT_FALSE(graph.running());
        EXPECT_EQ(S_OK, graph.Finish());
    }
    FakeMovieOptions noWriter;
    noWriter.registerFileWriter = false;
    FakeMovieComponents fakes(noWriter);
    CEncodeGraph graph;
    startClip(graph, "/movies/a.avi", true);
    const std::vector<std::uint8_t> picture = frame(32 * 2);
    EXPECT_EQ(REGDB_E_CLASSNOTREG, graph.EncodeFrame(picture.data(), 32));
    EXPECT_TRUE(fakes.log.eventsStartingWith("connect").empty());
    graph.Finish();
}

TEST(EncodeGraph, AFileThatCannotBeNamedFailsTheFirstFrame) {
    FakeMovieOptions options;
    options.setFileNameResult = hresultFromErrno(EACCES);
    FakeMovieComponents fakes(options);
    CEncodeGraph graph;
    startClip(graph, "/movies/a.avi", true);
    const std::vector<std::uint8_t> picture = frame(32 * 2);
    EXPECT_EQ(hresultFromErrno(EACCES), graph.EncodeFrame(picture.data(), 32));
    EXPECT_EQ(1u, fakes.log.eventsStartingWith("mode ").size());
    EXPECT_TRUE(fakes.log.eventsStartingWith("connect").empty());
    graph.Finish();
}

TEST(EncodeGraph, FinishWithoutFramesMakesNothing) {
    FakeMovieComponents fakes;
    CEncodeGraph graph;
    startClip(graph, "/movies/a.avi", true);
    EXPECT_EQ(S_OK, graph.Finish());
    EXPECT_FALSE(fakes.madeAnything());
    EXPECT_EQ(S_OK, graph.Finish());
}

// The encoder works on its own thread and takes its time: Finish must
// return only once every frame and the end-of-stream reached the file writer.
TEST(EncodeGraph, FinishReturnsOnceEveryFrameReachedTheFile) {
    FakeMovieOptions options;
    options.encoderDelayMilliseconds = 2;
    FakeMovieComponents fakes(options);
    CEncodeGraph graph;
    startClip(graph, "/movies/a.avi", true);
    constexpr int kFrames = 12;
    for (int index = 0; index < kFrames; ++index) {
        const std::vector<std::uint8_t> picture = frame(32 * 2, index);
        ASSERT_EQ(S_OK, graph.EncodeFrame(picture.data(), 32));
    }
    ASSERT_EQ(S_OK, graph.Finish());
    EXPECT_FALSE(graph.running());
    const auto& writer = fakes.fileWriters.at(0);
    EXPECT_EQ(kFrames, writer->receivedAtStop());
    EXPECT_TRUE(writer->endOfStreamAtStop());
    // The fake multiplexer passes the encoder's packets on: times from 0.
    const std::vector<media_fakes::FakeSink::Received> received = writer->received();
    ASSERT_EQ(static_cast<std::size_t>(kFrames), received.size());
    for (int index = 0; index < kFrames; ++index) {
        const media_fakes::FakePacket packet =
            media_fakes::readFakePacket(received[static_cast<std::size_t>(index)].bytes);
        EXPECT_EQ(index * 400000, packet.start);
    }
    EXPECT_EQ((std::vector<std::string>{"stop Tavrix Encoder", "stop AVI Mux", "stop File Writer"}),
              fakes.log.eventsStartingWith("stop "));
}

TEST(EncodeGraph, AFailureWhileFinishingTheFileComesBackFromFinish) {
    FakeMovieOptions options;
    options.multiplexerStopResult = hresultFromErrno(ENOSPC);
    FakeMovieComponents fakes(options);
    CEncodeGraph graph;
    startClip(graph, "/movies/a.mov", true);
    const std::vector<std::uint8_t> picture = frame(32 * 2);
    ASSERT_EQ(S_OK, graph.EncodeFrame(picture.data(), 32));
    const HRESULT finished = graph.Finish();
    EXPECT_EQ(hresultFromErrno(ENOSPC), finished);
    EXPECT_EQ(ENOSPC, errnoFromHresult(finished));
}

TEST(EncodeGraph, EveryClipGetsANewGraphAndTimesFromZero) {
    FakeMovieComponents fakes;
    CEncodeGraph graph;
    const std::vector<std::uint8_t> picture = frame(32 * 2);
    for (int clip = 0; clip < 2; ++clip) {
        startClip(graph, "/movies/clip" + std::to_string(clip) + ".avi", true);
        for (int index = 0; index < 3; ++index) ASSERT_EQ(S_OK, graph.EncodeFrame(picture.data(), 32));
        ASSERT_EQ(S_OK, graph.Finish());
    }
    ASSERT_EQ(2u, fakes.fileWriters.size());
    for (const auto& writer : fakes.fileWriters) {
        const std::vector<media_fakes::FakeSink::Received> received = writer->received();
        ASSERT_EQ(3u, received.size());
        EXPECT_EQ(0, media_fakes::readFakePacket(received[0].bytes).start);
        EXPECT_EQ(800000, media_fakes::readFakePacket(received[2].bytes).start);
    }
    EXPECT_EQ(2u, fakes.log.eventsStartingWith("add Tavrix Encoder").size());
    EXPECT_EQ((std::vector<std::string>{"file /movies/clip0.avi", "file /movies/clip1.avi"}),
              fakes.log.eventsStartingWith("file "));
}

TEST(EncodeGraph, FramesNeedASourceWithAUsableRate) {
    FakeMovieComponents fakes;
    CEncodeGraph graph;
    const std::vector<std::uint8_t> picture = frame(32 * 2);
    ASSERT_EQ(S_OK, graph.SetOutputFile("/movies/a.avi"));
    EXPECT_EQ(E_FAIL, graph.EncodeFrame(picture.data(), 32));
    EXPECT_EQ(E_INVALIDARG, graph.CreateVideoSource(16, 2, 1, 0, false, true, 0, 65535));
    EXPECT_EQ(E_FAIL, graph.EncodeFrame(picture.data(), 32));
    EXPECT_FALSE(fakes.madeAnything());
    EXPECT_EQ(S_OK, graph.Finish());
}
