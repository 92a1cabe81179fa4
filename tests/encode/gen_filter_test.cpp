#include "encode/gen_filter.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

#include "media/component_registry.h"
#include "media/graph_interfaces.h"
#include "media/known_ids.h"
#include "media/video_info.h"
#include "support/media_fakes/fake_filters.h"

using media_fakes::FakeSink;

namespace {

FrameFormat frameFormat(std::int32_t width, std::int32_t height, bool rgb444, bool raw, float rate = 25.0f) {
    FrameFormat format;
    format.width = width;
    format.height = height;
    format.rgb444 = rgb444;
    format.raw = raw;
    format.frameRate = rate;
    return format;
}

// The frame source connected straight to a recording sink in a graph.
struct SourceToSink {
    ComPtr<IGraphBuilder> graph;
    ComPtr<IMediaControl> control;
    ComPtr<CGenFilter> source = makeComObject<CGenFilter>();
    ComPtr<FakeSink> sink;

    SourceToSink(const FrameFormat& format, std::int64_t frameDuration, FakeSink::Options sinkOptions = {},
                 const MediaType* type = nullptr) {
        sink = makeComObject<FakeSink>(std::move(sinkOptions), nullptr, "sink");
        EXPECT_EQ(S_OK, createInstance(CLSID_FilterGraph, &graph));
        control = graph.as<IMediaControl>();
        source->setFormat(format, frameDuration);
        EXPECT_EQ(S_OK, graph->AddFilter(source.get(), "App-Direct Video"));
        EXPECT_EQ(S_OK, graph->AddFilter(sink.get(), "sink"));
        EXPECT_EQ(S_OK, graph->ConnectDirect(source->GetPin(0), sink->input(), type));
    }
    ~SourceToSink() { control->Stop(); }
};

// A frame of exactly pitch × height bytes, so that any read past its end is
// caught by the address sanitizer build.
std::vector<std::uint8_t> frameBytes(std::size_t pitch, std::size_t height) {
    std::vector<std::uint8_t> frame(pitch * height);
    for (std::size_t index = 0; index < frame.size(); ++index) {
        frame[index] = static_cast<std::uint8_t>(index * 31 + index / 251);
    }
    return frame;
}

// An allocator that grants a chosen shortfall or refuses outright.
class GrantingAllocator final : public CUnknown, public IMemAllocator {
public:
    GrantingAllocator(std::int32_t shortBy, HRESULT result) : shortBy_(shortBy), result_(result) {}
    HRESULT SetProperties(const AllocatorProperties& request, AllocatorProperties* actual) override {
        asked = request;
        if (failed(result_)) return result_;
        *actual = request;
        actual->bufferBytes -= shortBy_;
        return S_OK;
    }
    HRESULT GetProperties(AllocatorProperties*) override { return E_NOTIMPL; }
    HRESULT Commit() override { return E_NOTIMPL; }
    HRESULT Decommit() override { return E_NOTIMPL; }
    HRESULT GetBuffer(ComPtr<IMediaSample>*, const std::int64_t*, const std::int64_t*,
                      std::uint32_t) override {
        return E_NOTIMPL;
    }
    HRESULT ReleaseBuffer(IMediaSample*) override { return E_NOTIMPL; }

    AllocatorProperties asked;

private:
    std::int32_t shortBy_;
    HRESULT result_;
};

}  // namespace

TEST(GenFilter, HasOneOutputPinMadeOnFirstRequest) {
    ComPtr<CGenFilter> source = makeComObject<CGenFilter>();
    EXPECT_EQ(1, source->GetPinCount());
    EXPECT_EQ(nullptr, source->GetPin(1));
    EXPECT_EQ(nullptr, source->GetPin(-1));
    CBasePin* pin = source->GetPin(0);
    ASSERT_NE(nullptr, pin);
    EXPECT_EQ(pin, source->GetPin(0));
    EXPECT_EQ("Output", pin->name());
    PinDirection direction = PinDirection::Input;
    EXPECT_EQ(S_OK, pin->QueryDirection(&direction));
    EXPECT_EQ(PinDirection::Output, direction);
    Guid clsid = CLSID_AviDest;
    EXPECT_EQ(S_OK, source->GetClassID(&clsid));
    EXPECT_EQ(GUID_NULL, clsid);
}

TEST(GenFilter, OffersOneTypeOnceItsSizeIsKnown) {
    ComPtr<CGenFilter> source = makeComObject<CGenFilter>();
    CBasePin* pin = source->GetPin(0);
    MediaType type;
    EXPECT_EQ(E_FAIL, pin->GetMediaType(0, &type));
    source->setFormat(frameFormat(1920, 1080, false, true), 400000);
    EXPECT_EQ(E_INVALIDARG, pin->GetMediaType(-1, &type));
    EXPECT_EQ(VFW_S_NO_MORE_ITEMS, pin->GetMediaType(1, &type));
    ASSERT_EQ(S_OK, pin->GetMediaType(0, &type));
    EXPECT_EQ(fourccGuid(makeFourCC("BYR4")), type.subtype);
    EXPECT_EQ(S_OK, pin->EnumMediaTypes(0, &type));
    EXPECT_EQ(S_FALSE, pin->EnumMediaTypes(1, &type));
}

TEST(GenFilter, AcceptsAnyVideoInfoTypeWhateverItsSubtype) {
    ComPtr<CGenFilter> source = makeComObject<CGenFilter>();
    CBasePin* pin = source->GetPin(0);
    MediaType type;
    type.majorType = MEDIATYPE_Video;
    type.subtype = fourccGuid(makeFourCC("UYVY"));
    type.formatType = FORMAT_VideoInfo;
    type.format = makeVideoInfo(VideoInfoHeader{});
    EXPECT_EQ(S_OK, pin->CheckMediaType(type));
    type.formatType = FORMAT_VideoInfo2;
    type.format.assign(kVideoInfoHeader2Bytes, 0);
    EXPECT_EQ(S_OK, pin->CheckMediaType(type));
    type.formatType = FORMAT_None;
    EXPECT_EQ(S_FALSE, pin->CheckMediaType(type));
    type.formatType = FORMAT_VideoInfo;
    type.majorType = MEDIATYPE_Stream;
    EXPECT_EQ(S_FALSE, pin->CheckMediaType(type));
    // A block too short for its header leaves no buffer size to read.
    type.majorType = MEDIATYPE_Video;
    type.format.resize(60);
    EXPECT_EQ(S_FALSE, pin->CheckMediaType(type));
}

TEST(GenFilter, QualityMessagesAreAcknowledged) {
    ComPtr<CGenFilter> source = makeComObject<CGenFilter>();
    ComPtr<IQualityControl> quality;
    ASSERT_EQ(S_OK, queryInterface(source->GetPin(0), &quality));
    EXPECT_EQ(S_OK, quality->Notify(source.get(), Quality{}));
}

TEST(GenFilter, AsksForTwoBuffersOfTheImageSize) {
    ComPtr<CGenFilter> source = makeComObject<CGenFilter>();
    source->setFormat(frameFormat(1920, 1080, true, false), 400000);
    CBasePin* pin = source->GetPin(0);
    MediaType type;
    ASSERT_EQ(S_OK, pin->GetMediaType(0, &type));
    ASSERT_EQ(S_OK, pin->SetMediaType(type));
    auto* output = static_cast<CGenOutput*>(pin);

    ComPtr<GrantingAllocator> enough = makeComObject<GrantingAllocator>(0, S_OK);
    AllocatorProperties request{0, 0, 16, 8};
    EXPECT_EQ(S_OK, output->DecideBufferSize(enough.get(), &request));
    EXPECT_EQ(2, enough->asked.buffers);
    EXPECT_EQ(12441600, enough->asked.bufferBytes);
    EXPECT_EQ(16, enough->asked.alignment);
    EXPECT_EQ(8, enough->asked.prefixBytes);

    ComPtr<GrantingAllocator> tooSmall = makeComObject<GrantingAllocator>(1, S_OK);
    EXPECT_EQ(E_FAIL, output->DecideBufferSize(tooSmall.get(), &request));
    ComPtr<GrantingAllocator> refusing = makeComObject<GrantingAllocator>(0, VFW_E_BADALIGN);
    EXPECT_EQ(VFW_E_BADALIGN, output->DecideBufferSize(refusing.get(), &request));
}

TEST(GenFilter, AVideoInfo2ConnectionTakesTheBufferSizeFromItsOwnHeader) {
    MediaType type;
    type.majorType = MEDIATYPE_Video;
    type.subtype = fourccGuid(makeFourCC("BYR4"));
    type.formatType = FORMAT_VideoInfo2;
    type.format.assign(kVideoInfoHeader2Bytes, 0);
    BitmapInfoHeader bitmap;
    bitmap.width = 16;
    bitmap.height = 2;
    bitmap.bitCount = 16;
    bitmap.sizeImage = 1000;
    writeBitmapInfoHeader(type.format, kVideoInfo2BitmapOffset, bitmap);
    SourceToSink chain(frameFormat(16, 2, false, true), 400000, {}, &type);
    AllocatorProperties properties;
    ASSERT_NE(nullptr, chain.source->GetPin(0));
    ComPtr<IMemAllocator> allocator;
    ASSERT_EQ(S_OK, chain.sink->input()->GetAllocator(&allocator));
    ASSERT_EQ(S_OK, allocator->GetProperties(&properties));
    EXPECT_EQ(1000, properties.bufferBytes);
    EXPECT_EQ(2, properties.buffers);
}

TEST(GenFilter, FramesAreRefusedUnlessTheGraphRuns) {
    SourceToSink chain(frameFormat(16, 2, false, true), 400000);
    const std::vector<std::uint8_t> frame = frameBytes(32, 2);
    EXPECT_EQ(E_INVALIDARG, chain.source->DeliverFrame(frame.data(), 32));
    EXPECT_EQ(0, chain.source->nextStart());
    EXPECT_EQ(0, chain.sink->receivedCount());
}

TEST(GenFilter, ARawFrameArrivesByteForByte) {
    SourceToSink chain(frameFormat(1920, 1080, false, true), 400000);
    ASSERT_EQ(S_OK, chain.control->Run());
    const std::vector<std::uint8_t> frame = frameBytes(3840, 1080);
    ASSERT_EQ(S_OK, chain.source->DeliverFrame(frame.data(), 3840));
    ASSERT_EQ(1, chain.sink->receivedCount());
    EXPECT_EQ(frame, chain.sink->received()[0].bytes);
}

TEST(GenFilter, A422FrameSendsTheFirstFourBytesAPixelOfEachRow) {
    SourceToSink chain(frameFormat(1920, 1080, false, false), 400000);
    ASSERT_EQ(S_OK, chain.control->Run());
    const std::vector<std::uint8_t> frame = frameBytes(11520, 1080);
    ASSERT_EQ(S_OK, chain.source->DeliverFrame(frame.data(), 11520));
    ASSERT_EQ(1, chain.sink->receivedCount());
    const std::vector<std::uint8_t> sent = chain.sink->received()[0].bytes;
    ASSERT_EQ(7680u * 1080, sent.size());
    for (std::size_t row = 0; row < 1080; ++row) {
        ASSERT_EQ(0, std::memcmp(sent.data() + row * 7680, frame.data() + row * 11520, 7680)) << row;
    }
}

// Rows of an odd width are padded to 4 bytes in the image, 2 bytes longer
// than the caller's pitch: the copy must stop at the pitch, even on the last
// row, and the padding is zero.
TEST(GenFilter, OddWidthsNeverReadPastTheFrame) {
    struct Case {
        bool rgb444;
        bool raw;
        std::size_t pitch;
        std::size_t rowLength;
    };
    for (const Case kind : {Case{false, true, 3842, 3844}, Case{true, false, 11526, 11528}}) {
        SourceToSink chain(frameFormat(1921, 4, kind.rgb444, kind.raw), 400000);
        ASSERT_EQ(S_OK, chain.control->Run());
        const std::vector<std::uint8_t> frame = frameBytes(kind.pitch, 4);
        ASSERT_EQ(S_OK, chain.source->DeliverFrame(frame.data(), static_cast<std::int32_t>(kind.pitch)));
        const std::vector<std::uint8_t> sent = chain.sink->received().at(0).bytes;
        ASSERT_EQ(kind.rowLength * 4, sent.size());
        for (std::size_t row = 0; row < 4; ++row) {
            const std::uint8_t* target = sent.data() + row * kind.rowLength;
            EXPECT_EQ(0, std::memcmp(target, frame.data() + row * kind.pitch, kind.pitch)) << row;
            EXPECT_EQ(0, target[kind.pitch]);
            EXPECT_EQ(0, target[kind.pitch + 1]);
        }
    }
}

TEST(GenFilter, FramesAreStampedBackToBackFromZero) {
    SourceToSink chain(frameFormat(16, 2, false, true), 400000);
    ASSERT_EQ(S_OK, chain.control->Run());
    const std::vector<std::uint8_t> frame = frameBytes(32, 2);
    for (int index = 0; index < 10; ++index) ASSERT_EQ(S_OK, chain.source->DeliverFrame(frame.data(), 32));
    const std::vector<FakeSink::Received> received = chain.sink->received();
    ASSERT_EQ(10u, received.size());
    for (std::size_t index = 0; index < received.size(); ++index) {
        EXPECT_EQ(S_OK, received[index].timeResult);
        EXPECT_EQ(static_cast<std::int64_t>(index) * 400000, received[index].start);
        EXPECT_EQ(static_cast<std::int64_t>(index + 1) * 400000, received[index].stop);
        EXPECT_TRUE(received[index].syncPoint);
    }
    EXPECT_EQ(4000000, chain.source->nextStart());
}

TEST(GenFilter, TheReceiversAnswerComesBackUnchanged) {
    FakeSink::Options full;
    full.receiveResult = S_FALSE;
    SourceToSink chain(frameFormat(16, 2, false, true), 400000, full);
    ASSERT_EQ(S_OK, chain.control->Run());
    const std::vector<std::uint8_t> frame = frameBytes(32, 2);
    EXPECT_EQ(S_FALSE, chain.source->DeliverFrame(frame.data(), 32));
    EXPECT_EQ(400000, chain.source->nextStart());

    FakeSink::Options broken;
    broken.receiveResult = hresultFromErrno(ENOSPC);
    SourceToSink failing(frameFormat(16, 2, false, true), 400000, broken);
    ASSERT_EQ(S_OK, failing.control->Run());
    EXPECT_EQ(hresultFromErrno(ENOSPC), failing.source->DeliverFrame(frame.data(), 32));
}

TEST(GenFilter, EndStreamSendsTheEndOfStreamAtOnce) {
    ComPtr<CGenFilter> alone = makeComObject<CGenFilter>();
    EXPECT_EQ(S_OK, alone->EndStream());

    SourceToSink chain(frameFormat(16, 2, false, true), 400000);
    ASSERT_EQ(S_OK, chain.control->Run());
    EXPECT_EQ(S_OK, chain.source->EndStream());
    EXPECT_TRUE(chain.sink->endOfStreamReceived());
}
