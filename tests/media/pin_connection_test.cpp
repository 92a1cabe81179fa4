#include <gtest/gtest.h>

#include <cstdint>

#include "media/known_ids.h"
#include "media/video_info.h"
#include "support/media_fakes/fake_filters.h"

using media_fakes::FakePushSource;
using media_fakes::FakeSink;
using media_fakes::PinTypes;

namespace {

MediaType videoType(const char (&fourcc)[5]) {
    MediaType type;
    type.majorType = MEDIATYPE_Video;
    type.subtype =
        fourccGuid(static_cast<std::uint32_t>(fourcc[0]) | static_cast<std::uint32_t>(fourcc[1]) << 8 |
                   static_cast<std::uint32_t>(fourcc[2]) << 16 | static_cast<std::uint32_t>(fourcc[3]) << 24);
    type.formatType = FORMAT_VideoInfo;
    type.format = makeVideoInfo(VideoInfoHeader{});
    return type;
}

std::function<bool(const MediaType&)> acceptsSubtypes(std::vector<MediaType> types) {
    return [types](const MediaType& type) {
        for (const MediaType& accepted : types) {
            if (accepted.subtype == type.subtype) return true;
        }
        return false;
    };
}

ComPtr<FakePushSource> makeSource(PinTypes types, AllocatorProperties buffers = {2, 64, 0, 0}) {
    return makeComObject<FakePushSource>(FakePushSource::Options{std::move(types), buffers});
}

ComPtr<FakeSink> makeSink(PinTypes types) {
    FakeSink::Options options;
    options.inputTypes = std::move(types);
    return makeComObject<FakeSink>(options, nullptr, "sink");
}

// Pins connected without a graph hold each other's filters: break it.
void disconnectBoth(FakePushSource* source, FakeSink* sink) {
    source->output()->Disconnect();
    sink->input()->Disconnect();
}

}  // namespace

TEST(PinConnection, NoCommonTypeIsRefused) {
    const MediaType a = videoType("AAAA");
    const MediaType b = videoType("BBBB");
    ComPtr<FakePushSource> source = makeSource({{a}, nullptr});
    ComPtr<FakeSink> sink = makeSink({{}, acceptsSubtypes({b})});
    EXPECT_EQ(VFW_E_NO_ACCEPTABLE_TYPES, source->output()->Connect(sink->input(), nullptr));
    EXPECT_FALSE(source->output()->isConnected());
    EXPECT_FALSE(sink->input()->isConnected());
    ComPtr<IPin> peer;
    EXPECT_EQ(VFW_E_NOT_CONNECTED, source->output()->ConnectedTo(&peer));
    EXPECT_EQ(MediaType{}, sink->input()->connectionType());
}

TEST(PinConnection, TheReceivingPinsTypesAreTriedFirst) {
    const MediaType a = videoType("AAAA");
    const MediaType b = videoType("BBBB");
    ComPtr<FakePushSource> source = makeSource({{a}, nullptr});
    ComPtr<FakeSink> sink = makeSink({{b, a}, nullptr});
    ASSERT_EQ(S_OK, source->output()->Connect(sink->input(), nullptr));
    EXPECT_EQ(b, source->output()->connectionType());
    EXPECT_EQ(b, sink->input()->connectionType());
    ComPtr<IPin> peer;
    ASSERT_EQ(S_OK, sink->input()->ConnectedTo(&peer));
    EXPECT_EQ(static_cast<IPin*>(source->output()), peer.get());
    disconnectBoth(source.get(), sink.get());
}

TEST(PinConnection, TheOutputPinsTypesServeAReceiverWithoutAny) {
    const MediaType a = videoType("AAAA");
    const MediaType b = videoType("BBBB");
    ComPtr<FakePushSource> source = makeSource({{a, b}, nullptr});
    ComPtr<FakeSink> sink = makeSink({{}, acceptsSubtypes({b})});
    ASSERT_EQ(S_OK, source->output()->Connect(sink->input(), nullptr));
    EXPECT_EQ(b, sink->input()->connectionType());
    disconnectBoth(source.get(), sink.get());
}

TEST(PinConnection, AFullTypeIsTheOnlyOneTried) {
    const MediaType a = videoType("AAAA");
    const MediaType b = videoType("BBBB");
    ComPtr<FakePushSource> source = makeSource({{a}, nullptr});
    ComPtr<FakeSink> sink = makeSink({{a}, nullptr});
    ASSERT_EQ(S_OK, source->output()->Connect(sink->input(), &b));
    EXPECT_EQ(b, sink->input()->connectionType());
    disconnectBoth(source.get(), sink.get());

    ComPtr<FakeSink> picky = makeSink({{}, acceptsSubtypes({a})});
    EXPECT_EQ(VFW_E_TYPE_NOT_ACCEPTED, source->output()->Connect(picky->input(), &b));
    EXPECT_FALSE(picky->input()->isConnected());
}

TEST(PinConnection, APinConnectsOnceAndOnlyWhileStopped) {
    const MediaType a = videoType("AAAA");
    ComPtr<FakePushSource> source = makeSource({{a}, nullptr});
    ComPtr<FakeSink> sink = makeSink({{}, nullptr});
    ComPtr<FakeSink> other = makeSink({{}, nullptr});
    ASSERT_EQ(S_OK, source->output()->Connect(sink->input(), nullptr));
    EXPECT_EQ(VFW_E_ALREADY_CONNECTED, source->output()->Connect(other->input(), nullptr));

    ASSERT_EQ(S_OK, sink->Pause());
    EXPECT_EQ(VFW_E_NOT_STOPPED, sink->input()->Disconnect());
    ASSERT_EQ(S_OK, sink->Stop());
    disconnectBoth(source.get(), sink.get());
    EXPECT_EQ(S_FALSE, source->output()->Disconnect());

    ASSERT_EQ(S_OK, other->Pause());
    EXPECT_EQ(VFW_E_NOT_STOPPED, source->output()->Connect(other->input(), nullptr));
    other->Stop();
}

TEST(PinConnection, PinsFacingTheSameWayDoNotConnect) {
    const MediaType a = videoType("AAAA");
    ComPtr<FakePushSource> first = makeSource({{a}, nullptr});
    ComPtr<FakePushSource> second = makeSource({{a}, nullptr});
    EXPECT_EQ(VFW_E_INVALID_DIRECTION, first->output()->Connect(second->output(), nullptr));
}

TEST(PinConnection, TheInputPinsAllocatorIsUsedWithItsRequirements) {
    const MediaType a = videoType("AAAA");
    ComPtr<FakePushSource> source = makeSource({{a}, nullptr}, {3, 1000, 0, 0});
    ComPtr<FakeSink> sink = makeSink({{}, nullptr});
    sink->input()->requireAllocator({0, 0, 128, 32});
    ASSERT_EQ(S_OK, source->output()->Connect(sink->input(), nullptr));

    ComPtr<IMemAllocator> offered;
    ASSERT_EQ(S_OK, sink->input()->GetAllocator(&offered));
    EXPECT_EQ(offered.get(), source->output()->allocator());
    const AllocatorProperties asked = source->output()->lastRequest();
    EXPECT_EQ(3, asked.buffers);
    EXPECT_EQ(1000, asked.bufferBytes);
    EXPECT_EQ(128, asked.alignment);
    EXPECT_EQ(32, asked.prefixBytes);

    ASSERT_EQ(S_OK, sink->Pause());
    ASSERT_EQ(S_OK, source->Pause());
    ComPtr<IMediaSample> sample;
    ASSERT_EQ(S_OK, source->output()->GetDeliveryBuffer(&sample, nullptr, nullptr, 0));
    std::uint8_t* data = nullptr;
    sample->GetPointer(&data);
    EXPECT_EQ(0u, reinterpret_cast<std::uintptr_t>(data) % 128);
    sample.reset();
    source->Stop();
    sink->Stop();
    disconnectBoth(source.get(), sink.get());
}

TEST(PinConnection, AnAllocatorFailureThatSaysMoreIsReported) {
    const MediaType a = videoType("AAAA");
    ComPtr<FakePushSource> source = makeSource({{a}, nullptr});
    ComPtr<FakeSink> sink = makeSink({{}, nullptr});
    // An alignment of 3 is no power of two: both allocators refuse it.
    sink->input()->requireAllocator({0, 0, 3, 0});
    EXPECT_EQ(VFW_E_BADALIGN, source->output()->Connect(sink->input(), nullptr));
    EXPECT_FALSE(source->output()->isConnected());
    EXPECT_FALSE(sink->input()->isConnected());
}
