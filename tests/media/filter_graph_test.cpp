#include "media/filter_graph.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <vector>

#include "media/component_registry.h"
#include "media/known_ids.h"
#include "media/video_info.h"
#include "support/media_fakes/event_log.h"
#include "support/media_fakes/fake_filters.h"

using media_fakes::EventLog;
using media_fakes::FakePacket;
using media_fakes::FakePushSource;
using media_fakes::FakeSink;
using media_fakes::FakeTransform;

namespace {

MediaType rawType() {
    MediaType type;
    type.majorType = MEDIATYPE_Video;
    type.subtype = fourccGuid(makeFourCC("TEST"));
    type.formatType = FORMAT_VideoInfo;
    type.format = makeVideoInfo(VideoInfoHeader{});
    return type;
}

// Counts its own destruction, to see what releasing a graph lets go.
class CountedSink final : public FakeSink {
public:
    explicit CountedSink(int* destroyed) : FakeSink(Options{}, nullptr, "counted"), destroyed_(destroyed) {}
    ~CountedSink() override { ++*destroyed_; }

private:
    int* destroyed_;
};

// source -> transform -> sink, connected in a new graph.
struct Chain {
    EventLog log;
    ComPtr<IGraphBuilder> graph;
    ComPtr<IMediaControl> control;
    ComPtr<FakePushSource> source;
    ComPtr<FakeTransform> transform;
    ComPtr<FakeSink> sink;

    explicit Chain(FakeTransform::Options transformOptions = {}, FakeSink::Options sinkOptions = {},
                   AllocatorProperties sourceBuffers = {2, 256, 0, 0}) {
        EXPECT_EQ(S_OK, createInstance(CLSID_FilterGraph, &graph));
        control = graph.as<IMediaControl>();
        source = makeComObject<FakePushSource>(FakePushSource::Options{{{rawType()}, nullptr}, sourceBuffers},
                                               &log, "source");
        transformOptions.outputType = rawType();
        transform = makeComObject<FakeTransform>(std::move(transformOptions), &log, "transform");
        sink = makeComObject<FakeSink>(std::move(sinkOptions), &log, "sink");
        // Added downstream first, so the graph's order cannot come from the
        // order of adding.
        EXPECT_EQ(S_OK, graph->AddFilter(sink.get(), "sink"));
        EXPECT_EQ(S_OK, graph->AddFilter(transform.get(), "transform"));
        EXPECT_EQ(S_OK, graph->AddFilter(source.get(), "source"));
        EXPECT_EQ(S_OK, graph->Connect(source->output(), transform->input()));
        EXPECT_EQ(S_OK, graph->Connect(transform->output(), sink->input()));
    }
};

std::vector<std::uint8_t> pattern(int index) {
    std::vector<std::uint8_t> bytes(200);
    for (std::size_t at = 0; at < bytes.size(); ++at) bytes[at] = static_cast<std::uint8_t>(index * 7 + at);
    return bytes;
}

}  // namespace

TEST(FilterGraph, FiltersJoinUnderUniqueNames) {
    ComPtr<IGraphBuilder> graph;
    ASSERT_EQ(S_OK, createInstance(CLSID_FilterGraph, &graph));
    ComPtr<FakeSink> first = makeComObject<FakeSink>(FakeSink::Options{}, nullptr, "a");
    ComPtr<FakeSink> second = makeComObject<FakeSink>(FakeSink::Options{}, nullptr, "b");
    ComPtr<FakeSink> third = makeComObject<FakeSink>(FakeSink::Options{}, nullptr, "c");
    EXPECT_EQ(S_OK, graph->AddFilter(first.get(), "File Writer"));
    EXPECT_EQ(VFW_S_DUPLICATE_NAME, graph->AddFilter(second.get(), "File Writer"));
    EXPECT_EQ(VFW_S_DUPLICATE_NAME, graph->AddFilter(third.get(), "File Writer"));
    EXPECT_EQ(E_INVALIDARG, graph->AddFilter(first.get(), "again"));
    EXPECT_EQ("File Writer 0001", second->name());
    EXPECT_EQ("File Writer 0002", third->name());

    EXPECT_EQ("File Writer", first->name());

    ComPtr<IBaseFilter> found;
    ASSERT_EQ(S_OK, graph->EnumFilters(1, &found));
    EXPECT_EQ(static_cast<IBaseFilter*>(second.get()), found.get());
    ASSERT_EQ(S_OK, graph->EnumFilters(2, &found));
    EXPECT_EQ(static_cast<IBaseFilter*>(third.get()), found.get());
    EXPECT_EQ(S_FALSE, graph->EnumFilters(3, &found));
}

TEST(FilterGraph, ReleasingTheGraphLetsConnectedFiltersGo) {
    int destroyed = 0;
    {
        ComPtr<IGraphBuilder> graph;
        ASSERT_EQ(S_OK, createInstance(CLSID_FilterGraph, &graph));
        ComPtr<FakePushSource> source =
            makeComObject<FakePushSource>(FakePushSource::Options{{{rawType()}, nullptr}, {2, 64, 0, 0}});
        ComPtr<CountedSink> sink = makeComObject<CountedSink>(&destroyed);
        ASSERT_EQ(S_OK, graph->AddFilter(source.get(), "source"));
        ASSERT_EQ(S_OK, graph->AddFilter(sink.get(), "sink"));
        ASSERT_EQ(S_OK, graph->Connect(source->output(), sink->input()));
        ASSERT_EQ(S_OK, graph.as<IMediaControl>()->Run());
        sink.reset();
        EXPECT_EQ(0, destroyed);
        graph.reset();
        // Stopped, disconnected and let go; the source is only ours now.
        EXPECT_EQ(1, destroyed);
        EXPECT_TRUE(source->isStopped());
        EXPECT_FALSE(source->output()->isConnected());
        EXPECT_EQ("", source->name()) << "a filter out of a graph has no name there";
    }
}

TEST(FilterGraph, ConnectJoinsTwoPinsOfTheGraphDirectlyOrReportsTheRefusal) {
    EventLog log;
    ComPtr<IGraphBuilder> graph;
    ASSERT_EQ(S_OK, createInstance(CLSID_FilterGraph, &graph));
    ComPtr<FakePushSource> source =
        makeComObject<FakePushSource>(FakePushSource::Options{{{rawType()}, nullptr}, {2, 64, 0, 0}});
    FakeSink::Options picky;
    picky.inputTypes.accepts = [](const MediaType&) { return false; };
    ComPtr<FakeSink> sink = makeComObject<FakeSink>(picky, nullptr, "sink");
    ComPtr<FakeSink> outsider = makeComObject<FakeSink>(FakeSink::Options{}, nullptr, "outsider");
    ASSERT_EQ(S_OK, graph->AddFilter(source.get(), "source"));
    ASSERT_EQ(S_OK, graph->AddFilter(sink.get(), "sink"));
    EXPECT_EQ(VFW_E_NO_ACCEPTABLE_TYPES, graph->Connect(source->output(), sink->input()));
    EXPECT_EQ(VFW_E_NOT_IN_GRAPH, graph->Connect(source->output(), outsider->input()));
    EXPECT_EQ(VFW_E_INVALID_DIRECTION, graph->Connect(sink->input(), source->output()));
    EXPECT_EQ(E_POINTER, graph->Connect(source->output(), nullptr));
}

TEST(FilterGraph, RunGoesThroughPausedDownstreamFirstFromTimeZero) {
    Chain chain;
    ASSERT_EQ(S_OK, chain.control->Run());
    EXPECT_EQ(FilterState::Running, chain.source->state());
    EXPECT_EQ(FilterState::Running, chain.transform->state());
    EXPECT_EQ(FilterState::Running, chain.sink->state());

    const std::vector<std::string> expected{"pause sink",    "pause transform",    "pause source",
                                            "run sink at 0", "run transform at 0", "run source at 0"};
    std::vector<std::string> states = chain.log.eventsStartingWith("pause ");
    const std::vector<std::string> runs = chain.log.eventsStartingWith("run ");
    states.insert(states.end(), runs.begin(), runs.end());
    EXPECT_EQ(expected, states);
    // Every pause came before the first run.
    const std::vector<std::string> all = chain.log.events();
    const auto firstRun = std::find(all.begin(), all.end(), "run sink at 0");
    EXPECT_EQ(0, std::count_if(firstRun, all.end(),
                               [](const std::string& event) { return event.rfind("pause ", 0) == 0; }));
    chain.control->Stop();
}

TEST(FilterGraph, StopGoesUpstreamFirstAndSamplesAreRefusedAfterwards) {
    Chain chain;
    ASSERT_EQ(S_OK, chain.control->Run());
    ASSERT_EQ(S_OK, chain.control->Stop());
    const std::vector<std::string> expected{"stop source", "stop transform", "stop sink"};
    EXPECT_EQ(expected, chain.log.eventsStartingWith("stop "));
    EXPECT_TRUE(chain.sink->isStopped());
    EXPECT_EQ(VFW_E_NOT_COMMITTED, chain.source->deliver(pattern(0), 0, 1));
}

TEST(FilterGraph, SamplesAndTheEndOfStreamPassThrough) {
    Chain chain;
    ASSERT_EQ(S_OK, chain.control->Run());
    ASSERT_EQ(S_OK, chain.source->deliver(pattern(1), 100, 200));
    ASSERT_EQ(S_OK, chain.source->deliverEndOfStream());
    EXPECT_TRUE(chain.sink->endOfStreamReceived());
    ASSERT_EQ(1, chain.sink->receivedCount());
    const FakeSink::Received received = chain.sink->received()[0];
    EXPECT_EQ(S_OK, received.timeResult);
    EXPECT_EQ(100, received.start);
    EXPECT_EQ(200, received.stop);
    const FakePacket packet = media_fakes::readFakePacket(received.bytes);
    const std::vector<std::uint8_t> sent = pattern(1);
    EXPECT_EQ(200, packet.length);
    EXPECT_EQ(media_fakes::fnv1a(sent.data(), sent.size()), packet.checksum);
    EXPECT_TRUE(packet.syncPoint);
    ASSERT_EQ(S_OK, chain.control->Stop());
}

TEST(FilterGraph, AStoppedReceiverRefusesSamples) {
    Chain chain;
    ASSERT_EQ(S_OK, chain.control->Run());
    ComPtr<IMediaSample> sample;
    ASSERT_EQ(S_OK, chain.source->output()->GetDeliveryBuffer(&sample, nullptr, nullptr, 0));
    ASSERT_EQ(S_OK, chain.transform->Stop());
    EXPECT_EQ(VFW_E_WRONG_STATE, chain.transform->input()->Receive(sample.get()));
    EXPECT_EQ(VFW_E_WRONG_STATE, chain.source->deliverEndOfStream());
    sample.reset();
    // Its input pin's stop also decommitted the allocator the source uses.
    EXPECT_EQ(VFW_E_NOT_COMMITTED, chain.source->deliver(pattern(2), 0, 1));
    chain.control->Stop();
}

// The transform works on its own thread, slower than the source sends; the
// sink takes its time too. Stop must still return only once everything has
// arrived.
TEST(FilterGraph, StopReturnsOnceEverySampleAndTheEndOfStreamHaveArrived) {
    FakeTransform::Options slow;
    slow.threaded = true;
    slow.delayMilliseconds = 3;
    FakeSink::Options sinkOptions;
    sinkOptions.delayMilliseconds = 1;
    Chain chain(slow, sinkOptions);
    ASSERT_EQ(S_OK, chain.control->Run());
    constexpr int kSamples = 20;
    for (int index = 0; index < kSamples; ++index) {
        ASSERT_EQ(S_OK, chain.source->deliver(pattern(index), index * 10, index * 10 + 10));
    }
    ASSERT_EQ(S_OK, chain.source->deliverEndOfStream());
    ASSERT_EQ(S_OK, chain.control->Stop());

    EXPECT_EQ(kSamples, chain.sink->receivedAtStop());
    EXPECT_TRUE(chain.sink->endOfStreamAtStop());
    const std::vector<FakeSink::Received> received = chain.sink->received();
    ASSERT_EQ(static_cast<std::size_t>(kSamples), received.size());
    for (int index = 0; index < kSamples; ++index) {
        const FakePacket packet =
            media_fakes::readFakePacket(received[static_cast<std::size_t>(index)].bytes);
        const std::vector<std::uint8_t> sent = pattern(index);
        EXPECT_EQ(index * 10, packet.start);
        EXPECT_EQ(index * 10 + 10, packet.stop);
        EXPECT_EQ(media_fakes::fnv1a(sent.data(), sent.size()), packet.checksum);
    }
}

TEST(FilterGraph, StopReportsTheFirstFailureAndStillStopsEveryFilter) {
    FakeSink::Options failingSink;
    failingSink.stopResult = hresultFromErrno(ENOSPC);
    {
        Chain chain({}, failingSink);
        ASSERT_EQ(S_OK, chain.control->Run());
        EXPECT_EQ(hresultFromErrno(ENOSPC), chain.control->Stop());
        EXPECT_TRUE(chain.source->isStopped());
        EXPECT_TRUE(chain.transform->isStopped());
        EXPECT_TRUE(chain.sink->isStopped());
    }
    FakeTransform::Options failingTransform;
    failingTransform.stopResult = E_UNEXPECTED;
    Chain chain(failingTransform, failingSink);
    ASSERT_EQ(S_OK, chain.control->Run());
    // The transform stops before the sink: its failure is the first.
    EXPECT_EQ(E_UNEXPECTED, chain.control->Stop());
    EXPECT_TRUE(chain.sink->isStopped());
}

TEST(FilterGraph, ARefusedPauseLeavesTheGraphStopped) {
    // No buffers: the source's allocator cannot be committed.
    Chain chain({}, {}, {0, 256, 0, 0});
    EXPECT_EQ(VFW_E_SIZENOTSET, chain.control->Run());
    EXPECT_TRUE(chain.source->isStopped());
    EXPECT_TRUE(chain.sink->isStopped());
    EXPECT_TRUE(chain.transform->isStopped());
}
